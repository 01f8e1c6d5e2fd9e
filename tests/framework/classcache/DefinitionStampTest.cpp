// A long-lived process follows at its next request every option and list its class definitions
// are made from, on both doors, whoever changed them (here another connection to the same
// database, as another process would): PIN edits forbidden (configuration value 1606) refuse the
// next put of a PIN, for the system administrator and a restricted caller alike, and a department
// moved to a segment the caller cannot see leaves the next definition's value list; the way back
// is followed as well.
#include "tests/isolation/BusDoor.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "tests/support/ArrayTexts.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
namespace callers = support::callers;

// The installation's system administrator (user -1), and a caller with every right in segment 3
// ("Lab") only, with cardholder segmentation on; their bus logins: an administrator of every
// segment, and the same Lab caller.
constexpr const wchar_t* kAdministrator = callers::kAdministrator;
constexpr const wchar_t* kLab = callers::kLab;
constexpr char kBusAdministratorLogin[] = "busadmin";
constexpr char kLabLogin[] = "lab";
// Cardholder 1 (with badges 1 and 6) stands in the Lab segment; department 4 too, until a step
// moves it to segment 2 (Warehouse), which the Lab caller cannot see.
constexpr char kSetUp[] = R"(
INSERT INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Lab', 0);
INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (3);
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1001, 1003);
UPDATE EMP SET SEGMENTID = 3 WHERE ID = 1;
INSERT INTO DEPARTMENT (ID, NAME, SEGMENTID) VALUES (4, 'Lab stores', 3);
ALTER TABLE UDFEMP ADD COLUMN DEPTID INTEGER;
INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED, LISTID) VALUES (950, 'DEPTID', 3, 0, 0, 200);
INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES (950, 2, 950, 1, 9, 'Department');
)";
constexpr wchar_t kBadge[] = L"Bnt_Badge.BADGEKEY=1";

std::string PinOption(int editable)
{
    return "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(editable) +
           " WHERE CONFIGID = " + std::to_string(CBntAcsSystemOptions::kPinEditableId) + ";";
}

class DefinitionStamp : public DoorTest
{
public:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                               kSetUp + support::TestCallers::Sql({kLab, callers::kBusAdministrator}));
    }

protected:
    // Another connection's write, as another process makes it.
    static void Elsewhere(const std::string& sql)
    {
        support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), sql);
    }
    // The stored cipher of badge 1's PIN: a refused put leaves it as it was.
    static std::string StoredPin() { return DoorInstallation::Rows("SELECT PIN FROM BADGE WHERE BADGEKEY = 1")[0][0]; }
    // The department ids a caller of the segment may see, as the rows hold them (every one for
    // a caller of every segment: "").
    static std::set<std::string> StoredDepartments(const std::string& segment)
    {
        std::set<std::string> ids;
        for (const Row& row : DoorInstallation::Rows("SELECT ID FROM DEPARTMENT" +
                                                     (segment.empty() ? "" : " WHERE SEGMENTID = " + segment)))
            ids.insert(row[0]);
        return ids;
    }

    // How the WMI door answers the caller's put of the PIN: "ok", or the code and refusal text.
    std::string WmiPutPin(const wchar_t* caller, const wchar_t* pin)
    {
        CallAs(caller);
        ComPtr<IWbemClassObject> badge = Instance(kBadge);
        if (badge == nullptr)
            return "<no badge>";
        _variant_t value(pin);
        EXPECT_EQ(badge->Put(L"PIN", 0, &value, 0), WBEM_S_NO_ERROR);
        const Reply reply = Put(Form::Sync, badge.Get(), WBEM_FLAG_UPDATE_ONLY);
        return SUCCEEDED(reply.result) ? "ok" : Hex(reply.result) + " " + Description(reply.statusObject.Get());
    }
    // The department ids of the caller's Bnt_Cardholder definition on the WMI door.
    std::set<std::string> WmiDepartments(const wchar_t* caller)
    {
        CallAs(caller);
        const Reply definition = Get(Form::Sync, L"Bnt_Cardholder");
        std::set<std::string> ids;
        if (definition.objects.size() != 1)
        {
            ADD_FAILURE() << Hex(definition.result);
            return ids;
        }
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t values;
        if (definition.objects.front()->GetPropertyQualifierSet(L"DEPTID", &qualifiers) != WBEM_S_NO_ERROR ||
            qualifiers->Get(L"ValueMap", 0, &values, nullptr) != WBEM_S_NO_ERROR)
        {
            ADD_FAILURE() << "DEPTID carries no value list";
            return ids;
        }
        for (const std::wstring& id : support::ArrayTexts(values))
            ids.insert(Utf8(id));
        return ids;
    }

    isolation::BusDoor m_bus;
};

// One caller on one door: how it puts badge 1's PIN and which departments its definition lists.
struct DoorCaller
{
    const char* name;
    std::function<std::string(const wchar_t* pin)> putPin;
    std::function<std::set<std::string>()> departments;
    // The segment whose departments it may see ("" for every segment).
    std::string segment;
};
}  // namespace

TEST_F(DefinitionStamp, TheNextRequestFollowsThePinOptionAndAMovedDepartmentOnBothDoors)
{
    const std::string busAdministrator = m_bus.Login(kBusAdministratorLogin);
    const std::string busLab = m_bus.Login(kLabLogin);
    const auto busPin = [this](const std::string& token) {
        return [this, token](const wchar_t* pin) {
            return m_bus.Modify(token, L"Bnt_Badge",
                                {{"BADGEKEY", qpid::types::Variant(1)},
                                 {"PERSONID", qpid::types::Variant(1)},
                                 {"TYPE", qpid::types::Variant(1)},
                                 {"ID", qpid::types::Variant(100001)},
                                 {"PIN", qpid::types::Variant(Utf8(pin))}});
        };
    };
    const auto busDepartments = [this](const std::string& token) {
        return [this, token] { return m_bus.PossibleValues(token, L"Bnt_Cardholder", "DEPTID"); };
    };
    const std::vector<DoorCaller> doors = {
        {"WMI, administrator", [this](const wchar_t* pin) { return WmiPutPin(kAdministrator, pin); },
         [this] { return WmiDepartments(kAdministrator); }, ""},
        {"WMI, Lab", [this](const wchar_t* pin) { return WmiPutPin(kLab, pin); },
         [this] { return WmiDepartments(kLab); }, "3"},
        {"bus, administrator", busPin(busAdministrator), busDepartments(busAdministrator), ""},
        {"bus, Lab", busPin(busLab), busDepartments(busLab), "3"},
    };
    const std::string notEditable = Utf8(CWmipMessages::kNotEditableProperty);
    const std::string pinNotEditable =
        notEditable.substr(0, notEditable.find("%s")) + "PIN" + notEditable.substr(notEditable.find("%s") + 2);
    const struct
    {
        const char* step;
        std::string elsewhere;
        bool pinEditable;
        bool labSeesDepartment4;
    } steps[] = {
        {"as installed", "", true, true},
        {"PIN edits forbidden, department 4 moved to Warehouse",
         PinOption(0) + "UPDATE DEPARTMENT SET SEGMENTID = 2 WHERE ID = 4;", false, false},
        {"PIN edits allowed again", PinOption(1), true, false},
        {"department 4 back in the Lab", "UPDATE DEPARTMENT SET SEGMENTID = 3 WHERE ID = 4;", true, true},
    };
    int put = 0;
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        if (!step.elsewhere.empty())
            Elsewhere(step.elsewhere);
        for (const DoorCaller& door : doors)
        {
            SCOPED_TRACE(door.name);
            // Asked twice: the first answer is kept for the second, so a kept definition answers.
            for (int request = 0; request < 2; ++request)
            {
                const std::string before = StoredPin();
                const std::wstring pin = std::to_wstring(4100 + ++put);
                const std::string answer = door.putPin(pin.c_str());
                if (step.pinEditable)
                {
                    EXPECT_EQ(answer, "ok");
                    EXPECT_NE(StoredPin(), before);
                }
                else
                {
                    EXPECT_TRUE(answer.find(pinNotEditable) != std::string::npos) << answer;
                    EXPECT_TRUE(answer.starts_with(door.name[0] == 'W' ? "0x80041001" : "corvessa.")) << answer;
                    EXPECT_EQ(StoredPin(), before);
                }
                const std::set<std::string> departments = door.departments();
                EXPECT_EQ(departments, StoredDepartments(door.segment));
                EXPECT_EQ(departments.contains("4"), door.segment.empty() || step.labSeesDepartment4);
            }
        }
    }
}

// The visit class's kept definition follows its layout at the next request on both doors, as the
// person's and the badge's do: a field of the visit layout added, relabelled, lengthened and
// removed.
TEST_F(DefinitionStamp, TheNextRequestFollowsTheVisitLayoutOnBothDoors)
{
    const std::string busAdministrator = m_bus.Login(kBusAdministratorLogin);
    // The visit's PURPOSE field as the caller's definition holds it: "<label>/<length>", or "-".
    const auto wmiPurpose = [this](const wchar_t* caller) {
        CallAs(caller);
        const Reply definition = Get(Form::Sync, L"Bnt_Visit");
        if (definition.objects.size() != 1)
            return Hex(definition.result);
        ComPtr<IWbemQualifierSet> qualifiers;
        if (definition.objects.front()->GetPropertyQualifierSet(L"PURPOSE", &qualifiers) != WBEM_S_NO_ERROR)
            return std::string("-");
        _variant_t label;
        _variant_t length;
        qualifiers->Get(L"DisplayName", 0, &label, nullptr);
        qualifiers->Get(L"maxlen", 0, &length, nullptr);
        return (label.vt == VT_BSTR ? Utf8(label.bstrVal) : std::string("?")) + "/" +
               (length.vt == VT_I4 ? std::to_string(length.lVal) : std::string("?"));
    };
    // The same field as the bus describes it to its administrator: "<length>", or "-".
    const auto busPurpose = [&] {
        const qpid::types::Variant::Map purpose = m_bus.DescribedProperty(busAdministrator, L"Bnt_Visit", "PURPOSE");
        const auto length = purpose.find("max_length");
        return purpose.empty()           ? std::string("-")
               : length != purpose.end() ? std::to_string(length->second.asInt32())
                                         : "?";
    };
    const struct
    {
        const char* step;
        std::string elsewhere;
        std::string wmi;
        std::string bus;
    } steps[] = {
        {"as installed", "", "-", "-"},
        {"a visit field added",
         "ALTER TABLE VISIT ADD COLUMN PURPOSE TEXT;"
         "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE, MAXLEN, REQUIRED) VALUES (960, 'PURPOSE', 8, 40, 0);"
         "INSERT INTO UDFOBJS (UDFOBJSID, TBLID, DDFLDID, DBOBJTYPE, LFIELD, LABEL) VALUES "
         "(960, 100101, 960, 1, 1, 'Purpose');",
         "Purpose/40", "40"},
        {"the field relabelled", "UPDATE UDFOBJS SET LABEL = 'Reason' WHERE UDFOBJSID = 960;", "Reason/40", "40"},
        {"the field lengthened", "UPDATE DDFLD SET MAXLEN = 60 WHERE DDFLDID = 960;", "Reason/60", "60"},
        {"the field removed", "DELETE FROM UDFOBJS WHERE UDFOBJSID = 960;", "-", "-"},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        if (!step.elsewhere.empty())
            Elsewhere(step.elsewhere);
        // Asked twice: the first answer is kept for the second.
        for (int request = 0; request < 2; ++request)
        {
            for (const wchar_t* caller : {kAdministrator, kLab})
                EXPECT_EQ(wmiPurpose(caller), step.wmi) << Utf8(caller);
            EXPECT_EQ(busPurpose(), step.bus);
        }
    }
}
