#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemContext.h"
#include "tests/platform/wmi/WbemTestSupport.h"

#include <gtest/gtest.h>

TEST(WbemContext, ValuesAreNamedWithoutRegardToCase)
{
    auto context = WbemContext::Create();
    _variant_t trust(LONG(1234));
    ASSERT_EQ(context->SetValue(L"BackDoor", 0, &trust), WBEM_S_NO_ERROR);
    _variant_t read;
    ASSERT_EQ(context->GetValue(L"BACKDOOR", 0, &read), WBEM_S_NO_ERROR);
    EXPECT_EQ(read.lVal, 1234);
    _variant_t shellOnly(true);
    context->SetValue(L"ShellOnly", 0, &shellOnly);
    _variant_t replaced(LONG(5));
    context->SetValue(L"backdoor", 0, &replaced);
    SAFEARRAY* names = nullptr;
    ASSERT_EQ(context->GetNames(0, &names), WBEM_S_NO_ERROR);
    EXPECT_EQ(wmitest::Strings(names), (std::vector<std::wstring>{L"BackDoor", L"ShellOnly"}));
}

TEST(WbemContext, MissingValuesAndBadArgumentsAreReported)
{
    auto context = WbemContext::Create();
    _variant_t value(LONG(3));
    EXPECT_EQ(context->GetValue(L"Absent", 0, &value), WBEM_E_NOT_FOUND);
    EXPECT_EQ(value.lVal, 3);
    EXPECT_EQ(context->SetValue(L"", 0, &value), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(context->SetValue(L"x", 0, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(context->DeleteValue(L"Absent", 0), WBEM_E_NOT_FOUND);
    EXPECT_EQ(context->Clone(nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemContext, ClonesHoldTheirOwnValues)
{
    auto context = WbemContext::Create();
    _variant_t text(L"one");
    context->SetValue(L"Name", 0, &text);
    ComPtr<IWbemContext> copy;
    ASSERT_EQ(context->Clone(&copy), WBEM_S_NO_ERROR);
    _variant_t other(L"two");
    copy->SetValue(L"Name", 0, &other);
    copy->DeleteValue(L"Name", 0);
    _variant_t read;
    ASSERT_EQ(context->GetValue(L"Name", 0, &read), WBEM_S_NO_ERROR);
    EXPECT_STREQ(read.bstrVal, L"one");
    EXPECT_EQ(copy->GetValue(L"Name", 0, &read), WBEM_E_NOT_FOUND);
}

TEST(WbemContext, EnumerationWalksValuesInOrderAndSkipsDeletedOnes)
{
    auto context = WbemContext::Create();
    for (const wchar_t* name : {L"A", L"B", L"C"})
    {
        _variant_t value(name);
        context->SetValue(name, 0, &value);
    }
    BSTR name = nullptr;
    VARIANT value;
    EXPECT_EQ(context->Next(0, &name, &value), WBEM_E_UNEXPECTED);
    ASSERT_EQ(context->BeginEnumeration(0), WBEM_S_NO_ERROR);
    context->DeleteValue(L"b", 0);
    std::vector<std::wstring> seen;
    while (context->Next(0, &name, &value) == WBEM_S_NO_ERROR)
    {
        seen.emplace_back(name);
        EXPECT_STREQ(value.bstrVal, name);
        SysFreeString(name);
        VariantClear(&value);
    }
    context->EndEnumeration();
    EXPECT_EQ(seen, (std::vector<std::wstring>{L"A", L"C"}));
    context->DeleteAll();
    SAFEARRAY* names = nullptr;
    context->GetNames(0, &names);
    EXPECT_TRUE(wmitest::Strings(names).empty());
}
