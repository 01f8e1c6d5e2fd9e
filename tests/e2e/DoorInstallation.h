// DoorInstallation: the installation the end-to-end tests of the WMI door run against, one per
// test program: a temporary PROVIXA_HOME set up by the host's own `provixa init` code
// (ProvixaInstallation: registry.ini, ACS.INI, the demo database from the embedded schema and
// demo scripts), plus the callers the tests need (support::TestCallers). The library's
// application object keeps its database connections for the whole process, so the database
// is made once and the tests never change it (the write tests check that nothing changed).
//
// Also reads the database directly, so that tests can compare what the door answers with
// plain SQL on the same rows.
//
// Built by the gtest environment before the first test and removed after the last; the
// static readers are safe on any thread (each opens its own read-only connection).
#pragma once

#include "platform/win32/WinTypes.h"
#include "tests/support/TestCallers.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace e2e {
using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// The callers of the tests, by their Windows SID: the demo operator and, written by the
// installation, the administrator, viewer, clerk, guest and installer of support::TestCallers.
namespace Callers = support::callers;

// The permission numbers the tests grant or withhold.
constexpr DWORD kUseProviderPermission = 0x100000D0;
constexpr DWORD kViewEventConfigurationPermission = 0x10000017;
constexpr DWORD kViewCalendarPermission = 0x10000011;

class DoorInstallation
{
public:
    DoorInstallation() = delete;

    // The home folder and the database file of the installation.
    static std::filesystem::path Home();
    static std::filesystem::path DatabaseFile();

    // The rows of a query on the installation's database, each value as text ("<null>" for
    // NULL); the parameters are bound as text in order. A query that cannot run fails the
    // calling test and answers no rows.
    static Table Rows(const std::string& sql, const std::vector<std::string>& parameters = {});
    // Every row of the table in a fixed order (all columns), for before/after comparisons.
    static Table Snapshot(const std::string& table);
    // The snapshot of every table of the database, in the order of their names.
    static std::vector<Table> WholeDatabase();
    // One row per table of the database but those left out, in the order of their names: the
    // name and every row of the table as one text (each value quoted as SQL writes it, the rows
    // in order), made by SQLite in one statement. For before/after comparisons where what
    // WholeDatabase reads would cost too much.
    static Table Digest(const std::set<std::string>& leftOut = {});
};
}  // namespace e2e
