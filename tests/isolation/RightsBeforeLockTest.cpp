// A caller's right withdrawn while its write waits for the write lock: the write frame compares
// the caller's stored rights under the lock, so the write answers what a request starting after
// the withdrawal answers (its refusal, code and text), writes nothing and calls no server. The
// withdrawal is made by the frame's test hook, on a connection of its own, at the last moment
// another writer can act. One table of withdrawals over the framework's put, a mapper's own put,
// a delete and the writing methods on both doors, and one grant made at the same moment, which
// the write then uses.
#include "framework/CWmipWriteFrame.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/isolation/NamedRecordSweep.h"
#include "tests/roads/RoadReasons.h"
#include "tests/roads/ServerCalls.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/IntegerArray.h"
#include "tests/support/TestCallers.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
constexpr wchar_t kRacer[] = L"S-1-5-21-1004336348-1177238915-682003330-2067";
constexpr char kRacerLogin[] = "racer";

// Persons, visitors and badge types segmented. The racer (user 67): every right (the isolation
// groups 71 to 73), Headquarters, its own field group; it signs in on the bus with the demo
// operator's password. The segment group 11 holds the Warehouse. In the Warehouse, through
// person 8: badge 67 holding level 67, and a request for level 68 (both levels Headquarters').
constexpr char kRacerRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);
INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME, SEGMENTID) VALUES (67, 'Racer fields', -1);
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED, SYSTEM_USER_PERMID,
                   MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, CREATED, LASTCHANGED,
                   NOTES, IS_AUTO_CREATED_USER, BNT_DBID)
    SELECT 67, 'racer', 'Rita', 'Racer', 1, 1, LOGONPWD, 1, 71, 73, 72, 0, 67, CREATED, LASTCHANGED, 'Races writes',
           0, 1 FROM USERS WHERE USERID = 1;
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID)
    VALUES (67, 67, 1, 'S-1-5-21-1004336348-1177238915-682003330-2067');
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (11, 'Dock group', 1);
INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (11, 2);
INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD, FIRST_CARD_UNLOCK)
    VALUES (67, 'Dock nights', 1, 1, 0, 1, 0), (68, 'Dock weekends', 1, 1, 0, 1, 0);
INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, USELIMIT, LASTCHANGED)
    VALUES (67, 100067, 0, 1, 1, 8, '2024-01-02 00:00:00', '2030-12-31 23:59:59', NULL, '2024-01-02 09:00:00');
INSERT INTO BADGELINK (BADGEKEY, ACCLVLID, ACTIVATE, DEACTIVATE) VALUES (67, 67, NULL, NULL);
INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_DATE, SUBMITTED_USERID, SUBMITTED_NOTE, READERID,
                            PANELID) VALUES (67, 1, 8, 68, '2024-02-01 09:00:00', 1, 'Dock weekends', 0, 0);
)";

constexpr wchar_t kRightsAnsweredAnew[] = L"The caller's rights changed while the write waited; it is answered anew.";
constexpr char kWarehouseLink[] = "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (67, 2)";
constexpr char kNoWarehouseLink[] = "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 67 AND SEGMENTID = 2";

// A request of the racer.
struct RacerRoad
{
    std::string name;
    std::function<std::string()> request;
    // Whether person segmentation decides it (a panel's segment is its own), and whether it
    // writes a field of the person.
    bool throughPerson = true;
    bool writesField = false;
    bool bus = false;
};

// A right the racer holds to reach the Warehouse records, taken away and given back.
struct Withdrawal
{
    std::string name;
    std::string grant;
    std::string withdraw;
    std::string restore;
    std::string ungrant;
    bool appliesTo(const RacerRoad& road) const
    {
        if (name == "person segmentation switched on")
            return road.throughPerson;
        if (name == "field edit right")
            return road.writesField;
        if (name == "account unlinked")
            return !road.bus;  // a bus sign-in by name goes through no account
        return true;
    }
};

const std::vector<Withdrawal>& Withdrawals()
{
    static const std::vector<Withdrawal> withdrawals = {
        {"secondary segment", kWarehouseLink, kNoWarehouseLink, kWarehouseLink, kNoWarehouseLink},
        {"segment group's unit", "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (67, 11)",
         "DELETE FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = 11 AND SEGMENTID_MEMBER = 2",
         "INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (11, 2)",
         "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 67 AND SEGMENTID = 11"},
        {"primary segment",
         "UPDATE USERS SET SEGMENTID = 2 WHERE USERID = 67;"
         "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (67, 1)",
         "UPDATE USERS SET SEGMENTID = 1 WHERE USERID = 67", "UPDATE USERS SET SEGMENTID = 2 WHERE USERID = 67",
         "UPDATE USERS SET SEGMENTID = 1 WHERE USERID = 67;"
         "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 67 AND SEGMENTID = 1"},
        // The groups of a user who may use the provider and do nothing else.
        {"permission groups", kWarehouseLink,
         "UPDATE USERS SET SYSTEM_USER_PERMID = 44, CARD_USER_PERMID = 0, MONITOR_USER_PERMID = 0 WHERE USERID = 67",
         "UPDATE USERS SET SYSTEM_USER_PERMID = 71, CARD_USER_PERMID = 72, MONITOR_USER_PERMID = 73 WHERE USERID = 67",
         kNoWarehouseLink},
        {"user disabled", kWarehouseLink, "UPDATE USERS SET ISENABLED = 0 WHERE USERID = 67",
         "UPDATE USERS SET ISENABLED = 1 WHERE USERID = 67", kNoWarehouseLink},
        {"account unlinked", kWarehouseLink, "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 67",
         "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) "
         "VALUES (67, 67, 1, 'S-1-5-21-1004336348-1177238915-682003330-2067')",
         kNoWarehouseLink},
        {"person segmentation switched on", "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003",
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003",
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003",
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003"},
        {"field edit right", kWarehouseLink,
         "INSERT INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW, CANEDIT) VALUES (67, 7, 1, 0)",
         "DELETE FROM USER_PERM_UDF_FIELD WHERE USER_PERM_UDFID = 67", kNoWarehouseLink},
    };
    return withdrawals;
}

void PrintTo(const Withdrawal& withdrawal, std::ostream* out)
{
    *out << withdrawal.name;
}

// The withdrawal's name as a test's: "segment group's unit" is SegmentGroupsUnit.
std::string TestName(const ::testing::TestParamInfo<Withdrawal>& info)
{
    std::string name;
    bool upper = true;
    for (const char c : info.param.name)
    {
        if (std::isalnum(static_cast<unsigned char>(c)))
            name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        upper = c == ' ';
    }
    return name;
}

// Each withdrawal is a test of its own (a process of its own under CTest); each suite writes its
// rows on the installation as the program puts it back for every suite (SuiteInstallation.cpp).
class RightsBeforeLock : public DoorTest, public ::testing::WithParamInterface<Withdrawal>
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            support::TestCallers::Sql({Callers::kHeadquartersChief, Callers::kProviderOnly}) + kRacerRows);
    }

    static void Apply(const std::string& sql)
    {
        if (!sql.empty())
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql);
    }

    // Every table but the rights stamp, whose value a withdrawal and its undoing set anew.
    static Table Stored() { return DoorInstallation::Digest({"RIGHTS_STAMP"}); }

    // The servers' recorded calls (TakeServerCalls); then cleared.
    std::vector<std::string> TakeServerCalls() { return isolation::TakeServerCalls(m_servers); }

    std::string WmiMethod(const std::wstring& path, const std::wstring& method, const NamedValues& values)
    {
        CallAs(Callers::kAdministrator);
        std::vector<std::pair<const wchar_t*, _variant_t>> given;
        for (const auto& [name, value] : values)
            given.emplace_back(name.c_str(), value);
        const std::wstring className = path.substr(0, path.find(L'.'));
        const ComPtr<IWbemClassObject> in = given.empty() ? nullptr : MethodParameters(className, method, given);
        CallAs(kRacer);
        return Answer(Exec(Form::Sync, path, method, in.Get()));
    }

    std::string WmiPutDepartment(const wchar_t* department)
    {
        CallAs(Callers::kAdministrator);
        const ComPtr<IWbemClassObject> person = Instance(L"Bnt_Cardholder.ID=8");
        _variant_t value(department);
        person->Put(L"DEPARTMENT", 0, &value, 0);
        CallAs(kRacer);
        return Answer(Put(Form::Sync, person.Get(), WBEM_FLAG_UPDATE_ONLY));
    }

    // The racer's writes on both doors: the framework's put, a mapper's own put, a delete and the
    // writing methods. A bus request goes with m_session, which the test signs in anew before
    // each request: a withdrawal that ends the session ends it for good.
    std::vector<RacerRoad> Roads()
    {
        const NamedValues note = {{L"Note", _variant_t(L"Night cover")}};
        const NamedValues levelIn = {{L"LevelIn", support::IntegerArray({68})}};
        const NamedValues badge = {{L"BADGEKEY", _variant_t(LONG{67})}};
        const NamedValues request = {{L"ID", _variant_t(LONG{67})}};
        const NamedValues panel = {{L"ID", _variant_t(LONG{2})}};
        const NamedValues assignment = {{L"AccessLevelID", _variant_t(LONG{67})}, {L"BadgeKey", _variant_t(LONG{67})}};
        const NamedValues newAssignment = {{L"AccessLevelID", _variant_t(LONG{68})},
                                           {L"BadgeKey", _variant_t(LONG{67})}};
        const NamedValues department = {{L"ID", _variant_t(LONG{8})}, {L"DEPARTMENT", _variant_t(L"Dock logistics")}};
        BusDoor& bus = m_bus;
        const std::string& session = m_session;
        return {
            {"put, WMI", [this] { return WmiPutDepartment(L"Night logistics"); }, true, true},
            {"modify, bus",
             [&bus, &session, department] { return bus.Modify(session, L"Bnt_Cardholder", BusValues(department)); },
             true, true, true},
            {"own put, WMI",
             [this] {
                 CallAs(Callers::kAdministrator);
                 const ComPtr<IWbemClassObject> link =
                     NewInstance(L"Bnt_AccessLevelAssignment",
                                 {{L"AccessLevelID", _variant_t(LONG{68})}, {L"BadgeKey", _variant_t(LONG{67})}});
                 CallAs(kRacer);
                 return Answer(Put(Form::Sync, link.Get(), WBEM_FLAG_CREATE_ONLY));
             }},
            {"own put, bus",
             [&bus, &session, newAssignment] {
                 return bus.Add(session, L"Bnt_AccessLevelAssignment", BusValues(newAssignment));
             },
             true, false, true},
            {"delete, WMI",
             [this] {
                 CallAs(kRacer);
                 return Answer(Delete(Form::Sync, L"Bnt_AccessLevelAssignment.AccessLevelID=67,BadgeKey=67"));
             }},
            {"delete, bus",
             [&bus, &session, assignment] {
                 return bus.Delete(session, L"Bnt_AccessLevelAssignment", BusValues(assignment));
             },
             true, false, true},
            {"AssignAccessLevel, WMI",
             [this, levelIn] { return WmiMethod(L"Bnt_Badge.BADGEKEY=67", L"AssignAccessLevel", levelIn); }},
            {"AssignAccessLevel, bus",
             [&bus, &session, levelIn, badge] {
                 return bus.Call(session, L"Bnt_Badge", L"AssignAccessLevel", BusValues(levelIn), BusValues(badge));
             },
             true, false, true},
            {"Approve, WMI", [this, note] { return WmiMethod(L"Bnt_AccessLevelRequest.ID=67", L"Approve", note); }},
            {"Approve, bus",
             [&bus, &session, note, request] {
                 return bus.Call(session, L"Bnt_AccessLevelRequest", L"Approve", BusValues(note), BusValues(request));
             },
             true, false, true},
            {"SetClock, WMI", [this] { return WmiMethod(L"Bnt_Panel.ID=2", L"SetClock", {}); }, false},
            {"SetClock, bus",
             [&bus, &session, panel] { return bus.Call(session, L"Bnt_Panel", L"SetClock", {}, BusValues(panel)); },
             false, false, true},
        };
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
    BusDoor m_bus;
    std::string m_session;
};

// Withdrawn before the request starts, the write answers what a fresh request answers; withdrawn
// by another writer after it started and before the frame takes the lock, the same, and nothing
// but the withdrawal is written.
TEST_P(RightsBeforeLock, ARightWithdrawnWhileTheWriteWaitsIsAnsweredAsAFreshRequestWithNothingWrittenOrSent)
{
    const Withdrawal& withdrawal = GetParam();
    TakeServerCalls();
    Apply(withdrawal.grant);
    for (const RacerRoad& road : Roads())
    {
        if (!withdrawal.appliesTo(road))
            continue;
        SCOPED_TRACE(withdrawal.name + " / " + road.name);
        // Withdrawn before the request starts: what a fresh request answers.
        m_session = m_bus.Login(kRacerLogin);
        Apply(withdrawal.withdraw);
        Table before = Stored();
        const std::string fresh = Reason(road.request());
        EXPECT_NE(fresh, "ok");
        EXPECT_EQ(Stored(), before);
        EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());
        Apply(withdrawal.restore);

        // Held when the request starts, withdrawn by another writer before the frame takes the
        // lock: the same answer, and nothing but the withdrawal is written.
        m_session = m_bus.Login(kRacerLogin);
        before = Stored();
        const int anew = LogLines(kRightsAnsweredAnew);
        bool withdrawn = false;
        CWmipWriteFrame::TestHookBeforeLock([&] {
            if (!withdrawn)
                Apply(withdrawal.withdraw);
            withdrawn = true;
        });
        const std::string raced = Reason(road.request());
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        EXPECT_TRUE(withdrawn);
        EXPECT_EQ(raced, fresh);
        EXPECT_EQ(LogLines(kRightsAnsweredAnew), anew + 1);
        EXPECT_EQ(TakeServerCalls(), std::vector<std::string>());
        Apply(withdrawal.restore);
        EXPECT_EQ(Stored(), before);
    }
    Apply(withdrawal.ungrant);
}

INSTANTIATE_TEST_SUITE_P(Withdrawn, RightsBeforeLock, ::testing::ValuesIn(Withdrawals()), TestName);

// The Warehouse granted at the same moment: the write goes by the rights that stand under its
// lock, as a request starting then would.
TEST_F(RightsBeforeLock, ARightGrantedWhileTheWriteWaitsIsTheOneTheWriteGoesBy)
{
    for (const RacerRoad& road : Roads())
    {
        if (!road.writesField)
            continue;
        SCOPED_TRACE("granted / " + road.name);
        m_session = m_bus.Login(kRacerLogin);
        bool granted = false;
        CWmipWriteFrame::TestHookBeforeLock([&] {
            if (!granted)
                Apply(kWarehouseLink);
            granted = true;
        });
        EXPECT_EQ(road.request(), "ok");
        CWmipWriteFrame::TestHookBeforeLock(nullptr);
        EXPECT_TRUE(granted);
        EXPECT_EQ(DoorInstallation::Rows("SELECT DEPARTMENT FROM UDFEMP WHERE ID = 8"),
                  Table{{road.bus ? "Dock logistics" : "Night logistics"}});
        Apply(kNoWarehouseLink);
    }
}

// Rights that change again while every new answer waits: the write is refused once the door has
// answered anew as often as it does, and nothing is written.
TEST_F(RightsBeforeLock, RightsThatKeepChangingWhileTheWriteWaitsRefuseItWithNothingWritten)
{
    Apply(kWarehouseLink);
    const Table before = Stored();
    const int refused = LogLines(L"The caller's rights keep changing; the write is refused.");
    int runs = 0;
    CWmipWriteFrame::TestHookBeforeLock([&] { Apply(++runs % 2 == 1 ? kNoWarehouseLink : kWarehouseLink); });
    EXPECT_EQ(Reason(Roads().front().request()),
              "0x80041003 | The client does not have sufficient user permissions to perform the requested operation.");
    CWmipWriteFrame::TestHookBeforeLock(nullptr);
    EXPECT_EQ(runs, CWmipWriteFrame::kCallerAttempts);
    EXPECT_EQ(LogLines(L"The caller's rights keep changing; the write is refused."), refused + 1);
    if (runs % 2 == 1)
        Apply(kWarehouseLink);
    EXPECT_EQ(Stored(), before);
    Apply(kNoWarehouseLink);
}
}  // namespace

namespace {
// The rights stamp's rows taken out of the database (an old or restored copy, a direct write):
// every check finds the rights changed, so the next request reads them anew, and the login that
// reads them puts the rows back, once, with one log line; from then on the stamp follows the
// rights again. The list stamp's row alone missing counts as changed too: a caller served before
// it went is logged in anew, which puts it back, and its write lands.
TEST_F(RightsBeforeLock, StampRowsDeletedMeanChangedAndComeBackAtTheNextRequest)
{
    constexpr wchar_t kRestored[] = L"The database's rights stamp was missing and is restored.";
    const struct
    {
        std::string door;
        std::function<bool()> seesPerson8;
        // The road of Roads() that writes person 8's department, and the department it writes.
        std::string write;
        const char* department;
    } doors[] = {
        {"WMI",
         [&] {
             CallAs(kRacer);
             const Reply reply = Get(Form::Sync, L"Bnt_Cardholder.ID=8");
             EXPECT_TRUE(reply.result == WBEM_S_NO_ERROR || reply.result == WBEM_E_NOT_FOUND) << Hex(reply.result);
             return reply.result == WBEM_S_NO_ERROR;
         },
         "put, WMI", "Night logistics"},
        {"bus", [&] { return m_bus.Get(m_session, L"Bnt_Cardholder", "ID = 8") == std::optional<std::size_t>(1); },
         "modify, bus", "Dock logistics"},
    };
    const std::vector<RacerRoad> roads = Roads();
    const Table bothRows = {{"1"}, {"2"}};
    for (const auto& door : doors)
    {
        SCOPED_TRACE(door.door);
        Apply(kWarehouseLink);
        m_session = m_bus.Login(kRacerLogin);
        EXPECT_TRUE(door.seesPerson8());

        // The Warehouse withdrawn where no stamp row records it.
        const int restored = LogLines(kRestored);
        Apply("DELETE FROM RIGHTS_STAMP;");
        Apply(kNoWarehouseLink);
        EXPECT_FALSE(door.seesPerson8());
        EXPECT_EQ(DoorInstallation::Rows("SELECT STAMPID FROM RIGHTS_STAMP ORDER BY STAMPID"), bothRows);
        EXPECT_EQ(LogLines(kRestored), restored + 1);

        // The restored stamp follows the next change.
        Apply(kWarehouseLink);
        EXPECT_TRUE(door.seesPerson8());
        Apply(kNoWarehouseLink);
        EXPECT_FALSE(door.seesPerson8());
        EXPECT_EQ(LogLines(kRestored), restored + 1);

        // The list stamp's row alone taken out while the caller is served.
        Apply(kWarehouseLink);
        EXPECT_TRUE(door.seesPerson8());
        Apply("DELETE FROM RIGHTS_STAMP WHERE STAMPID = 2;");
        const auto write =
            std::find_if(roads.begin(), roads.end(), [&](const RacerRoad& road) { return road.name == door.write; });
        ASSERT_NE(write, roads.end());
        EXPECT_EQ(write->request(), "ok");
        EXPECT_EQ(DoorInstallation::Rows("SELECT STAMPID FROM RIGHTS_STAMP ORDER BY STAMPID"), bothRows);
        EXPECT_EQ(LogLines(kRestored), restored + 2);
        EXPECT_EQ(DoorInstallation::Rows("SELECT DEPARTMENT FROM UDFEMP WHERE ID = 8"), Table{{door.department}});
        Apply(kNoWarehouseLink);
    }
}
}  // namespace
