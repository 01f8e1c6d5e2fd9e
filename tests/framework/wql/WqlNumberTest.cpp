// A number's text read exactly: every comparison of an integer with it, written as the same
// comparison with a 64-bit bound, holds for exactly the integers it should, at the bound, on
// either side of it and at the ends of the range; the database's own value of the text is the
// nearest double where it has to be.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "framework/wql/WqlNumber.h"

namespace {

constexpr LONGLONG kMin = std::numeric_limits<LONGLONG>::min();
constexpr LONGLONG kMax = std::numeric_limits<LONGLONG>::max();
constexpr LONGLONG k2To53 = 9007199254740992LL;

constexpr WqlOperator kOperators[] = {WqlOpEqual,       WqlOpNotEqual, WqlOpLess,
                                      WqlOpLessOrEqual, WqlOpGreater,  WqlOpGreaterOrEqual};

// The truth of `value op number`, the number held exactly as a long double.
bool Expected(LONGLONG value, WqlOperator op, long double number)
{
    const long double v = static_cast<long double>(value);
    switch (op)
    {
    case WqlOpEqual:
        return v == number;
    case WqlOpNotEqual:
        return v != number;
    case WqlOpLess:
        return v < number;
    case WqlOpLessOrEqual:
        return v <= number;
    case WqlOpGreater:
        return v > number;
    default:
        return v >= number;
    }
}

}  // namespace

TEST(WqlNumber, AnIntegerMeetsTheDecimalANumberWritesExactly)
{
    // The text, and the number it writes as a long double (exact for each of these: 64 bits of
    // mantissa hold every 64-bit integer and the halves tried here), with the integers to try.
    const struct
    {
        const char* text;
        long double value;
        std::vector<LONGLONG> tried;
    } cases[] = {
        {"9.007199254740993e15", 9007199254740993.0L, {k2To53, k2To53 + 1, k2To53 + 2}},
        {"90071992547409930e-1", 9007199254740993.0L, {k2To53, k2To53 + 1, k2To53 + 2}},
        {" +9007199254740993.000 ", 9007199254740993.0L, {k2To53, k2To53 + 1, k2To53 + 2}},
        {"9007199254740992.5", 9007199254740992.5L, {k2To53, k2To53 + 1}},
        {"9.223372036854775807E18", 9223372036854775807.0L, {kMax - 1, kMax}},
        {"9223372036854775806.5", 9223372036854775806.5L, {kMax - 1, kMax}},
        {"9223372036854775807.5", 9223372036854775807.5L, {kMax - 1, kMax}},
        {"9223372036854775808", 9223372036854775808.0L, {kMax - 1, kMax}},
        {"-9223372036854775808.0", -9223372036854775808.0L, {kMin, kMin + 1}},
        {"-9223372036854775807.5", -9223372036854775807.5L, {kMin, kMin + 1}},
        {"-9223372036854775809", -9223372036854775809.0L, {kMin, kMin + 1}},
        {"-2.5", -2.5L, {-3, -2, 0}},
        {"-0.0", 0.0L, {-1, 0, 1}},
        {"0.000e-7", 0.0L, {-1, 0, 1}},
        {".5", 0.5L, {0, 1}},
        {"5.", 5.0L, {4, 5, 6}},
        {"12e-1", 1.2L, {1, 2}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        WqlNumber number;
        ASSERT_TRUE(WqlNumber::Read(c.text, number));
        for (const WqlOperator op : kOperators)
        {
            for (const LONGLONG value : c.tried)
                EXPECT_EQ(number.CompareInteger(value, op), Expected(value, op, c.value))
                    << "op " << op << " value " << value;
        }
    }
}

TEST(WqlNumber, ReadsWhatTheDatabaseReadsAsANumberAndNothingElse)
{
    const struct
    {
        const char* text;
        bool read;
        CDBValue value;
    } cases[] = {
        {"7", true, CDBValue(7)},
        {" -7 ", true, CDBValue(-7)},
        {"+7", true, CDBValue(7)},
        {"007", true, CDBValue(7)},
        {"9223372036854775807", true, CDBValue(kMax)},
        {"9223372036854775808", true, CDBValue(9223372036854775808.0)},
        {"9.007199254740993e15", true, CDBValue(9007199254740992.0)},
        {"2.5", true, CDBValue(2.5)},
        {"1E3", true, CDBValue(1000.0)},
        {"", false, CDBValue()},
        {" ", false, CDBValue()},
        {".", false, CDBValue()},
        {"1e", false, CDBValue()},
        {"1e+", false, CDBValue()},
        {"12abc", false, CDBValue()},
        {"1 2", false, CDBValue()},
        {"0x7", false, CDBValue()},
        {"inf", false, CDBValue()},
        {"--7", false, CDBValue()},
        {"1e999", false, CDBValue()},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.text);
        WqlNumber number;
        EXPECT_EQ(WqlNumber::Read(c.text, number), c.read);
        if (c.read)
        {
            EXPECT_EQ(number.DatabaseValue(), c.value);
        }
    }
}
