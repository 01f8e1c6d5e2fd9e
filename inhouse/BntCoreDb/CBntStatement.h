// One prepared statement on a CBntConnection, with its parameters bound. Internal to this
// library: the recordsets read their rows through it and the database runs its statements
// through it.
//
// The statement is taken from the connection's cache of idle statements of the same text when
// it holds one, and given back to it at the end. Owned by one recordset or call; not shared
// between threads. Each call takes the
// connection's lock, so statements of different owners may run on one connection at once. A
// statement whose connection was closed or dropped since it was prepared answers the
// closed or lost-connection exception and never touches the old handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"

class CBntConnection;
struct sqlite3_stmt;

class CBntStatement
{
public:
    // Prepares one statement (the text must hold exactly one) and binds params to its '?'
    // markers in order. `faultable` false exempts it from injected faults (rollbacks).
    // Throws CDBException.
    CBntStatement(std::shared_ptr<CBntConnection> connection, const std::string& sql,
                  const std::vector<CDBValue>& params, bool faultable = true);
    ~CBntStatement();
    CBntStatement(const CBntStatement&) = delete;
    CBntStatement& operator=(const CBntStatement&) = delete;

    // Moves to the next result row: true with the row's values in `row`, false at the end.
    // Throws CDBException.
    bool Step(std::vector<CDBValue>& row);

    // The number of result columns.
    int GetColumnCount() const { return m_columnCount; }

    // Rows changed by the statement once it has run to its end.
    LONGLONG GetChanges() const { return m_changes; }

private:
    void ReadRowLocked(std::vector<CDBValue>& row) const;

    // Set at construction.
    std::shared_ptr<CBntConnection> m_connection;
    // The text, under which the statement goes back to the connection's cache.
    std::string m_sql;
    std::uint64_t m_generation = 0;
    int m_columnCount = 0;

    // Guarded by the connection's lock.
    sqlite3_stmt* m_stmt = nullptr;
    LONGLONG m_changes = 0;
    bool m_done = false;
};
