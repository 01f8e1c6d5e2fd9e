// Counts rows with one COUNT statement: all rows of a table, the rows a CSQLStatement's
// conditions select, or the rows a recordset selects (same tables, joins, filters and
// distinct; ordering and paging ignored), for paging totals.
//
// Owned by its caller on a database that outlives it; used on one thread at a time.
#pragma once

#include <memory>

#include "inhouse/BntCoreDb/CRecordsetQuery.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntConnection;
class CBntDatabase;
class CMultiFilterRecordset;

class CRowCountSet
{
public:
    // Throws CDBException (HY009) for a null database.
    explicit CRowCountSet(CBntDatabase* database);

    // Count every row of the table ("TABLE" or "TABLE ALIAS"). Throws CDBException (42000).
    void SetTable(const CString& table);
    // Count the rows of the table that the statement's conditions select (its own table, if
    // any, is not used). Throws CDBException (42000).
    void SetTable(const CString& table, const CSQLStatement& where);
    // Count the rows of the statement's table that its conditions select. false (nothing set)
    // when the statement has no table.
    bool SetSQL(const CSQLStatement& statement);
    // Count the rows the recordset selects, as it is shaped and filtered now.
    void SetRecordset(const CMultiFilterRecordset& recordset);

    // Runs the count. Throws CDBException: HY010 when nothing was set, engine errors.
    LONG GetRowCount() const;

private:
    // Set at construction.
    std::shared_ptr<CBntConnection> m_connection;

    CRecordsetQuery::BoundText m_count;
};
