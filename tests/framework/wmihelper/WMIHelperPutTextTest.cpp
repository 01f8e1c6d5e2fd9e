// PutText: the text view written as PutString writes it, to our objects and to any other.
#include "framework/WMIHelper.h"

#include "tests/framework/wmihelper/WMIHelperTestSupport.h"

#include <string>
#include <string_view>

using namespace wmihelpertest;

TEST(WMIHelperPutText, WritesTheWholeViewAsPutStringDoes)
{
    const SampleObjects sample = MakeSample();
    IWbemClassObject* instance = sample.instance.Get();
    const std::wstring withNul(L"left\0right \u00e9", 12);
    // Only part of a longer buffer is written: the view's end, not a terminator, ends the text.
    const std::wstring_view part = std::wstring_view(withNul).substr(0, 10);
    ASSERT_EQ(WMIHelper::PutText(instance, L"text", part, CIM_STRING), WBEM_S_NO_ERROR);
    _variant_t read;
    ASSERT_EQ(instance->Get(L"Text", 0, &read, nullptr, nullptr), WBEM_S_NO_ERROR);
    ASSERT_EQ(read.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(read.bstrVal, SysStringLen(read.bstrVal)), std::wstring(part));

    ASSERT_EQ(WMIHelper::PutText(instance, L"Text", std::wstring_view(), 0), WBEM_S_NO_ERROR);
    CString empty(L"not yet");
    EXPECT_EQ(WMIHelper::GetString(instance, L"Text", empty), WBEM_S_NO_ERROR);
    EXPECT_TRUE(empty.IsEmpty());

    EXPECT_EQ(WMIHelper::PutText(instance, L"Number", L"12", CIM_STRING), WBEM_E_TYPE_MISMATCH);
    EXPECT_EQ(WMIHelper::PutText(instance, L"NoSuchProperty", L"x", CIM_STRING), WBEM_E_NOT_FOUND);
    EXPECT_EQ(WMIHelper::PutText(nullptr, L"Text", L"x", CIM_STRING), WBEM_E_FAILED);
}

TEST(WMIHelperPutText, AClassDefinitionKeepsItsOwnCopy)
{
    const SampleObjects sample = MakeSample();
    ASSERT_EQ(WMIHelper::PutText(sample.classObject.Get(), L"Text", L"default", 0), WBEM_S_NO_ERROR);
    ComPtr<IWbemClassObject> spawned;
    ASSERT_EQ(sample.classObject->SpawnInstance(0, &spawned), WBEM_S_NO_ERROR);
    CString read;
    EXPECT_EQ(WMIHelper::GetString(spawned.Get(), L"Text", read), WBEM_S_NO_ERROR);
    EXPECT_EQ(read, L"default");
}

TEST(WMIHelperPutText, AnotherImplementationReceivesAnOrdinaryPut)
{
    const ComPtr<VariantObject> foreign = ObjectWith(_variant_t(L"old"), CIM_STRING);
    // The test object refuses every Put; its answer is passed on as it is.
    EXPECT_EQ(WMIHelper::PutText(foreign.Get(), L"P", L"new", CIM_STRING), E_NOTIMPL);
    EXPECT_EQ(WMIHelper::PutString(foreign.Get(), L"P", L"new", CIM_STRING), E_NOTIMPL);
}
