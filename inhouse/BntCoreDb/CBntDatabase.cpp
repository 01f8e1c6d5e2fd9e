#include "inhouse/BntCoreDb/CBntDatabase.h"

#include <sqlite3.h>

#include <cerrno>
#include <filesystem>
#include <string_view>

#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "platform/registry/ProfileFile.h"
#include "platform/registry/ProvixaHome.h"

namespace {

constexpr std::wstring_view kSqlitePrefix = L"sqlite:";
constexpr std::wstring_view kMemoryName = L":memory:";
// Longest data source text read from ACS.INI, in characters.
constexpr DWORD kMaxDataSourceLength = 4096;

[[noreturn]] void ThrowBadDataSource(const CString& dataSource)
{
    CString message;
    message.Format(L"\"%s\" is not a data source of this library; expected \"sqlite:PATH\" or \"sqlite::memory:\".",
                   static_cast<LPCWSTR>(dataSource.Left(256)));
    throw CDBException(CDBException::kRetRefused, L"08001", 0, message);
}

}  // namespace

namespace {
// The cause of this thread's last engine failure that had one.
thread_local CString t_lastFailureCause;
}  // namespace

CString CBntDatabase::FailureCause(int sqliteCode, int systemError)
{
    switch (sqliteCode & 0xFF)
    {
    case SQLITE_FULL:
        return L"the disk is full";
    case SQLITE_IOERR:
        if (systemError == ENOSPC || systemError == EDQUOT)
            return L"the disk is full";
        return systemError == EFBIG ? L"the file has reached the size limit of this process" : L"";
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return L"the database is locked by another process";
    case SQLITE_READONLY:
        return L"the database is read-only";
    default:
        return L"";
    }
}

CString CBntDatabase::TakeLastFailureCause()
{
    CString cause = t_lastFailureCause;
    t_lastFailureCause.Empty();
    return cause;
}

void CBntDatabase::RestoreLastFailureCause(const CString& cause)
{
    t_lastFailureCause = cause;
}

void CBntDatabase::NoteFailure(int sqliteCode, int systemError)
{
    const CString cause = FailureCause(sqliteCode, systemError);
    if (!cause.IsEmpty())
        t_lastFailureCause = cause;
}

CBntDatabase::CBntDatabase() : m_connection(std::make_shared<CBntConnection>()) {}

CBntDatabase::~CBntDatabase()
{
    m_connection->Close();
}

CString CBntDatabase::GetDSNFromINI()
{
    // The profile calls find a bare name in the home; the home's path is bytes, which no wide
    // text need carry.
    // Room for one character beyond the limit and the NUL: a value that fills it was cut short
    // (or is too long) and would name the wrong database, so the answer is a text that Open
    // refuses rather than the default database.
    std::wstring buffer(kMaxDataSourceLength + 2, L'\0');
    const DWORD length = GetPrivateProfileStringW(kIniSection, kIniKey, L"", buffer.data(),
                                                  static_cast<DWORD>(buffer.size()), kIniFileName);
    if (length > kMaxDataSourceLength)
        return CString();
    CString dataSource(buffer.c_str(), static_cast<int>(length));
    dataSource.Trim();
    return dataSource.IsEmpty() ? CString(kDefaultDataSource) : dataSource;
}

void CBntDatabase::Open(const CString& dataSource)
{
    const std::wstring_view text(dataSource.GetString(), static_cast<std::size_t>(dataSource.GetLength()));
    if (text.size() <= kSqlitePrefix.size() ||
        CString(text.substr(0, kSqlitePrefix.size()).data(), static_cast<int>(kSqlitePrefix.size()))
                .CompareNoCase(kSqlitePrefix.data()) != 0)
        ThrowBadDataSource(dataSource);
    const std::wstring_view path = text.substr(kSqlitePrefix.size());
    // A NUL would silently cut the file name short.
    if (path.find(L'\0') != std::wstring_view::npos)
        ThrowBadDataSource(dataSource);
    if (path == kMemoryName)
    {
        m_connection->Open(std::string());
        return;
    }
    const std::filesystem::path file = ProvixaHome::PathOf(path);
    // A new database holds password hashes and device passwords: the owner's only (the engine
    // gives its journals the database's permissions).
    ProvixaHome::CreatePrivateFile(file);
    m_connection->Open(file.string());
}

std::uint64_t CBntDatabase::GetOpeningId() const
{
    return m_connection->GetGeneration();
}

bool CBntDatabase::IsOpen() const
{
    return m_connection->IsOpen();
}

void CBntDatabase::Close()
{
    m_connection->Close();
}

void CBntDatabase::RequireWritable()
{
    m_connection->RequireWritable();
}

bool CBntDatabase::IsConnectionLost() const
{
    return m_connection->IsLost();
}

LONG CBntDatabase::ExecuteSQL(const CString& sql, const std::vector<CDBValue>& params)
{
    const std::string text = CSqlText::CheckRawText(sql, params.size());
    return static_cast<LONG>(m_connection->Execute(text, params));
}

LONG CBntDatabase::ExecuteSQL(const CSQLStatement& statement, CSQLStatement::Kind kind)
{
    return ExecuteSQL(statement.GetSQL(kind), statement.GetValues(kind));
}

void CBntDatabase::BeginTrans()
{
    m_connection->BeginTrans();
}

void CBntDatabase::BeginRead()
{
    m_connection->BeginRead();
}

void CBntDatabase::EndRead()
{
    m_connection->EndRead();
}

void CBntDatabase::CommitTrans()
{
    m_connection->CommitTrans();
}

void CBntDatabase::Rollback()
{
    m_connection->Rollback();
}

bool CBntDatabase::NameExists(const CString& table, const CString& column, const CString& name)
{
    const std::string sql = "SELECT 1 FROM " + CSqlText::QuoteIdentifier(table, false, L"Table") + " WHERE " +
                            CSqlText::QuoteIdentifier(column, false, L"Column") + " = ? LIMIT 1";
    std::vector<CDBValue> row;
    m_connection->Execute(sql, {CDBValue(name)}, &row);
    return !row.empty();
}

LONGLONG CBntDatabase::GetNextID(LONG idType)
{
    const std::string table = CSqlText::QuoteIdentifier(kIdTable, false, L"Table");
    const std::string type = CSqlText::QuoteIdentifier(kIdTypeColumn, false, L"Column");
    const std::string next = CSqlText::QuoteIdentifier(kIdValueColumn, false, L"Column");
    const std::string sql = "INSERT INTO " + table + " (" + type + ", " + next + ") VALUES (?, 2) ON CONFLICT (" +
                            type + ") DO UPDATE SET " + next + " = " + next + " + 1 RETURNING " + next + " - 1";
    std::vector<CDBValue> row;
    m_connection->Execute(sql, {CDBValue(idType)}, &row);
    if (row.empty())
        throw CDBException(CDBException::kRetDatabaseError, L"HY000", 0, L"The ID generator returned no value.");
    return row[0].AsInteger();
}

void CBntDatabase::TestHookFailNextStatements(int count, int sqliteCode)
{
    m_connection->TestHookFailNextStatements(count, sqliteCode);
}

void CBntDatabase::TestHookDropConnection()
{
    m_connection->Drop();
}

CString FixupTextForUnicode(const CString& text, const CBntDatabase* /*database*/)
{
    return text;
}
