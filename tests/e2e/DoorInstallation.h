// DoorInstallation: the installation the end-to-end tests of the WMI door run against, one per
// test program: a temporary PROVIXA_HOME set up by the host's own `provixa init` code
// (ProvixaInstallation: registry.ini, ACS.INI, the demo database from the embedded schema and
// demo scripts), plus the callers the tests need, each linked to a Windows SID. The library's
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

#include <filesystem>
#include <string>
#include <vector>

namespace e2e {
using Row = std::vector<std::string>;
using Table = std::vector<Row>;

// The callers of the tests, by their Windows SID.
struct Callers
{
    // The demo operator: may use the provider, may not view the event configuration or the
    // calendar.
    static constexpr wchar_t kOperator[] = L"S-1-5-21-1004336348-1177238915-682003330-1001";
    // Linked to the system administrator: every permission, every segment.
    static constexpr wchar_t kAdministrator[] = L"S-1-5-21-1004336348-1177238915-682003330-2000";
    // All segments; may use the provider and view the event configuration and the calendar.
    static constexpr wchar_t kViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-2001";
    // Segments 1 and 2 only; may use the provider and view the calendar, not the events.
    static constexpr wchar_t kClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-2002";
    // Holds both view rights but not the right to use the provider.
    static constexpr wchar_t kGuest[] = L"S-1-5-21-1004336348-1177238915-682003330-2003";
    // May use the provider and write logical devices, in segment 1 only.
    static constexpr wchar_t kInstaller[] = L"S-1-5-21-1004336348-1177238915-682003330-2004";
    // Linked to no system user.
    static constexpr wchar_t kStranger[] = L"S-1-5-21-1004336348-1177238915-682003330-2999";
};

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
};
}  // namespace e2e
