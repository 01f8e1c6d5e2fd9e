// The badge kit's rules that need no door: digit counts of badge IDs (the segment units' limit)
// and the hexadecimal literals a FASCN or GUID condition accepts.
#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "mappers/records/CWmipBadgeFIPS201.h"

#include <gtest/gtest.h>

#include <limits>

TEST(BadgeKey, DigitsAreCountedWithoutTheSign)
{
    const struct
    {
        LONGLONG id;
        LONG digits;
    } cases[] = {
        {0, 1},
        {9, 1},
        {10, 2},
        {-10, 2},
        {999999, 6},
        {1000000, 7},
        {std::numeric_limits<LONGLONG>::max(), 19},
        {std::numeric_limits<LONGLONG>::min(), 19},
    };
    for (const auto& test : cases)
        EXPECT_EQ(CBntBadgeKey::GetNumDigits(test.id), test.digits) << test.id;
}

TEST(BadgeFIPS201, OnlyEvenRunsOfHexDigitsAreByteLiterals)
{
    const struct
    {
        const wchar_t* literal;
        const wchar_t* digits;
    } cases[] = {
        {L"\"0AFF\"", L"0AFF"}, {L"'ab'", L"ab"},     {L"0aff", L"0aff"},    {L"12", L"12"},
        {L"\"0AF\"", nullptr},  {L"\"\"", nullptr},   {L"", nullptr},        {L"\"0A' OR 1=1 --\"", nullptr},
        {L"\"0x0A\"", nullptr}, {L"\"GG\"", nullptr}, {L"\"0A\"'", nullptr},
    };
    for (const auto& test : cases)
    {
        const std::optional<CString> digits = CWmipBadgeFIPS201::HexDigitsOf(test.literal);
        if (test.digits == nullptr)
            EXPECT_FALSE(digits.has_value()) << CString(test.literal).GetString();
        else
            EXPECT_EQ(digits.value_or(L"<none>"), CString(test.digits));
    }
}
