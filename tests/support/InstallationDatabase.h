// The installation database of a test, as a file: built from the repository's db/schema.sql
// (and db/demo.sql for the demo installation), found through PROVIXA_SOURCE_DIR, else in the
// source tree the build was made from (a new database is copied from one the scripts built before
// in the build folder, kept by the first test process that built it). Static helpers only; each
// call opens and closes its own connection, so they are safe on any thread as SQLite allows.
#pragma once

#include <filesystem>
#include <string>

namespace support {
class InstallationDatabase
{
public:
    InstallationDatabase() = delete;

    // The exit status of a test program that misses a file of the repository.
    static constexpr int kMissingSourceExitCode = 3;

    // The text of a file of the repository. A missing file ends the program with a message
    // naming it and kMissingSourceExitCode: nothing a test builds on it would mean anything.
    static std::string SourceText(const std::string& relative);
    // Runs SQL text (several statements allowed) on the database file, creating it when new;
    // fails the calling test on an error.
    static void Execute(const std::filesystem::path& database, const std::string& sql);
    // The first column of the first row of a query on the database file, as text ("" when there
    // is no row, the value is NULL or the query cannot run).
    static std::string Scalar(const std::filesystem::path& database, const std::string& sql);
    // Whether a connection of its own takes the database's write lock at once (BEGIN IMMEDIATE
    // without waiting), and lets it go again: false while another connection holds it.
    static bool WriteLockFree(const std::filesystem::path& database);
    // Creates the installation's tables, empty.
    static void CreateSchema(const std::filesystem::path& database);
    // Creates the installation's tables holding the demo data.
    static void CreateDemo(const std::filesystem::path& database);
};
}  // namespace support
