#include "tools/provixa/ProvixaInstallation.h"

#include "common/TwCryptEngine.h"
#include "inhouse/BntCoreDb/CBntConnection.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CSqlText.h"
#include "tools/provixa/ProvixaSegmentUnitDefaults.h"
#include "tools/provixa/ProvixaText.h"
#include "platform/registry/ProfileFile.h"
#include "platform/registry/ProvixaHome.h"
#include "platform/registry/Registry.h"
#include "provider/CWmipApp.h"
#include "tools/provixa/EmbeddedInstallation.h"

#include <sqlite3.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <cwctype>
#include <memory>
#include <string_view>
#include <system_error>
#include <vector>

namespace {
constexpr wchar_t kProductKey[] = L"SOFTWARE\\Brontel\\Ivarune";
constexpr wchar_t kFluxmereKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere";
constexpr wchar_t kCryptoKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Crypto";
// The demo installation's exchange phrase: the demo recorder's connection key (db/demo.sql) is
// wrapped with it. A real installation sets its own.
constexpr wchar_t kDemoExchangePhrase[] = L"Provixa demo recorder exchange phrase";
constexpr wchar_t kSqlitePrefix[] = L"sqlite:";
constexpr wchar_t kDataSource[] = L"sqlite:provixa.db";
// The key length the crypto helper uses unless the installation chose 40 bits.
constexpr DWORD kDefaultKeyLength = 128;

// Closes a registry key on every path.
class RegistryKey
{
public:
    RegistryKey() = default;
    ~RegistryKey()
    {
        if (m_key != nullptr)
            RegCloseKey(m_key);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    PHKEY Receive() { return &m_key; }
    HKEY Get() const { return m_key; }

private:
    HKEY m_key = nullptr;
};

bool HasValue(HKEY key, LPCWSTR name)
{
    return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == static_cast<LSTATUS>(ERROR_SUCCESS);
}

// Writes a value unless the key already has one of that name.
bool EnsureDword(HKEY key, LPCWSTR name, DWORD value)
{
    if (HasValue(key, name))
        return true;
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value)) ==
           static_cast<LSTATUS>(ERROR_SUCCESS);
}

bool EnsureText(HKEY key, LPCWSTR name, const std::wstring& value)
{
    if (HasValue(key, name))
        return true;
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
           static_cast<LSTATUS>(ERROR_SUCCESS);
}

bool OpenKey(LPCWSTR path, RegistryKey& key)
{
    return RegCreateKeyExW(HKEY_LOCAL_MACHINE, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                           key.Receive(), nullptr) == static_cast<LSTATUS>(ERROR_SUCCESS);
}

bool WriteRegistry(std::string* report)
{
    RegistryKey product;
    RegistryKey fluxmere;
    RegistryKey crypto;
    // Relative to the home, so a copied or moved home logs into itself.
    const std::wstring logFolder = L"Logs";
    if (!OpenKey(kProductKey, product) || !OpenKey(kFluxmereKey, fluxmere) || !OpenKey(kCryptoKey, crypto) ||
        !EnsureText(crypto.Get(), TwCryptEngine::kPassPhraseValue, kDemoExchangePhrase) ||
        !EnsureText(product.Get(), L"LogFilePath", logFolder) ||
        !EnsureDword(product.Get(), L"DefaultKeyLength", kDefaultKeyLength) ||
        !EnsureDword(product.Get(), L"InstallInProgress", 0) ||
        !EnsureDword(product.Get(), L"SkipLocalSystemAuthentication", 0) ||
        !EnsureDword(product.Get(), L"DisableConnectionPooling", 0) ||
        !EnsureText(product.Get(), L"InstalledProductName", L"Provixa") ||
        !EnsureText(product.Get(), L"ProductVersion", L"1.0") ||
        !EnsureDword(fluxmere.Get(), L"DatabaseTimeout", CWmipApp::kDefaultDatabaseTimeout))
    {
        *report = "cannot write registry.ini in " + ProvixaHome::Folder().string();
        return false;
    }
    *report += "registry.ini ready\n";
    return true;
}

bool WriteDataSource(std::string* report)
{
    // By its bare name, which the profile calls find in the home: the home's path is bytes.
    const wchar_t* const file = CBntDatabase::kIniFileName;
    wchar_t present[2] = {};
    if (GetPrivateProfileStringW(CBntDatabase::kIniSection, CBntDatabase::kIniKey, L"", present, 2, file) > 0)
    {
        *report += "ACS.INI kept\n";
        return true;
    }
    if (!WritePrivateProfileStringW(CBntDatabase::kIniSection, CBntDatabase::kIniKey, kDataSource, file))
    {
        *report = "cannot write " + ProvixaHome::PathOf(file).string();
        return false;
    }
    *report += "ACS.INI written\n";
    return true;
}

// Closes the database on every path.
struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using SqliteHandle = std::unique_ptr<sqlite3, SqliteCloser>;

// What to do with a file that is no database of an installation.
constexpr char kElsewhere[] =
    "set PROVIXA_HOME to another folder for a new installation, or move the file away and run 'provixa init'";

// Whether the file is a database of this installation: SQLite can read it and it holds the
// users table. False with *error saying why not; then *foreign (when given) tells whether the
// file itself is at fault: it is no SQLite database, a damaged one, or one of something else
// (an empty file reads as an empty database), rather than unreadable for now (a full disk, a
// lock).
bool UsableDatabase(const std::filesystem::path& file, std::string* error, bool* foreign = nullptr)
{
    if (foreign != nullptr)
        *foreign = false;
    const ProvixaInstallation::Database db = ProvixaInstallation::OpenDatabase(file, error);
    sqlite3_stmt* statement = nullptr;
    if (!db)
        return false;
    const int rc = sqlite3_prepare_v2(db.get(), "SELECT 1 FROM USERS LIMIT 1", -1, &statement, nullptr);
    if (rc != SQLITE_OK)
    {
        *error = ProvixaInstallation::EngineReason(db.get(), rc);
        const int primary = sqlite3_extended_errcode(db.get()) & 0xFF;
        if (foreign != nullptr && (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT || primary == SQLITE_ERROR))
            *foreign = true;
        return false;
    }
    sqlite3_finalize(statement);
    return true;
}

// The engine's shared-memory index of a WAL database is made in blocks of this size; a shorter
// file was left unfinished by a connection that found no room to make it.
constexpr std::uintmax_t kSharedMemoryBlock = 32768;

// The side files of a database in WAL mode (the first connection makes them, the last removes
// them) that are not there now, or not whole: a read that found no room leaves an index of a
// few bytes behind it, and every later read fails for want of the same room.
std::vector<std::string> UnmadeSideFiles(const std::filesystem::path& file)
{
    std::error_code ignored;
    std::vector<std::string> unmade;
    for (const char* suffix : {"-wal", "-shm"})
    {
        std::filesystem::path side = file;
        side += suffix;
        const bool index = std::string_view(suffix) == "-shm";
        if (!std::filesystem::exists(side, ignored) ||
            (index && std::filesystem::file_size(side, ignored) < kSharedMemoryBlock))
            unmade.push_back(side.filename().string());
    }
    return unmade;
}

// Why a read found no room, when the reason says it did and side files were `unmade` before
// it: a read writes nothing but them. Empty otherwise.
std::string NoRoomToRead(const std::vector<std::string>& unmade, const std::string& reason)
{
    const std::string full = ProvixaText::ToUtf8(CBntDatabase::FailureCause(SQLITE_FULL, 0).GetString());
    const std::string limit = ProvixaText::ToUtf8(CBntDatabase::FailureCause(SQLITE_IOERR, EFBIG).GetString());
    if (unmade.empty() || (!reason.ends_with(full) && !reason.ends_with(limit)))
        return std::string();
    return "; a read needs no new space but the database's side " +
           (unmade.size() == 1 ? "file " + unmade[0] : "files " + unmade[0] + " and " + unmade[1]) +
           ", which could not be made";
}

// The journal mode every connection of the provider and the host uses (CBntConnection::Open):
// set by init, so that no later command has to switch it, which needs the database to itself
// and waits for every other process's transaction.
constexpr char kWriteAheadLog[] = "PRAGMA journal_mode=WAL";

// Puts the database into that journal mode; false with *error saying why not. No transaction
// may be open on the connection.
bool WriteAheadLog(sqlite3* db, std::string* error)
{
    const int rc = sqlite3_exec(db, kWriteAheadLog, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        *error = ProvixaInstallation::EngineReason(db, rc);
    return rc == SQLITE_OK;
}

// Rolls back the transaction still open on the connection when it leaves scope: a path that does
// not commit leaves the database as it was.
class RollbackUnlessCommitted
{
public:
    explicit RollbackUnlessCommitted(sqlite3* db) : m_db(db) {}
    ~RollbackUnlessCommitted()
    {
        if (sqlite3_get_autocommit(m_db) == 0)
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    RollbackUnlessCommitted(const RollbackUnlessCommitted&) = delete;
    RollbackUnlessCommitted& operator=(const RollbackUnlessCommitted&) = delete;

private:
    sqlite3* m_db;
};

// The tables the installation added as lists (DDTBL rows with ISLIST 1, or named by a field's
// LISTID) that exist, by name, into *lists; names that are no plain identifier are left out. False
// with *error saying why not.
bool InstallationLists(sqlite3* db, std::vector<std::string>* lists, std::string* error)
{
    std::vector<std::string> names;
    if (!ProvixaInstallation::Execute(db,
                                      "SELECT DISTINCT T.TBLNAME FROM DDTBL T JOIN sqlite_master M ON M.type = 'table' "
                                      "AND M.name = T.TBLNAME COLLATE NOCASE "
                                      "WHERE T.ISLIST = 1 OR EXISTS (SELECT 1 FROM DDFLD F WHERE F.LISTID = T.ID)",
                                      error, &names))
        return false;
    for (const std::string& name : names)
    {
        if (CSqlText::IsValidIdentifier(std::wstring(name.begin(), name.end()), false))
            lists->push_back(name);
    }
    return true;
}

// Brings the stamps of a database made before some of their triggers up to date, inside the
// caller's transaction: every trigger of the embedded schema it lacks, and the list stamp's three
// triggers on each list the installation added (as the schema gives its own lists), so that
// running processes follow writes of those rows too. *added counts the triggers made. False with
// *error saying why not (a table of the schema missing from an older database).
bool UpdateStampTriggers(sqlite3* db, int* added, std::string* error)
{
    constexpr std::string_view kCreate = "CREATE TRIGGER ";
    constexpr std::string_view kEnd = "END;";
    const std::string_view schema = EmbeddedInstallation::SchemaSql();
    std::string script;
    for (std::size_t at = schema.find(kCreate); at != std::string_view::npos; at = schema.find(kCreate, at))
    {
        const std::size_t end = schema.find(kEnd, at);
        if (end == std::string_view::npos)
            break;
        script += "CREATE TRIGGER IF NOT EXISTS ";
        script += schema.substr(at + kCreate.size(), end + kEnd.size() - at - kCreate.size());
        script += "\n";
        at = end;
    }
    std::vector<std::string> lists;
    if (!InstallationLists(db, &lists, error))
        return false;
    for (const std::string& list : lists)
    {
        for (const char* event : {"INSERT", "UPDATE", "DELETE"})
            script += "CREATE TRIGGER IF NOT EXISTS \"" + list + "_" + event[0] + "_LISTS\" AFTER " + event + " ON \"" +
                      list + "\"\n    BEGIN UPDATE RIGHTS_STAMP SET STAMP = random() WHERE STAMPID = 2; END;\n";
    }
    const auto triggers = [db](int* count, std::string* failure) {
        std::vector<std::string> counted;
        if (!ProvixaInstallation::Execute(db, "SELECT COUNT(*) FROM sqlite_master WHERE type = 'trigger'", failure,
                                          &counted))
            return false;
        *count = counted.empty() ? 0 : std::stoi(counted.front());
        return true;
    };
    int before = 0;
    int after = 0;
    if (!triggers(&before, error) || !ProvixaInstallation::Execute(db, script, error) || !triggers(&after, error))
        return false;
    *added = after - before;
    return true;
}

// Brings a home init keeps up to date: its journal mode, the stamp triggers it lacks and its
// segment units' limit defaults. Everything is decided before anything is written: the whole
// update runs first as a trial, rolled back, so that whatever refuses the home refuses it before
// even its journal mode is switched; then again, committed, in one transaction. A home left as it
// is is left whole. True with *report saying what was done; false with *report saying what
// failed and why.
bool UpdateDatabase(const std::filesystem::path& file, std::string* report)
{
    std::string error;
    const ProvixaInstallation::Database db = ProvixaInstallation::OpenDatabase(file, &error);
    if (!db)
    {
        *report = error + "; it is kept as it is";
        return false;
    }
    ProvixaSegmentUnitDefaults units;
    int added = 0;
    // The home is read again inside each transaction, so that nothing written meanwhile is lost.
    const auto update = [&](bool commit) {
        const std::string upgradeRefused = "cannot upgrade the installation database " + file.string() + ": ";
        const std::string stampsRefused =
            "cannot bring the stamps of the installation database " + file.string() + " up to date: ";
        const RollbackUnlessCommitted transaction(db.get());
        // A trial takes the write lock only when it has something to write.
        if (!ProvixaInstallation::Execute(db.get(), commit ? "BEGIN IMMEDIATE" : "BEGIN", &error) ||
            !UpdateStampTriggers(db.get(), &added, &error))
        {
            *report = stampsRefused + error + "; it is kept as it is";
            return false;
        }
        if (!units.Decide(db.get(), &error) || !units.Write(db.get(), &error))
        {
            *report = upgradeRefused + error + "; it is kept as it is";
            return false;
        }
        if (!ProvixaInstallation::Execute(db.get(), commit ? "COMMIT" : "ROLLBACK", &error))
        {
            *report = (units.Due() ? upgradeRefused : stampsRefused) + error + "; it is kept as it is";
            return false;
        }
        return true;
    };
    if (!units.Load(&error))
    {
        *report = "cannot upgrade the installation database " + file.string() + ": " + error + "; it is kept as it is";
        return false;
    }
    if (!update(false))
        return false;
    // A home an older init left in the rollback journal is switched now, while no command of the
    // host holds it: the switch needs the database to itself, and no transaction open.
    if (!WriteAheadLog(db.get(), &error))
    {
        *report = "cannot switch the installation database " + file.string() +
                  " to the journal mode every command uses (a write-ahead log): " + error + "; it is kept as it is";
        return false;
    }
    if (!update(true))
        return false;
    *report += "database kept: " + file.string() + "\n";
    if (units.Due())
        *report += "database upgraded: a segment unit written without limits takes every badge number and level\n";
    if (added > 0)
        *report += "stamp triggers added: " + std::to_string(added) + "\n";
    return true;
}

bool BuildDatabase(const std::filesystem::path& file, std::string* report)
{
    std::error_code exists;
    if (std::filesystem::exists(file, exists))
    {
        std::string error;
        bool foreign = false;
        const std::vector<std::string> unmade = UnmadeSideFiles(file);
        if (!UsableDatabase(file, &error, &foreign))
        {
            // Only a file that is no installation's database is to be moved away: one that
            // cannot be read for now (a full disk, a lock) holds the installation still.
            *report = foreign ? "the file " + file.string() + " is not a usable installation database (" + error +
                                    "): " + kElsewhere
                              : "cannot read the installation database " + file.string() + ": " + error +
                                    "; it is kept as it is" + NoRoomToRead(unmade, error);
            return false;
        }
        return UpdateDatabase(file, report);
    }
    // Built under another name and renamed when complete: a half-built database would be
    // taken for a finished one by the next run. (The demo script keeps its own transaction.)
    std::filesystem::path building = file;
    building += ".building";
    std::error_code ignored;
    std::filesystem::remove(building, ignored);
    std::string error;
    bool built = false;
    {
        sqlite3* raw = nullptr;
        ProvixaHome::CreatePrivateFile(building);
        const int rc = sqlite3_open_v2(building.c_str(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
        SqliteHandle db(raw);
        if (rc != SQLITE_OK)
            error = sqlite3_errstr(rc);
        else
            built = ProvixaInstallation::Execute(db.get(), "BEGIN", &error) &&
                    ProvixaInstallation::Execute(db.get(), EmbeddedInstallation::SchemaSql(), &error) &&
                    ProvixaInstallation::Execute(db.get(), "COMMIT", &error) &&
                    ProvixaInstallation::Execute(db.get(), EmbeddedInstallation::DemoSql(), &error) &&
                    ProvixaInstallation::Execute(db.get(), kWriteAheadLog, &error);
    }
    std::error_code renamed;
    if (built)
        std::filesystem::rename(building, file, renamed);
    if (built && !renamed)
    {
        *report += "database created: " + file.string() + "\n";
        return true;
    }
    std::filesystem::remove(building, ignored);
    *report = "cannot create the database " + file.string() + ": " + (built ? renamed.message() : error);
    return false;
}
}  // namespace

bool ProvixaInstallation::Execute(sqlite3* db, std::string_view sql, std::string* error,
                                  std::vector<std::string>* values)
{
    char* message = nullptr;
    const auto collect = [](void* into, int count, char** row, char**) {
        for (int column = 0; column < count; ++column)
            static_cast<std::vector<std::string>*>(into)->emplace_back(row[column] != nullptr ? row[column] : "");
        return 0;
    };
    const int rc = sqlite3_exec(db, std::string(sql).c_str(), values != nullptr ? +collect : nullptr, values, &message);
    if (rc != SQLITE_OK)
        *error = message != nullptr ? message : sqlite3_errstr(rc);
    sqlite3_free(message);
    return rc == SQLITE_OK;
}

std::string ProvixaInstallation::EngineReason(sqlite3* db, int rc)
{
    const int code = db != nullptr ? sqlite3_extended_errcode(db) : rc;
    const CString cause = CBntDatabase::FailureCause(code, db != nullptr ? sqlite3_system_errno(db) : 0);
    return cause.IsEmpty() ? std::string(db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc))
                           : ProvixaText::ToUtf8(cause.GetString());
}

bool ProvixaInstallation::DatabaseFile(std::filesystem::path* file, std::string* error)
{
    const CString dataSource = CBntDatabase::GetDSNFromINI();
    const std::wstring_view text(dataSource.GetString(), static_cast<std::size_t>(dataSource.GetLength()));
    const std::wstring_view prefix(kSqlitePrefix);
    bool sqlite = text.size() > prefix.size();
    for (std::size_t i = 0; sqlite && i < prefix.size(); ++i)
        sqlite = std::towlower(static_cast<std::wint_t>(text[i])) == static_cast<std::wint_t>(prefix[i]);
    const std::wstring_view path = sqlite ? text.substr(prefix.size()) : std::wstring_view();
    if (!sqlite || path == L":memory:" || path.find(L'\0') != std::wstring_view::npos)
    {
        *error = "the data source of ACS.INI is not a SQLite file: " + ProvixaText::ToUtf8(text);
        return false;
    }
    *file = ProvixaHome::PathOf(path);
    return true;
}

bool ProvixaInstallation::Existing(std::filesystem::path* file, std::string* error)
{
    const std::filesystem::path home = ProvixaHome::Location();
    std::error_code ignored;
    if (!std::filesystem::is_directory(home, ignored))
    {
        *error = "no installation at " + home.string() + ": run 'provixa init' first";
        return false;
    }
    // A home of another account would otherwise look empty.
    if (access(home.c_str(), R_OK | X_OK) != 0)
    {
        *error = "the installation home " + home.string() + " is not readable by this account";
        return false;
    }
    if (!DatabaseFile(file, error))
        return false;
    if (!std::filesystem::exists(*file, ignored))
    {
        *error = "no installation database at " + file->string() + ": run 'provixa init' first";
        return false;
    }
    std::string reason;
    bool foreign = false;
    const std::vector<std::string> unmade = UnmadeSideFiles(*file);
    if (!UsableDatabase(*file, &reason, &foreign))
    {
        *error =
            "cannot read the installation database " + file->string() + ": " + reason +
            (foreign ? std::string("; it is no installation's database: ") + kElsewhere : NoRoomToRead(unmade, reason));
        return false;
    }
    return true;
}

std::string ProvixaInstallation::ReadOnlyReason(const std::filesystem::path& database)
{
    // A database this account may not write is opened read-only: a write would fail deep in the
    // provider with a reason (an ID not generated, a row not written) that hides this one.
    return access(database.c_str(), W_OK) == 0
               ? std::string()
               : "the installation in " + database.parent_path().string() + " is read-only for this account";
}

bool ProvixaInstallation::Create(std::string* report)
{
    report->clear();
    std::error_code created;
    const std::filesystem::path home = ProvixaHome::Folder(&created);
    std::error_code looked;
    if (!std::filesystem::is_directory(home, looked))
    {
        *report = "cannot create " + home.string() + (created ? ": " + created.message() : std::string());
        return false;
    }
    if (access(home.c_str(), R_OK | W_OK | X_OK) != 0)
    {
        *report = "the installation home " + home.string() +
                  " is not readable and writable by this account: " + std::strerror(errno);
        return false;
    }
    // A home made before (or by hand) is made the owner's only too.
    std::filesystem::permissions(home, std::filesystem::perms::owner_all, created);
    *report = "PROVIXA_HOME " + std::filesystem::absolute(home, created).string() + "\n";
    std::filesystem::path database;
    std::string error;
    if (!WriteRegistry(report) || !WriteDataSource(report))
        return false;
    if (!DatabaseFile(&database, &error))
    {
        *report = error;
        return false;
    }
    if (!BuildDatabase(database, report))
        return false;
    // Files an older init left readable by others are closed to them.
    for (const std::filesystem::directory_entry& entry : std::filesystem::directory_iterator(home, created))
    {
        if (entry.is_regular_file(created))
            std::filesystem::permissions(
                entry.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write, created);
    }
    return true;
}

ProvixaInstallation::Database ProvixaInstallation::OpenDatabase(const std::filesystem::path& file, std::string* error)
{
    // Read-write as the provider opens it: read-only may be refused for a database in WAL mode
    // while others write.
    sqlite3* raw = nullptr;
    int rc = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    Database db(raw, sqlite3_close);
    if (rc == SQLITE_OK && sqlite3_db_readonly(db.get(), "main") == 1 &&
        sqlite3_exec(db.get(), "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr) != SQLITE_OK)
    {
        db.reset();
        raw = nullptr;
        rc = sqlite3_open_v2(CBntConnection::ImmutableUri(file.string()).c_str(), &raw,
                             SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr);
        db.reset(raw);
    }
    if (rc != SQLITE_OK)
    {
        *error = "cannot open the database " + file.string() + ": " + EngineReason(db.get(), rc);
        return Database(nullptr, sqlite3_close);
    }
    sqlite3_busy_timeout(db.get(), CBntConnection::kBusyTimeoutMs);
    return db;
}
