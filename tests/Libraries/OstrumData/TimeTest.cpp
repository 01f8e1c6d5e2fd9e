// The time value and the time formatter: composition against a calendar model, field rules,
// arithmetic that carries, the text forms and the ISO reader.
#include "Libraries/OstrumCore/Source/Utils/Time.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "Libraries/OstrumCore/Source/Utils/TimeFormatter.h"
#include "Libraries/OstrumCore/Source/Utils/TimeFormatterUTF16.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

using ostrum::utils::StringUtils;
using ostrum::utils::Time;
using ostrum::utils::TimeFormatter;
using ostrum::utils::TimeFormatterUTF16;

namespace {

constexpr int64_t kDay = 86400000;

bool IsLeap(int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Milliseconds from 1970-01-01 to January 1 of an earlier year, counted a year at a time.
int64_t YearStartBefore1970(int64_t year)
{
    int64_t days = 0;
    for (int64_t y = year; y < 1970; ++y)
    {
        days -= IsLeap(y) ? 366 : 365;
    }
    return days * kDay;
}

// A plain day count per year stands as the model of the calendar.
TEST(Time, CalendarAgreesWithADayCountModelFrom1970To9999)
{
    int64_t yearStart = 0;
    for (unsigned year = 1970; year <= 9999; ++year)
    {
        const int64_t marchFirst = yearStart + 59 + (IsLeap(year) ? 1 : 0);
        const int64_t lastDay = yearStart + 364 + (IsLeap(year) ? 1 : 0);
        ASSERT_EQ(Time(year, 1, 1, 0, 0, 0).getMillis(), yearStart * kDay) << year;
        ASSERT_EQ(Time(year, 3, 1, 0, 0, 0).getMillis(), marchFirst * kDay) << year;
        ASSERT_EQ(Time(year, 12, 31, 23, 59, 59).getMillis(), lastDay * kDay + kDay - 1000) << year;
        const Time dayBeforeMarch((marchFirst - 1) * kDay);
        ASSERT_EQ(dayBeforeMarch.getMonth(), 2u) << year;
        ASSERT_EQ(dayBeforeMarch.getDay(), IsLeap(year) ? 29u : 28u) << year;
        const Time last(lastDay * kDay + 12 * 3600000);
        ASSERT_EQ(last.getYear(), year);
        ASSERT_EQ(last.getDayOfYear(), IsLeap(year) ? 366u : 365u) << year;
        ASSERT_EQ(last.getDayOfWeek(), static_cast<unsigned>((lastDay + 4) % 7) + 1) << year;
        yearStart = lastDay + 1;
    }
}

TEST(Time, KnownValuesAndCenturyYears)
{
    EXPECT_EQ(Time(1970, 1, 1, 0, 0, 0).getMillis(), 0);
    EXPECT_EQ(Time(1973, 1, 1, 0, 0, 0).getMillis(), 94694400000);
    EXPECT_EQ(Time(1972, 3, 1, 0, 0, 0).getMillis(), 68256000000);
    EXPECT_EQ(Time(2100, 3, 1, 0, 0, 0).getMillis() - Time(2100, 2, 28, 0, 0, 0).getMillis(), kDay);
    EXPECT_EQ(Time(2000, 3, 1, 0, 0, 0).getMillis() - Time(2000, 2, 28, 0, 0, 0).getMillis(), 2 * kDay);
    EXPECT_EQ(Time(int64_t{0}).getDayOfWeek(), 5u);  // a Thursday
}

struct SetCase
{
    unsigned year, month;
    int day;
    unsigned hour, minute, second;
    bool ok;
};

class TimeSetTable : public testing::TestWithParam<SetCase>
{
};

TEST_P(TimeSetTable, ValidationKeepsTheOldValue)
{
    const SetCase& c = GetParam();
    Time t(int64_t{123456});
    EXPECT_EQ(t.set(c.year, c.month, c.day, c.hour, c.minute, c.second, false), c.ok);
    if (!c.ok)
    {
        EXPECT_EQ(t.getMillis(), 123456);
    }
}

INSTANTIATE_TEST_SUITE_P(Time, TimeSetTable,
                         testing::Values(SetCase{1969, 1, 1, 0, 0, 0, false}, SetCase{2024, 13, 1, 0, 0, 0, false},
                                         SetCase{2024, 0, 1, 0, 0, 0, false}, SetCase{2024, 1, 0, 0, 0, 0, false},
                                         SetCase{2024, 1, 32, 0, 0, 0, false}, SetCase{2024, 1, 1, 60, 0, 0, false},
                                         SetCase{2024, 1, 1, 0, 60, 0, false}, SetCase{2024, 1, 1, 0, 0, 60, false},
                                         SetCase{Time::kMaxYear + 1, 1, 1, 0, 0, 0, false},
                                         SetCase{Time::kMaxYear, 12, 31, 23, 59, 59, true},
                                         SetCase{2023, 2, 31, 0, 0, 0, true}));

TEST(Time, OverlongDaysRollIntoTheNextMonth)
{
    const Time t(2023, 2, 31, 0, 0, 0);
    EXPECT_EQ(t.getMonth(), 3u);
    EXPECT_EQ(t.getDay(), 3u);
}

TEST(Time, NegativeValuesBreakDownToTheZeroRecord)
{
    const Time t(int64_t{-1000});
    EXPECT_EQ(t.getYear(), 1900u);
    EXPECT_EQ(t.getMonth(), 1u);
    EXPECT_EQ(t.getDay(), 0u);
}

TEST(Time, SettingAFieldDropsTheMilliseconds)
{
    Time t(2024, 1, 31, 12, 0, 0);
    t.setMillisecond(500);
    EXPECT_EQ(t.getMillisecond(), 500);
    EXPECT_TRUE(t.setMinute(5));
    EXPECT_EQ(t.toIsoString(true, false), "20240131T12:05:00.000");
    EXPECT_FALSE(t.setHour(61));
    EXPECT_TRUE(t.setYear(2025));
    EXPECT_EQ(t.getYear(), 2025u);
}

TEST(Time, AdditionsCarryAcrossFields)
{
    Time t(2024, 1, 31, 20, 0, 0);
    t.addHours(30);
    EXPECT_EQ(t.toIsoString(false, false), "20240202T02:00:00");
    t.addDays(40);
    EXPECT_EQ(t.toIsoString(false, false), "20240313T02:00:00");
    t.addMonths(11);
    EXPECT_EQ(t.toIsoString(false, false), "20250213T02:00:00");
    t.addMonths(-14);
    EXPECT_EQ(t.toIsoString(false, false), "20231213T02:00:00");
    t.addYears(1);
    t.addMinutes(-121);
    t.addSeconds(61);
    EXPECT_EQ(t.toIsoString(false, false), "20241213T00:00:01");
}

TEST(Time, MillisecondsAreAddedExactly)
{
    Time t(2024, 1, 1, 0, 0, 0);
    t.setMillisecond(900);
    t.addMillis(200);
    EXPECT_EQ(t.toIsoString(true, false), "20240101T00:00:01.100");
    t.addMillis(2500);
    EXPECT_EQ(t.toIsoString(true, false), "20240101T00:00:03.600");
}

TEST(Time, AdditionBeyondTheYearRangeLeavesTheValue)
{
    Time t(2024, 1, 1, 0, 0, 0);
    const int64_t before = t.getMillis();
    t.addYears(2000000000);
    EXPECT_EQ(t.getMillis(), before);
}

TEST(Time, TextFormsAndColonRoundTrip)
{
    const Time zero(int64_t{0});
    EXPECT_EQ(zero.toIsoString(true, true), "19700101T00:00:00.000Z");
    EXPECT_EQ(zero.toColonString(true, true), "1970:01:01 00:00:00:0000 Z");
    Time t(2024, 1, 31, 8, 5, 9);
    t.setMillisecond(42);
    EXPECT_EQ(t.toIsoString(true, true), "20240131T08:05:09.042Z");
    EXPECT_EQ(t.toColonString(true, true), "2024:01:31 08:05:09:0042 Z");

    Time back;
    EXPECT_TRUE(back.parseColonString(t.toColonString(true, true), true));
    EXPECT_EQ(back.getMillis(), t.getMillis());
    EXPECT_TRUE(back.parseColonString("2024:01:31 08:05:09", false));
    EXPECT_EQ(back.getMillisecond(), 0);
    EXPECT_FALSE(back.parseColonString("2024-01-31 08:05:09", false));
    const int64_t kept = back.getMillis();
    EXPECT_TRUE(back.parseColonString("2024:13:31 08:05:09 Z", false));
    EXPECT_EQ(back.getMillis(), kept);
}

TEST(Time, EightByteFormIsBigEndian)
{
    ostrum::io::MemoryOutputStream out;
    EXPECT_EQ(Time(int64_t{0x0102030405060708}).write(out), 8);
    EXPECT_EQ(ostrum_test::BytesOf(out), std::vector<unsigned char>({1, 2, 3, 4, 5, 6, 7, 8}));
    ostrum_test::BytesInput input(ostrum_test::BytesOf(out));
    Time back;
    EXPECT_EQ(back.read(input.Stream()), 8);
    EXPECT_EQ(back.getMillis(), 0x0102030405060708);
}

struct ParseCase
{
    const char* text;
    int hint;
    bool ok;
    int64_t expected;  // milliseconds when ok
};

class TimeParseTable : public testing::TestWithParam<ParseCase>
{
};

TEST_P(TimeParseTable, IsoTexts)
{
    const ParseCase& c = GetParam();
    Time t(int64_t{777});
    EXPECT_EQ(t.parse(c.text, c.hint), c.ok) << c.text;
    EXPECT_EQ(t.getMillis(), c.ok ? c.expected : 777) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Time, TimeParseTable,
    testing::Values(ParseCase{"2024-01-31T08:05:09+01:00", 0, true, Time(2024, 1, 31, 7, 5, 9).getMillis()},
                    ParseCase{"20240131", 0, true, Time(2024, 1, 31, 0, 0, 0).getMillis()},
                    ParseCase{"  20240131T080509Z ", 0, true, Time(2024, 1, 31, 8, 5, 9).getMillis()},
                    ParseCase{"0805", 2, true, 8 * 3600000 + 5 * 60000},
                    ParseCase{"0805", 0, true, YearStartBefore1970(805)},
                    ParseCase{"T08:00-05:00", 0, true, 13 * 3600000},
                    ParseCase{"2024-03", 0, true, Time(2024, 3, 1, 0, 0, 0).getMillis()},
                    ParseCase{"2024", 1, true, Time(2024, 1, 1, 0, 0, 0).getMillis()},
                    ParseCase{"12:30", 0, true, 12 * 3600000 + 30 * 60000},
                    ParseCase{"10+0130", 0, true, 10 * 3600000 - 90 * 60000}, ParseCase{"2024-1-31", 0, false, 0},
                    ParseCase{"12345", 0, false, 0}, ParseCase{"2024-01-31T8:05", 0, false, 0},
                    ParseCase{"T08:00+1", 0, false, 0}, ParseCase{"20x40131", 0, false, 0}, ParseCase{"", 0, false, 0},
                    ParseCase{"2024-01-31T", 0, true, Time(2024, 1, 31, 0, 0, 0).getMillis()}));

TEST(Time, ShiftingToLocalAndBackIsSymmetric)
{
    const Time t(2024, 6, 1, 12, 0, 0);
    EXPECT_EQ(t.toLocal().toUTC().getMillis(), t.getMillis());
}

struct FormatCase
{
    const char* pattern;
    Time time;
    const char* expected;
};

Time At(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second, int millis = 0)
{
    Time t(year, month, day, hour, minute, second);
    t.setMillisecond(millis);
    return t;
}

class TimeFormatTable : public testing::TestWithParam<FormatCase>
{
};

TEST_P(TimeFormatTable, Patterns)
{
    TimeFormatter formatter;
    ASSERT_TRUE(formatter.setPattern(GetParam().pattern));
    EXPECT_EQ(formatter.format(GetParam().time), GetParam().expected);
}

std::u16string Utf16(const std::string& text)
{
    return StringUtils::utf8ToWide(text.data(), static_cast<int>(text.size()));
}

// The name kinds and their index ranges.
struct NameTable
{
    int kind;
    int first;
    int last;
};
constexpr NameTable kNameTables[] = {
    {TimeFormatter::AbbreviatedWeekday, 1, 7},
    {TimeFormatter::FullWeekday, 1, 7},
    {TimeFormatter::AbbreviatedMonth, 1, 12},
    {TimeFormatter::FullMonth, 1, 12},
    {TimeFormatter::DayHalf, 0, 1},
};

TEST_P(TimeFormatTable, WideFormatterWritesTheNarrowTextWithItsOwnNames)
{
    TimeFormatter narrow;
    TimeFormatterUTF16 wide;
    ASSERT_TRUE(narrow.setPattern(GetParam().pattern));
    ASSERT_TRUE(wide.setPattern(GetParam().pattern));
    for (const NameTable& table : kNameTables)
        for (int index = table.first; index <= table.last; ++index)
            ASSERT_TRUE(wide.setName(table.kind, index, Utf16(narrow.getName(table.kind, index))));
    EXPECT_EQ(wide.format(GetParam().time), Utf16(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    TimeFormatter, TimeFormatTable,
    testing::Values(FormatCase{"%Y-%m-%d %H:%M:%S.%f", At(2024, 1, 31, 8, 5, 9, 42), "2024-01-31 08:05:09.0042"},
                    FormatCase{"%I %p", At(2024, 1, 31, 0, 30, 0), "12 AM"},
                    FormatCase{"%I %p", At(2024, 1, 31, 12, 0, 0), "12 PM"},
                    FormatCase{"%I %p", At(2024, 1, 31, 13, 0, 0), "01 PM"},
                    FormatCase{"%c", At(2024, 1, 31, 8, 5, 9), "01/31/24 08:05:09"},
                    FormatCase{"100%%", At(2024, 1, 31, 8, 5, 9), "100%"},
                    FormatCase{"%a %A %b %B %j %w %y", At(2024, 2, 4, 0, 0, 0), "Sun Sunday Feb February 035 0 24"},
                    FormatCase{"%x|%X|%n", At(2024, 12, 7, 23, 1, 2), "12/07/24|23:01:02|\n"},
                    FormatCase{"", At(2024, 1, 1, 0, 0, 0), ""}));

TEST(TimeFormatter, BadPlaceholdersFail)
{
    TimeFormatter formatter;
    EXPECT_FALSE(formatter.setPattern("abc%"));
    EXPECT_EQ(formatter.format(Time(int64_t{0})), "abc");
    EXPECT_FALSE(formatter.setPattern("%q"));
    EXPECT_EQ(formatter.getName(0, 8), "");
    EXPECT_EQ(formatter.getName(3, 12), "December");
    EXPECT_EQ(formatter.getName(13, 1), "PM");
    EXPECT_EQ(formatter.getName(5, 1), "");
}

TEST(TimeFormatterUTF16, NameTablesStartEmptyAndAreFilledBySetName)
{
    TimeFormatterUTF16 formatter;
    for (const NameTable& table : kNameTables)
    {
        for (int index = table.first; index <= table.last; ++index)
            EXPECT_EQ(formatter.getName(table.kind, index), u"") << table.kind << " " << index;
        EXPECT_FALSE(formatter.setName(table.kind, table.first - 1, u"x")) << table.kind;
        EXPECT_FALSE(formatter.setName(table.kind, table.last + 1, u"x")) << table.kind;
    }
    EXPECT_FALSE(formatter.setName(TimeFormatter::Day, 1, u"x"));
    ASSERT_TRUE(formatter.setPattern("%A %d. %B %Y %p"));
    const Time sunday = At(2024, 2, 4, 15, 0, 0);
    EXPECT_EQ(formatter.format(sunday), u" 04.  2024 ");
    ASSERT_TRUE(formatter.setName(TimeFormatter::FullWeekday, 1, u"Sonntag"));
    ASSERT_TRUE(formatter.setName(TimeFormatter::FullMonth, 2, u"Februar"));
    ASSERT_TRUE(formatter.setName(TimeFormatter::DayHalf, 1, u"nachm."));
    EXPECT_EQ(formatter.format(sunday), u"Sonntag 04. Februar 2024 nachm.");
    EXPECT_EQ(formatter.getName(TimeFormatter::FullMonth, 2), u"Februar");
    EXPECT_FALSE(formatter.setPattern("%q"));
}

}  // namespace
