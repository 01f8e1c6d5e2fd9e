#include "inhouse/BntCoreDb/CRowCountSet.h"

#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntCoreDb/CSqlText.h"

namespace {

std::shared_ptr<CBntConnection> RowCountConnectionOf(CBntDatabase* database)
{
    if (database == nullptr)
        throw CDBException(CDBException::kRetRefused, L"HY009", 0, L"A row count needs a database.");
    return database->GetConnection();
}

}  // namespace

CRowCountSet::CRowCountSet(CBntDatabase* database) : m_connection(RowCountConnectionOf(database)) {}

void CRowCountSet::SetTable(const CString& table)
{
    SetTable(table, CSQLStatement());
}

void CRowCountSet::SetTable(const CString& table, const CSQLStatement& where)
{
    CSQLStatement statement = where;
    statement.SetFrom(table);
    SetSQL(statement);
}

bool CRowCountSet::SetSQL(const CSQLStatement& statement)
{
    if (statement.GetFrom().IsEmpty())
        return false;
    // Built from checked names and markers only; the raw-text check documents that no value
    // slipped into it.
    const std::vector<CDBValue> values = statement.GetValues(CSQLStatement::Kind::Count);
    m_count.sql = CSqlText::CheckRawText(statement.GetSQL(CSQLStatement::Kind::Count), values.size());
    m_count.values = values;
    return true;
}

void CRowCountSet::SetRecordset(const CMultiFilterRecordset& recordset)
{
    m_count = recordset.GetQuery().BuildCount();
}

LONG CRowCountSet::GetRowCount() const
{
    if (m_count.sql.empty())
        throw CDBException(CDBException::kRetRefused, L"HY010", 0, L"Nothing to count was set.");
    std::vector<CDBValue> row;
    m_connection->Execute(m_count.sql, m_count.values, &row);
    if (row.empty())
        throw CDBException(CDBException::kRetDatabaseError, L"HY000", 0, L"The count returned no row.");
    const LONGLONG count = row[0].AsInteger();
    if (count > 0x7FFFFFFF)
        throw CDBException(CDBException::kRetRefused, L"22003", 0, L"The row count does not fit a 32-bit integer.");
    return static_cast<LONG>(count);
}
