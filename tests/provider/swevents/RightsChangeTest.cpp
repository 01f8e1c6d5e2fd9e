// The rights-change sweep: every right a caller holds, and who it is (its user row and the
// account that named it), changed by another hand while the caller has an open bus session, a
// cached WMI entry and a watch, applies at the caller's very next request on both doors and to
// the very next event delivered to the watch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>
#include <string>
#include <vector>

#include "bus/CCorvessaBaseApp.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidInstance.h"
#include "bus/GenericException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/ModuleState.h"
#include "platform/security/CallerIdentity.h"
#include "tests/provider/swevents/SwEventTestSupport.h"
#include "platform/com/Variant.h"
#include "tests/support/BstrText.h"
#include "tests/support/TestCallers.h"

namespace {

using qpid::types::Variant;
using swtest::Embedded;

// The demo's porter: segment 1 (Headquarters) only. Its own permission groups (871 to 873, copies
// of the demo operator's) also let it add, change and delete cardholders and view accounts; person
// segmentation is on. The demo operator, whose watch receives the marker events, holds every
// segment (watching cardholders takes every segment while persons are segmented).
constexpr wchar_t kPorterSid[] = L"S-1-5-21-1004336348-1177238915-682003330-1008";
constexpr char kPorterBaseline[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED)
    SELECT USER_PERMID + 870, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED FROM USER_PERM WHERE USER_PERMID IN (1, 2, 3);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID)
    SELECT USER_PERMID + 870, PERMISSIONID FROM USER_PERM_GRANT WHERE USER_PERMID IN (1, 2, 3);
INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (872, 0x20000004), (872, 0x20000005), (872, 0x20000009),
    (872, 0x20000049);
UPDATE USERS SET SYSTEM_USER_PERMID = 871, CARD_USER_PERMID = 872, MONITOR_USER_PERMID = 873 WHERE USERID = 3;
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (20, 'Depots', 1);
INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (1, -1);
)";
// The installation as the other tests of the program find it.
constexpr char kBaselineUndone[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003;
UPDATE USERS SET SYSTEM_USER_PERMID = 1, CARD_USER_PERMID = 2, MONITOR_USER_PERMID = 3 WHERE USERID = 3;
DELETE FROM USER_PERM_GRANT WHERE USER_PERMID IN (871, 872, 873);
DELETE FROM USER_PERM WHERE USER_PERMID IN (871, 872, 873);
DELETE FROM SEGMENT WHERE SEGMENTID = 20;
DELETE FROM USER_SEGMENT_LINK WHERE USERID = 1 AND SEGMENTID = -1;
)";
constexpr char kApplication[] = "rights-sweep";
// A second Windows account of the system administrator.
constexpr const wchar_t* kAdministratorSid = support::callers::kAdministrator;

// A change of a cardholder's account as the installation's services hand it in: it reaches only
// the watchers that may read the cardholder.
std::wstring AccountChange(int person)
{
    const std::wstring row = L"<CARDHOLDER_ACCOUNT><CARDHOLDER_ACCOUNTID>" + std::to_wstring(person + 100) +
                             L"</CARDHOLDER_ACCOUNTID><EMPID>" + std::to_wstring(person) +
                             L"</EMPID><BNT_DIRECTORYID>1</BNT_DIRECTORYID><ACCOUNTID>S-" + std::to_wstring(person) +
                             L"</ACCOUNTID></CARDHOLDER_ACCOUNT>";
    return L"<ROOT><NEWDATA>" + row + L"</NEWDATA><OLDDATA>" + row + L"</OLDDATA></ROOT>";
}

// A cardholder's deletion: the operator's watch receives it after whatever was handed in before.
constexpr wchar_t kMarker[] = L"<ROOT><NEWDATA><EMP><ID>1</ID><LASTNAME>Mark</LASTNAME><VISITOR>0</VISITOR></EMP>"
                              L"</NEWDATA><OLDDATA><EMP><ID>1</ID><LASTNAME>Mark</LASTNAME><VISITOR>0</VISITOR>"
                              L"</EMP></OLDDATA></ROOT>";

std::string Code(HRESULT hr)
{
    if (hr == S_OK)
        return "ok";
    if (hr == WBEM_E_ACCESS_DENIED)
        return "denied";
    if (hr == WBEM_E_NOT_FOUND)
        return "missing";
    char text[16];
    std::snprintf(text, sizeof(text), "0x%08X", static_cast<unsigned>(hr));
    return text;
}

// The administrator's second Windows account made an account of directory 1 as "root", with the
// porter's password.
constexpr char kRootAccount[] =
    "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) "
    "SELECT 1, 'S-1-5-21-1004336348-1177238915-682003330-2000', 'root', 'Root', PASSWORD_HASH "
    "FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'porter';";
constexpr char kNoRootAccount[] = "DELETE FROM BNT_DIRECTORY_ACCOUNT WHERE USERNAME = 'root';"
                                  "INSERT OR REPLACE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, "
                                  "ACCOUNTID) VALUES (10, -1, 1, 'S-1-5-21-1004336348-1177238915-682003330-2000');";
constexpr char kPorterAccount[] = "INSERT OR REPLACE INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, "
                                  "ACCOUNTID) VALUES (8, 3, 1, 'S-1-5-21-1004336348-1177238915-682003330-1008');";
// "temp": user 95, a copy of the demo operator (both segments), with the porter's password and a
// Windows account; deleted and made again as user 96, a copy of the porter (Headquarters only),
// with the same logon id, password and account.
constexpr wchar_t kTempSid[] = L"S-1-5-21-1004336348-1177238915-682003330-2095";
std::string TempUser(int id, int copyOf)
{
    const std::string user = std::to_string(id);
    return "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED, "
           "SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, "
           "BNT_DBID) SELECT " +
           user +
           ", 'temp', 'Tom', 'Temp', SEGMENTID, MZID, (SELECT LOGONPWD FROM USERS WHERE USERID = 3), 1, "
           "SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, BNT_DBID "
           "FROM USERS WHERE USERID = " +
           std::to_string(copyOf) +
           ";"
           "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) SELECT " +
           user + ", SEGMENTID FROM USER_SEGMENT_LINK WHERE USERID = " + std::to_string(copyOf) +
           ";"
           "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES (" +
           user + ", " + user + ", 1, 'S-1-5-21-1004336348-1177238915-682003330-2095');";
}
const std::string kNoTempUser =
    "DELETE FROM USER_ACCOUNT WHERE USERID IN (SELECT USERID FROM USERS WHERE LOGONID = 'temp');"
    "DELETE FROM USER_SEGMENT_LINK WHERE USERID IN (SELECT USERID FROM USERS WHERE LOGONID = 'temp');"
    "DELETE FROM USERS WHERE LOGONID = 'temp';";

class RightsChange : public swtest::SoftwareEventTest
{
protected:
    RightsChange()
    {
        const CModuleStateSwitch current(&m_bus);
        m_bus.InitInstance();
    }
    ~RightsChange() override
    {
        m_namespace->CancelAsyncCall(m_all.Get());
        const CModuleStateSwitch current(&m_bus);
        m_bus.ExitInstance();
    }

    // The porter's bus session.
    std::string LogInOnTheBus()
    {
        const CModuleStateSwitch current(&m_bus);
        std::string token;
        COleDateTime when;
        EXPECT_EQ(m_bus.Authenticate(kApplication, CCorvessaBaseApp::kInternalDirectoryId, "porter", "porter-demo",
                                     token, when),
                  S_OK);
        return token;
    }

    // The system administrator takes the porter's secondary segment 2 through the bus.
    std::string UnlinkWarehouseOnTheBus()
    {
        const CModuleStateSwitch current(&m_bus);
        std::string token;
        COleDateTime when;
        EXPECT_EQ(
            m_bus.Authenticate(kApplication, CCorvessaBaseApp::kInternalDirectoryId, "sa", "sa-demo", token, when),
            S_OK);
        return BusAnswer([&] {
            CCorvessaQpidInstance link;
            link.PopulateInstanceData("Bnt_UserSecondarySegment",
                                      {{"UserID", Variant("3")}, {"SegmentID", Variant("2")}});
            return Code(m_bus.DeleteInstance(token, kApplication, link));
        });
    }

    // An account of the system administrator gives the porter secondary segment 2 through the
    // WMI door.
    std::string LinkWarehouseOnTheWmiDoor()
    {
        const CallerIdentity::Scope administrator(CallerIdentity(kAdministratorSid, SecurityImpersonation));
        ComPtr<IWbemClassObject> definition;
        ComPtr<IWbemClassObject> link;
        if (FAILED(m_namespace->GetObject(support::BstrText(L"Bnt_UserSecondarySegment"), 0, nullptr, &definition,
                                          nullptr)) ||
            FAILED(definition->SpawnInstance(0, &link)))
            return "no class";
        for (const auto& [property, value] : {std::pair{L"UserID", 3}, std::pair{L"SegmentID", 2}})
        {
            _variant_t number(static_cast<LONG>(value));
            link->Put(property, 0, &number, 0);
        }
        return Code(m_namespace->PutInstance(link.Get(), WBEM_FLAG_CREATE_ONLY, nullptr, nullptr));
    }

    // What the porter's next requests answer on both doors, and which of a change of cardholder 1
    // (Headquarters) and 8 (Warehouse) reach its watch of accounts: "wmi <read 1> <read 8> <change 8>
    // <delete 999> <add empty> | bus <rows of 1> <rows of 8> <change 8> <delete 999> <add empty> | events
    // <ids>".
    std::string Observe(const std::string& token, support::RecordingSink& watch)
    {
        ComPtr<IWbemClassObject> eight;
        m_namespace->GetObject(support::BstrText(L"Bnt_Cardholder.ID=8"), 0, nullptr, &eight, nullptr);
        // An empty new cardholder: the add right is checked before what the instance lacks.
        ComPtr<IWbemClassObject> definition;
        ComPtr<IWbemClassObject> empty;
        m_namespace->GetObject(support::BstrText(L"Bnt_Cardholder"), 0, nullptr, &definition, nullptr);
        if (definition != nullptr)
            definition->SpawnInstance(0, &empty);
        std::string text = "wmi";
        {
            const CallerIdentity::Scope porter(CallerIdentity(kPorterSid, SecurityImpersonation));
            for (const wchar_t* path : {L"Bnt_Cardholder.ID=1", L"Bnt_Cardholder.ID=8"})
            {
                ComPtr<IWbemClassObject> read;
                text += " " + Code(m_namespace->GetObject(support::BstrText(path), 0, nullptr, &read, nullptr));
            }
            text += " " + Code(eight == nullptr
                                   ? E_POINTER
                                   : m_namespace->PutInstance(eight.Get(), WBEM_FLAG_UPDATE_ONLY, nullptr, nullptr));
            text += " " +
                    Code(m_namespace->DeleteInstance(support::BstrText(L"Bnt_Cardholder.ID=999"), 0, nullptr, nullptr));
            text += " " + Code(empty == nullptr
                                   ? E_POINTER
                                   : m_namespace->PutInstance(empty.Get(), WBEM_FLAG_CREATE_ONLY, nullptr, nullptr));
        }
        text += " | bus";
        {
            const CModuleStateSwitch current(&m_bus);
            for (const char* filter : {"ID = 1", "ID = 8"})
                text += " " + BusAnswer([&] {
                            corvessa::PagingParameters everyRow;
                            everyRow.pageNumber = 0;
                            everyRow.pageSize = 1;
                            CCorvessaBaseApp::CorvessaPaginatedInfo info;
                            CCorvessaBaseApp::InstanceList rows;
                            std::string type = "Bnt_Cardholder";
                            const HRESULT hr =
                                m_bus.GetInstance(token, kApplication, type, filter, everyRow, info, rows);
                            return SUCCEEDED(hr) ? std::to_string(rows.size()) : Code(hr);
                        });
            text += " " + BusAnswer([&] {
                        CCorvessaQpidInstance change;
                        change.PopulateInstanceData("Bnt_Cardholder",
                                                    {{"ID", Variant("8")}, {"FIRSTNAME", Variant("Hedda")}});
                        CCorvessaQpidInstance changed;
                        return Code(m_bus.ModifyInstance(token, kApplication, change, changed, false));
                    });
            text += " " + BusAnswer([&] {
                        CCorvessaQpidInstance key;
                        key.PopulateInstanceData("Bnt_Cardholder", {{"ID", Variant("999")}});
                        return Code(m_bus.DeleteInstance(token, kApplication, key));
                    });
            text += " " + BusAnswer([&] {
                        CCorvessaQpidInstance empty;
                        empty.PopulateInstanceData("Bnt_Cardholder", {});
                        CCorvessaQpidInstance added;
                        return Code(m_bus.AddInstance(token, kApplication, empty, added, false));
                    });
        }
        // The operator's watch receives the marker after the porter's watch has had its turn at
        // the two account changes.
        const std::size_t before = watch.Objects().size();
        HandIn(5, 2, 0, AccountChange(1));
        HandIn(5, 2, 0, AccountChange(8));
        HandIn(2, 3, 0, kMarker);
        EXPECT_TRUE(m_all->WaitForObjects(++m_seen, swtest::kEventTimeout));
        text += " | events";
        const std::vector<ComPtr<IWbemClassObject>> events = watch.Objects();
        for (std::size_t i = before; i < events.size(); ++i)
            text += " " + support::PropertyText(Embedded(events[i].Get(), L"TargetInstance").Get(), L"PersonID");
        return text;
    }

    // A bus session: its token, or the refusal's reason (empty token then).
    std::string SignIn(int directory, const std::string& name, const std::string& password, std::string& refusal)
    {
        const CModuleStateSwitch current(&m_bus);
        std::string token;
        refusal = BusAnswer([&] {
            COleDateTime when;
            return Code(m_bus.Authenticate(kApplication, directory, name, password, token, when));
        });
        return refusal == "ok" ? token : std::string();
    }

    // Who the bus serves a token as: "user N", or the token check's code or refusal.
    std::string BusUser(const std::string& token)
    {
        const CModuleStateSwitch current(&m_bus);
        return BusAnswer([&] {
            CCorvessaBaseApp::UserInfo info;
            const HRESULT hr = m_bus.GetLoggedInUserInformation(token, kApplication, info);
            return SUCCEEDED(hr) ? "user " + std::to_string(info.userId) : Code(hr);
        });
    }

    // What an account's next requests answer: "wmi <read of Warehouse cardholder 8> <delete of a
    // missing cardholder> | fresh <a new bus sign-in> | bus <the session's token>". The
    // administrator and the operator see cardholder 8, the porter does not; only the
    // administrator may delete ("missing"), the others are refused.
    std::string ObserveIdentity(const wchar_t* sid, const std::string& token, int directory, const std::string& name,
                                const std::string& password)
    {
        std::string text = "wmi";
        {
            const CallerIdentity::Scope caller(CallerIdentity(sid, SecurityImpersonation));
            ComPtr<IWbemClassObject> read;
            text += " " +
                    Code(m_namespace->GetObject(support::BstrText(L"Bnt_Cardholder.ID=8"), 0, nullptr, &read, nullptr));
            text += " " +
                    Code(m_namespace->DeleteInstance(support::BstrText(L"Bnt_Cardholder.ID=999"), 0, nullptr, nullptr));
        }
        std::string refusal;
        const std::string fresh = SignIn(directory, name, password, refusal);
        text += " | fresh " + (fresh.empty() ? refusal : BusUser(fresh));
        return text + " | bus " + BusUser(token);
    }

    // The answer of a bus request: its own text, or the key of the refusal it throws.
    template <typename Request>
    static std::string BusAnswer(Request request)
    {
        try
        {
            return request();
        }
        catch (const CCorvessaException& e)
        {
            // The message names where the refusal was raised; what matters is why.
            const std::string message = e.ErrorMessage();
            const std::size_t why = message.rfind("): ");
            const std::string reason = why == std::string::npos ? message : message.substr(why + 3);
            return reason == "The requested instance could not be retrieved or does not exist."
                       ? "missing"
                       : "refused(" + reason + ")";
        }
        catch (const brontel::utility::CWMIException& e)
        {
            return Code(e.GetHResult());
        }
        catch (const GenericException&)
        {
            return "generic";
        }
    }

    CCorvessaBaseApp m_bus;
    const ComPtr<support::RecordingSink> m_all =
        Subscribe(L"SELECT * FROM __InstanceOperationEvent WHERE TargetInstance ISA 'Bnt_Cardholder'");
    std::size_t m_seen = 0;
};

TEST_F(RightsChange, EveryRightFollowsItsChangeAtTheNextRequestAndTheNextEvent)
{
    ASSERT_NE(m_all, nullptr);
    swtest::ExecuteOnInstallation(kPorterBaseline + support::TestCallers::Sql({kAdministratorSid}));
    // The porter in Headquarters only, and with the Warehouse too.
    // The refusals the bus names: a missing right, and (the add right held) the empty instance's.
    const std::string kNoRight =
        "refused(The client does not have sufficient user permissions to perform the requested operation.)";
    const std::string kEmpty = "refused(The required property LASTNAME had no value and no default was provided.)";
    // The porter in Headquarters only, and with the Warehouse too.
    const std::string kHeadquarters =
        "wmi ok missing missing missing 0x80041028 | bus 1 0 missing missing " + kEmpty + " | events 1";
    const std::string kBoth = "wmi ok ok ok missing 0x80041028 | bus 1 1 ok missing " + kEmpty + " | events 1 8";
    constexpr char kLink[] = "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (3, 2);";
    constexpr char kUnlink[] = "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 3 AND SEGMENTID IN (2, 20);";
    constexpr char kDepots[] = "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (3, 20);";
    constexpr char kDepotsWarehouse[] =
        "INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (20, 2);";
    constexpr char kNoDepotsWarehouse[] = "DELETE FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = 20;";
    // A right of one of the porter's groups withdrawn, and given back with the porter's baseline.
    const auto withdrawn = [](const std::string& group, const std::string& rights) {
        return "DELETE FROM USER_PERM_GRANT WHERE USER_PERMID = " + group + " AND PERMISSIONID IN (" + rights + ");";
    };
    const auto regranted = [&](const std::string& group, const std::string& rights) {
        std::string values;
        for (std::size_t from = 0; from < rights.size();)
        {
            const std::size_t end = std::min(rights.find(", ", from), rights.size());
            values += (values.empty() ? "(" : ", (") + group + ", " + rights.substr(from, end - from) + ")";
            from = end + 2;
        }
        return kUnlink + ("INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES " + values + ";");
    };
    const struct
    {
        const char* right;
        std::string setUp;   // before the session, the entry and the watch
        std::string change;  // by another hand, once they exist
        std::string undo;    // back to the porter's baseline
        std::string before;
        std::string after;
        // In place of the change: another caller's request on a door.
        std::function<void()> byCaller = {};
    } cases[] = {
        {"secondary segment taken by the administrator on the bus", kLink, "", "", kBoth, kHeadquarters,
         [this] { EXPECT_EQ(UnlinkWarehouseOnTheBus(), "ok"); }},
        {"secondary segment given by the administrator on the WMI door", "", "", kUnlink, kHeadquarters, kBoth,
         [this] { EXPECT_EQ(LinkWarehouseOnTheWmiDoor(), "ok"); }},
        {"secondary segment taken", kLink, kUnlink, "", kBoth, kHeadquarters},
        {"group unit taken", std::string(kDepots) + kDepotsWarehouse, kNoDepotsWarehouse, kUnlink, kBoth,
         kHeadquarters},
        {"group unit given", kDepots, kDepotsWarehouse, std::string(kUnlink) + kNoDepotsWarehouse, kHeadquarters,
         kBoth},
        {"group of the secondary segment deleted", std::string(kDepots) + kDepotsWarehouse,
         // As a delete through the doors, whose connections cascade to the links.
         "DELETE FROM USER_SEGMENT_LINK WHERE SEGMENTID = 20; DELETE FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = 20;"
         "DELETE FROM SEGMENT WHERE SEGMENTID = 20;",
         "INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (20, 'Depots', 1);", kBoth, kHeadquarters},
        {"primary segment", "", "UPDATE USERS SET SEGMENTID = 2 WHERE USERID = 3;",
         "UPDATE USERS SET SEGMENTID = 1 WHERE USERID = 3;", kHeadquarters,
         "wmi missing ok ok missing 0x80041028 | bus 0 1 ok missing " + kEmpty + " | events 8"},
        {"provider use", kLink, withdrawn("871", "0x100000D0"), regranted("871", "0x100000D0"), kBoth,
         "wmi denied denied denied denied denied | bus 1 1 ok missing " + kEmpty + " | events"},
        {"view permission", kLink, withdrawn("872", "0x20000003, 0x20000049"),
         regranted("872", "0x20000003, 0x20000049"), kBoth,
         "wmi denied denied missing missing 0x80041028 | bus 0 0 missing missing " + kEmpty + " | events"},
        {"modify permission", kLink, withdrawn("872", "0x20000005"), regranted("872", "0x20000005"), kBoth,
         "wmi ok ok denied missing 0x80041028 | bus 1 1 " + kNoRight + " missing " + kEmpty + " | events 1 8"},
        {"add permission", kLink, withdrawn("872", "0x20000004"), regranted("872", "0x20000004"), kBoth,
         "wmi ok ok ok missing denied | bus 1 1 ok missing " + kNoRight + " | events 1 8"},
        {"delete permission", kLink, withdrawn("872", "0x20000009"), regranted("872", "0x20000009"), kBoth,
         "wmi ok ok ok denied 0x80041028 | bus 1 1 ok " + kNoRight + " " + kEmpty + " | events 1 8"},
        {"permission group", kLink, "UPDATE USERS SET CARD_USER_PERMID = 2 WHERE USERID = 3;",
         std::string(kUnlink) + "UPDATE USERS SET CARD_USER_PERMID = 872 WHERE USERID = 3;", kBoth,
         "wmi ok ok ok denied denied | bus 1 1 ok " + kNoRight + " " + kNoRight + " | events"},
        {"enabled", kLink, "UPDATE USERS SET ISENABLED = 0 WHERE USERID = 3;",
         std::string(kUnlink) + "UPDATE USERS SET ISENABLED = 1 WHERE USERID = 3;", kBoth,
         "wmi denied denied denied denied denied | bus 0x80040520 0x80040520 0x80040520 0x80040520 0x80040520 | events"},
        // Without it the porter writes person 8 as a fresh process does: the class definition
        // drops the segment property at once, on both doors.
        {"person segmentation", "", "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003;",
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;", kHeadquarters, kBoth},
        {"account unlinked", kLink, "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 8;",
         std::string(kUnlink) + "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
                                "(8, 3, 1, 'S-1-5-21-1004336348-1177238915-682003330-1008');",
         kBoth, "wmi denied denied denied denied denied | bus 1 1 ok missing " + kEmpty + " | events"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.right);
        swtest::ExecuteOnInstallation(c.setUp);
        const std::string token = LogInOnTheBus();
        ComPtr<support::RecordingSink> watch;
        {
            const CallerIdentity::Scope porter(CallerIdentity(kPorterSid, SecurityImpersonation));
            HRESULT subscribed = S_OK;
            watch = Subscribe(L"SELECT * FROM __InstanceModificationEvent WHERE TargetInstance ISA 'Bnt_Account'",
                              &subscribed);
            ASSERT_NE(watch, nullptr) << Code(subscribed);
        }
        EXPECT_EQ(Observe(token, *watch), c.before);
        if (c.byCaller)
            c.byCaller();
        else
            swtest::ExecuteOnInstallation(c.change);
        EXPECT_EQ(Observe(token, *watch), c.after);
        m_namespace->CancelAsyncCall(watch.Get());
        swtest::ExecuteOnInstallation(c.undo);
    }
    swtest::ExecuteOnInstallation(kBaselineUndone);
}

// Whoever a caller is (an account of the system administrator, a directory account, an internal
// logon), a change of its user row or of the account that named it applies at its very next
// request on both doors: a caller whose user is gone, disabled or no longer named by its account
// is refused; one whose account names another user is served as that user on the WMI door, while
// its bus token, issued to the user it named then, is refused and a fresh sign-in gives the new
// user.
TEST_F(RightsChange, EveryIdentityFollowsItsUserAndAccountAtTheNextRequestOnBothDoors)
{
    const std::string kGone = "0x80040520";
    const std::string kFailed = "refused(Authentication failed.)";
    const std::string kNoSid =
        "refused(The sign-in was refused: the account and password given were not accepted, check server logs for details.)";
    const std::string kAdministrator = "wmi ok missing";
    const std::string kOperator = "wmi ok denied";
    const std::string kPorter = "wmi missing denied";
    const struct
    {
        const char* identity;
        std::string setUp;
        const wchar_t* sid;  // the WMI door's caller
        int directory;       // the bus sign-in: -1 internal, 1 the local accounts directory
        const char* name;
        const char* password;       // of the session
        const char* freshPassword;  // of the sign-in after the change
        std::string before;
        std::string change;
        std::string after;
        std::string undo;
    } cases[] = {
        {"administrator's account deleted", kRootAccount, kAdministratorSid, 1, "root", "porter-demo", "porter-demo",
         kAdministrator + " | fresh user -1 | bus user -1", "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 10;",
         "wmi denied denied | fresh " + kNoSid + " | bus " + kGone, kNoRootAccount},
        {"administrator's account moved to the porter", kRootAccount, kAdministratorSid, 1, "root", "porter-demo",
         "porter-demo", kAdministrator + " | fresh user -1 | bus user -1",
         "UPDATE USER_ACCOUNT SET USERID = 3 WHERE USER_ACCOUNTID = 10;", kPorter + " | fresh user 3 | bus " + kGone,
         kNoRootAccount},
        {"administrator disabled", "", kAdministratorSid, -1, "sa", "sa-demo", "sa-demo",
         kAdministrator + " | fresh user -1 | bus user -1", "UPDATE USERS SET ISENABLED = 0 WHERE USERID = -1;",
         "wmi denied denied | fresh " + kFailed + " | bus " + kGone,
         "UPDATE USERS SET ISENABLED = 1 WHERE USERID = -1;"},
        {"directory account unlinked", "", kPorterSid, 1, "porter", "porter-demo", "porter-demo",
         kPorter + " | fresh user 3 | bus user 3", "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 8;",
         "wmi denied denied | fresh " + kNoSid + " | bus " + kGone, kPorterAccount},
        {"directory account relinked to the operator", "", kPorterSid, 1, "porter", "porter-demo", "porter-demo",
         kPorter + " | fresh user 3 | bus user 3", "UPDATE USER_ACCOUNT SET USERID = 1 WHERE USER_ACCOUNTID = 8;",
         kOperator + " | fresh user 1 | bus " + kGone, kPorterAccount},
        {"user deleted and another made with its logon id", TempUser(95, 1), kTempSid, -1, "temp", "porter-demo",
         "porter-demo", kOperator + " | fresh user 95 | bus user 95", kNoTempUser + TempUser(96, 3),
         kPorter + " | fresh user 96 | bus " + kGone, kNoTempUser},
        // Logon ids are unique: the operator gives its up as it is disabled.
        {"user disabled and another renamed to its logon id", "", kPorterSid, -1, "operator", "operator-demo",
         "porter-demo", kPorter + " | fresh user 1 | bus user 1",
         "UPDATE USERS SET ISENABLED = 0, LOGONID = 'retired' WHERE USERID = 1;"
         "UPDATE USERS SET LOGONID = 'operator' WHERE USERID = 3;",
         kPorter + " | fresh user 3 | bus " + kGone,
         "UPDATE USERS SET LOGONID = 'porter' WHERE USERID = 3;"
         "UPDATE USERS SET ISENABLED = 1, LOGONID = 'operator' WHERE USERID = 1;"},
    };
    // Persons segmented, so that the porter, in Headquarters only, does not see cardholder 8.
    swtest::ExecuteOnInstallation("UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.identity);
        swtest::ExecuteOnInstallation(c.setUp);
        std::string refusal;
        const std::string token = SignIn(c.directory, c.name, c.password, refusal);
        ASSERT_FALSE(token.empty()) << refusal;
        EXPECT_EQ(ObserveIdentity(c.sid, token, c.directory, c.name, c.password), c.before);
        swtest::ExecuteOnInstallation(c.change);
        EXPECT_EQ(ObserveIdentity(c.sid, token, c.directory, c.name, c.freshPassword), c.after);
        swtest::ExecuteOnInstallation(c.undo);
    }
    swtest::ExecuteOnInstallation("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003;");
}

}  // namespace
