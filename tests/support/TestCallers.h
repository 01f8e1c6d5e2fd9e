// TestCallers: every caller the test programs log in as besides the demo installation's own, in
// one table (TestCallers.cpp): its Windows SID, system user, account, permission groups and
// segments. Each caller has one SID and one user wherever it is used; a program picks the
// callers its tests need by their SIDs and writes them into its installation's database with
// the SQL that Sql answers. Static and read-only: safe on any thread, and usable while static
// objects are constructed (the table is built on first use).
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <vector>

namespace support {
// The callers by their SIDs. Unless said otherwise a caller may use the provider.
namespace callers {
// The demo installation's own operator (db/demo.sql, user 1): may view panels, readers,
// cardholders, visitors and the event history, not the event configuration or the calendar;
// segments 1 and 2. Written by the demo script, not by the table.
inline constexpr wchar_t kOperator[] = L"S-1-5-21-1004336348-1177238915-682003330-1001";
// Linked to no system user.
inline constexpr wchar_t kStranger[] = L"S-1-5-21-1004336348-1177238915-682003330-2999";

// A second account of the system administrator (the demo's user -1): every permission, every
// segment.
inline constexpr wchar_t kAdministrator[] = L"S-1-5-21-1004336348-1177238915-682003330-2000";
// All segments; may view the event configuration and the calendar.
inline constexpr wchar_t kViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-2001";
// Segments 1 and 2 only; may view the calendar, not the event configuration.
inline constexpr wchar_t kClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-2002";
// Holds both view rights of the viewer but not the right to use the provider.
inline constexpr wchar_t kGuest[] = L"S-1-5-21-1004336348-1177238915-682003330-2003";
// May write logical devices, in segment 1 only.
inline constexpr wchar_t kInstaller[] = L"S-1-5-21-1004336348-1177238915-682003330-2004";
// May view readers and mask (not unmask) their inputs.
inline constexpr wchar_t kMasker[] = L"S-1-5-21-1004336348-1177238915-682003330-2005";
// May view every device class and read device status (which some commands need too), and
// command nothing else.
inline constexpr wchar_t kOnlooker[] = L"S-1-5-21-1004336348-1177238915-682003330-2006";
// May only read device status.
inline constexpr wchar_t kStatusReader[] = L"S-1-5-21-1004336348-1177238915-682003330-2007";
// May view panels and readers, and command nothing.
inline constexpr wchar_t kLooker[] = L"S-1-5-21-1004336348-1177238915-682003330-2008";

// Every permission, segment 3 ("Lab", made by the program that uses it); logs in on the bus
// with the demo operator's password.
inline constexpr wchar_t kLab[] = L"S-1-5-21-1004336348-1177238915-682003330-2031";
// The same as kLab in every segment; logs in on the bus as "busadmin".
inline constexpr wchar_t kBusAdministrator[] = L"S-1-5-21-1004336348-1177238915-682003330-2060";
// The same as kLab in segment 4 ("Empty").
inline constexpr wchar_t kEmpty[] = L"S-1-5-21-1004336348-1177238915-682003330-2041";
// Every permission, segment 1 (Headquarters) only.
inline constexpr wchar_t kHeadquartersChief[] = L"S-1-5-21-1004336348-1177238915-682003330-2051";
// Segment 1 only; the user rights of the level clerk's system group (81) and its card group (82),
// no monitoring group, report group 301 and field group 401 (the program writes those two), and
// no administrator group.
inline constexpr wchar_t kUserManager[] = L"S-1-5-21-1004336348-1177238915-682003330-2052";
// The demo operator's system permission group (mostly view rights) in segment 4 ("Empty") only;
// logs in on the bus with the demo operator's password.
inline constexpr wchar_t kEmptyViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-2043";
// The same as kEmpty, written by the owner sweep once it has turned every person, visitor and
// badge-type segmentation on; logs in on the bus with the demo operator's password.
inline constexpr wchar_t kLateSweep[] = L"S-1-5-21-1004336348-1177238915-682003330-2044";
// The same as kEmpty, written once cardholder segmentation is on and visitor segmentation off.
inline constexpr wchar_t kKindSweep[] = L"S-1-5-21-1004336348-1177238915-682003330-2045";

// All segments; every person, account, multimedia and secondary-segment right, and may view
// directories.
inline constexpr wchar_t kRecordsAdmin[] = L"S-1-5-21-1004336348-1177238915-682003330-3001";
// The rights of kRecordsAdmin, segment 1 (Headquarters) only.
inline constexpr wchar_t kHeadquartersClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3002";
// All segments; may view visitors and accounts only (and directories).
inline constexpr wchar_t kVisitorClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3003";
// All segments; may view persons and accounts (and directories), change nothing.
inline constexpr wchar_t kRecordsViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3004";
// Segment 1; may view directories, nothing of persons.
inline constexpr wchar_t kNobody[] = L"S-1-5-21-1004336348-1177238915-682003330-3005";
// All segments; may view visitors and directories, and holds the first but not the second
// right that viewing cardholders takes.
inline constexpr wchar_t kHalfViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3006";

// Every access level, assignment and user right; manages no level.
inline constexpr wchar_t kLevelClerk[] = L"S-1-5-21-1004336348-1177238915-682003330-3101";
// May view levels; nothing else, manages no level.
inline constexpr wchar_t kLevelViewer[] = L"S-1-5-21-1004336348-1177238915-682003330-3102";
// May view levels and assignments but holds no right to assign: assigns only the levels it
// manages (USERS_ACCESSLEVEL_LINK, written by the program), and only those it manages with more
// than view rights.
inline constexpr wchar_t kLevelManager[] = L"S-1-5-21-1004336348-1177238915-682003330-3103";

// May view readers; lacks the right to use the provider.
inline constexpr wchar_t kNoProvider[] = L"S-1-5-21-1004336348-1177238915-682003330-1006";
// Holds the right to use the provider alone.
inline constexpr wchar_t kProviderOnly[] = L"S-1-5-21-1004336348-1177238915-682003330-1004";
// The demo operator's rights in segment 2 only.
inline constexpr wchar_t kDock[] = L"S-1-5-21-1004336348-1177238915-682003330-1005";
// The demo operator's rights in every segment.
inline constexpr wchar_t kWatch[] = L"S-1-5-21-1004336348-1177238915-682003330-1007";
}  // namespace callers

// A permission group of the table; the demo's groups (1 to 3, 90 to 92) are not in it.
struct TestPermissionGroup
{
    LONG id = 0;
    const char* name = "";
    // USER_PERM.TYPE: 1 system, 2 cardholder, 3 monitoring.
    int type = 1;
    std::vector<DWORD> grants = {};
    // Grants every permission of its type as well (the 1024 ids from type << 28 on).
    bool everyPermission = false;
};

// A caller of the table.
struct TestCaller
{
    static constexpr LONG kDemoAdministrator = -1;

    const wchar_t* sid = nullptr;
    // Its system user: USERS.USERID. kDemoAdministrator names the demo's own, which is not
    // written again: only the account is.
    LONG userId = 0;
    const char* logon = "";
    const char* firstName = "";
    const char* lastName = "";
    LONG accountId = 0;
    // Its primary segment (-1: all), and the further segments it is linked to.
    LONG segment = -1;
    std::vector<LONG> moreSegments = {};
    // USERS.SYSTEM_USER_PERMID, MONITOR_USER_PERMID and CARD_USER_PERMID (0: none).
    LONG systemGroup = 0;
    LONG monitorGroup = 0;
    LONG cardGroup = 0;
    // USERS.REPORT_USER_PERMID and USER_PERM_UDFID (0: none).
    LONG reportGroup = 0;
    LONG fieldGroup = 0;
    // Logs in with the demo operator's password (by logon, as the bus does); else none.
    bool demoPassword = false;
};

class TestCallers
{
public:
    TestCallers() = delete;

    // The whole table, and its permission groups.
    static const std::vector<TestCaller>& All();
    static const std::vector<TestPermissionGroup>& Groups();
    // The caller of the SID; fails the calling test and answers null when the table has none.
    static const TestCaller* Find(const wchar_t* sid);
    // The SQL that writes the callers of the SIDs, their accounts, segment links and the groups
    // they hold; a row that is there already is left as it is, so writing twice changes nothing.
    // An SID not in the table fails the calling test and writes nothing for it.
    static std::string Sql(const std::vector<const wchar_t*>& sids);
};
}  // namespace support
