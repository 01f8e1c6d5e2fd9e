// Field permissions on every road of both doors, over every class of the registry whose fields a
// field permission group governs: a caller whose group hides two fields (the employee number and
// the threat level clearance), may view but not edit a third (the department) and holds every
// other right in Headquarters alone, with persons segmented, is served neither hidden field by a
// get, an enumeration, a query or the class definition of the WMI door, nor by the type
// description or a page of the bus, nor is the cardholder's IsGrant, which the clearance decides;
// a select list and a condition naming one are refused on both doors, an order on one is that of
// an unknown name, and a watch of the class's record changes, whose instances would carry them, is
// refused. The view-only field is served and marked read-only; a put that carries it unchanged
// (as a client writes back what it read) is taken, one that changes it is refused, and neither
// changes a hidden or a view-only value. A change of the group's rows is followed at the next
// request of either door.
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipPooledConnection.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/isolation/BusDoor.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace e2e;
using namespace isolation;

namespace {
// Fenna (user 59): every right (the isolation groups 71 to 73 of the headquarters chief) in
// Headquarters alone, field group 59. She signs in on the bus as an internal account.
constexpr wchar_t kFenna[] = L"S-1-5-21-1004336348-1177238915-682003330-2959";
constexpr char kFennaLogin[] = "fenna";
// The fields group 59 hides (SSNO, THREATLEVEL: the second with the edit right, which needs the
// view right to mean anything) and the one it may view but not edit (DEPARTMENT), by DDFLDID.
const std::set<LONG> kHiddenFields = {4, 8};
constexpr LONG kViewOnlyField = 7;
constexpr char kFieldGroupRows[] = R"(
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004);
INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME, SEGMENTID) VALUES (59, 'No clearances', 0);
INSERT INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW, CANEDIT) VALUES (59, 4, 0, 0), (59, 8, 0, 1),
    (59, 7, 1, 0);
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                   SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                   USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID)
    SELECT 59, 'fenna', 'Fenna', 'Fields', 1, 1, LOGONPWD, 1, 71, 73, 72, 0, 59, CREATED, LASTCHANGED, NULL, 0, 1
    FROM USERS WHERE USERID = 1;
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (59, 59, 1, 'S-1-5-21-1004336348-1177238915-682003330-2959');
)";

// The non-system property names of an object.
std::set<std::string> Names(IWbemClassObject* object)
{
    std::set<std::string> names;
    WMIHelper::ForEachProperty(object, WBEM_FLAG_NONSYSTEM_ONLY, [&](const CString& name, const VARIANT&, CIMTYPE) {
        names.insert(DoorTest::Utf8(name.GetString()));
        return true;
    });
    return names;
}

bool QualifierIsTrue(IWbemClassObject* definition, const std::string& property, const wchar_t* name)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    _variant_t value;
    const std::wstring wide(property.begin(), property.end());
    if (FAILED(definition->GetPropertyQualifierSet(wide.c_str(), &qualifiers)) ||
        FAILED(qualifiers->Get(name, 0, &value, nullptr)))
        return false;
    const VARIANT& raw = value;
    return raw.vt == VT_BOOL && raw.boolVal != VARIANT_FALSE;
}

// A class whose fields the group governs: its hidden and view-only properties, by the "FieldID"
// of the system's definition.
struct GovernedClass
{
    std::wstring name;
    std::set<std::string> hidden;
    std::set<std::string> viewOnly;
};

class FieldPermissionSweep : public DoorTest
{
protected:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               support::TestCallers::Sql({support::callers::kHeadquartersChief}) +
                                                   kFieldGroupRows);
    }

    // Every class of the registry with per-property permissions whose system definition holds a
    // field the group hides or keeps from editing.
    std::vector<GovernedClass> GovernedClasses()
    {
        std::vector<GovernedClass> governed;
        const CWmipPooledConnection connection{CWmipApp::GetConnectionManager()};
        for (const CString& name : CWmipMapperRegistry::Instance()->GetTypeNames())
        {
            const std::unique_ptr<CWmipClassMapper> mapper(
                CWmipMapperRegistry::GetMapper(connection.Get(), nullptr, Services(), name.GetString(), Door::kWmi));
            ComPtr<IWbemClassObject> definition;
            if (mapper == nullptr || !mapper->HasPerPropertyPermissions() ||
                FAILED(mapper->GetHeldClass(definition, TRUE)))
                continue;
            GovernedClass found{name.GetWString(), {}, {}};
            for (const std::string& property : Names(definition.Get()))
            {
                ComPtr<IWbemQualifierSet> qualifiers;
                _variant_t field;
                const std::wstring wide(property.begin(), property.end());
                if (FAILED(definition->GetPropertyQualifierSet(wide.c_str(), &qualifiers)) ||
                    FAILED(qualifiers->Get(L"FieldID", 0, &field, nullptr)))
                    continue;
                const LONG id = static_cast<const VARIANT&>(field).lVal;
                if (kHiddenFields.contains(id))
                    found.hidden.insert(property);
                else if (id == kViewOnlyField)
                    found.viewOnly.insert(property);
            }
            if (!found.hidden.empty() || !found.viewOnly.empty())
                governed.push_back(std::move(found));
        }
        return governed;
    }

    // Every hidden name the objects carry.
    static std::set<std::string> Carried(const std::vector<ComPtr<IWbemClassObject>>& objects,
                                         const std::set<std::string>& hidden)
    {
        std::set<std::string> carried;
        for (const ComPtr<IWbemClassObject>& object : objects)
            for (const std::string& name : Names(object.Get()))
                if (hidden.contains(name))
                    carried.insert(name);
        return carried;
    }

    // The servers a cardholder's write tells.
    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_F(FieldPermissionSweep, AFieldTheGroupHidesIsOnNoRoadAndAViewOnlyFieldIsServedButNeverChanged)
{
    const std::vector<GovernedClass> governed = GovernedClasses();
    std::set<std::string> covered;
    for (const GovernedClass& each : governed)
        for (const std::string& property : each.hidden)
            covered.insert(Utf8(each.name) + "." + property);
    // The employee number of every person class, the clearance of cardholders.
    EXPECT_TRUE(covered.contains("Bnt_Cardholder.SSNO") && covered.contains("Bnt_Cardholder.THREATLEVEL") &&
                covered.contains("Bnt_Visitor.SSNO") && covered.contains("Bnt_Person.SSNO"))
        << covered.size();

    BusDoor bus;
    const std::string token = bus.Login(kFennaLogin);
    CallAs(kFenna);
    for (const GovernedClass& each : governed)
    {
        SCOPED_TRACE(Utf8(each.name));
        // The class definition and the bus's type description.
        const Reply definition = Get(Form::Sync, each.name);
        ASSERT_EQ(definition.objects.size(), 1u) << Hex(definition.result);
        EXPECT_EQ(Carried(definition.objects, each.hidden), std::set<std::string>());
        for (const std::string& property : each.viewOnly)
        {
            EXPECT_TRUE(QualifierIsTrue(definition.objects.front().Get(), property, L"noedit")) << property;
            EXPECT_EQ(bus.DescribedProperty(token, each.name, property)["access"].asString(), "view") << property;
        }
        for (const std::string& property : each.hidden)
            EXPECT_TRUE(bus.DescribedProperty(token, each.name, property).empty()) << property;

        // Enumeration, query and get; a page of the bus.
        const Reply all = Enum(Form::Async, each.name);
        ASSERT_EQ(all.result, WBEM_S_NO_ERROR) << Hex(all.result);
        ASSERT_FALSE(all.objects.empty());
        EXPECT_EQ(Carried(all.objects, each.hidden), std::set<std::string>());
        const Reply queried = Query(Form::Sync, L"SELECT * FROM " + each.name);
        ASSERT_EQ(queried.objects.size(), all.objects.size()) << Hex(queried.result);
        EXPECT_EQ(Carried(queried.objects, each.hidden), std::set<std::string>());
        const std::wstring path = support::PropertyCString(all.objects.front().Get(), L"__RELPATH").GetWString();
        const Reply got = Get(Form::Async, path);
        ASSERT_EQ(got.objects.size(), 1u) << Hex(got.result);
        EXPECT_EQ(Carried(got.objects, each.hidden), std::set<std::string>());
        if (each.name == L"Bnt_Cardholder")
        {
            EXPECT_EQ(support::PropertyText(got.objects.front().Get(), L"IsGrant"), "<null>");
        }
        std::vector<std::string> names(each.hidden.begin(), each.hidden.end());
        names.insert(names.end(), each.viewOnly.begin(), each.viewOnly.end());
        const std::optional<BusDoor::Paged> page = bus.Page(token, each.name, "", names, 0, 1);
        ASSERT_TRUE(page.has_value());
        ASSERT_EQ(page->rows.size(), all.objects.size());
        for (const std::string& row : page->rows)
            for (const std::string& property : each.hidden)
                EXPECT_NE(row.find(property + "=<none>"), std::string::npos) << row;

        // A select list, a condition and an order that name a hidden field are refused; so is a
        // watch of the class's changes.
        for (const std::string& property : each.hidden)
        {
            const std::wstring wide(property.begin(), property.end());
            CString selected;
            selected.Format(CWmipMessages::kSelectUnknownProperty, wide.c_str(), each.name.c_str());
            EXPECT_TRUE(Refused(Query(Form::Sync, L"SELECT " + wide + L" FROM " + each.name), WBEM_E_INVALID_QUERY,
                                selected.GetWString()));
            CString condition;
            condition.Format(CWmipMessages::kWhereUnknownProperty, wide.c_str(), each.name.c_str());
            EXPECT_TRUE(Refused(Query(Form::Sync, L"SELECT * FROM " + each.name + L" WHERE " + wide + L" = 3"),
                                WBEM_E_INVALID_QUERY, condition.GetWString()));
            const auto filtered = bus.Read(token, each.name, property + " = 3", "");
            EXPECT_NE(filtered.first, S_OK) << property;
            // An order on it is one on a name of no property: the keys' order, whatever it holds
            // (the clearances of Headquarters' cardholders order them otherwise).
            const std::vector<std::string> ids = bus.IdsInOrder(token, each.name, property);
            EXPECT_EQ(ids.size(), all.objects.size()) << property;
            EXPECT_EQ(ids, bus.IdsInOrder(token, each.name, "NOSUCHFIELD")) << property;
        }
        const CWmipPooledConnection connection{CWmipApp::GetConnectionManager()};
        const std::unique_ptr<CWmipClassMapper> watched(
            CWmipMapperRegistry::GetMapper(connection.Get(), nullptr, Services(), each.name.c_str(), Door::kWmi));
        ASSERT_NE(watched, nullptr);
        try
        {
            watched->CanViewAll();
            ADD_FAILURE() << "a watch of the class's changes is taken";
        }
        catch (const brontel::utility::CWMIException& e)
        {
            EXPECT_EQ(e.GetHResult(), WBEM_E_ACCESS_DENIED);
        }
    }

    // The view-only department: written back unchanged by both doors, refused changed; neither
    // write moves a hidden or a view-only value.
    const char kStored[] = "SELECT SSNO, THREATLEVEL, DEPARTMENT FROM EMP JOIN UDFEMP ON UDFEMP.ID = EMP.ID "
                           "WHERE EMP.ID = 1";
    const Table before = DoorInstallation::Rows(kStored);
    ASSERT_EQ(before, (Table{{"E-1001", "3", "Engineering"}}));
    const ComPtr<IWbemClassObject> cardholder = Instance(L"Bnt_Cardholder.ID=1");
    ASSERT_NE(cardholder, nullptr);
    EXPECT_EQ(support::PropertyText(cardholder.Get(), L"DEPARTMENT"), "Engineering");
    const Reply unchanged = Put(Form::Sync, cardholder.Get(), WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(unchanged.result, WBEM_S_NO_ERROR) << Description(unchanged.statusObject);
    _variant_t moved(L"Sales");
    ASSERT_EQ(cardholder->Put(L"DEPARTMENT", 0, &moved, 0), WBEM_S_NO_ERROR);
    CString notEditable;
    notEditable.Format(CWmipMessages::kNotEditableProperty, L"DEPARTMENT");
    EXPECT_TRUE(
        Refused(Put(Form::Sync, cardholder.Get(), WBEM_FLAG_UPDATE_ONLY), WBEM_E_FAILED, notEditable.GetWString()));
    EXPECT_EQ(bus.Modify(token, L"Bnt_Cardholder", {{"ID", 1}, {"DEPARTMENT", "Engineering"}, {"LASTNAME", "Adler"}}),
              "ok");
    EXPECT_NE(bus.Modify(token, L"Bnt_Cardholder", {{"ID", 1}, {"DEPARTMENT", "Sales"}}).find("DEPARTMENT"),
              std::string::npos);
    EXPECT_NE(bus.Modify(token, L"Bnt_Cardholder", {{"ID", 1}, {"THREATLEVEL", 9}}).find("THREATLEVEL"),
              std::string::npos);
    EXPECT_EQ(DoorInstallation::Rows(kStored), before);

    // The group may view the clearance from now on: the next request of each door serves it.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE USER_PERM_UDF_FIELD SET CANVIEW = 1 WHERE USER_PERM_UDFID = 59 "
                                           "AND DDFLDID = 8");
    const ComPtr<IWbemClassObject> cleared = Instance(L"Bnt_Cardholder.ID=1");
    ASSERT_NE(cleared, nullptr);
    EXPECT_EQ(support::PropertyText(cleared.Get(), L"THREATLEVEL"), "3");
    EXPECT_EQ(support::PropertyText(cleared.Get(), L"SSNO"), "<missing>");
    EXPECT_EQ(bus.Rows(token, L"Bnt_Cardholder", "ID = 1", {"THREATLEVEL", "SSNO"}),
              (std::vector<std::string>{"THREATLEVEL=3,SSNO=<none>"}));
}
