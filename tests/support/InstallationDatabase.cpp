#include "tests/support/InstallationDatabase.h"

#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

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

void InstallationDatabase::CreateSchema(const std::filesystem::path& database)
{
    // One transaction, as the host's init does: a statement of its own each would wait for the
    // disk a few hundred times in every test that builds an installation.
    Execute(database, "BEGIN;\n" + SourceText("db/schema.sql") + "\nCOMMIT;\n");
}

void InstallationDatabase::CreateDemo(const std::filesystem::path& database)
{
    CreateSchema(database);
    Execute(database, SourceText("db/demo.sql"));
}
}  // namespace support
