// The SQLite connection behind one CBntDatabase: the handle, its lock, the transaction depth,
// the lost-connection state and the test fault hooks. Internal to this library; callers use
// CBntDatabase and the recordset classes.
//
// Made with std::make_shared and owned jointly by its CBntDatabase and by the statements
// prepared on it, so a statement never outlives the handle it was prepared on. Statements given
// back are kept, reset, for the next statement of the same text. Thread-safety: every member takes
// m_lock (recursive). A transaction keeps m_lock held by its thread from BeginTrans until the
// matching CommitTrans or Rollback, so other threads sharing the connection wait for it to end.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/mfc/CString.h"

struct sqlite3;
struct sqlite3_stmt;

class CBntConnection : public std::enable_shared_from_this<CBntConnection>
{
public:
    // Milliseconds a statement waits for another connection's lock on a file database.
    static constexpr int kBusyTimeoutMs = 5000;
    // Largest text or byte value the connection stores or reads back.
    static constexpr int kMaxValueBytes = 64 * 1024 * 1024;
    // Idle prepared statements kept for reuse; the least recently given back goes first.
    static constexpr std::size_t kMaxCachedStatements = 32;

    // The URI that opens the database file read-only as immutable (SQLITE_OPEN_URI): how a
    // file in WAL mode is read from a folder the process may not write, where the engine
    // cannot create the shared-memory file. The path's '%', '?' and '#' are escaped.
    static std::string ImmutableUri(const std::string& utf8Path);

    CBntConnection() = default;
    ~CBntConnection();
    CBntConnection(const CBntConnection&) = delete;
    CBntConnection& operator=(const CBntConnection&) = delete;

    // Opens the database file (UTF-8 path) or, with an empty path, a private in-memory
    // database. Closes any handle held before. Throws CDBException 08001 when the file cannot
    // be opened or is not a database.
    void Open(const std::string& utf8Path);

    // Finalizes every statement, rolls back an open transaction and closes. Never throws.
    void Close();

    // Drops the handle as a lost connection would (uncommitted work is discarded); the next
    // use answers the lost-connection exception until Open is called again.
    void Drop();

    bool IsOpen() const;
    bool IsLost() const;

    // Runs one statement to its end and returns the number of rows it changed. When firstRow
    // is given it receives the first result row (empty when there is none). Throws CDBException.
    LONGLONG Execute(const std::string& sql, const std::vector<CDBValue>& params,
                     std::vector<CDBValue>* firstRow = nullptr);

    // Throws the engine's read-only failure when the handle can only read (CBntDatabase).
    void RequireWritable();

    // Nested transactions: the outermost level is BEGIN IMMEDIATE/COMMIT/ROLLBACK, inner
    // levels are savepoints. A failed commit rolls back every level and throws. An open read
    // transaction ends first.
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    // A read transaction (BEGIN DEFERRED): the reads that follow see the database as the first
    // of them found it, and pay for one transaction's locks instead of one each. It keeps the
    // connection for this thread, as a transaction does, and ends at EndRead, at the first
    // statement that writes or BeginTrans (a write never runs on a moment gone by), or when the
    // connection closes or drops. Nothing when a transaction or a read one is open already.
    // Throws CDBException.
    void BeginRead();
    // Ends the read transaction, if one is open. Never throws: a failed end drops the
    // connection, which ends it as well.
    void EndRead();
    // For CBntStatement: ends the read transaction before a statement that writes. Lock held.
    void EndReadLocked();

    // Test hooks: after `skip` statements that run as usual, the next `count` statements fail
    // as if the engine had answered `sqliteCode` (rollbacks excepted, so a caller can always
    // clean up). A fault sweep fails statement 1, 2, 3 ... of a write with skip 0, 1, 2 ...
    void TestHookFailNextStatements(int count, int sqliteCode, int skip = 0);

    // For CBntStatement: the lock, the handle and the generation it belongs to.
    std::recursive_mutex& GetLock() { return m_lock; }
    // Throws 08003 when closed or the lost-connection exception when dropped. Lock held.
    sqlite3* RequireHandleLocked() const;
    std::uint64_t GetGenerationLocked() const { return m_generation.load(std::memory_order_relaxed); }
    // The generation read without the lock: a statement handing out rows it read earlier
    // learns that its handle was closed without waiting for the connection. Unique in the
    // process: no other opening of this or any connection carries it.
    std::uint64_t GetGeneration() const { return m_generation.load(std::memory_order_acquire); }
    // Consumes one injected fault; true (and the code) when this statement must fail. Lock held.
    bool TakeInjectedFaultLocked(int& sqliteCode);
    // An idle statement prepared earlier from exactly this text, taken out of the cache (its
    // bindings cleared and reset), its kept text moved into `text`; null when there is none.
    // Lock held.
    sqlite3_stmt* TakeCachedStatementLocked(const std::string& sql, std::string& text);
    // Keeps an idle statement of this generation for the next use of the same text, resetting
    // it and clearing its bindings; finalizes the least recently kept one when the cache is
    // full. The text is moved in: a statement hands its own back and none is copied per use.
    // Lock held.
    void CacheStatementLocked(std::string sql, sqlite3_stmt* statement);
    // Turns an engine result code into the CDBException to throw; a code that means the
    // database went away drops the connection first. Lock held.
    [[noreturn]] void ThrowEngineErrorLocked(int sqliteCode, const char* detail, bool whilePreparing);

private:
    void CloseLocked(bool lost);
    void ExecuteControlLocked(const std::string& sql, bool faultable);
    void RollbackAllLocked();

    // Guarded by m_lock.
    mutable std::recursive_mutex m_lock;
    sqlite3* m_db = nullptr;
    // Changed only under m_lock; atomic for GetGeneration.
    std::atomic<std::uint64_t> m_generation{0};
    bool m_lost = false;
    int m_transactionDepth = 0;
    // A read transaction is open (BeginRead), holding m_lock once for its thread.
    bool m_reading = false;
    int m_faultSkip = 0;
    int m_faultCount = 0;
    int m_faultCode = 0;
    // Idle statements by text, most recently given back last. Preparing is most of what a
    // keyed read costs, so a statement is prepared once per connection and text.
    std::vector<std::pair<std::string, sqlite3_stmt*>> m_statementCache;
};
