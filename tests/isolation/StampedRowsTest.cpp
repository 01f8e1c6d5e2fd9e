// Rows another process changes that a caller's identity or a class definition comes from, beyond
// the user row and its rights: the directory a caller's account is looked up through with every
// flag its door's sign-in reads, the directory account a bus session signed in with, and a list
// table the installation added for a field of its own. A caller already served, and a write
// waiting for the lock while the change is made (the write frame's test hook), answer as a
// request of a new process would.
#include "framework/CWmipWriteFrame.h"
#include "inhouse/BntUtility/CPasswordHash.h"
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
#include "tools/provixa/ProvixaInstallation.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
// The demo's porter (user 3): the operator's rights in Headquarters alone. Its Windows account is
// in the local accounts (directory 1), which also sign it on to the bus by name and password.
constexpr wchar_t kPorter[] = L"S-1-5-21-1004336348-1177238915-682003330-1008";
constexpr char kPorterLogin[] = "porter";
constexpr char kPorterPassword[] = "porter-demo";
constexpr int kLocalAccounts = 1;
constexpr char kDoraLogin[] = "dora";

// Persons segmented. The porter's business-event subscription 31, undated (so it never expires).
// Dora (user 58): every right (the isolation groups 71 to 73), Headquarters
// only, every field; she signs in on the bus as an internal account. The installation's own list
// COSTCENTRE (a DDTBL list, made as DEPARTMENT is) gives the values of the cardholder field
// COSTCENTRE: North and South in Headquarters, Dockside in the Warehouse.
constexpr char kRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);
INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                             SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                             USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID)
    SELECT 58, 'dora', 'Dora', 'Directory', 1, 1, LOGONPWD, 1, 71, 73, 72, 0, -1, CREATED, LASTCHANGED, NULL, 0, 1
    FROM USERS WHERE USERID = 1;
CREATE TABLE COSTCENTRE (ID INTEGER PRIMARY KEY, NAME TEXT, SEGMENTID INTEGER);
INSERT INTO COSTCENTRE (ID, NAME, SEGMENTID) VALUES (1, 'North', 1), (2, 'South', 1), (3, 'Dockside', 2);
INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (258, 'Cost centre', 'COSTCENTRE', 1);
ALTER TABLE UDFEMP ADD COLUMN COSTCENTRE INTEGER;
INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED, LISTID) VALUES (258, 'COSTCENTRE', 3, 0, 0, 258);
INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES (258, 2, 258, 1, 58, 'Cost centre');
INSERT INTO BUSINESS_EVENT_SUBSCRIPTION (BUSINESS_EVENT_SUBSCRIPTIONID, USER_ID, NAME, DESCRIPTION, EVENT_FILTER,
    IS_DURABLE, DESTINATION_NAME, ROUTING_KEY) VALUES (31, 3, 'porter-queue', 'Porter doors', '', 1, 'amq.topic',
    'porter-key');
)";

// The installation's list and its field go again, and the porter's subscription: the other suites
// of the program see the demo's cardholder layout and subscriptions.
constexpr char kListGone[] = R"(
DELETE FROM BUSINESS_EVENT_SUBSCRIPTION WHERE BUSINESS_EVENT_SUBSCRIPTIONID = 31;
DELETE FROM UDFOBJS WHERE UDFOBJSID = 258;
DELETE FROM DDFLD WHERE DDFLDID = 258;
DELETE FROM DDTBL WHERE ID = 258;
ALTER TABLE UDFEMP DROP COLUMN COSTCENTRE;
DROP TABLE COSTCENTRE;
)";

constexpr wchar_t kAnsweredAnew[] = L"The caller's rights changed while the write waited; it is answered anew.";

class StampedRows : public DoorTest
{
protected:
    // The porter's directory password is hashed with the fewest iterations while the suite runs:
    // its tests sign it on again after every change.
    static void SetUpTestSuite()
    {
        s_porterHash = DoorInstallation::Rows(kPorterHash).at(0).at(0);
        Apply(support::TestCallers::Sql({Callers::kHeadquartersChief}) + kRows +
              PorterHashed(CPasswordHash::Hash(kPorterPassword, CPasswordHash::kMinIterations)));
    }
    static void TearDownTestSuite() { Apply(kListGone + PorterHashed(s_porterHash)); }
    static std::string PorterHashed(const std::string& hash)
    {
        return "UPDATE BNT_DIRECTORY_ACCOUNT SET PASSWORD_HASH = '" + hash + "' WHERE USERNAME = 'porter';";
    }

    // By another process: a connection of its own, with its own defaults (no foreign key actions).
    static void Apply(const std::string& sql)
    {
        if (!sql.empty())
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql);
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
    static constexpr char kPorterHash[] = "SELECT PASSWORD_HASH FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'porter'";
    static inline std::string s_porterHash;
};

// A request of the porter's, by the WMI door (its Windows account) or the bus (its directory
// session), on Headquarters' person 1 and its badge 6, which the porter may give level 1, or on
// its business-event subscription 31. `ended`: how the road answers a caller its door no longer
// serves, when not as the door's other requests.
struct Road
{
    std::string name;
    std::function<std::string()> request;
    bool bus = false;
    bool writes = true;
    const char* ended = nullptr;
};

// How a request of a caller its door no longer serves is answered: the WMI door finds its account
// linked to nobody; the bus refuses the session's token.
constexpr char kWmiEnded[] =
    "0x80041003 | The client does not have access to use Fluxmere. The user account has not been linked.";
constexpr char kBusEnded[] = "0x80040520";
constexpr char kSubscriptionEnded[] =
    "corvessa.general.invalidsessiontoken | Invalid authentication token. Check server logs for more details.";

// A change of what the porter's identity comes from, and its undoing. A door follows the change
// when its sign-in reads what changed: the WMI door looks a Windows account up through a
// directory of a Windows kind that is no template; the bus signs on by name and password through
// a directory that is no template and takes manual sign-on, and the directory's account. A door
// that does not follow it serves the porter on, as it serves a new request.
struct Change
{
    std::string name;
    std::string make;
    std::string undo;
    bool wmi;
    bool bus;
    // How a new sign-in on the bus ends after the change.
    std::string signIn;
};

TEST_F(StampedRows, ADirectoryOrItsFlagOrAccountChangedEndsItsCallersAtTheNextRequestAndUnderTheLock)
{
    BusDoor bus;
    CallAs(kPorter);
    const ComPtr<IWbemClassObject> person = Instance(L"Bnt_Cardholder.ID=1");
    _variant_t department(L"Night logistics");
    person->Put(L"DEPARTMENT", 0, &department, 0);
    const NamedValues levelIn = {{L"LevelIn", support::IntegerArray({1})}};
    const ComPtr<IWbemClassObject> in =
        MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", support::IntegerArray({1})}});
    std::string session;
    const std::vector<Road> roads = {
        {"read, WMI",
         [&] {
             CallAs(kPorter);
             return Answer(Get(Form::Sync, L"Bnt_Cardholder.ID=1"));
         },
         false, false},
        {"put, WMI",
         [&] {
             CallAs(kPorter);
             return Answer(Put(Form::Sync, person.Get(), WBEM_FLAG_UPDATE_ONLY));
         }},
        {"AssignAccessLevel, WMI",
         [&] {
             CallAs(kPorter);
             return Answer(Exec(Form::Sync, L"Bnt_Badge.BADGEKEY=6", L"AssignAccessLevel", in.Get()));
         }},
        {"read, bus",
         [&] {
             const auto [hr, text] = bus.Read(session, L"Bnt_Cardholder", "ID = 1", "");
             return hr == S_OK ? std::string("ok") : Hex(hr) + (text.empty() ? "" : " | " + text);
         },
         true, false},
        {"modify, bus",
         [&] {
             return bus.Modify(
                 session, L"Bnt_Cardholder",
                 BusValues({{L"ID", _variant_t(LONG{1})}, {L"DEPARTMENT", _variant_t(L"Dock logistics")}}));
         },
         true},
        {"AssignAccessLevel, bus",
         [&] {
             return bus.Call(session, L"Bnt_Badge", L"AssignAccessLevel", BusValues(levelIn),
                             BusValues({{L"BADGEKEY", _variant_t(LONG{6})}}));
         },
         true},
        {"subs add, bus", [&] { return bus.AddSubscription(session, "inwindow"); }, true, true, kSubscriptionEnded},
        {"subs modify, bus", [&] { return bus.ModifySubscription(session, 31, "inwindow"); }, true, true,
         kSubscriptionEnded},
        {"subs disable, bus", [&] { return bus.DisableSubscription(session, 31); }, true, true, kSubscriptionEnded},
    };
    constexpr char kNotSignedOn[] = "corvessa.authentication.failedtoauthenticate | The sign-in was refused: the "
                                    "account and password given were not accepted, check server logs for details.";
    constexpr char kNoDirectory[] = "corvessa.getdirectories.invaliddirectoryId | Invalid directory Id";
    const std::string porterAccount =
        "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) "
        "VALUES (1, '" +
        Utf8(kPorter) + "', 'porter', 'Paula Porter', '" + DoorInstallation::Rows(kPorterHash).at(0).at(0) + "')";
    const std::vector<Change> changes = {
        {"directory deleted", "DELETE FROM BNT_DIRECTORY WHERE BNT_DIRECTORYID = 1",
         "INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL) "
         "VALUES (1, 'Local accounts', 3, 'localhost', 0, 0)",
         true, true, kNoDirectory},
        {"directory made a template", "UPDATE BNT_DIRECTORY SET DIR_ISTEMPLATE = 1 WHERE BNT_DIRECTORYID = 1",
         "UPDATE BNT_DIRECTORY SET DIR_ISTEMPLATE = 0 WHERE BNT_DIRECTORYID = 1", true, true, kNoDirectory},
        {"directory no longer a Windows one", "UPDATE BNT_DIRECTORY SET DIR_TYPE = 0 WHERE BNT_DIRECTORYID = 1",
         "UPDATE BNT_DIRECTORY SET DIR_TYPE = 3 WHERE BNT_DIRECTORYID = 1", true, false, "ok"},
        {"manual sign-on switched off", "UPDATE BNT_DIRECTORY_SSO SET USE_MANUAL_SSO = 0 WHERE BNT_DIRECTORYID = 1",
         "UPDATE BNT_DIRECTORY_SSO SET USE_MANUAL_SSO = 1 WHERE BNT_DIRECTORYID = 1", false, true, kNotSignedOn},
        {"manual sign-on row deleted", "DELETE FROM BNT_DIRECTORY_SSO WHERE BNT_DIRECTORYID = 1",
         "INSERT INTO BNT_DIRECTORY_SSO (BNT_DIRECTORYID, USE_MANUAL_SSO) VALUES (1, 1)", false, true, kNotSignedOn},
        {"directory account deleted", "DELETE FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'porter'", porterAccount,
         false, true, kNotSignedOn},
        {"user disabled", "UPDATE USERS SET ISENABLED = 0 WHERE USERID = 3",
         "UPDATE USERS SET ISENABLED = 1 WHERE USERID = 3", true, true,
         "corvessa.authentication.failedtoauthenticate | Authentication failed."},
    };
    // Served before the change: the WMI door keeps the porter's entry, the bus its session.
    const auto serve = [&] {
        session = bus.Login(kPorterLogin, kLocalAccounts, kPorterPassword);
        EXPECT_EQ(roads[0].request(), "ok");
        EXPECT_EQ(roads[3].request(), "ok");
    };

    static_cast<void>(TakeServerCalls(m_servers));
    for (const Change& change : changes)
    {
        SCOPED_TRACE(change.name);
        // Nothing any request below writes: each change is undone after it.
        const Table before = DoorInstallation::Digest({"RIGHTS_STAMP"});
        Apply(change.make);
        std::string token;
        EXPECT_EQ(bus.SignIn(kPorterLogin, kLocalAccounts, kPorterPassword, token), change.signIn);
        Apply(change.undo);
        for (const Road& road : roads)
        {
            const bool follows = road.bus ? change.bus : change.wmi;
            if (!follows && road.writes)
                continue;
            SCOPED_TRACE(road.name);
            // The next request after the change.
            serve();
            Apply(change.make);
            const std::string next = Reason(road.request());
            EXPECT_EQ(next, follows ? (road.ended != nullptr ? road.ended : road.bus ? kBusEnded : kWmiEnded) : "ok");
            EXPECT_EQ(TakeServerCalls(m_servers), std::vector<std::string>());
            EXPECT_EQ(bus.TakeNotices(), (std::vector<std::pair<int, int>>()));
            Apply(change.undo);
            if (!road.writes)
                continue;

            // Made by another writer while the write waits for the lock: the same answer.
            serve();
            const int anew = LogLines(kAnsweredAnew);
            bool made = false;
            CWmipWriteFrame::TestHookBeforeLock([&] {
                if (!made)
                    Apply(change.make);
                made = true;
            });
            const std::string raced = Reason(road.request());
            CWmipWriteFrame::TestHookBeforeLock(nullptr);
            EXPECT_TRUE(made);
            EXPECT_EQ(raced, next);
            EXPECT_EQ(LogLines(kAnsweredAnew), anew + 1);
            EXPECT_EQ(TakeServerCalls(m_servers), std::vector<std::string>());
            EXPECT_EQ(bus.TakeNotices(), (std::vector<std::pair<int, int>>()));
            Apply(change.undo);
        }
        EXPECT_EQ(DoorInstallation::Digest({"RIGHTS_STAMP"}), before);
    }
}

// The bus session's type description of the cardholders lists the cost centres Dora may see
// (Headquarters'): another process moving one to the Warehouse, renaming one or moving one in shows
// at the session's next description, as in a new session's, not only once the class cache's span
// has passed.
TEST_F(StampedRows, AnInstallationsOwnListShowsItsChangesAtTheNextRequest)
{
    using Values = std::vector<std::pair<std::string, std::string>>;
    BusDoor bus;
    const struct
    {
        std::string name;
        std::string make;
        std::string undo;
        Values shown;
    } changes[] = {
        {"an entry moved to the Warehouse",
         "UPDATE COSTCENTRE SET SEGMENTID = 2 WHERE ID = 2",
         "UPDATE COSTCENTRE SET SEGMENTID = 1 WHERE ID = 2",
         {{"1", "North"}}},
        {"an entry renamed",
         "UPDATE COSTCENTRE SET NAME = 'North quay' WHERE ID = 1",
         "UPDATE COSTCENTRE SET NAME = 'North' WHERE ID = 1",
         {{"1", "North quay"}, {"2", "South"}}},
        {"an entry moved to Headquarters",
         "UPDATE COSTCENTRE SET SEGMENTID = 1 WHERE ID = 3",
         "UPDATE COSTCENTRE SET SEGMENTID = 2 WHERE ID = 3",
         {{"1", "North"}, {"2", "South"}, {"3", "Dockside"}}},
    };
    const Values before = {{"1", "North"}, {"2", "South"}};
    for (const auto& change : changes)
    {
        SCOPED_TRACE(change.name);
        const std::string open = bus.Login(kDoraLogin);
        EXPECT_EQ(bus.PossibleValueLists(open, L"Bnt_Cardholder")["COSTCENTRE"], before);
        Apply(change.make);
        EXPECT_EQ(bus.PossibleValueLists(open, L"Bnt_Cardholder")["COSTCENTRE"], change.shown);
        EXPECT_EQ(bus.PossibleValueLists(bus.Login(kDoraLogin), L"Bnt_Cardholder")["COSTCENTRE"], change.shown);
        Apply(change.undo);
    }
}

// Once init has given the installation's list the list stamp's triggers (as it brings an older
// database's stamps up to date), a definition read from it is kept again and follows the list by the
// stamp. A write waiting for the lock meanwhile is answered as a request made after the change: Dora
// sets person 6's cost centre to South, which another writer moves to the Warehouse; nothing is
// written. A list missing any one of the three triggers no longer vouches for what it serves.
TEST_F(StampedRows, AnInstallationsOwnListStampedByInitIsFollowedAtTheNextRequestAndUnderTheLock)
{
    std::string report;
    ASSERT_TRUE(ProvixaInstallation::Create(&report)) << report;
    EXPECT_NE(report.find("stamp triggers added: 3\n"), std::string::npos) << report;
    BusDoor bus;
    const auto modify = [&bus](const std::string& session) {
        return Reason(bus.Modify(session, L"Bnt_Cardholder",
                                 BusValues({{L"ID", _variant_t(LONG{6})}, {L"COSTCENTRE", _variant_t(LONG{2})}})));
    };
    constexpr char kMovedOut[] = "UPDATE COSTCENTRE SET SEGMENTID = 2 WHERE ID = 2";
    constexpr char kUndo[] = "UPDATE COSTCENTRE SET SEGMENTID = 1 WHERE ID = 2";
    using Values = std::vector<std::pair<std::string, std::string>>;

    std::string session = bus.Login(kDoraLogin);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North"}, {"2", "South"}}));
    Apply(kMovedOut);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"], (Values{{"1", "North"}}));
    const std::string next = modify(session);
    EXPECT_EQ(next, "corvessa.general.invalidrequestitem | The property COSTCENTRE did not exist or contained an "
                    "invalid value.");
    Apply(kUndo);

    session = bus.Login(kDoraLogin);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"].size(), 2u);
    bool moved = false;
    CWmipWriteFrame::TestHookBeforeLock([&] {
        if (!moved)
            Apply(kMovedOut);
        moved = true;
    });
    const std::string raced = modify(session);
    CWmipWriteFrame::TestHookBeforeLock(nullptr);
    EXPECT_TRUE(moved);
    EXPECT_EQ(raced, next);
    EXPECT_EQ(DoorInstallation::Rows("SELECT COSTCENTRE FROM UDFEMP WHERE ID = 6"), Table{{"<null>"}});
    Apply(kUndo);

    // Another process drops the triggers and renames an entry in one transaction, which sets no
    // stamp: the definition kept under the stamps is not served again, as the list no longer
    // vouches for it.
    const Table insertAndDelete = DoorInstallation::Rows(
        "SELECT sql FROM sqlite_master WHERE name IN ('COSTCENTRE_I_LISTS', 'COSTCENTRE_D_LISTS') ORDER BY name");
    ASSERT_EQ(insertAndDelete.size(), 2u);
    session = bus.Login(kDoraLogin);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North"}, {"2", "South"}}));
    Apply("BEGIN; DROP TRIGGER COSTCENTRE_I_LISTS; DROP TRIGGER COSTCENTRE_U_LISTS; DROP TRIGGER COSTCENTRE_D_LISTS; "
          "UPDATE COSTCENTRE SET NAME = 'North quay' WHERE ID = 1; COMMIT;");
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North quay"}, {"2", "South"}}));

    // The insert and delete triggers back, the update trigger still missing: a rename sets no
    // stamp, so a definition read from the list now is not kept either.
    Apply(insertAndDelete[0][0] + ";" + insertAndDelete[1][0] + ";");
    session = bus.Login(kDoraLogin);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North quay"}, {"2", "South"}}));
    Apply("UPDATE COSTCENTRE SET NAME = 'South quay' WHERE ID = 2");
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North quay"}, {"2", "South quay"}}));
}
}  // namespace
