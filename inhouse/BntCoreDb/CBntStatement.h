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
    // markers in order; bytes are bound without a copy, so params holding bytes must outlive
    // the statement. `faultable` false exempts it from injected faults (rollbacks).
    // Throws CDBException.
    CBntStatement(std::shared_ptr<CBntConnection> connection, const std::string& sql,
                  const std::vector<CDBValue>& params, bool faultable = true);
    ~CBntStatement();
    CBntStatement(const CBntStatement&) = delete;
    CBntStatement& operator=(const CBntStatement&) = delete;

    // Moves to the next result row: true with the row's values in `row`, false at the end.
    // Rows are read from the engine a batch at a time under one hold of the connection's
    // lock (up to kBatchRows rows or kBatchBytes of text and bytes) and handed out one by
    // one; an engine error is thrown once the rows read before it have been handed out, and a
    // closed or dropped connection is noticed at the next row. Throws CDBException.
    bool Step(std::vector<CDBValue>& row);

    static constexpr std::size_t kBatchRows = 64;
    static constexpr std::size_t kBatchBytes = 1024 * 1024;
    // The largest text or bytes a handed-back row keeps for the next row to reuse.
    static constexpr std::size_t kKeptValueBytes = 64 * 1024;

    // The number of result columns.
    int GetColumnCount() const { return m_columnCount; }

    // The result columns' names (UTF-8), as the statement was last prepared: after a Step they
    // follow a schema change made since the text was first prepared on the connection.
    // Throws CDBException when the connection was closed or dropped.
    std::vector<std::string> GetColumnNames() const;

    // Rows changed by the statement once it has run to its end.
    LONGLONG GetChanges() const { return m_changes; }

private:
    // Reads rows into the batch until it is full or the statement ends or fails. Lock held.
    void FillBatchLocked();
    // Hands the next row of the batch out to `row` and takes the caller's row back for reuse.
    void HandOut(std::vector<CDBValue>& row);
    // Reads the current row into `row`, adding its text and byte size to `size`. Lock held, and
    // the engine's mutex (FillBatchLocked holds it over the batch).
    void ReadRowLocked(std::vector<CDBValue>& row, std::size_t& size) const;

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
    // Rows read ahead; [m_batchNext, m_batchCount) are not handed out yet. Handing a row out
    // swaps its storage with the caller's row, so texts keep reusing their storage (up to
    // kKeptValueBytes each).
    std::vector<std::vector<CDBValue>> m_batch;
    std::size_t m_batchNext = 0;
    std::size_t m_batchCount = 0;
    // An engine error met after rows of the batch, thrown when they have been handed out.
    int m_pendingError = 0;
    std::string m_pendingMessage;
};
