// The one walk over an object's properties.
#include "framework/WMIHelper.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {
ComPtr<IWbemClassObject> ClassWith(const std::vector<const wchar_t*>& properties)
{
    ComPtr<IWbemClassObject> object = WbemClassObject::CreateEmptyClass();
    _variant_t name(L"Tst_Walk");
    EXPECT_EQ(object->Put(L"__CLASS", 0, &name, 0), S_OK);
    for (const wchar_t* property : properties)
        EXPECT_EQ(object->Put(property, 0, nullptr, CIM_STRING), S_OK);
    return object;
}
}  // namespace

TEST(WMIHelperForEachProperty, VisitsEveryPropertyOnceStopsWhenAskedAndEndsTheEnumeration)
{
    const ComPtr<IWbemClassObject> object = ClassWith({L"A", L"B", L"C"});
    const struct
    {
        std::size_t stopAfter;
        std::vector<std::wstring> seen;
    } cases[] = {{99, {L"A", L"B", L"C"}}, {1, {L"A"}}, {2, {L"A", L"B"}}};
    for (const auto& one : cases)
    {
        std::vector<std::wstring> seen;
        EXPECT_EQ(WMIHelper::ForEachProperty(object.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                             [&](const CString& name, const VARIANT&, CIMTYPE type) {
                                                 EXPECT_EQ(type, CIM_STRING);
                                                 seen.emplace_back(name.GetString());
                                                 return seen.size() < one.stopAfter;
                                             }),
                  S_OK);
        EXPECT_EQ(seen, one.seen);
        // The walk ended its enumeration: a new one starts from the first property.
        EXPECT_EQ(object->BeginEnumeration(WBEM_FLAG_NONSYSTEM_ONLY), S_OK);
        object->EndEnumeration();
    }
    const ComPtr<IWbemClassObject> empty = ClassWith({});
    int visits = 0;
    EXPECT_EQ(WMIHelper::ForEachProperty(empty.Get(), WBEM_FLAG_NONSYSTEM_ONLY,
                                         [&](const CString&, const VARIANT&, CIMTYPE) { return ++visits > 0; }),
              S_OK);
    EXPECT_EQ(visits, 0);
    EXPECT_EQ(WMIHelper::ForEachProperty(nullptr, 0, [](const CString&, const VARIANT&, CIMTYPE) { return true; }),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(
        WMIHelper::ForEachProperty(object.Get(), 0x7FFF, [](const CString&, const VARIANT&, CIMTYPE) { return true; }),
        WBEM_E_INVALID_PARAMETER)
        << "a failed BeginEnumeration is answered";
}
