#include "inhouse/BntCoreDb/CBntConnection.h"

#include <sqlite3.h>

#include <cerrno>
#include <iterator>
#include <utility>

#include "inhouse/BntCoreDb/CBntCommitQueue.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CBntStatement.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/SqliteMutexes.h"
#include "platform/mfc/UnicodeText.h"

namespace {

// Every opening and closing of every connection in the process takes the next number, so a
// generation names one opening of one database and is never met again (what a caller keeps
// about a database, keyed by it, never answers for another).
std::uint64_t NextGeneration()
{
    static std::atomic<std::uint64_t> last{0};
    return last.fetch_add(1, std::memory_order_relaxed) + 1;
}

// The engine's settings, made while the library loads, before any connection can be opened
// and before the program's other initializers, any of which may start the engine (registering
// an extension does): the order of initializers across files is otherwise the linker's.
// SQLite counts every allocation under one process-wide mutex unless told otherwise before it
// starts, and then the pool's connections wait on each other for each allocation (the counts are
// never read); its mutexes spin briefly before they sleep (see SqliteMutexes).
struct EngineSettings
{
    EngineSettings()
    {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        SqliteMutexes::Install();
    }
};
__attribute__((init_priority(101))) const EngineSettings g_engineSettings;

CString FromUtf8(const char* text)
{
    return CString(mfc_detail::DecodeUtf8(text != nullptr ? text : "").c_str());
}

CString EngineMessage(int code, const char* detail, int systemError)
{
    CString message = FromUtf8(detail);
    CString suffix;
    suffix.Format(L" (SQLite error %d)", code);
    // The engine's "disk I/O error" does not say that the disk is full.
    const CString cause = CBntDatabase::FailureCause(code, systemError);
    return message + suffix + (cause.IsEmpty() ? CString() : L": " + cause);
}

// The SQLSTATE a primary SQLite result code maps to.
const wchar_t* StateOf(int primary, bool whilePreparing)
{
    switch (primary)
    {
    case SQLITE_CONSTRAINT:
        return L"23000";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return L"HYT00";
    case SQLITE_NOMEM:
        return L"HY001";
    case SQLITE_INTERRUPT:
        return L"HY008";
    case SQLITE_TOOBIG:
        return L"22001";
    case SQLITE_MISMATCH:
        return L"22018";
    case SQLITE_RANGE:
        return L"07009";
    case SQLITE_ERROR:
        return whilePreparing ? L"42000" : L"HY000";
    default:
        return L"HY000";
    }
}

// The system's error of a failed read or write. The engine's own record of it is the global
// errno read after the failure, which the calls made since may have changed; each file keeps
// the error of its own failed call, the database's and its journal's (the WAL's) alike.
int FileError(sqlite3* db)
{
    const int recorded = sqlite3_system_errno(db);
    if (recorded == ENOSPC || recorded == EDQUOT || recorded == EFBIG)
        return recorded;
    for (const bool journal : {true, false})
    {
        sqlite3_file* file = nullptr;
        int error = 0;
        if (journal && sqlite3_file_control(db, "main", SQLITE_FCNTL_JOURNAL_POINTER, &file) == SQLITE_OK &&
            file != nullptr && file->pMethods != nullptr)
            file->pMethods->xFileControl(file, SQLITE_FCNTL_LAST_ERRNO, &error);
        else if (!journal)
            sqlite3_file_control(db, "main", SQLITE_FCNTL_LAST_ERRNO, &error);
        if (error == ENOSPC || error == EDQUOT || error == EFBIG)
            return error;
    }
    return recorded;
}

// Result codes that mean the database itself went away or became unreadable.
bool MeansConnectionLost(int primary)
{
    return primary == SQLITE_IOERR || primary == SQLITE_CANTOPEN || primary == SQLITE_NOTADB;
}

}  // namespace

std::string CBntConnection::ImmutableUri(const std::string& utf8Path)
{
    std::string uri = "file:";
    for (const char c : utf8Path)
    {
        if (c == '%')
            uri += "%25";
        else if (c == '?')
            uri += "%3f";
        else if (c == '#')
            uri += "%23";
        else
            uri += c;
    }
    return uri + "?immutable=1";
}

CBntConnection::~CBntConnection()
{
    Close();
}

void CBntConnection::Open(const std::string& utf8Path)
{
    std::lock_guard guard(m_lock);
    CloseLocked(false);
    m_lost = false;
    const std::string name = utf8Path.empty() ? std::string(":memory:") : utf8Path;
    sqlite3* db = nullptr;
    // Every use of the handle and of its statements holds m_lock, so the engine's own lock
    // around each call would only be paid a second time.
    const int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX;
    int rc = sqlite3_open_v2(name.c_str(), &db, flags, nullptr);
    auto fail = [&](const char* what) {
        const int systemError = db != nullptr ? sqlite3_system_errno(db) : 0;
        CBntDatabase::NoteFailure(rc, systemError);
        const CString cause = CBntDatabase::FailureCause(rc, systemError);
        CString message;
        message.Format(L"Unable to open the database \"%s\": %s%s", static_cast<LPCWSTR>(FromUtf8(name.c_str())),
                       static_cast<LPCWSTR>(FromUtf8(what)),
                       static_cast<LPCWSTR>(cause.IsEmpty() ? CString() : L": " + cause));
        const int code = rc;
        sqlite3_close(db);
        throw CDBException(CDBException::kRetDatabaseError, L"08001", code, message);
    };
    const auto configure = [&]() {
        if (rc != SQLITE_OK)
            fail(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_extended_result_codes(db, 1);
        sqlite3_busy_timeout(db, kBusyTimeoutMs);
        sqlite3_limit(db, SQLITE_LIMIT_LENGTH, kMaxValueBytes);
        // A double-quoted name must always be an identifier, never silently a string literal.
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
        sqlite3_db_config(db, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    };
    configure();
    // Reading the schema proves the file is a database before anyone relies on it; WAL lets
    // readers on other connections go on while one connection writes. A file the process may
    // not write is opened read-only and stays in its journal mode: reads work, writes are
    // refused by the engine.
    const bool readOnly = sqlite3_db_readonly(db, "main") == 1;
    const char* setup = utf8Path.empty() || readOnly ? "SELECT count(*) FROM sqlite_schema" : "PRAGMA journal_mode=WAL";
    char* error = nullptr;
    // The switch is tried once, without waiting for a lock (see below).
    sqlite3_busy_timeout(db, readOnly ? kBusyTimeoutMs : 0);
    rc = sqlite3_exec(db, setup, nullptr, nullptr, &error);
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    // A WAL file in a folder the process may not write can only be read as immutable.
    if (readOnly && rc != SQLITE_OK)
    {
        sqlite3_free(error);
        error = nullptr;
        sqlite3_close(db);
        db = nullptr;
        rc = sqlite3_open_v2(ImmutableUri(name).c_str(), &db,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        configure();
        rc = sqlite3_exec(db, setup, nullptr, nullptr, &error);
    }
    // The switch to WAL needs the file to itself, so it is busy while any other connection has
    // it open in a transaction (another process's reader, or this process's own switch in
    // progress). The connection then goes on in the file's present journal mode (init
    // leaves an installation in WAL; a file another connection switches meanwhile is read as WAL
    // all the same): the schema is read as every read is, waiting for a lock at most the one busy
    // time and failing with its cause after it, so that no caller waits for the switch in turn.
    if (!readOnly && !utf8Path.empty() && ((rc & 0xff) == SQLITE_BUSY || (rc & 0xff) == SQLITE_LOCKED))
    {
        sqlite3_free(error);
        error = nullptr;
        rc = sqlite3_exec(db, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, &error);
    }
    if (rc != SQLITE_OK)
    {
        const std::string text = error != nullptr ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        fail(text.c_str());
    }
    // Link rows go with the record they hang on (ON DELETE CASCADE) inside the same statement,
    // and a link to a missing record is refused rather than left dangling.
    rc = sqlite3_exec(db, "PRAGMA foreign_keys=ON", nullptr, nullptr, &error);
    if (rc != SQLITE_OK)
    {
        const std::string text = error != nullptr ? error : sqlite3_errstr(rc);
        sqlite3_free(error);
        fail(text.c_str());
    }
    m_db = db;
    m_generation.store(NextGeneration(), std::memory_order_release);
}

void CBntConnection::Close()
{
    std::lock_guard guard(m_lock);
    CloseLocked(false);
    m_lost = false;
}

void CBntConnection::Drop()
{
    std::lock_guard guard(m_lock);
    CloseLocked(true);
}

bool CBntConnection::IsOpen() const
{
    std::lock_guard guard(m_lock);
    return m_db != nullptr;
}

bool CBntConnection::IsLost() const
{
    std::lock_guard guard(m_lock);
    return m_lost;
}

void CBntConnection::CloseLocked(bool lost)
{
    m_statementCache.clear();
    if (m_db != nullptr)
    {
        // Statements still held by recordsets see the new generation and never touch theirs.
        while (sqlite3_stmt* stmt = sqlite3_next_stmt(m_db, nullptr))
            sqlite3_finalize(stmt);
        // Closing with a transaction open discards it: nothing half-written survives.
        sqlite3_close(m_db);
        m_db = nullptr;
        m_generation.store(NextGeneration(), std::memory_order_release);
    }
    m_lost = lost;
    // The transaction's hold on the lock belongs to this thread (no other thread can be
    // inside while it is held), so it is released here with the transaction, and what the
    // discarded work would have announced goes with it.
    CBntCommitQueue::LevelsRolledBack(m_transactionDepth);
    for (; m_transactionDepth > 0; --m_transactionDepth)
        m_lock.unlock();
    if (std::exchange(m_reading, false))
        m_lock.unlock();
    m_faultSkip = 0;
    m_faultCount = 0;
}

sqlite3* CBntConnection::RequireHandleLocked() const
{
    if (m_db != nullptr)
        return m_db;
    if (m_lost)
        throw CDBException::ConnectionLost(L"Reopen the database before using it again.");
    throw CDBException(CDBException::kRetRefused, L"08003", 0, L"The database is not open.");
}

sqlite3_stmt* CBntConnection::TakeCachedStatementLocked(const std::string& sql, std::string& text)
{
    for (auto entry = m_statementCache.rbegin(); entry != m_statementCache.rend(); ++entry)
    {
        if (entry->first != sql)
            continue;
        sqlite3_stmt* statement = entry->second;
        text = std::move(entry->first);
        m_statementCache.erase(std::next(entry).base());
        return statement;
    }
    return nullptr;
}

void CBntConnection::CacheStatementLocked(std::string sql, sqlite3_stmt* statement)
{
    sqlite3_reset(statement);
    sqlite3_clear_bindings(statement);
    if (m_statementCache.size() >= kMaxCachedStatements)
    {
        sqlite3_finalize(m_statementCache.front().second);
        m_statementCache.erase(m_statementCache.begin());
    }
    m_statementCache.emplace_back(std::move(sql), statement);
}

bool CBntConnection::TakeInjectedFaultLocked(int& sqliteCode)
{
    if (m_faultCount <= 0)
        return false;
    if (m_faultSkip > 0)
    {
        --m_faultSkip;
        return false;
    }
    --m_faultCount;
    sqliteCode = m_faultCode;
    return true;
}

void CBntConnection::ThrowEngineErrorLocked(int sqliteCode, const char* detail, bool whilePreparing)
{
    const int primary = sqliteCode & 0xFF;
    const int systemError =
        m_db != nullptr ? (primary == SQLITE_IOERR ? FileError(m_db) : sqlite3_system_errno(m_db)) : 0;
    CBntDatabase::NoteFailure(sqliteCode, systemError);
    const CString message = EngineMessage(sqliteCode, detail, systemError);
    // A write that found no space (a full disk, the process's file-size limit) is rolled back
    // and leaves the connection as usable as SQLITE_FULL does.
    const bool noSpace = systemError == ENOSPC || systemError == EDQUOT || systemError == EFBIG;
    if (MeansConnectionLost(primary) && !noSpace)
    {
        CloseLocked(true);
        throw CDBException::ConnectionLost(message);
    }
    throw CDBException(CDBException::kRetDatabaseError, StateOf(primary, whilePreparing), sqliteCode, message);
}

LONGLONG CBntConnection::Execute(const std::string& sql, const std::vector<CDBValue>& params,
                                 std::vector<CDBValue>* firstRow)
{
    std::lock_guard guard(m_lock);
    CBntStatement statement(shared_from_this(), sql, params);
    std::vector<CDBValue> row;
    bool first = true;
    if (firstRow != nullptr)
        firstRow->clear();
    while (statement.Step(row))
    {
        if (first && firstRow != nullptr)
            *firstRow = row;
        first = false;
    }
    return statement.GetChanges();
}

void CBntConnection::ExecuteControlLocked(const std::string& sql, bool faultable)
{
    CBntStatement statement(shared_from_this(), sql, {}, faultable);
    std::vector<CDBValue> row;
    while (statement.Step(row))
    {
    }
}

void CBntConnection::RollbackAllLocked()
{
    if (m_db != nullptr && !sqlite3_get_autocommit(m_db))
    {
        // Nothing more can be done when the rollback itself fails: closing discards the work.
        if (sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
            CloseLocked(true);
    }
    CBntCommitQueue::LevelsRolledBack(m_transactionDepth);
    for (; m_transactionDepth > 0; --m_transactionDepth)
        m_lock.unlock();
}

void CBntConnection::RequireWritable()
{
    std::lock_guard guard(m_lock);
    if (sqlite3_db_readonly(RequireHandleLocked(), "main") == 1)
        ThrowEngineErrorLocked(SQLITE_READONLY, sqlite3_errstr(SQLITE_READONLY), false);
}

void CBntConnection::BeginRead()
{
    std::lock_guard guard(m_lock);
    RequireHandleLocked();
    if (m_reading || m_transactionDepth > 0)
        return;
    // Not faultable: a fault sweep counts the statements of the write it fails.
    ExecuteControlLocked("BEGIN DEFERRED", false);
    m_lock.lock();
    m_reading = true;
}

void CBntConnection::EndRead()
{
    std::lock_guard guard(m_lock);
    EndReadLocked();
}

void CBntConnection::EndReadLocked()
{
    if (!m_reading)
        return;
    m_reading = false;
    m_lock.unlock();
    if (m_db == nullptr || sqlite3_get_autocommit(m_db))
        return;
    // A transaction that only read has nothing to commit or lose; a statement still stepping
    // keeps its own snapshot until it is reset.
    try
    {
        ExecuteControlLocked("COMMIT", false);
    }
    catch (const CDBException&)
    {
        if (m_db != nullptr && sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr) != SQLITE_OK)
            CloseLocked(true);
    }
}

void CBntConnection::BeginTrans()
{
    std::lock_guard guard(m_lock);
    RequireHandleLocked();
    if (m_transactionDepth == 0)
        ExecuteControlLocked("BEGIN IMMEDIATE", true);
    else
        ExecuteControlLocked("SAVEPOINT bnt_level_" + std::to_string(m_transactionDepth), true);
    // The transaction keeps the connection for this thread until it ends.
    m_lock.lock();
    ++m_transactionDepth;
    CBntCommitQueue::LevelBegun();
}

void CBntConnection::CommitTrans()
{
    std::vector<CBntCommitQueue::Action> committed;
    {
        std::lock_guard guard(m_lock);
        RequireHandleLocked();
        if (m_transactionDepth == 0)
            throw CDBException(CDBException::kRetRefused, L"25000", 0, L"No transaction is active.");
        try
        {
            if (m_transactionDepth == 1)
                ExecuteControlLocked("COMMIT", true);
            else
                ExecuteControlLocked("RELEASE bnt_level_" + std::to_string(m_transactionDepth - 1), true);
        }
        catch (const CDBException&)
        {
            RollbackAllLocked();
            throw;
        }
        if (m_transactionDepth == 1)
            committed = CBntCommitQueue::LevelCommitted();
        else
            CBntCommitQueue::LevelReleased();
        --m_transactionDepth;
        m_lock.unlock();
    }
    // The work is durable and the connection free: only now may the world hear of it.
    CBntCommitQueue::RunAll(committed);
}

void CBntConnection::Rollback()
{
    std::lock_guard guard(m_lock);
    RequireHandleLocked();
    if (m_transactionDepth == 0)
        throw CDBException(CDBException::kRetRefused, L"25000", 0, L"No transaction is active.");
    if (m_transactionDepth == 1)
    {
        RollbackAllLocked();
        return;
    }
    const std::string name = "bnt_level_" + std::to_string(m_transactionDepth - 1);
    try
    {
        ExecuteControlLocked("ROLLBACK TO " + name, false);
        ExecuteControlLocked("RELEASE " + name, false);
    }
    catch (const CDBException&)
    {
        RollbackAllLocked();
        throw;
    }
    CBntCommitQueue::LevelsRolledBack(1);
    --m_transactionDepth;
    m_lock.unlock();
}

void CBntConnection::TestHookFailNextStatements(int count, int sqliteCode, int skip)
{
    std::lock_guard guard(m_lock);
    m_faultSkip = skip > 0 ? skip : 0;
    m_faultCount = count > 0 ? count : 0;
    m_faultCode = sqliteCode;
}
