// CWmipRowLookup: whether a table holds a row, the question the mappers' rules ask before they
// act on a record named by a request (a reference, a method's argument, a record a write would
// duplicate).
//
// Static functions only; thread-safe as the database connection given is.
#pragma once

#include <functional>

class CBntDatabase;
class CDynamicRecordset;

class CWmipRowLookup
{
public:
    CWmipRowLookup() = delete;

    // True when the recordset over table, with the joins, columns and filters that filter sets,
    // finds a row. Read on the given connection, so inside a write it sees the write's own rows.
    // Throws the database's CDBException.
    static bool HasRow(CBntDatabase& database, const wchar_t* table,
                       const std::function<void(CDynamicRecordset& rows)>& filter);
};
