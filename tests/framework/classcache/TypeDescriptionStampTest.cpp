// What each door says of a class follows at the next request the options and lists it was made
// from, whoever changed them (here another connection to the same database): the WMI door's class
// definition and the bus's type description alike mark badges' PIN not editable while PIN edits
// are forbidden (configuration value 1606), give the PIN the length its kind names (1605), and
// list the badge types in the caller's segments as the rows stand, for a caller of one segment
// with badge-type segmentation on and for the administrator. Each is asked twice per step, so a kept definition answers
// the second time. The type the bus publishes for every caller follows the segmentation switches as well.
#include "tests/isolation/BusDoor.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "tests/support/ArrayTexts.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestCallers.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
namespace callers = support::callers;

// Segment 3 ("Lab") with segments, cardholder and badge-type segmentation on; the Lab pass (31)
// stands in the Lab, the dock pass (32) in segment 2 (Warehouse), which the Lab caller cannot see.
constexpr char kBadgeTypeSetUp[] = R"(
INSERT OR IGNORE INTO SEGMENT (SEGMENTID, NAME, TYPE) VALUES (3, 'Lab', 0);
INSERT OR IGNORE INTO SEGMENT_UNIT (SEGMENTID) VALUES (3);
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1001, 1003, 1005);
INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) VALUES
    (31, 'Lab pass', 1, 0, 0, 3), (32, 'Dock pass', 1, 0, 0, 2);
)";

std::string PinEditableOption(int editable)
{
    return "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(editable) +
           " WHERE CONFIGID = " + std::to_string(CBntAcsSystemOptions::kPinEditableId) + ";";
}

std::string PinLengthKind(int kind)
{
    return "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(kind) +
           " WHERE CONFIGID = " + std::to_string(CBntAcsSystemOptions::kPinLengthKindId) + ";";
}

// What one door says of Bnt_Badge to one caller: whether PIN is editable, its length, and the
// badge types TYPE lists.
struct Described
{
    bool pinEditable = false;
    LONG pinLength = 0;
    std::set<std::string> badgeTypes;
    bool operator==(const Described&) const = default;
};

class TypeDescriptionStamp : public DoorTest
{
public:
    static void SetUpTestSuite()
    {
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            kBadgeTypeSetUp + support::TestCallers::Sql({callers::kLab, callers::kBusAdministrator}));
    }

protected:
    // Bnt_Badge's definition as the WMI door serves it to the caller.
    Described Wmi(const wchar_t* caller)
    {
        CallAs(caller);
        const Reply definition = Get(Form::Sync, L"Bnt_Badge");
        Described described;
        if (definition.objects.size() != 1)
        {
            ADD_FAILURE() << Hex(definition.result);
            return described;
        }
        IWbemClassObject* badge = definition.objects.front().Get();
        described.pinEditable = !QualifierTrue(badge, L"PIN", L"noedit") && !QualifierTrue(badge, L"PIN", L"read");
        ComPtr<IWbemQualifierSet> pin;
        _variant_t length;
        if (badge->GetPropertyQualifierSet(L"PIN", &pin) == WBEM_S_NO_ERROR &&
            pin->Get(L"maxlen", 0, &length, nullptr) == WBEM_S_NO_ERROR && length.vt == VT_I4)
            described.pinLength = length.lVal;
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t values;
        if (badge->GetPropertyQualifierSet(L"TYPE", &qualifiers) == WBEM_S_NO_ERROR &&
            qualifiers->Get(L"ValueMap", 0, &values, nullptr) == WBEM_S_NO_ERROR)
        {
            for (const std::wstring& id : support::ArrayTexts(values))
                described.badgeTypes.insert(Utf8(id));
        }
        return described;
    }
    // Bnt_Badge's type description as the bus serves it to the session.
    Described Bus(const std::string& token)
    {
        const qpid::types::Variant::Map pin = m_bus.DescribedProperty(token, L"Bnt_Badge", "PIN");
        const auto access = pin.find("access");
        EXPECT_NE(access, pin.end()) << "PIN has no access in the description";
        const auto length = pin.find("max_length");
        EXPECT_NE(length, pin.end()) << "PIN has no length in the description";
        return {access != pin.end() && access->second.asString() == "edit",
                length != pin.end() ? length->second.asInt32() : 0, m_bus.PossibleValues(token, L"Bnt_Badge", "TYPE")};
    }
    static bool QualifierTrue(IWbemClassObject* definition, const wchar_t* property, const wchar_t* name)
    {
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t value;
        return definition->GetPropertyQualifierSet(property, &qualifiers) == WBEM_S_NO_ERROR &&
               qualifiers->Get(name, 0, &value, nullptr) == WBEM_S_NO_ERROR && value.vt == VT_BOOL &&
               value.boolVal != VARIANT_FALSE;
    }

    isolation::BusDoor m_bus;
};

}  // namespace

TEST_F(TypeDescriptionStamp, BothDoorsFollowThePinOptionsAndTheBadgeTypesAtTheNextRequest)
{
    const std::string busAdministrator = m_bus.Login("busadmin");
    const std::string busLab = m_bus.Login("lab");
    const struct
    {
        const char* name;
        std::function<Described()> describe;
        bool restricted;
    } doors[] = {
        {"WMI, administrator", [this] { return Wmi(callers::kAdministrator); }, false},
        {"WMI, Lab", [this] { return Wmi(callers::kLab); }, true},
        {"bus, administrator", [&] { return Bus(busAdministrator); }, false},
        {"bus, Lab", [&] { return Bus(busLab); }, true},
    };
    const struct
    {
        const char* step;
        std::string elsewhere;
        bool pinEditable;
        LONG pinLength;
        // The badge types of this test the Lab caller sees; the administrator sees them all.
        std::set<std::string> lab;
    } steps[] = {
        {"as installed (PINs of 4 digits)", "", true, 4, {"31"}},
        {"PIN edits forbidden, PINs of 6 digits, the Lab pass moved to the Warehouse",
         PinEditableOption(0) + PinLengthKind(6) + "UPDATE BADGETYP SET SEGMENTID = 2 WHERE ID = 31;",
         false,
         6,
         {}},
        {"PIN edits allowed again, PINs of 9 digits, a Lab visitor pass added",
         PinEditableOption(1) + PinLengthKind(9) +
             "INSERT INTO BADGETYP (ID, NAME, BADGE_CLASS, DISPOSABLE, DEFGROUP, SEGMENTID) "
             "VALUES (33, 'Lab visitor pass', 2, 1, 0, 3);",
         true,
         9,
         {"33"}},
        {"PINs of 4 digits again", PinLengthKind(4), true, 4, {"33"}},
    };
    for (const auto& step : steps)
    {
        SCOPED_TRACE(step.step);
        if (!step.elsewhere.empty())
            support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), step.elsewhere);
        std::set<std::string> everyType;
        for (const Row& row : DoorInstallation::Rows("SELECT ID FROM BADGETYP"))
            everyType.insert(row[0]);
        for (const auto& door : doors)
        {
            SCOPED_TRACE(door.name);
            for (int request = 0; request < 2; ++request)
            {
                const Described described = door.describe();
                EXPECT_EQ(described.pinEditable, step.pinEditable);
                EXPECT_EQ(described.pinLength, step.pinLength);
                if (door.restricted)
                {
                    for (const char* id : {"31", "32", "33"})
                        EXPECT_EQ(described.badgeTypes.contains(id), step.lab.contains(id)) << "badge type " << id;
                }
                else
                {
                    EXPECT_EQ(described.badgeTypes, everyType);
                }
            }
        }
    }
}

TEST_F(TypeDescriptionStamp, ThePublishedCardholderTypeFollowsTheSegmentationSwitch)
{
    const std::string busLab = m_bus.Login("lab");
    CWMITypeInfo* cardholder = CWmipMapperRegistry::Instance()->GetTypeInfo(L"Bnt_Cardholder");
    ASSERT_NE(cardholder, nullptr);
    for (const bool segmented : {true, false, true})
    {
        SCOPED_TRACE(segmented ? "cardholder segmentation on" : "cardholder segmentation off");
        support::InstallationDatabase::Execute(
            DoorInstallation::DatabaseFile(),
            "UPDATE CONFIG_VALUE SET NUMBERVALUE = " + std::to_string(segmented ? 1 : 0) +
                " WHERE CONFIGID = " + std::to_string(CBntAcsSystemOptions::kCardholderSegmentationId) + ";");
        for (int request = 0; request < 2; ++request)
        {
            EXPECT_EQ(cardholder->GetTypeInformation()->GetPropertyDescriptor(L"PRIMARYSEGMENTID") != nullptr,
                      segmented);
            EXPECT_EQ(m_bus.DescribedProperty(busLab, L"Bnt_Cardholder", "PRIMARYSEGMENTID").empty(), !segmented);
            CallAs(callers::kLab);
            const Reply definition = Get(Form::Sync, L"Bnt_Cardholder");
            ASSERT_EQ(definition.objects.size(), 1u) << Hex(definition.result);
            EXPECT_EQ(SUCCEEDED(definition.objects.front()->Get(L"PRIMARYSEGMENTID", 0, nullptr, nullptr, nullptr)),
                      segmented);
        }
    }
}
