#include "inhouse/BntCoreDb/CBntTransaction.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"

CBntTransaction::CBntTransaction(CBntDatabase& database) : m_database(database)
{
    m_database.BeginTrans();
}

CBntTransaction::~CBntTransaction()
{
    if (m_finished)
        return;
    try
    {
        m_database.Rollback();
    }
    catch (const CDBException&)
    {
        // The connection is gone or closed: SQLite discarded the open work with it.
    }
}

void CBntTransaction::Commit()
{
    if (m_finished)
        throw CDBException(CDBException::kRetRefused, L"HY010", 0, L"The transaction has already ended.");
    // A failed commit rolls back inside CommitTrans; either way this level has ended.
    m_finished = true;
    m_database.CommitTrans();
}
