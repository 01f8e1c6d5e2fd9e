// A connection to the installation's database, chosen by a data source text: "sqlite:PATH"
// (a relative PATH lies under PROVIXA_HOME) or "sqlite::memory:" (a private in-memory
// database, for tests). Runs the system's own statements with bound values, transactions,
// the name-uniqueness check and the ID generator; recordsets are opened on it.
//
// Owned by its creator (DBConnectionManager keeps one per pooled connection); recordsets hold
// the connection underneath jointly, so closing or destroying the database while a recordset
// is still open is safe (the recordset then answers CDBException). Thread-safety: each call is
// serialised on the connection, so threads may share one database for single statements and
// recordsets. A transaction holds the connection for its thread from BeginTrans to the
// matching CommitTrans or Rollback; other threads' calls on the same database wait meanwhile,
// so a caller must never wait for another thread's use of this database inside a transaction.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CBntConnection;

class CBntDatabase
{
public:
    // The ID generator: one row per ID type, its next value incremented in one statement.
    static constexpr const wchar_t* kIdTable = L"NEXTID";
    static constexpr const wchar_t* kIdTypeColumn = L"TYPE";
    static constexpr const wchar_t* kIdValueColumn = L"NEXTVAL";

    // ACS.INI (under PROVIXA_HOME): section "Database", key "DataSource".
    static constexpr const wchar_t* kIniFileName = L"ACS.INI";
    static constexpr const wchar_t* kIniSection = L"Database";
    static constexpr const wchar_t* kIniKey = L"DataSource";
    static constexpr const wchar_t* kDefaultDataSource = L"sqlite:provixa.db";

    CBntDatabase();
    ~CBntDatabase();
    CBntDatabase(const CBntDatabase&) = delete;
    CBntDatabase& operator=(const CBntDatabase&) = delete;

    // The data source text from ACS.INI (blanks around it removed), or kDefaultDataSource when
    // the file or key is missing or empty. A value of 4096 characters or more answers an empty
    // text, which Open refuses. Reads the file on every call.
    static CString GetDSNFromINI();

    // Opens the database the data source text names, closing any connection held before.
    // Throws CDBException: 08001 when the text is not a data source of this library or the
    // file cannot be opened as a database.
    void Open(const CString& dataSource);

    // True while a connection is open (false after Close and after a lost connection).
    bool IsOpen() const;

    // Rolls back an open transaction and closes. Never throws; closing twice is harmless.
    void Close();

    // True after the connection was lost (an I/O failure of the database file, or the test
    // hook below) until the next Open or Close. Every call in that state throws the
    // lost-connection CDBException (see CDBException::IsConnectionLost).
    bool IsConnectionLost() const;

    // Returns when the connection may write. On a connection that can only read (a database
    // file this process may not write is opened read-only) throws the CDBException a write
    // there meets from the engine (SQLITE_READONLY, its cause noted as every engine failure's
    // is), so that a request is refused before it acts rather than at its first row. Throws
    // CDBException 08003 when closed.
    void RequireWritable();

    // Runs one statement of the system's own text with `params` bound to its '?' markers in
    // order and returns the number of rows changed. The text must never carry a value: it is
    // refused (CDBException 42000) when it holds a string literal, a comment, a ';' or a
    // number of markers other than params.size(). Engine errors throw CDBException.
    LONG ExecuteSQL(const CString& sql, const std::vector<CDBValue>& params = {});

    // Runs the UPDATE or DELETE that the statement builds. Same results as above.
    LONG ExecuteSQL(const CSQLStatement& statement, CSQLStatement::Kind kind);

    // Transactions; they nest (inner levels are savepoints). CommitTrans and Rollback end the
    // innermost level. A failed CommitTrans rolls back every level before it throws. Without
    // an open transaction CommitTrans and Rollback throw CDBException 25000. Prefer
    // CBntTransaction, which rolls back on every path that does not commit.
    void BeginTrans();
    void CommitTrans();
    void Rollback();

    // A read transaction: the reads up to EndRead see one moment of the database, at the cost of
    // one transaction's locks. It holds the connection for its thread as a transaction does, and
    // ends early at the first write or BeginTrans and when the connection closes or drops.
    // Nothing when a transaction is open already. BeginRead throws CDBException; EndRead never.
    void BeginRead();
    void EndRead();

    // True when a row of `table` has `column` equal to `name` (exact, case-sensitive text
    // comparison). Throws CDBException for invalid names or engine errors.
    bool NameExists(const CString& table, const CString& column, const CString& name);

    // The next identifier of the given ID type from the generator table: the first call for a
    // type answers 1. One atomic statement, so connections and threads never receive the same
    // value. Throws CDBException (the table must exist).
    LONGLONG GetNextID(LONG idType);

    // Why an engine failure happened, in words a person can act on: "the disk is full" (the
    // engine's full database, or an I/O failure the system gave as no space left or a quota),
    // the process's file size limit, "the database is locked by another process" (busy or
    // locked) or "the database is read-only"; empty for any other failure, whose engine text
    // says more.
    // `sqliteCode` may be an extended code; `systemError` is the errno the engine saw (0: none).
    static CString FailureCause(int sqliteCode, int systemError);
    // The cause (as FailureCause) of the last engine failure of this thread that had one, which
    // is forgotten; empty when there was none since the last call. A caller that shows only a
    // general "could not write" text adds it.
    static CString TakeLastFailureCause();
    // Puts back a cause taken with TakeLastFailureCause (empty: none), for a step that handles
    // an engine failure of its own: that failure's cause explains nothing reported later, while
    // one noted before the step still does.
    static void RestoreLastFailureCause(const CString& cause);
    // For this library's connection: notes the cause of an engine failure on this thread.
    static void NoteFailure(int sqliteCode, int systemError);

    // Test hooks; never called by the system. The next `count` statements fail as if the
    // engine had answered `sqliteCode` (an I/O code such as 10 drops the connection as a lost
    // one). Rollbacks are exempt.
    void TestHookFailNextStatements(int count, int sqliteCode);
    // Drops the connection as a lost connection would; uncommitted work is discarded.
    void TestHookDropConnection();

    // The opening of the database this object holds: a number no other opening in the process,
    // of this or any database, carries; it changes when the connection closes, drops or opens
    // again. What a caller keeps about a database's schema is keyed by it.
    std::uint64_t GetOpeningId() const;

    // For the recordset classes of this library: the connection underneath.
    const std::shared_ptr<CBntConnection>& GetConnection() const { return m_connection; }

private:
    // Set at construction.
    const std::shared_ptr<CBntConnection> m_connection;
};

// Makes a filter or statement text fit for the database before it is run. On a server
// database this put the N'' Unicode prefix before text literals; SQLite keeps all text as
// Unicode and this library never lets a literal into SQL text (values are bound), so the text
// is returned as it stands. The database argument is accepted for callers that pass theirs.
CString FixupTextForUnicode(const CString& text, const CBntDatabase* database = nullptr);
