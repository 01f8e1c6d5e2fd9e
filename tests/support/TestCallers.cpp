#include "tests/support/TestCallers.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <set>
#include <sstream>

namespace support {
namespace {
constexpr DWORD kUseProvider = 0x100000D0;
// How many permission ids a type's "every permission" group grants.
constexpr DWORD kPermissionsPerType = 1024;

std::string Narrow(const wchar_t* text)
{
    std::string narrow;
    for (; *text != L'\0'; ++text)
        narrow += static_cast<char>(*text);
    return narrow;
}

std::string Hex(DWORD value)
{
    std::ostringstream text;
    text << "0x" << std::hex << std::uppercase << value;
    return text.str();
}

void WriteGroup(std::ostringstream& sql, const TestPermissionGroup& group)
{
    sql << "INSERT OR IGNORE INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES ("
        << group.id << ", '" << group.name << "', -1, " << group.type << ", 0);\n";
    if (!group.grants.empty())
    {
        sql << "INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES ";
        for (std::size_t i = 0; i < group.grants.size(); ++i)
            sql << (i == 0 ? "" : ", ") << "(" << group.id << ", " << Hex(group.grants[i]) << ")";
        sql << ";\n";
    }
    if (group.everyPermission)
        sql << "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " << kPermissionsPerType - 1
            << ")\nINSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) SELECT " << group.id << ", "
            << Hex(static_cast<DWORD>(group.type) << 28) << " + i FROM n;\n";
}

void WriteCaller(std::ostringstream& sql, const TestCaller& caller)
{
    if (caller.userId != TestCaller::kDemoAdministrator)
    {
        sql << "INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, "
               "ISENABLED, SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, "
               "USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES ("
            << caller.userId << ", '" << caller.logon << "', '" << caller.firstName << "', '" << caller.lastName
            << "', " << caller.segment << ", 0, "
            << (caller.demoPassword ? "(SELECT LOGONPWD FROM USERS WHERE USERID = 1)" : "NULL") << ", 1, "
            << caller.systemGroup << ", " << caller.monitorGroup << ", " << caller.cardGroup << ", "
            << caller.reportGroup << ", " << caller.fieldGroup << ", NULL, NULL, NULL, 0, 1);\n";
        for (const LONG segment : caller.moreSegments)
            sql << "INSERT OR IGNORE INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (" << caller.userId << ", "
                << segment << ");\n";
    }
    sql << "INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES ("
        << caller.accountId << ", " << caller.userId << ", 1, '" << Narrow(caller.sid) << "');\n";
}
}  // namespace

const std::vector<TestPermissionGroup>& TestCallers::Groups()
{
    static const std::vector<TestPermissionGroup> groups = {
        {.id = 43, .name = "No provider", .grants = {0x10000003}},
        {.id = 44, .name = "Provider only", .grants = {kUseProvider}},

        {.id = 51, .name = "E2E viewers", .grants = {kUseProvider, 0x10000017, 0x10000011}},
        {.id = 52, .name = "E2E calendar clerks", .grants = {kUseProvider, 0x10000011}},
        {.id = 53, .name = "E2E guests", .grants = {0x10000017, 0x10000011}},
        {.id = 54, .name = "E2E installers", .grants = {kUseProvider, 0x1000010C, 0x1000010D, 0x1000010E, 0x1000010F}},
        {.id = 55, .name = "E2E maskers", .grants = {kUseProvider, 0x10000003, 0x30000015}},
        {.id = 56,
         .name = "E2E onlookers",
         .grants = {kUseProvider, 0x10000000, 0x10000003, 0x1000006D, 0x100000EA, 0x100000ED, 0x100000EE, 0x100000F0,
                    0x100000F2, 0x10000131, 0x10000042, 0x30000011}},
        {.id = 57, .name = "E2E status readers", .grants = {kUseProvider, 0x30000011}},
        {.id = 58, .name = "E2E lookers", .grants = {kUseProvider, 0x10000000, 0x10000003}},

        {.id = 61,
         .name = "Records: persons",
         .type = 2,
         .grants = {0x20000003, 0x20000057, 0x20000023, 0x20000004, 0x20000005, 0x20000009, 0x20000024, 0x20000025,
                    0x20000026, 0x20000045, 0x20000046, 0x20000049, 0x2000004A}},
        {.id = 62, .name = "Records: visitors", .type = 2, .grants = {0x20000023, 0x20000049}},
        {.id = 63, .name = "Records: provider", .grants = {kUseProvider, 0x100000BB}},
        {.id = 64,
         .name = "Records: view only",
         .type = 2,
         .grants = {0x20000003, 0x20000057, 0x20000023, 0x20000049, 0x20000045}},
        {.id = 65, .name = "Records: none", .type = 2},
        {.id = 66, .name = "Records: half view", .type = 2, .grants = {0x20000003, 0x20000023}},

        {.id = 71, .name = "Isolation system", .everyPermission = true},
        {.id = 72, .name = "Isolation cards", .type = 2, .everyPermission = true},
        {.id = 73, .name = "Isolation monitoring", .type = 3, .everyPermission = true},

        {.id = 81,
         .name = "Access: system",
         .grants = {kUseProvider, 0x1000000B, 0x1000000C, 0x1000000D, 0x1000001E, 0x1000000E, 0x1000000F, 0x10000010,
                    0x1000001D, 0x10000014, 0x10000016, 0x10000031, 0x1000013E}},
        {.id = 82, .name = "Access: cards", .type = 2, .grants = {0x20000000, 0x20000002}},
        {.id = 83, .name = "Access: viewer", .grants = {kUseProvider, 0x1000000B}},
        {.id = 85, .name = "Access: assignment viewer", .type = 2, .grants = {0x20000000}},
    };
    return groups;
}

const std::vector<TestCaller>& TestCallers::All()
{
    using namespace callers;
    // Group 1 is the demo operator's system group.
    static const std::vector<TestCaller> all = {
        {.sid = kNoProvider,
         .userId = 6,
         .logon = "noright",
         .firstName = "Nora",
         .lastName = "None",
         .accountId = 6,
         .systemGroup = 43},
        {.sid = kProviderOnly,
         .userId = 4,
         .logon = "provider",
         .firstName = "Pia",
         .lastName = "Provider",
         .accountId = 4,
         .systemGroup = 44},
        {.sid = kDock,
         .userId = 5,
         .logon = "dock",
         .firstName = "Dora",
         .lastName = "Dock",
         .accountId = 5,
         .segment = 2,
         .systemGroup = 1},
        {.sid = kWatch,
         .userId = 7,
         .logon = "watch",
         .firstName = "Walt",
         .lastName = "Watch",
         .accountId = 7,
         .systemGroup = 1},

        {.sid = kAdministrator, .userId = TestCaller::kDemoAdministrator, .accountId = 10},
        {.sid = kViewer,
         .userId = 11,
         .logon = "viewer",
         .firstName = "Vera",
         .lastName = "Viewer",
         .accountId = 11,
         .systemGroup = 51},
        {.sid = kClerk,
         .userId = 12,
         .logon = "clerk",
         .firstName = "Carl",
         .lastName = "Clerk",
         .accountId = 12,
         .segment = 1,
         .moreSegments = {2},
         .systemGroup = 52},
        {.sid = kGuest,
         .userId = 13,
         .logon = "guest",
         .firstName = "Gus",
         .lastName = "Guest",
         .accountId = 13,
         .systemGroup = 53},
        {.sid = kInstaller,
         .userId = 14,
         .logon = "installer",
         .firstName = "Ines",
         .lastName = "Installer",
         .accountId = 14,
         .segment = 1,
         .systemGroup = 54},
        {.sid = kMasker,
         .userId = 15,
         .logon = "masker",
         .firstName = "Max",
         .lastName = "Masker",
         .accountId = 15,
         .systemGroup = 55},
        {.sid = kOnlooker,
         .userId = 16,
         .logon = "onlooker",
         .firstName = "Ona",
         .lastName = "Onlooker",
         .accountId = 16,
         .systemGroup = 56},
        {.sid = kStatusReader,
         .userId = 17,
         .logon = "statusreader",
         .firstName = "Stu",
         .lastName = "Status",
         .accountId = 17,
         .systemGroup = 57},
        {.sid = kLooker,
         .userId = 18,
         .logon = "looker",
         .firstName = "Lou",
         .lastName = "Looker",
         .accountId = 18,
         .systemGroup = 58},

        {.sid = kRecordsAdmin,
         .userId = 21,
         .logon = "recordsadmin",
         .firstName = "Rita",
         .lastName = "Records",
         .accountId = 21,
         .systemGroup = 63,
         .cardGroup = 61},
        {.sid = kHeadquartersClerk,
         .userId = 22,
         .logon = "hqclerk",
         .firstName = "Hugo",
         .lastName = "Quarters",
         .accountId = 22,
         .segment = 1,
         .systemGroup = 63,
         .cardGroup = 61},
        {.sid = kVisitorClerk,
         .userId = 23,
         .logon = "visitorclerk",
         .firstName = "Vic",
         .lastName = "Clerk",
         .accountId = 23,
         .systemGroup = 63,
         .cardGroup = 62},
        {.sid = kRecordsViewer,
         .userId = 24,
         .logon = "recordsviewer",
         .firstName = "Val",
         .lastName = "Viewer",
         .accountId = 24,
         .systemGroup = 63,
         .cardGroup = 64},
        {.sid = kNobody,
         .userId = 25,
         .logon = "recordsnobody",
         .firstName = "Nils",
         .lastName = "Nobody",
         .accountId = 25,
         .segment = 1,
         .systemGroup = 63,
         .cardGroup = 65},
        {.sid = kHalfViewer,
         .userId = 26,
         .logon = "recordshalf",
         .firstName = "Hal",
         .lastName = "Half",
         .accountId = 26,
         .systemGroup = 63,
         .cardGroup = 66},

        {.sid = kLevelClerk,
         .userId = 31,
         .logon = "levelclerk",
         .firstName = "Lena",
         .lastName = "Clerk",
         .accountId = 31,
         .systemGroup = 81,
         .cardGroup = 82},
        {.sid = kLevelViewer,
         .userId = 32,
         .logon = "levelviewer",
         .firstName = "Leo",
         .lastName = "Viewer",
         .accountId = 32,
         .systemGroup = 83},
        {.sid = kLevelManager,
         .userId = 33,
         .logon = "levelmanager",
         .firstName = "Lara",
         .lastName = "Manager",
         .accountId = 33,
         .systemGroup = 83,
         .cardGroup = 85},

        {.sid = kLab,
         .userId = 36,
         .logon = "lab",
         .firstName = "Lara",
         .lastName = "Lab",
         .accountId = 36,
         .segment = 3,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72,
         .demoPassword = true},
        {.sid = kBusAdministrator,
         .userId = 60,
         .logon = "busadmin",
         .firstName = "Bert",
         .lastName = "Admin",
         .accountId = 60,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72,
         .demoPassword = true},
        {.sid = kEmpty,
         .userId = 46,
         .logon = "empty",
         .firstName = "Emil",
         .lastName = "Empty",
         .accountId = 46,
         .segment = 4,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72,
         .demoPassword = true},
        {.sid = kLateSweep,
         .userId = 49,
         .logon = "sweep",
         .firstName = "Sven",
         .lastName = "Sweep",
         .accountId = 49,
         .segment = 4,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72,
         .demoPassword = true},
        {.sid = kKindSweep,
         .userId = 50,
         .logon = "kindsweep",
         .firstName = "Kim",
         .lastName = "Sweep",
         .accountId = 50,
         .segment = 4,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72,
         .demoPassword = true},
        {.sid = kEmptyViewer,
         .userId = 48,
         .logon = "emptyview",
         .firstName = "Vera",
         .lastName = "Empty",
         .accountId = 48,
         .segment = 4,
         .systemGroup = 1,
         .demoPassword = true},
        {.sid = kHeadquartersChief,
         .userId = 51,
         .logon = "hqchief",
         .firstName = "Hilda",
         .lastName = "Chief",
         .accountId = 51,
         .segment = 1,
         .systemGroup = 71,
         .monitorGroup = 73,
         .cardGroup = 72},
        {.sid = kUserManager,
         .userId = 52,
         .logon = "usermanager",
         .firstName = "Uma",
         .lastName = "Manager",
         .accountId = 52,
         .segment = 1,
         .systemGroup = 81,
         .cardGroup = 82,
         .reportGroup = 301,
         .fieldGroup = 401},
    };
    return all;
}

const TestCaller* TestCallers::Find(const wchar_t* sid)
{
    for (const TestCaller& caller : All())
        if (std::wcscmp(caller.sid, sid) == 0)
            return &caller;
    ADD_FAILURE() << Narrow(sid) << " is not a caller of the table";
    return nullptr;
}

std::string TestCallers::Sql(const std::vector<const wchar_t*>& sids)
{
    std::vector<const TestCaller*> picked;
    std::set<LONG> held;
    for (const wchar_t* sid : sids)
        if (const TestCaller* caller = Find(sid))
        {
            picked.push_back(caller);
            held.insert({caller->systemGroup, caller->monitorGroup, caller->cardGroup});
        }
    std::ostringstream sql;
    for (const TestPermissionGroup& group : Groups())
        if (held.contains(group.id))
            WriteGroup(sql, group);
    for (const TestCaller* caller : picked)
        WriteCaller(sql, *caller);
    return sql.str();
}
}  // namespace support
