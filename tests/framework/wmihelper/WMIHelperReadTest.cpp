// The typed reads: which VARIANT types each helper reads, its codes, and that a failed read
// leaves the caller's output alone.
#include "framework/WMIHelper.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

using namespace wmihelpertest;

namespace {

constexpr HRESULT kFailed = static_cast<HRESULT>(0x80041001u);
constexpr HRESULT kIllegalNull = static_cast<HRESULT>(0x80041028u);
constexpr LONG kSentinel = 0x5A5A5A5A;

struct NumberCase
{
    const char* label;
    VARTYPE type;
    LONGLONG bits;
    HRESULT expected;
    LONG value;
};

const NumberCase kNumberCases[] = {
    {"I1 negative", VT_I1, -5, S_OK, -5},
    {"UI1 high", VT_UI1, 200, S_OK, 200},
    {"I2 negative", VT_I2, -300, S_OK, -300},
    {"UI2 top", VT_UI2, 65535, S_OK, 65535},
    {"BOOL true", VT_BOOL, -1, S_OK, -1},
    {"BOOL false", VT_BOOL, 0, S_OK, 0},
    {"I4 lowest", VT_I4, std::numeric_limits<LONG>::min(), S_OK, std::numeric_limits<LONG>::min()},
    {"UI4 top keeps bits", VT_UI4, 0xFFFFFFFFll, S_OK, -1},
    {"INT", VT_INT, 123456, S_OK, 123456},
    {"UINT keeps bits", VT_UINT, 0x80000000ll, S_OK, std::numeric_limits<LONG>::min()},
    {"NULL", VT_NULL, 0, kIllegalNull, kSentinel},
    {"EMPTY", VT_EMPTY, 0, kFailed, kSentinel},
    {"I8", VT_I8, 7, kFailed, kSentinel},
    {"UI8", VT_UI8, 7, kFailed, kSentinel},
    {"R4", VT_R4, 0, kFailed, kSentinel},
    {"R8", VT_R8, 0, kFailed, kSentinel},
    {"DATE", VT_DATE, 0, kFailed, kSentinel},
    {"ERROR", VT_ERROR, 0, kFailed, kSentinel},
};

}  // namespace

TEST(WMIHelperGetNumber, ReadsListedIntegerTypesAndRefusesTheRest)
{
    for (const NumberCase& item : kNumberCases)
    {
        SCOPED_TRACE(item.label);
        const ComPtr<VariantObject> object = ObjectWith(Typed(item.type, item.bits));
        LONG value = kSentinel;
        EXPECT_EQ(WMIHelper::GetNumber(object.Get(), L"P", value), item.expected);
        EXPECT_EQ(value, item.value);
    }
}

TEST(WMIHelperGetNumber, RefusesTextEvenWhenItHoldsDigits)
{
    const ComPtr<VariantObject> object = ObjectWith(_variant_t(L"12"));
    LONG value = kSentinel;
    EXPECT_EQ(WMIHelper::GetNumber(object.Get(), L"P", value), kFailed);
    EXPECT_EQ(value, kSentinel);
}

TEST(WMIHelperGetNumber, NullObjectAndMissingPropertyLeaveOutputAlone)
{
    LONG value = kSentinel;
    EXPECT_EQ(WMIHelper::GetNumber(nullptr, L"P", value), kFailed);
    const ComPtr<VariantObject> object = ObjectWith(_variant_t(LONG{1}));
    EXPECT_EQ(WMIHelper::GetNumber(object.Get(), L"Other", value), WBEM_E_NOT_FOUND);
    EXPECT_EQ(WMIHelper::GetNumber(object.Get(), nullptr, value), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(value, kSentinel);
}

TEST(WMIHelperGetNumber64, ReadsIntegersAndDecimalText)
{
    const struct
    {
        const char* label;
        _variant_t value;
        CIMTYPE type;
        HRESULT expected;
        LONGLONG result;
    } cases[] = {
        {"I4", Typed(VT_I4, -42), CIM_SINT32, S_OK, -42},
        {"UI4", Typed(VT_UI4, 0xFFFFFFFFll), CIM_UINT32, S_OK, -1},
        {"I8", Typed(VT_I8, std::numeric_limits<LONGLONG>::min()), CIM_EMPTY, S_OK,
         std::numeric_limits<LONGLONG>::min()},
        {"UI8 keeps bits", Typed(VT_UI8, -1), CIM_EMPTY, S_OK, -1},
        {"sint64 text", _variant_t(L"-9223372036854775808"), CIM_SINT64, S_OK, std::numeric_limits<LONGLONG>::min()},
        {"sint64 top", _variant_t(L"9223372036854775807"), CIM_SINT64, S_OK, std::numeric_limits<LONGLONG>::max()},
        {"uint64 top keeps bits", _variant_t(L"18446744073709551615"), CIM_UINT64, S_OK, -1},
        {"sint64 overflow", _variant_t(L"9223372036854775808"), CIM_SINT64, kFailed, 77},
        {"uint64 overflow", _variant_t(L"18446744073709551616"), CIM_UINT64, kFailed, 77},
        {"negative beyond range", _variant_t(L"-9223372036854775809"), CIM_SINT64, kFailed, 77},
        {"plus sign", _variant_t(L"+5"), CIM_SINT64, kFailed, 77},
        {"leading blank", _variant_t(L" 5"), CIM_SINT64, kFailed, 77},
        {"trailing letter", _variant_t(L"12a"), CIM_SINT64, kFailed, 77},
        {"lone minus", _variant_t(L"-"), CIM_SINT64, kFailed, 77},
        {"empty text", _variant_t(L""), CIM_SINT64, kFailed, 77},
        {"overlong digits", _variant_t(L"000000000000000000000000001"), CIM_SINT64, kFailed, 77},
        {"NULL", Typed(VT_NULL, 0), CIM_SINT64, kIllegalNull, 77},
        {"R8", Typed(VT_R8, 0), CIM_REAL64, kFailed, 77},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.label);
        const ComPtr<VariantObject> object = ObjectWith(item.value, item.type);
        LONGLONG value = 77;
        EXPECT_EQ(WMIHelper::GetNumber64(object.Get(), L"P", value), item.expected);
        EXPECT_EQ(value, item.result);
    }
}

TEST(WMIHelperGetString, ReadsTextOnlyKeepingEmbeddedNuls)
{
    _variant_t withNul;
    withNul.bstrVal = SysAllocStringLen(L"a\0b", 3);
    withNul.vt = VT_BSTR;
    _variant_t nullText;
    nullText.vt = VT_BSTR;
    nullText.bstrVal = nullptr;

    const struct
    {
        const char* label;
        _variant_t value;
        HRESULT expected;
        std::wstring text;
    } cases[] = {
        {"text", _variant_t(L"Lobby"), S_OK, L"Lobby"},
        {"embedded NUL", withNul, S_OK, std::wstring(L"a\0b", 3)},
        {"null BSTR", nullText, S_OK, L""},
        {"NULL", Typed(VT_NULL, 0), kIllegalNull, L"unchanged"},
        {"number", Typed(VT_I4, 5), kFailed, L"unchanged"},
        {"EMPTY", Typed(VT_EMPTY, 0), kFailed, L"unchanged"},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.label);
        const ComPtr<VariantObject> object = ObjectWith(item.value);
        CString value(L"unchanged");
        EXPECT_EQ(WMIHelper::GetString(object.Get(), L"P", value), item.expected);
        EXPECT_EQ(value.GetWString(), item.text);
    }
    CString value(L"unchanged");
    EXPECT_EQ(WMIHelper::GetString(nullptr, L"P", value), kFailed);
    EXPECT_EQ(value, L"unchanged");
}

TEST(WMIHelperGetBool, GivesTrueOrFalseFromBooleansAndIntegers)
{
    const struct
    {
        const char* label;
        _variant_t value;
        HRESULT expected;
        int result;
    } cases[] = {
        {"VARIANT_TRUE", Typed(VT_BOOL, -1), S_OK, TRUE},    {"VARIANT_FALSE", Typed(VT_BOOL, 0), S_OK, FALSE},
        {"odd boolean bits", Typed(VT_BOOL, 1), S_OK, TRUE}, {"integer 7", Typed(VT_I4, 7), S_OK, TRUE},
        {"integer 0", Typed(VT_UI1, 0), S_OK, FALSE},        {"NULL", Typed(VT_NULL, 0), kIllegalNull, 9},
        {"text true", _variant_t(L"true"), kFailed, 9},      {"R8", Typed(VT_R8, 0), kFailed, 9},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.label);
        const ComPtr<VariantObject> object = ObjectWith(item.value);
        int value = 9;
        EXPECT_EQ(WMIHelper::GetBool(object.Get(), L"P", value), item.expected);
        EXPECT_EQ(value, item.result);
    }
}

TEST(WMIHelperGetDateTime, ReadsDmtfWallClockWithoutZoneConversion)
{
    const COleDateTime sentinel(2001, 2, 3, 4, 5, 6);
    const struct
    {
        const char* label;
        _variant_t value;
        HRESULT expected;
        COleDateTime result;
    } cases[] = {
        {"zone ignored", _variant_t(L"20240131080509.123456-300"), S_OK, COleDateTime(2024, 1, 31, 8, 5, 9)},
        {"UTC", _variant_t(L"19991231235959.000000+000"), S_OK, COleDateTime(1999, 12, 31, 23, 59, 59)},
        {"ISO outside the bus", _variant_t(L"2024-01-31T08:05:09+00:00"), kFailed, sentinel},
        {"month 13", _variant_t(L"20241331080509.000000+000"), kFailed, sentinel},
        {"wildcards", _variant_t(L"2024******0509.000000+000"), kFailed, sentinel},
        {"NULL", Typed(VT_NULL, 0), kIllegalNull, sentinel},
        {"DATE value", Typed(VT_DATE, 0), kFailed, sentinel},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(item.label);
        const ComPtr<VariantObject> object = ObjectWith(item.value);
        COleDateTime value = sentinel;
        EXPECT_EQ(WMIHelper::GetDateTime(object.Get(), L"P", &value, Door::kWmi), item.expected);
        EXPECT_EQ(value, item.result);
    }
    const ComPtr<VariantObject> object = ObjectWith(_variant_t(L"20240131080509.000000+000"));
    EXPECT_EQ(WMIHelper::GetDateTime(object.Get(), L"P", nullptr, Door::kWmi), WBEM_E_INVALID_PARAMETER);
}

TEST(WMIHelperGetDateTime, ReadsIsoForTheBusDoor)
{
    const ComPtr<VariantObject> iso = ObjectWith(_variant_t(L"2024-01-31T08:05:09+02:00"));
    COleDateTime value;
    EXPECT_EQ(WMIHelper::GetDateTime(iso.Get(), L"P", &value, Door::kBus), S_OK);
    EXPECT_EQ(value, COleDateTime(2024, 1, 31, 8, 5, 9));
    const ComPtr<VariantObject> dmtf = ObjectWith(_variant_t(L"20240131080509.000000+000"));
    EXPECT_EQ(WMIHelper::GetDateTime(dmtf.Get(), L"P", &value, Door::kBus), kFailed);
}

TEST(WMIHelperGetVariant, CopiesTheValueAndGivesNullForNoValue)
{
    const ComPtr<VariantObject> text = ObjectWith(_variant_t(L"abc"));
    VARIANT value;
    VariantInit(&value);
    ASSERT_EQ(WMIHelper::GetVariant(text.Get(), L"P", &value), S_OK);
    ASSERT_EQ(value.vt, VT_BSTR);
    EXPECT_EQ(std::wstring(value.bstrVal), L"abc");
    VariantClear(&value);

    for (const VARTYPE empty : {VT_NULL, VT_EMPTY})
    {
        const ComPtr<VariantObject> object = ObjectWith(Typed(empty, 0));
        ASSERT_EQ(WMIHelper::GetVariant(object.Get(), L"P", &value), S_OK);
        EXPECT_EQ(value.vt, VT_NULL);
    }

    value.vt = VT_I4;
    value.lVal = 31;
    EXPECT_EQ(WMIHelper::GetVariant(text.Get(), L"Missing", &value), WBEM_E_NOT_FOUND);
    EXPECT_EQ(WMIHelper::GetVariant(nullptr, L"P", &value), kFailed);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 31);
    EXPECT_EQ(WMIHelper::GetVariant(text.Get(), L"P", nullptr), WBEM_E_INVALID_PARAMETER);
}
