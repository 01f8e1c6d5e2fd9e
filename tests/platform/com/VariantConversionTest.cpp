#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

// A source value built fresh for each case (the table outlives no VARIANT).
VARIANT Make(VARTYPE type)
{
    VARIANT value;
    VariantInit(&value);
    value.vt = type;
    return value;
}
VARIANT I1(CHAR v)
{
    VARIANT x = Make(VT_I1);
    x.cVal = v;
    return x;
}
VARIANT I2(SHORT v)
{
    VARIANT x = Make(VT_I2);
    x.iVal = v;
    return x;
}
VARIANT I4(LONG v)
{
    VARIANT x = Make(VT_I4);
    x.lVal = v;
    return x;
}
VARIANT Int(INT v)
{
    VARIANT x = Make(VT_INT);
    x.intVal = v;
    return x;
}
VARIANT I8(LONGLONG v)
{
    VARIANT x = Make(VT_I8);
    x.llVal = v;
    return x;
}
VARIANT UI1(BYTE v)
{
    VARIANT x = Make(VT_UI1);
    x.bVal = v;
    return x;
}
VARIANT UI2(USHORT v)
{
    VARIANT x = Make(VT_UI2);
    x.uiVal = v;
    return x;
}
VARIANT UI4(ULONG v)
{
    VARIANT x = Make(VT_UI4);
    x.ulVal = v;
    return x;
}
VARIANT UInt(UINT v)
{
    VARIANT x = Make(VT_UINT);
    x.uintVal = v;
    return x;
}
VARIANT UI8(ULONGLONG v)
{
    VARIANT x = Make(VT_UI8);
    x.ullVal = v;
    return x;
}
VARIANT R4(float v)
{
    VARIANT x = Make(VT_R4);
    x.fltVal = v;
    return x;
}
VARIANT R8(double v)
{
    VARIANT x = Make(VT_R8);
    x.dblVal = v;
    return x;
}
VARIANT Date(DATE v)
{
    VARIANT x = Make(VT_DATE);
    x.date = v;
    return x;
}
VARIANT Bool(bool v)
{
    VARIANT x = Make(VT_BOOL);
    x.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
    return x;
}
VARIANT Error(SCODE v)
{
    VARIANT x = Make(VT_ERROR);
    x.scode = v;
    return x;
}
VARIANT Str(const std::wstring& v)
{
    VARIANT x = Make(VT_BSTR);
    x.bstrVal = SysAllocStringLen(v.data(), static_cast<UINT>(v.size()));
    return x;
}
VARIANT Empty()
{
    return Make(VT_EMPTY);
}
VARIANT Null()
{
    return Make(VT_NULL);
}

using Builder = VARIANT (*)();

std::wstring VariantText(const VARIANT& value)
{
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

// Equal type and equal value (texts compared whole, reals exactly).
::testing::AssertionResult SameValue(const VARIANT& actual, const VARIANT& expected)
{
    if (actual.vt != expected.vt)
        return ::testing::AssertionFailure() << "type " << actual.vt << " instead of " << expected.vt;
    bool equal = true;
    switch (expected.vt)
    {
    case VT_EMPTY:
    case VT_NULL:
        break;
    case VT_I1:
        equal = actual.cVal == expected.cVal;
        break;
    case VT_I2:
        equal = actual.iVal == expected.iVal;
        break;
    case VT_I4:
    case VT_INT:
    case VT_UI4:
    case VT_UINT:
        equal = actual.lVal == expected.lVal;
        break;
    case VT_I8:
    case VT_UI8:
        equal = actual.llVal == expected.llVal;
        break;
    case VT_UI1:
        equal = actual.bVal == expected.bVal;
        break;
    case VT_UI2:
        equal = actual.uiVal == expected.uiVal;
        break;
    case VT_R4:
        equal = actual.fltVal == expected.fltVal;
        break;
    case VT_R8:
    case VT_DATE:
        equal = actual.dblVal == expected.dblVal;
        break;
    case VT_BOOL:
        equal = actual.boolVal == expected.boolVal;
        break;
    case VT_BSTR:
        equal = VariantText(actual) == VariantText(expected);
        break;
    default:
        return ::testing::AssertionFailure() << "unexpected type " << expected.vt;
    }
    if (!equal)
        return ::testing::AssertionFailure() << "value differs for type " << expected.vt;
    return ::testing::AssertionSuccess();
}

struct Case
{
    const char* name;
    VARIANT source;
    VARTYPE target;
    HRESULT result;
    VARIANT expected;
    USHORT flags = 0;
};

void RunCases(std::vector<Case>& cases)
{
    for (Case& item : cases)
    {
        SCOPED_TRACE(item.name);
        VARIANT converted;
        VariantInit(&converted);
        const HRESULT hr = VariantChangeType(&converted, &item.source, item.flags, item.target);
        EXPECT_EQ(hr, item.result);
        if (SUCCEEDED(hr))
            EXPECT_TRUE(SameValue(converted, item.expected));
        else
            EXPECT_EQ(converted.vt, VT_EMPTY);
        VariantClear(&converted);
        VariantClear(&item.source);
        VariantClear(&item.expected);
    }
}

constexpr HRESULT kOk = S_OK;
constexpr HRESULT kOverflow = DISP_E_OVERFLOW;
constexpr HRESULT kMismatch = DISP_E_TYPEMISMATCH;

TEST(VariantChangeType, NumbersFitOrOverflow)
{
    std::vector<Case> cases = {
        {"I4 fits I2", I4(300), VT_I2, kOk, I2(300)},
        {"I4 beyond I2", I4(40000), VT_I2, kOverflow, Empty()},
        {"I4 fits UI1", I4(255), VT_UI1, kOk, UI1(255)},
        {"I4 above UI1", I4(256), VT_UI1, kOverflow, Empty()},
        {"negative to UI1", I4(-1), VT_UI1, kOverflow, Empty()},
        {"I1 lowest", I4(-128), VT_I1, kOk, I1(-128)},
        {"below I1", I4(-129), VT_I1, kOverflow, Empty()},
        {"UI4 top to I4", UI4(0xFFFFFFFFu), VT_I4, kOverflow, Empty()},
        {"UI4 top to I8", UI4(0xFFFFFFFFu), VT_I8, kOk, I8(0xFFFFFFFFll)},
        {"UI8 top to I8", UI8(~0ull), VT_I8, kOverflow, Empty()},
        {"I8 negative to UI8", I8(-1), VT_UI8, kOverflow, Empty()},
        {"I8 to INT", I8(-5), VT_INT, kOk, Int(-5)},
        {"UINT to UI2", UInt(65535), VT_UI2, kOk, UI2(65535)},
        {"UINT beyond UI2", UInt(65536), VT_UI2, kOverflow, Empty()},
        {"I2 to R4", I2(-3), VT_R4, kOk, R4(-3.0f)},
        {"UI8 top to R8", UI8(~0ull), VT_R8, kOk, R8(18446744073709551615.0)},
        {"R8 to R4", R8(1.5), VT_R4, kOk, R4(1.5f)},
        {"R8 beyond R4", R8(1e300), VT_R4, kOverflow, Empty()},
        {"R4 to R8", R4(0.5f), VT_R8, kOk, R8(0.5)},
    };
    RunCases(cases);
}

TEST(VariantChangeType, FractionsRoundHalfToEven)
{
    std::vector<Case> cases = {
        {"2.5 down", R8(2.5), VT_I4, kOk, I4(2)},
        {"3.5 up", R8(3.5), VT_I4, kOk, I4(4)},
        {"-2.5 toward even", R8(-2.5), VT_I4, kOk, I4(-2)},
        {"-3.5 toward even", R8(-3.5), VT_I4, kOk, I4(-4)},
        {"below half", R8(2.4999), VT_I4, kOk, I4(2)},
        {"above half", R8(2.5001), VT_I4, kOk, I4(3)},
        {"I4 top stays", R8(2147483647.4), VT_I4, kOk, I4(2147483647)},
        {"rounds past I4", R8(2147483647.5), VT_I4, kOverflow, Empty()},
        {"I4 bottom", R8(-2147483648.4), VT_I4, kOk, I4(-2147483647 - 1)},
        {"-0.5 to UI1", R8(-0.5), VT_UI1, kOk, UI1(0)},
        {"-0.6 to UI1", R8(-0.6), VT_UI1, kOverflow, Empty()},
        {"NaN", R8(std::nan("")), VT_I4, kOverflow, Empty()},
        {"infinity", R8(INFINITY), VT_I8, kOverflow, Empty()},
        {"2^63 beyond I8", R8(9223372036854775808.0), VT_I8, kOverflow, Empty()},
        {"2^63 fits UI8", R8(9223372036854775808.0), VT_UI8, kOk, UI8(9223372036854775808ull)},
        {"R4 fraction", R4(254.5f), VT_UI1, kOk, UI1(254)},
        {"date to I4", Date(43831.5), VT_I4, kOk, I4(43832)},
    };
    RunCases(cases);
}

TEST(VariantChangeType, BooleansAndNumbers)
{
    std::vector<Case> cases = {
        {"true to I4", Bool(true), VT_I4, kOk, I4(-1)},
        {"false to I4", Bool(false), VT_I4, kOk, I4(0)},
        {"true to UI1 keeps all bits", Bool(true), VT_UI1, kOk, UI1(255)},
        {"true to UI4 keeps all bits", Bool(true), VT_UI4, kOk, UI4(0xFFFFFFFFu)},
        {"false to UI2", Bool(false), VT_UI2, kOk, UI2(0)},
        {"true to R8", Bool(true), VT_R8, kOk, R8(-1.0)},
        {"2 to bool", I4(2), VT_BOOL, kOk, Bool(true)},
        {"0.0 to bool", R8(0.0), VT_BOOL, kOk, Bool(false)},
        {"0.1 to bool", R8(0.1), VT_BOOL, kOk, Bool(true)},
        {"UI8 to bool", UI8(1ull << 40), VT_BOOL, kOk, Bool(true)},
    };
    RunCases(cases);
}

TEST(VariantChangeType, TextReadsStrictly)
{
    std::vector<Case> cases = {
        {"plain", Str(L"42"), VT_I4, kOk, I4(42)},
        {"blanks around", Str(L" \t42 "), VT_I4, kOk, I4(42)},
        {"plus sign", Str(L"+7"), VT_I2, kOk, I2(7)},
        {"minus zero", Str(L"-0"), VT_I4, kOk, I4(0)},
        {"leading zeros", Str(L"007"), VT_UI1, kOk, UI1(7)},
        {"fraction rounds", Str(L"2.5"), VT_I4, kOk, I4(2)},
        {"exponent", Str(L"1e3"), VT_I4, kOk, I4(1000)},
        {"fraction only", Str(L".5"), VT_R8, kOk, R8(0.5)},
        {"trailing point", Str(L"5."), VT_R8, kOk, R8(5.0)},
        {"decimal", Str(L"0.1"), VT_R8, kOk, R8(0.1)},
        {"I8 bottom exact", Str(L"-9223372036854775808"), VT_I8, kOk, I8(std::numeric_limits<LONGLONG>::min())},
        {"UI8 top exact", Str(L"18446744073709551615"), VT_UI8, kOk, UI8(~0ull)},
        {"beyond UI8", Str(L"18446744073709551616"), VT_UI8, kOverflow, Empty()},
        {"beyond I4", Str(L"2147483648"), VT_I4, kOverflow, Empty()},
        {"beyond double", Str(L"1e400"), VT_R8, kOverflow, Empty()},
        {"beyond R4", Str(L"3.5e38"), VT_R4, kOverflow, Empty()},
        {"trailing letters", Str(L"12abc"), VT_I4, kMismatch, Empty()},
        {"empty", Str(L""), VT_I4, kMismatch, Empty()},
        {"blanks only", Str(L"   "), VT_R8, kMismatch, Empty()},
        {"word", Str(L"abc"), VT_I4, kMismatch, Empty()},
        {"hexadecimal", Str(L"0x10"), VT_I4, kMismatch, Empty()},
        {"thousands separator", Str(L"1,000"), VT_I4, kMismatch, Empty()},
        {"bare exponent", Str(L"1e"), VT_R8, kMismatch, Empty()},
        {"point only", Str(L"."), VT_R8, kMismatch, Empty()},
        {"double sign", Str(L"--1"), VT_I4, kMismatch, Empty()},
        {"inner blank", Str(L"1 2"), VT_I4, kMismatch, Empty()},
        {"infinity word", Str(L"inf"), VT_R8, kMismatch, Empty()},
        {"nan word", Str(L"nan"), VT_R8, kMismatch, Empty()},
        {"embedded NUL",
         Str(std::wstring(L"1\0"
                          L"2",
                          3)),
         VT_I4, kMismatch, Empty()},
        {"full-width digit", Str(L"\xFF11"), VT_I4, kMismatch, Empty()},
        {"null BSTR reads as empty", Make(VT_BSTR), VT_UI8, kMismatch, Empty()},
        {"null BSTR to bool", Make(VT_BSTR), VT_BOOL, kMismatch, Empty()},
    };
    RunCases(cases);
}

TEST(VariantChangeType, BooleanText)
{
    std::vector<Case> cases = {
        {"True", Str(L"True"), VT_BOOL, kOk, Bool(true)},
        {"false any case", Str(L" fALSE "), VT_BOOL, kOk, Bool(false)},
        {"-1", Str(L"-1"), VT_BOOL, kOk, Bool(true)},
        {"0", Str(L"0"), VT_BOOL, kOk, Bool(false)},
        {"2", Str(L"2"), VT_BOOL, kOk, Bool(true)},
        {"yes", Str(L"yes"), VT_BOOL, kMismatch, Empty()},
        {"True is not a number", Str(L"True"), VT_I4, kMismatch, Empty()},
        {"true as digits", Bool(true), VT_BSTR, kOk, Str(L"-1")},
        {"false as digits", Bool(false), VT_BSTR, kOk, Str(L"0")},
        {"true as word", Bool(true), VT_BSTR, kOk, Str(L"True"), VARIANT_ALPHABOOL},
        {"false as word", Bool(false), VT_BSTR, kOk, Str(L"False"), VARIANT_ALPHABOOL},
    };
    RunCases(cases);
}

TEST(VariantChangeType, NumbersAsText)
{
    std::vector<Case> cases = {
        {"I4", I4(-42), VT_BSTR, kOk, Str(L"-42")},
        {"I1", I1(-5), VT_BSTR, kOk, Str(L"-5")},
        {"UI1", UI1(200), VT_BSTR, kOk, Str(L"200")},
        {"UI8 top", UI8(~0ull), VT_BSTR, kOk, Str(L"18446744073709551615")},
        {"I8 bottom", I8(std::numeric_limits<LONGLONG>::min()), VT_BSTR, kOk, Str(L"-9223372036854775808")},
        {"R8 decimal", R8(0.1), VT_BSTR, kOk, Str(L"0.1")},
        {"R8 fifteen digits", R8(3.14159265358979323), VT_BSTR, kOk, Str(L"3.14159265358979")},
        {"R8 large", R8(1e20), VT_BSTR, kOk, Str(L"1E+20")},
        {"R8 negative zero", R8(-0.0), VT_BSTR, kOk, Str(L"0")},
        {"R4 seven digits", R4(1.1f), VT_BSTR, kOk, Str(L"1.1")},
        {"error code", Error(5), VT_BSTR, kMismatch, Empty()},
    };
    RunCases(cases);
}

TEST(VariantChangeType, DatesAsText)
{
    std::vector<Case> cases = {
        {"epoch", Date(0.0), VT_BSTR, kOk, Str(L"1899-12-30 00:00:00")},
        {"after epoch", Date(2.25), VT_BSTR, kOk, Str(L"1900-01-01 06:00:00")},
        {"before epoch counts time forward", Date(-1.25), VT_BSTR, kOk, Str(L"1899-12-29 06:00:00")},
        {"2020 noon", Date(43831.5), VT_BSTR, kOk, Str(L"2020-01-01 12:00:00")},
        {"rounds to next day", Date(43831.0 + 86399.6 / 86400.0), VT_BSTR, kOk, Str(L"2020-01-02 00:00:00")},
        {"first day", Date(-657434.0), VT_BSTR, kOk, Str(L"0100-01-01 00:00:00")},
        {"beyond range", Date(1e9), VT_BSTR, E_INVALIDARG, Empty()},
        {"read full", Str(L"2020-01-01 12:00:00"), VT_DATE, kOk, Date(43831.5)},
        {"read day", Str(L"2020-01-01"), VT_DATE, kOk, Date(43831.0)},
        {"read before epoch", Str(L"1899-12-29 06:00:00"), VT_DATE, kOk, Date(-1.25)},
        {"leap day", Str(L"2020-02-29"), VT_DATE, kOk, Date(43890.0)},
        {"no leap day", Str(L"2021-02-29"), VT_DATE, kMismatch, Empty()},
        {"no such day", Str(L"2020-02-30"), VT_DATE, kMismatch, Empty()},
        {"no such month", Str(L"2020-13-01"), VT_DATE, kMismatch, Empty()},
        {"no such hour", Str(L"2020-01-01 24:00:00"), VT_DATE, kMismatch, Empty()},
        {"short fields", Str(L"2020-1-1"), VT_DATE, kMismatch, Empty()},
        {"before year 100", Str(L"0099-12-31"), VT_DATE, kMismatch, Empty()},
        {"ISO separator", Str(L"2020-01-01T12:00:00"), VT_DATE, kMismatch, Empty()},
        {"serial number", Str(L"43831"), VT_DATE, kMismatch, Empty()},
        {"number to date", I4(43831), VT_DATE, kOk, Date(43831.0)},
        {"number beyond dates", R8(3e6), VT_DATE, kOverflow, Empty()},
        {"number before dates", R8(-700000.0), VT_DATE, kOverflow, Empty()},
    };
    RunCases(cases);
}

TEST(VariantChangeType, EmptyAndNullFollowAutomationRules)
{
    std::vector<Case> cases = {
        {"empty to I4", Empty(), VT_I4, kOk, I4(0)},
        {"empty to text", Empty(), VT_BSTR, kOk, Str(L"")},
        {"empty to bool", Empty(), VT_BOOL, kOk, Bool(false)},
        {"empty to date", Empty(), VT_DATE, kOk, Date(0.0)},
        {"empty to null", Empty(), VT_NULL, kOk, Null()},
        {"empty to unknown", Empty(), VT_UNKNOWN, kMismatch, Empty()},
        {"empty to error", Empty(), VT_ERROR, kMismatch, Empty()},
        {"null to null", Null(), VT_NULL, kOk, Null()},
        {"null to I4", Null(), VT_I4, kMismatch, Empty()},
        {"null to text", Null(), VT_BSTR, kMismatch, Empty()},
        {"null to empty", Null(), VT_EMPTY, kMismatch, Empty()},
        {"null to bool", Null(), VT_BOOL, kMismatch, Empty()},
        {"I4 to null", I4(1), VT_NULL, kMismatch, Empty()},
        {"I4 to empty", I4(1), VT_EMPTY, kOk, Empty()},
        {"error to I4", Error(1), VT_I4, kMismatch, Empty()},
        {"I4 to error", I4(1), VT_ERROR, kMismatch, Empty()},
    };
    RunCases(cases);
}

TEST(VariantChangeType, UnsupportedTypesAreRefused)
{
    struct Refusal
    {
        const char* name;
        VARTYPE source;
        VARTYPE target;
        HRESULT result;
    };
    const Refusal refusals[] = {
        {"to VT_VARIANT", VT_I4, VT_VARIANT, DISP_E_BADVARTYPE},
        {"to currency", VT_I4, 6, DISP_E_BADVARTYPE},
        {"to unknown number", VT_I4, 99, DISP_E_BADVARTYPE},
        {"to by-reference", VT_I4, VT_BYREF | VT_I4, DISP_E_BADVARTYPE},
        {"from unknown number", 99, VT_I4, DISP_E_BADVARTYPE},
        {"from plain VT_VARIANT", VT_VARIANT, VT_I4, DISP_E_BADVARTYPE},
        {"array to scalar", VT_ARRAY | VT_I4, VT_I4, DISP_E_TYPEMISMATCH},
        {"scalar to array", VT_I4, VT_ARRAY | VT_I4, DISP_E_TYPEMISMATCH},
        {"array to other array", VT_ARRAY | VT_I4, VT_ARRAY | VT_UI1, DISP_E_TYPEMISMATCH},
        {"unknown to number", VT_UNKNOWN, VT_I4, DISP_E_TYPEMISMATCH},
        {"unknown to dispatch", VT_UNKNOWN, VT_DISPATCH, DISP_E_TYPEMISMATCH},
    };
    for (const Refusal& refusal : refusals)
    {
        SCOPED_TRACE(refusal.name);
        VARIANT source = Make(refusal.source);
        VARIANT result;
        VariantInit(&result);
        EXPECT_EQ(VariantChangeType(&result, &source, 0, refusal.target), refusal.result);
        EXPECT_EQ(result.vt, VT_EMPTY);
    }
    VARIANT source = I4(1);
    EXPECT_EQ(VariantChangeType(nullptr, &source, 0, VT_I2), E_INVALIDARG);
    EXPECT_EQ(VariantChangeType(&source, nullptr, 0, VT_I2), E_INVALIDARG);
}

TEST(VariantChangeType, ReadsThroughByReference)
{
    LONG number = 7;
    VARIANT byNumber = Make(VT_BYREF | VT_I4);
    byNumber.plVal = &number;
    VARIANT text;
    VariantInit(&text);
    ASSERT_EQ(VariantChangeType(&text, &byNumber, 0, VT_BSTR), S_OK);
    EXPECT_EQ(VariantText(text), L"7");
    VariantClear(&text);

    BSTR owned = SysAllocString(L"12");
    VARIANT byText = Make(VT_BYREF | VT_BSTR);
    byText.pbstrVal = &owned;
    VARIANT converted;
    VariantInit(&converted);
    ASSERT_EQ(VariantChangeType(&converted, &byText, 0, VT_BSTR), S_OK);
    EXPECT_NE(converted.bstrVal, owned);
    EXPECT_EQ(VariantText(converted), L"12");
    VariantClear(&converted);

    VARIANT inner = R8(2.5);
    VARIANT byVariant = Make(VT_BYREF | VT_VARIANT);
    byVariant.pvarVal = &inner;
    ASSERT_EQ(VariantChangeType(&converted, &byVariant, 0, VT_I4), S_OK);
    EXPECT_EQ(converted.lVal, 2);

    VARIANT dangling = Make(VT_BYREF | VT_I4);
    EXPECT_EQ(VariantChangeType(&converted, &dangling, 0, VT_I2), E_INVALIDARG);
    SysFreeString(owned);
}

TEST(VariantChangeType, InPlaceConversionFreesOldValueOrKeepsIt)
{
    VARIANT value = Str(L"12");
    ASSERT_EQ(VariantChangeType(&value, &value, 0, VT_I4), S_OK);
    EXPECT_EQ(value.vt, VT_I4);
    EXPECT_EQ(value.lVal, 12);

    VARIANT text = Str(L"twelve");
    EXPECT_EQ(VariantChangeType(&text, &text, 0, VT_I4), DISP_E_TYPEMISMATCH);
    ASSERT_EQ(text.vt, VT_BSTR);
    EXPECT_EQ(VariantText(text), L"twelve");
    VariantClear(&text);

    VARIANT target = Str(L"old");
    VARIANT source = I4(3);
    ASSERT_EQ(VariantChangeTypeEx(&target, &source, 0x0409, 0, VT_BSTR), S_OK);
    EXPECT_EQ(VariantText(target), L"3");
    VariantClear(&target);
}

TEST(VariantChangeType, NumbersSurviveTextRoundTrip)
{
    std::mt19937_64 random(20240611);
    for (int i = 0; i < 2000; ++i)
    {
        const auto bits = random();
        for (VARIANT source : {I8(static_cast<LONGLONG>(bits)), UI8(bits)})
        {
            VARIANT text;
            VariantInit(&text);
            ASSERT_EQ(VariantChangeType(&text, &source, 0, VT_BSTR), S_OK);
            VARIANT back;
            VariantInit(&back);
            ASSERT_EQ(VariantChangeType(&back, &text, 0, source.vt), S_OK) << VariantText(text).c_str();
            EXPECT_EQ(back.ullVal, source.ullVal);
            VariantClear(&text);
        }
        // Fifteen significant digits: the text reads back within that precision.
        const double real =
            std::ldexp(static_cast<double>(bits >> 11) / 9007199254740992.0, static_cast<int>(bits % 200) - 100);
        VARIANT source = R8(real);
        VARIANT text;
        VariantInit(&text);
        ASSERT_EQ(VariantChangeType(&text, &source, 0, VT_BSTR), S_OK);
        VARIANT back;
        VariantInit(&back);
        ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_R8), S_OK);
        EXPECT_NEAR(back.dblVal, real, std::fabs(real) * 1e-14);
        VariantClear(&text);
    }
}

TEST(VariantChangeType, DatesSurviveTextRoundTripToTheSecond)
{
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int64_t> seconds(-657434LL * 86400, 2958465LL * 86400 + 86399);
    for (int i = 0; i < 5000; ++i)
    {
        const std::int64_t total = seconds(random);
        const std::int64_t day = total >= 0 ? total / 86400 : -((-total + 86399) / 86400);
        const std::int64_t second = total - day * 86400;
        const double time = static_cast<double>(second) / 86400.0;
        const DATE date = day >= 0 ? static_cast<double>(day) + time : static_cast<double>(day) - time;
        VARIANT source = Date(date);
        VARIANT text;
        VariantInit(&text);
        ASSERT_EQ(VariantChangeType(&text, &source, 0, VT_BSTR), S_OK) << date;
        VARIANT back;
        VariantInit(&back);
        ASSERT_EQ(VariantChangeType(&back, &text, 0, VT_DATE), S_OK) << VariantText(text).c_str();
        EXPECT_NEAR(back.date, date, 0.5 / 86400.0) << VariantText(text).c_str();
        VariantClear(&text);
    }
}

}  // namespace
