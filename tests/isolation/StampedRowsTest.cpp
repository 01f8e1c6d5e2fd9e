// Rows another process changes that a caller's identity or a class definition comes from, beyond
// the user row and its rights: the directory a caller's account is looked up through, the
// directory account a bus session signed in with, and a list table the installation added for a
// field of its own. A caller already served, and a write waiting for the lock while the change is
// made (the write frame's test hook), answer as a request of a new process would.
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
#include "tools/provixa/ProvixaInstallation.h"

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
constexpr wchar_t kDora[] = L"S-1-5-21-1004336348-1177238915-682003330-2058";
constexpr char kDoraLogin[] = "dora";
constexpr int kLocalAccounts = 1;

// Persons segmented. Dora (user 58): every right (the isolation groups 71 to 73), Headquarters
// only, every field; her Windows account is in the local accounts (directory 1), where she also
// signs in on the bus with the demo operator's password, as she does as an internal account.
// Person 8 (the Warehouse) holds badge 58; levels 58 and 59 are Headquarters'. The installation's
// own list COSTCENTRE (a DDTBL list, made as DEPARTMENT is) gives the values of the cardholder
// field COSTCENTRE: North and South in Headquarters, Dockside in the Warehouse.
constexpr char kRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004, 1005);
INSERT OR IGNORE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                             SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                             USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID)
    SELECT 58, 'dora', 'Dora', 'Directory', 1, 1, LOGONPWD, 1, 71, 73, 72, 0, -1, CREATED, LASTCHANGED, NULL, 0, 1
    FROM USERS WHERE USERID = 1;
INSERT OR IGNORE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID)
    VALUES (58, 58, 1, 'S-1-5-21-1004336348-1177238915-682003330-2058');
INSERT OR IGNORE INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH)
    SELECT 1, 'S-1-5-21-1004336348-1177238915-682003330-2058', 'dora', 'Dora Directory', LOGONPWD
    FROM USERS WHERE USERID = 1;
INSERT OR IGNORE INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD,
                                 FIRST_CARD_UNLOCK)
    VALUES (58, 'Quay days', 1, 1, 0, 1, 0), (59, 'Quay nights', 1, 1, 0, 1, 0);
INSERT OR IGNORE INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, DEACTIVATE, USELIMIT, LASTCHANGED)
    VALUES (58, 100058, 0, 1, 1, 8, '2024-01-02 00:00:00', '2030-12-31 23:59:59', NULL, '2024-01-02 09:00:00');
INSERT OR IGNORE INTO BADGELINK (BADGEKEY, ACCLVLID, ACTIVATE, DEACTIVATE) VALUES (58, 58, NULL, NULL);
CREATE TABLE COSTCENTRE (ID INTEGER PRIMARY KEY, NAME TEXT, SEGMENTID INTEGER);
INSERT INTO COSTCENTRE (ID, NAME, SEGMENTID) VALUES (1, 'North', 1), (2, 'South', 1), (3, 'Dockside', 2);
INSERT INTO DDTBL (ID, NAME, TBLNAME, ISLIST) VALUES (258, 'Cost centre', 'COSTCENTRE', 1);
ALTER TABLE UDFEMP ADD COLUMN COSTCENTRE INTEGER;
INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED, LISTID) VALUES (258, 'COSTCENTRE', 3, 0, 0, 258);
INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES (258, 2, 258, 1, 58, 'Cost centre');
)";

// The installation's list and its field go again: the other suites of the program see the demo's
// cardholder layout.
constexpr char kListGone[] = R"(
DELETE FROM UDFOBJS WHERE UDFOBJSID = 258;
DELETE FROM DDFLD WHERE DDFLDID = 258;
DELETE FROM DDTBL WHERE ID = 258;
ALTER TABLE UDFEMP DROP COLUMN COSTCENTRE;
DROP TABLE COSTCENTRE;
)";

constexpr wchar_t kAnsweredAnew[] = L"The caller's rights changed while the write waited; it is answered anew.";
constexpr char kWarehouseLink[] = "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (58, 2)";
constexpr char kNoWarehouseLink[] = "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 58 AND SEGMENTID = 2";

class StampedRows : public DoorTest
{
protected:
    static void SetUpTestSuite() { Apply(support::TestCallers::Sql({Callers::kHeadquartersChief}) + kRows); }
    static void TearDownTestSuite() { Apply(kListGone); }

    // By another process: a connection of its own, with its own defaults (no foreign key actions).
    static void Apply(const std::string& sql)
    {
        if (!sql.empty())
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql);
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

// A request of Dora's, by the WMI door (her Windows account) or the bus (her directory session).
struct Road
{
    std::string name;
    std::function<std::string()> request;
    bool bus = false;
    bool writes = true;
};

// A change of what Dora's identity comes from, and its undoing.
struct Change
{
    std::string name;
    std::string make;
    std::string undo;
    // The look-up of a Windows account asks for a Windows directory; a bus sign-in with a
    // password asks for the directory and its account.
    bool wmi = true;
    bool bus = true;
};

TEST_F(StampedRows, ADirectoryOrDirectoryAccountGoneEndsItsCallersAtTheNextRequestAndUnderTheLock)
{
    BusDoor bus;
    Apply(kWarehouseLink);
    // Made while the administrator can still sign in: the changes below shut out every account
    // of the local accounts.
    CallAs(Callers::kAdministrator);
    const ComPtr<IWbemClassObject> person = Instance(L"Bnt_Cardholder.ID=8");
    _variant_t department(L"Night logistics");
    person->Put(L"DEPARTMENT", 0, &department, 0);
    const NamedValues levelIn = {{L"LevelIn", support::IntegerArray({59})}};
    const ComPtr<IWbemClassObject> in =
        MethodParameters(L"Bnt_Badge", L"AssignAccessLevel", {{L"LevelIn", support::IntegerArray({59})}});
    std::string session;
    const std::vector<Road> roads = {
        {"read, WMI",
         [&] {
             CallAs(kDora);
             return Answer(Get(Form::Sync, L"Bnt_Cardholder.ID=8"));
         },
         false, false},
        {"put, WMI",
         [&] {
             CallAs(kDora);
             return Answer(Put(Form::Sync, person.Get(), WBEM_FLAG_UPDATE_ONLY));
         }},
        {"AssignAccessLevel, WMI",
         [&] {
             CallAs(kDora);
             return Answer(Exec(Form::Sync, L"Bnt_Badge.BADGEKEY=58", L"AssignAccessLevel", in.Get()));
         }},
        {"read, bus",
         [&] {
             const auto [hr, text] = bus.Read(session, L"Bnt_Cardholder", "ID = 8", "");
             return hr == S_OK ? std::string("ok") : Hex(hr) + " | " + text;
         },
         true, false},
        {"modify, bus",
         [&] {
             return bus.Modify(
                 session, L"Bnt_Cardholder",
                 BusValues({{L"ID", _variant_t(LONG{8})}, {L"DEPARTMENT", _variant_t(L"Dock logistics")}}));
         },
         true},
        {"AssignAccessLevel, bus",
         [&] {
             return bus.Call(session, L"Bnt_Badge", L"AssignAccessLevel", BusValues(levelIn),
                             BusValues({{L"BADGEKEY", _variant_t(LONG{58})}}));
         },
         true},
    };
    const std::vector<Change> changes = {
        {"directory deleted", "DELETE FROM BNT_DIRECTORY WHERE BNT_DIRECTORYID = 1",
         "INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL) "
         "VALUES (1, 'Local accounts', 3, 'localhost', 0, 0)"},
        {"directory no longer a Windows one", "UPDATE BNT_DIRECTORY SET DIR_TYPE = 0 WHERE BNT_DIRECTORYID = 1",
         "UPDATE BNT_DIRECTORY SET DIR_TYPE = 3 WHERE BNT_DIRECTORYID = 1", true, false},
        {"directory account deleted", "DELETE FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'dora'",
         "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) "
         "SELECT 1, 'S-1-5-21-1004336348-1177238915-682003330-2058', 'dora', 'Dora Directory', LOGONPWD "
         "FROM USERS WHERE USERID = 1",
         false, true},
    };
    // Served before the change: the WMI door keeps Dora's entry, the bus her session.
    const auto serve = [&] {
        session = bus.Login(kDoraLogin, kLocalAccounts);
        EXPECT_EQ(roads[0].request(), "ok");
        EXPECT_EQ(roads[3].request(), "ok");
    };

    static_cast<void>(TakeServerCalls(m_servers));
    for (const Change& change : changes)
    {
        for (const Road& road : roads)
        {
            if (!(road.bus ? change.bus : change.wmi))
                continue;
            SCOPED_TRACE(change.name + " / " + road.name);
            // The next request after the change.
            serve();
            Apply(change.make);
            Table before = DoorInstallation::Digest({"RIGHTS_STAMP"});
            const std::string next = Reason(road.request());
            if (!road.bus)
            {
                EXPECT_EQ(next.substr(0, 10), "0x80041003") << next;
            }
            EXPECT_NE(next, "ok");
            EXPECT_EQ(DoorInstallation::Digest({"RIGHTS_STAMP"}), before);
            EXPECT_EQ(TakeServerCalls(m_servers), std::vector<std::string>());
            Apply(change.undo);
            if (!road.writes)
                continue;

            // Made by another writer while the write waits for the lock: the same answer.
            serve();
            before = DoorInstallation::Digest({"RIGHTS_STAMP"});
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
            Apply(change.undo);
            EXPECT_EQ(DoorInstallation::Digest({"RIGHTS_STAMP"}), before);
        }
    }
    Apply(kNoWarehouseLink);
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
// written.
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
    session = bus.Login(kDoraLogin);
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North"}, {"2", "South"}}));
    Apply("BEGIN; DROP TRIGGER COSTCENTRE_I_LISTS; DROP TRIGGER COSTCENTRE_U_LISTS; DROP TRIGGER COSTCENTRE_D_LISTS; "
          "UPDATE COSTCENTRE SET NAME = 'North quay' WHERE ID = 1; COMMIT;");
    EXPECT_EQ(bus.PossibleValueLists(session, L"Bnt_Cardholder")["COSTCENTRE"],
              (Values{{"1", "North quay"}, {"2", "South"}}));
}
}  // namespace
