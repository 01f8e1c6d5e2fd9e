// Values no reader could trust are refused on every class the declarations make: a text over
// its "maxlen", a text holding a NUL, an impossible date-time. Each put answers 0x80041008
// naming the property, and nothing in the database changes.
#include "tests/e2e/DoorTest.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "platform/com/Bstr.h"
#include "platform/com/CimTypes.h"

#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// One hostile value for one table-backed property of a declared concrete class.
struct HostileValue
{
    std::wstring className;
    std::wstring property;
    std::string what;
    _variant_t value;
};

_variant_t Text(const std::wstring& text)
{
    _variant_t value;
    VARIANT& raw = value.GetVARIANT();
    raw.vt = VT_BSTR;
    raw.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return value;
}

// Every hostile value of every declared concrete class: an over-long text where the property has
// a limit, a NUL-bearing text on every text, and three impossible dates on every date-time.
std::vector<HostileValue> HostileValues()
{
    static const std::wstring kNulText(L"Ab\0cd", 5);
    static const wchar_t* const kImpossibleDates[] = {
        L"20230231120000.000000+000",  // February 31
        L"20230101250000.000000+000",  // hour 25
        L"00000000000000.000000+000",  // all zero
    };
    std::vector<HostileValue> values;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& name : registry->GetTypeNames())
    {
        if (registry->IsClassAbstract(name))
            continue;
        const CWMITypeInfo* typeInfo = registry->GetTypeInfo(name, true);
        if (typeInfo == nullptr)
            continue;
        const std::wstring className = name.GetString();
        for (const auto& [property, column] : typeInfo->GetPropertyColumns())
        {
            const long type = typeInfo->GetPropertyType(property);
            const std::wstring propertyName = property.GetString();
            if (type == CIM_STRING)
            {
                const int limit = typeInfo->GetPropertyLength(property);
                if (limit > 0)
                    values.push_back({className, propertyName, "over maxlen",
                                      Text(std::wstring(static_cast<std::size_t>(limit) + 1, L'x'))});
                values.push_back({className, propertyName, "embedded NUL", Text(kNulText)});
            }
            else if (type == CIM_DATETIME)
            {
                for (const wchar_t* date : kImpossibleDates)
                    values.push_back({className, propertyName, "impossible date", Text(date)});
            }
        }
    }
    return values;
}

// The classes outside the registry's name chain, built only by their factory.
const std::set<std::wstring> kFactoryOnlyClasses = {L"Bnt_PTZPreset",     L"Bnt_VideoLayout", L"Bnt_VideoLayoutSource",
                                                    L"Bnt_VideoTemplate", L"Bnt_WorkStation", L"Bnt_VideoRecorder"};

using DoorValueForms = DoorTest;
}  // namespace

TEST_F(DoorValueForms, EveryClassRefusesOverlongNulBearingAndImpossibleValuesAndWritesNothing)
{
    CallAs(Callers::kAdministrator);
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    const std::vector<HostileValue> values = HostileValues();
    ASSERT_GT(values.size(), 100U);
    int classesWithText = 0;
    std::set<std::wstring> unserved;
    std::wstring lastClass;
    for (const HostileValue& hostile : values)
    {
        SCOPED_TRACE(Utf8(hostile.className) + "." + Utf8(hostile.property) + ": " + hostile.what);
        ComPtr<IWbemClassObject> instance = NewInstance(hostile.className);
        ASSERT_TRUE(instance);
        _variant_t value(hostile.value);
        // A property the served definition does not carry cannot be sent.
        if (instance->Put(hostile.property.c_str(), 0, &value, 0) != WBEM_S_NO_ERROR)
            continue;
        classesWithText += hostile.className != lastClass ? 1 : 0;
        lastClass = hostile.className;
        const Reply reply = Put(Form::Sync, instance.Get(), WBEM_FLAG_CREATE_OR_UPDATE);
        // The classes built only by their factory are not served through this door.
        if (reply.result == WBEM_E_INVALID_CLASS)
        {
            unserved.insert(hostile.className);
            continue;
        }
        EXPECT_EQ(reply.result, WBEM_E_INVALID_PARAMETER)
            << Hex(reply.result) << " " << Description(reply.statusObject.Get());
        EXPECT_TRUE(
            EndsWith(Description(reply.statusObject.Get()),
                     "The property " + Utf8(hostile.property) + " did not exist or contained an invalid value."))
            << Description(reply.statusObject.Get());
    }
    EXPECT_GT(classesWithText, 50);
    for (const std::wstring& name : unserved)
        EXPECT_TRUE(kFactoryOnlyClasses.count(name) != 0) << Utf8(name);
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}
