// The one integer reader: each text rule beside the others on the same inputs, so a caller that
// picks a rule gets exactly what it accepted before, and the integer VARIANT kinds.
#include "framework/IntegerValue.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <string>

namespace {

using Rule = IntegerValue::TextRule;
constexpr LONGLONG kMax = std::numeric_limits<LONGLONG>::max();
constexpr LONGLONG kMin = std::numeric_limits<LONGLONG>::min();
const std::optional<LONGLONG> kRefused;

struct TextCase
{
    std::wstring text;
    std::optional<LONGLONG> exact;
    std::optional<LONGLONG> trimmed;
    std::optional<LONGLONG> wmi;
    LONGLONG leading;
};

TEST(IntegerValue, TextRulesSideBySide)
{
    const TextCase cases[] = {
        {L"42", 42, 42, 42, 42},
        {L"-42", -42, -42, -42, -42},
        {L"+42", kRefused, kRefused, kRefused, 42},
        {L" 42\t", kRefused, 42, kRefused, 42},
        {L"4 2", kRefused, kRefused, kRefused, 4},
        {L"12abc", kRefused, kRefused, kRefused, 12},
        {L"", kRefused, kRefused, kRefused, 0},
        {L"  ", kRefused, kRefused, kRefused, 0},
        {L"-", kRefused, kRefused, kRefused, 0},
        {L"0x10", kRefused, kRefused, kRefused, 0},
        {L"0000000000000000000000042", 42, 42, kRefused, 42},
        {L"9223372036854775807", kMax, kMax, kMax, kMax},
        {L"9223372036854775808", kRefused, kRefused, kRefused, kMax},
        {L"-9223372036854775808", kMin, kMin, kMin, kMin},
        {L"-9223372036854775809", kRefused, kRefused, kRefused, kMin},
        {L"99999999999999999999999", kRefused, kRefused, kRefused, kMax},
        {std::wstring(L"7\0"
                      L"1",
                      3),
         kRefused, kRefused, kRefused, 7},
    };
    for (const TextCase& c : cases)
    {
        EXPECT_EQ(IntegerValue::FromText(c.text, Rule::Exact), c.exact) << "exact: " << c.text.c_str();
        EXPECT_EQ(IntegerValue::FromText(c.text, Rule::Trimmed), c.trimmed) << "trimmed: " << c.text.c_str();
        EXPECT_EQ(IntegerValue::FromText(c.text, Rule::WmiDecimal), c.wmi) << "wmi: " << c.text.c_str();
        EXPECT_EQ(IntegerValue::FromText(c.text, Rule::Leading), c.leading) << "leading: " << c.text.c_str();
    }
}

TEST(IntegerValue, UnsignedRangeKeepsTheBitsAboveTheSignedRange)
{
    EXPECT_EQ(IntegerValue::FromText(L"18446744073709551615", Rule::Exact, true), -1);
    EXPECT_EQ(IntegerValue::FromText(L"9223372036854775808", Rule::Exact, true), kMin);
    EXPECT_EQ(IntegerValue::FromText(L"18446744073709551616", Rule::Exact, true), kRefused);
    EXPECT_EQ(IntegerValue::FromText(L"-1", Rule::Exact, true), -1);
    EXPECT_EQ(IntegerValue::FromText(L" 18446744073709551615 ", Rule::Trimmed, true), -1);
    EXPECT_EQ(IntegerValue::FromText(L"18446744073709551615", Rule::WmiDecimal, true), -1);
}

TEST(IntegerValue, IntegerVariantKinds)
{
    struct Case
    {
        VARTYPE type;
        ULONGLONG bits;
        std::optional<LONGLONG> wide;
        std::optional<LONGLONG> narrow;
    };
    const Case cases[] = {
        {VT_I1, 0xFB, -5, -5},
        {VT_UI1, 0xFB, 251, 251},
        {VT_I2, 0xFFFB, -5, -5},
        {VT_UI2, 0xFFFB, 65531, 65531},
        {VT_I4, 0xFFFFFFFB, -5, -5},
        {VT_UI4, 0xFFFFFFFF, 4294967295LL, 4294967295LL},
        {VT_INT, 0xFFFFFFFB, -5, -5},
        {VT_UINT, 0xFFFFFFFF, 4294967295LL, 4294967295LL},
        {VT_BOOL, 0xFFFF, -1, -1},
        {VT_I8, 0xFFFFFFFFFFFFFFFB, -5, kRefused},
        {VT_UI8, 0xFFFFFFFFFFFFFFFF, -1, kRefused},
        {VT_R8, 0, kRefused, kRefused},
        {VT_BSTR, 0, kRefused, kRefused},
        {VT_NULL, 0, kRefused, kRefused},
    };
    for (const Case& c : cases)
    {
        VARIANT value{};
        value.vt = c.type;
        switch (c.type)
        {
        case VT_I1:
        case VT_UI1:
            value.bVal = static_cast<BYTE>(c.bits);
            break;
        case VT_I2:
        case VT_UI2:
        case VT_BOOL:
            value.uiVal = static_cast<USHORT>(c.bits);
            break;
        case VT_I8:
        case VT_UI8:
            value.ullVal = c.bits;
            break;
        default:
            value.ulVal = static_cast<ULONG>(c.bits);
            break;
        }
        EXPECT_EQ(IntegerValue::FromVariant(value), c.wide) << "type " << c.type;
        EXPECT_EQ(IntegerValue::FromVariant(value, false), c.narrow) << "type " << c.type;
    }
}

}  // namespace
