#include "tests/support/InstallationDatabase.h"

#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

namespace support {
std::string InstallationDatabase::SourceText(const std::string& relative)
{
    const char* source = std::getenv("PROVIXA_SOURCE_DIR");
    const std::string root = source != nullptr && *source != '\0' ? source : PROVIXA_BUILD_SOURCE_DIR;
    std::ifstream in(root + "/" + relative);
    // Every test after this would build on an empty installation and fail far from the cause.
    if (!in.good())
    {
        std::fprintf(stderr, "%s not found under %s (set PROVIXA_SOURCE_DIR to the source tree)\n", relative.c_str(),
                     root.c_str());
        std::exit(kMissingSourceExitCode);
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void InstallationDatabase::Execute(const std::filesystem::path& database, const std::string& sql)
{
    const SqliteDatabase db = OpenSqlite(database);
    if (db == nullptr)
        return;
    char* error = nullptr;
    const int rc = sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << (error != nullptr ? error : "");
    sqlite3_free(error);
}

std::string InstallationDatabase::Scalar(const std::filesystem::path& database, const std::string& sql)
{
    const SqliteDatabase db = OpenSqlite(database);
    std::string result;
    if (db == nullptr)
        return result;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), -1, &statement, nullptr) == SQLITE_OK &&
        sqlite3_step(statement) == SQLITE_ROW && sqlite3_column_text(statement, 0) != nullptr)
        result = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return result;
}

bool InstallationDatabase::WriteLockFree(const std::filesystem::path& database)
{
    sqlite3* db = nullptr;
    bool taken = false;
    // No busy timeout: a lock another connection holds answers SQLITE_BUSY at once.
    if (sqlite3_open(database.c_str(), &db) == SQLITE_OK)
    {
        taken = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
        if (taken)
            sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    sqlite3_close(db);
    return taken;
}

namespace {
// The tables' script in one transaction, as the host's init runs it: a statement of its own each
// would wait for the disk a few hundred times in every test that builds an installation.
std::string SchemaScript()
{
    return "BEGIN;\n" + InstallationDatabase::SourceText("db/schema.sql") + "\nCOMMIT;\n";
}

// Building a database from the scripts costs a test process more than most of its tests (a fifth
// of a second under the sanitizers): the first process to build one from given scripts keeps a
// copy in the build folder, and the others copy that. The copy is named by the scripts' text and
// the SQLite library's version, which alone decide what the file holds; a copy of other scripts
// of the same kind is removed when a new one is kept, so edits of the scripts do not pile up.
void CreateFromScripts(const std::filesystem::path& database, const std::string& kind,
                       const std::vector<std::string>& scripts)
{
    std::error_code error;
    std::size_t key = std::hash<std::string_view>()(sqlite3_libversion());
    for (const std::string& script : scripts)
        key = key * 31 + std::hash<std::string>()(script);
    const std::filesystem::path kept =
        std::filesystem::path(PROVIXA_TEST_DATABASES_DIR) / (kind + "-" + std::to_string(key) + ".db");
    // Onto a database that is already there the scripts run as they always did.
    if (std::filesystem::exists(database, error))
    {
        for (const std::string& script : scripts)
            InstallationDatabase::Execute(database, script);
        return;
    }
    if (std::filesystem::copy_file(kept, database, error))
        return;
    for (const std::string& script : scripts)
        InstallationDatabase::Execute(database, script);
    if (::testing::Test::HasFailure())
        return;
    // Copied under a name of this process's own and renamed, so that no process copies a half-written one.
    std::filesystem::create_directories(kept.parent_path(), error);
    std::filesystem::path building = kept;
    building += "." + std::to_string(::getpid());
    if (!std::filesystem::copy_file(database, building, std::filesystem::copy_options::overwrite_existing, error))
        return;
    std::filesystem::rename(building, kept, error);
    for (const auto& entry : std::filesystem::directory_iterator(kept.parent_path(), error))
    {
        const std::string name = entry.path().filename().string();
        if (name.starts_with(kind + "-") && entry.path().extension() == ".db" && entry.path() != kept)
            std::filesystem::remove(entry.path(), error);
    }
}
}  // namespace

void InstallationDatabase::CreateSchema(const std::filesystem::path& database)
{
    CreateFromScripts(database, "schema", {SchemaScript()});
}

void InstallationDatabase::CreateDemo(const std::filesystem::path& database)
{
    CreateFromScripts(database, "demo", {SchemaScript(), SourceText("db/demo.sql")});
}
}  // namespace support
