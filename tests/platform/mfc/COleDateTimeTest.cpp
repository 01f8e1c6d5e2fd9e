#include <gtest/gtest.h>

#include <cmath>

#include "platform/com/Variant.h"
#include "platform/mfc/COleDateTime.h"
#include "ScopedTimeZone.h"

namespace {

// A fixed zone without daylight saving: local time is UTC - 5 hours.
constexpr const char* kFixedZone = "EST5";

void ExpectParts(const COleDateTime& value, int year, int month, int day, int hour, int minute, int second)
{
    ASSERT_EQ(value.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(value.GetYear(), year);
    EXPECT_EQ(value.GetMonth(), month);
    EXPECT_EQ(value.GetDay(), day);
    EXPECT_EQ(value.GetHour(), hour);
    EXPECT_EQ(value.GetMinute(), minute);
    EXPECT_EQ(value.GetSecond(), second);
}

}  // namespace

TEST(COleDateTime, PartsAndDateAgreeOnBothSidesOfTheEpoch)
{
    struct Case
    {
        DATE date;
        int year, month, day, hour, minute, second;
    };
    const Case cases[] = {
        {0.0, 1899, 12, 30, 0, 0, 0},       {1.0, 1899, 12, 31, 0, 0, 0},   {2.5, 1900, 1, 1, 12, 0, 0},
        {-1.0, 1899, 12, 29, 0, 0, 0},      {-1.25, 1899, 12, 29, 6, 0, 0},  // the fraction is the positive time of day
        {-2.75, 1899, 12, 28, 18, 0, 0},    {45292.0, 2024, 1, 1, 0, 0, 0}, {-657434.0, 100, 1, 1, 0, 0, 0},
        {2958465.0, 9999, 12, 31, 0, 0, 0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.date);
        ExpectParts(COleDateTime(c.date), c.year, c.month, c.day, c.hour, c.minute, c.second);
        const COleDateTime built(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_DOUBLE_EQ(built.m_dt, c.date);
    }
    // -0.25 and 0.25 are the same moment.
    ExpectParts(COleDateTime(-0.25), 1899, 12, 30, 6, 0, 0);
    EXPECT_TRUE(COleDateTime(-0.25) == COleDateTime(0.25));
}

TEST(COleDateTime, SplittingRoundsToTheNearestSecond)
{
    const COleDateTime almostMidnight(45292.0 + 86399.9996 / 86400.0);
    ExpectParts(almostMidnight, 2024, 1, 2, 0, 0, 0);
    const COleDateTime stored(2024, 5, 6, 7, 8, 59);
    ExpectParts(COleDateTime(stored.m_dt - 1e-9), 2024, 5, 6, 7, 8, 59);
    ExpectParts(COleDateTime(-1.0 - 86399.9996 / 86400.0), 1899, 12, 30, 0, 0, 0);
    // The last valid day has no next midnight to round to.
    ExpectParts(COleDateTime(2958465.0 + 86399.9999 / 86400.0), 9999, 12, 31, 23, 59, 59);
}

TEST(COleDateTime, SetDateTimeRefusesPartsOutOfRange)
{
    struct Case
    {
        int year, month, day, hour, minute, second;
        bool valid;
    };
    const Case cases[] = {
        {2024, 2, 29, 0, 0, 0, true},  {2023, 2, 29, 0, 0, 0, false}, {2000, 2, 29, 0, 0, 0, true},
        {1900, 2, 29, 0, 0, 0, false}, {2024, 4, 31, 0, 0, 0, false}, {2024, 12, 31, 23, 59, 59, true},
        {2024, 13, 1, 0, 0, 0, false}, {2024, 0, 1, 0, 0, 0, false},  {2024, 1, 0, 0, 0, 0, false},
        {2024, 1, 1, 24, 0, 0, false}, {2024, 1, 1, 0, 60, 0, false}, {2024, 1, 1, 0, 0, 60, false},
        {2024, 1, 1, -1, 0, 0, false}, {99, 12, 31, 0, 0, 0, false},  {100, 1, 1, 0, 0, 0, true},
        {9999, 12, 31, 0, 0, 0, true}, {10000, 1, 1, 0, 0, 0, false},
    };
    for (const Case& c : cases)
    {
        COleDateTime value(2020, 1, 1, 0, 0, 0);
        const int result = value.SetDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second);
        EXPECT_EQ(result, c.valid ? 0 : 1) << c.year << "-" << c.month << "-" << c.day << " " << c.hour;
        EXPECT_EQ(value.GetStatus(), c.valid ? COleDateTime::valid : COleDateTime::invalid);
        if (!c.valid)
        {
            EXPECT_EQ(value.m_dt, 0.0);
            EXPECT_EQ(value.GetYear(), AFX_OLE_DATETIME_ERROR);
            EXPECT_EQ(value.GetDayOfWeek(), AFX_OLE_DATETIME_ERROR);
        }
    }
    COleDateTime value;
    EXPECT_EQ(value.SetDate(2024, 3, 1), 0);
    ExpectParts(value, 2024, 3, 1, 0, 0, 0);
    EXPECT_EQ(value.SetTime(13, 14, 15), 0);
    ExpectParts(value, 1899, 12, 30, 13, 14, 15);
}

TEST(COleDateTime, OutOfRangeOrNanDatesAreInvalid)
{
    EXPECT_EQ(COleDateTime(-657435.0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(2958466.0).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(std::nan("")).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ(COleDateTime(-657434.5).GetStatus(), COleDateTime::valid);
}

TEST(COleDateTime, DayOfWeekAndDayOfYear)
{
    EXPECT_EQ(COleDateTime(1899, 12, 30, 0, 0, 0).GetDayOfWeek(), 7);  // Saturday
    EXPECT_EQ(COleDateTime(2024, 1, 1, 0, 0, 0).GetDayOfWeek(), 2);    // Monday
    EXPECT_EQ(COleDateTime(1800, 1, 1, 0, 0, 0).GetDayOfWeek(), 4);    // Wednesday
    EXPECT_EQ(COleDateTime(2024, 12, 31, 0, 0, 0).GetDayOfYear(), 366);
    EXPECT_EQ(COleDateTime(2023, 12, 31, 0, 0, 0).GetDayOfYear(), 365);
    EXPECT_EQ(COleDateTime(2023, 3, 1, 0, 0, 0).GetDayOfYear(), 60);
}

TEST(COleDateTime, SystemTimeAndTimestampRoundTrips)
{
    const COleDateTime dates[] = {COleDateTime(2024, 2, 29, 23, 59, 59), COleDateTime(1850, 6, 15, 6, 30, 0),
                                  COleDateTime(100, 1, 1, 0, 0, 1)};
    for (const COleDateTime& date : dates)
    {
        SYSTEMTIME st{};
        ASSERT_TRUE(date.GetAsSystemTime(st));
        EXPECT_EQ(COleDateTime(st), date);
        EXPECT_EQ(st.wDayOfWeek, date.GetDayOfWeek() - 1);
        EXPECT_EQ(st.wMilliseconds, 0);
        TIMESTAMP_STRUCT ts{};
        ASSERT_TRUE(date.GetAsDBTIMESTAMP(ts));
        EXPECT_EQ(ts.fraction, 0u);
        EXPECT_EQ(COleDateTime(ts), date);
    }
    SYSTEMTIME withMilliseconds{2024, 1, 0, 2, 3, 4, 5, 999};
    ExpectParts(COleDateTime(withMilliseconds), 2024, 1, 2, 3, 4, 5);
    TIMESTAMP_STRUCT badTimestamp{2023, 2, 29, 0, 0, 0, 500};
    EXPECT_EQ(COleDateTime(badTimestamp).GetStatus(), COleDateTime::invalid);

    COleDateTime invalid(2023, 2, 29, 0, 0, 0);
    SYSTEMTIME untouched{1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_FALSE(invalid.GetAsSystemTime(untouched));
    EXPECT_EQ(untouched.wYear, 1);
    TIMESTAMP_STRUCT untouchedTs{7, 1, 1, 0, 0, 0, 0};
    EXPECT_FALSE(invalid.GetAsDBTIMESTAMP(untouchedTs));
    EXPECT_EQ(untouchedTs.year, 7);
}

TEST(COleDateTime, FileTimeAndTimeValuesAreShownAsLocalTime)
{
    ScopedTimeZone zone(kFixedZone);
    const SYSTEMTIME utc{2024, 7, 0, 1, 12, 30, 15, 250};
    FILETIME fileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
    ExpectParts(COleDateTime(fileTime), 2024, 7, 1, 7, 30, 15);
    ExpectParts(COleDateTime(static_cast<__time64_t>(0)), 1969, 12, 31, 19, 0, 0);
    ExpectParts(COleDateTime(static_cast<__time32_t>(86400)), 1970, 1, 1, 19, 0, 0);

    // Back through SYSTEMTIME and the local offset to the same FILETIME (milliseconds dropped).
    SYSTEMTIME local{};
    ASSERT_TRUE(COleDateTime(fileTime).GetAsSystemTime(local));
    FILETIME localFileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localFileTime));
    const auto ticks = [](const FILETIME& ft) {
        return (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    };
    EXPECT_EQ(ticks(fileTime) - ticks(localFileTime), 5ull * 3600 * 10000000 + 250 * 10000);

    const FILETIME tooLarge{0, 0x80000000u};
    EXPECT_EQ(COleDateTime(tooLarge).GetStatus(), COleDateTime::invalid);
}

TEST(COleDateTime, VariantConstruction)
{
    VARIANT date;
    VariantInit(&date);
    date.vt = VT_DATE;
    date.date = -1.5;
    ExpectParts(COleDateTime(date), 1899, 12, 29, 12, 0, 0);
    VARIANT number;
    VariantInit(&number);
    number.vt = VT_R8;
    number.dblVal = 2.0;
    ExpectParts(COleDateTime(number), 1900, 1, 1, 0, 0, 0);
    VARIANT nullValue;
    VariantInit(&nullValue);
    nullValue.vt = VT_NULL;
    EXPECT_EQ(COleDateTime(nullValue).GetStatus(), COleDateTime::invalid);
    date.date = 1e9;
    EXPECT_EQ(COleDateTime(date).GetStatus(), COleDateTime::invalid);
}

TEST(COleDateTime, SpanArithmeticCrossesTheEpoch)
{
    const COleDateTime before(1899, 12, 29, 18, 0, 0);
    const COleDateTime after = before + COleDateTimeSpan(0, 12, 0, 0);
    ExpectParts(after, 1899, 12, 30, 6, 0, 0);
    EXPECT_DOUBLE_EQ((after - before).GetTotalHours(), 12.0);
    ExpectParts(after - COleDateTimeSpan(1, 0, 0, 0), 1899, 12, 29, 6, 0, 0);
    EXPECT_DOUBLE_EQ((COleDateTime(-1.25) - COleDateTime(-2.75)).m_span, 0.5);
    // -1.25 (06:00) comes before -1.75 (18:00) on the same day, unlike the raw numbers.
    EXPECT_TRUE(COleDateTime(-1.25) < COleDateTime(-1.75));
    EXPECT_TRUE(COleDateTime(-1.0) < COleDateTime(-1.75));
    EXPECT_TRUE(COleDateTime(-1.75) < COleDateTime(-0.5));

    COleDateTime moving(2024, 2, 28, 12, 0, 0);
    moving += COleDateTimeSpan(1.0);
    ExpectParts(moving, 2024, 2, 29, 12, 0, 0);
    moving -= COleDateTimeSpan(0, 0, 0, 43200);
    ExpectParts(moving, 2024, 2, 29, 0, 0, 0);
    EXPECT_EQ((COleDateTime(9999, 12, 31, 0, 0, 0) + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
}

TEST(COleDateTime, StatusesPropagateThroughArithmeticAndComparison)
{
    COleDateTime nullDate;
    nullDate.SetStatus(COleDateTime::null);
    const COleDateTime invalidDate(2023, 2, 30, 0, 0, 0);
    const COleDateTime validDate(2024, 1, 1, 0, 0, 0);
    EXPECT_EQ((nullDate + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::null);
    EXPECT_EQ((invalidDate + COleDateTimeSpan(1.0)).GetStatus(), COleDateTime::invalid);
    EXPECT_EQ((validDate - invalidDate).GetStatus(), COleDateTimeSpan::invalid);
    EXPECT_EQ((validDate - nullDate).GetStatus(), COleDateTimeSpan::null);
    EXPECT_TRUE(nullDate == nullDate);
    EXPECT_FALSE(invalidDate == invalidDate);
    EXPECT_FALSE(validDate < invalidDate);
    EXPECT_FALSE(validDate > invalidDate);
    EXPECT_TRUE(validDate == COleDateTime(2024, 1, 1, 0, 0, 0));
}

TEST(COleDateTimeSpan, PartsAndTotalsRoundToTheNearestSecond)
{
    const COleDateTimeSpan span(1, 2, 3, 4);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetHours(), 2);
    EXPECT_EQ(span.GetMinutes(), 3);
    EXPECT_EQ(span.GetSeconds(), 4);
    EXPECT_DOUBLE_EQ(span.GetTotalHours(), 26.0);
    EXPECT_DOUBLE_EQ(span.GetTotalMinutes(), 1563.0);
    EXPECT_DOUBLE_EQ(span.GetTotalSeconds(), 93784.0);

    const COleDateTimeSpan negative = -span;
    EXPECT_EQ(negative.GetDays(), -1);
    EXPECT_EQ(negative.GetHours(), -2);
    EXPECT_EQ(negative.GetSeconds(), -4);
    EXPECT_DOUBLE_EQ(negative.GetTotalMinutes(), -1563.0);

    // 29 minutes 59.6 seconds counts as 30 whole minutes; 29:59.4 as 29.
    EXPECT_DOUBLE_EQ(COleDateTimeSpan(1799.6 / 86400.0).GetTotalMinutes(), 30.0);
    EXPECT_DOUBLE_EQ(COleDateTimeSpan(1799.4 / 86400.0).GetTotalMinutes(), 29.0);
    EXPECT_DOUBLE_EQ(COleDateTimeSpan(-1799.6 / 86400.0).GetTotalMinutes(), -30.0);
    EXPECT_EQ(COleDateTimeSpan(0, 0, 0, 90).GetMinutes(), 1);
    EXPECT_EQ(COleDateTimeSpan(0, 0, 0, 90).GetSeconds(), 30);
}

TEST(COleDateTimeSpan, StatusRules)
{
    EXPECT_EQ(COleDateTimeSpan(std::nan("")).GetStatus(), COleDateTimeSpan::invalid);
    EXPECT_EQ(COleDateTimeSpan(4e6).GetStatus(), COleDateTimeSpan::invalid);
    COleDateTimeSpan invalid(std::nan(""));
    EXPECT_DOUBLE_EQ(invalid.GetTotalSeconds(), 0.0);
    EXPECT_EQ((invalid + COleDateTimeSpan(1.0)).GetStatus(), COleDateTimeSpan::invalid);
    COleDateTimeSpan nullSpan;
    nullSpan.SetStatus(COleDateTimeSpan::null);
    EXPECT_EQ((nullSpan + COleDateTimeSpan(1.0)).GetStatus(), COleDateTimeSpan::null);
    EXPECT_TRUE(COleDateTimeSpan(1.0) < COleDateTimeSpan(2.0));
    EXPECT_FALSE(invalid < COleDateTimeSpan(2.0));
    EXPECT_TRUE(COleDateTimeSpan(0, 24, 0, 0) == COleDateTimeSpan(1.0));
}

TEST(COleDateTime, FormatWritesStrftimeAndDefaultText)
{
    const COleDateTime value(2024, 3, 5, 7, 8, 9);
    EXPECT_STREQ(value.Format(L"%Y/%m/%d %H.%M.%S %A %j"), L"2024/03/05 07.08.09 Tuesday 065");
    EXPECT_STREQ(value.Format(), L"2024-03-05 07:08:09");
    EXPECT_STREQ(COleDateTime(2024, 3, 5, 0, 0, 0).Format(), L"2024-03-05");
    EXPECT_STREQ(COleDateTime(0.5).Format(), L"12:00:00");
    EXPECT_STREQ(COleDateTime(0.0).Format(), L"00:00:00");
    EXPECT_STREQ(COleDateTime(-1.25).Format(), L"1899-12-29 06:00:00");
    EXPECT_STREQ(COleDateTime(2023, 2, 29, 0, 0, 0).Format(), L"Invalid DateTime");
    EXPECT_STREQ(COleDateTime(2023, 2, 29, 0, 0, 0).Format(L"%Y"), L"Invalid DateTime");
    COleDateTime nullDate;
    nullDate.SetStatus(COleDateTime::null);
    EXPECT_STREQ(nullDate.Format(), L"");
    EXPECT_STREQ(value.Format(L""), L"");
    EXPECT_STREQ(value.Format(nullptr), L"2024-03-05 07:08:09");
}

TEST(COleDateTime, ParseDateTimeAcceptsTheListedFormsOnly)
{
    struct Case
    {
        const wchar_t* text;
        bool ok;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    };
    const Case cases[] = {
        {L"2024-03-05 07:08:09", true, 2024, 3, 5, 7, 8, 9},
        {L"  2024-3-5 7:8:9  ", true, 2024, 3, 5, 7, 8, 9},
        {L"2024-03-05", true, 2024, 3, 5, 0, 0, 0},
        {L"03/05/2024 23:59:59", true, 2024, 3, 5, 23, 59, 59},
        {L"13:14:15", true, 1899, 12, 30, 13, 14, 15},
        {L"1850-01-02 03:04:05", true, 1850, 1, 2, 3, 4, 5},
        {L"", false},
        {L"2024-02-30", false},
        {L"2024-03-05T07:08:09", false},
        {L"2024-03-05 07:08", false},
        {L"24-03-05", false},
        {L"03/05/2024", false},
        {L"2024-03-05 07:08:09 extra", false},
        {L"25:00:00", false},
        {L"2024-003-05", false},
        {L"\u0662\u0660\u0662\u0664-03-05", false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.text)));
        COleDateTime value(2000, 1, 1, 0, 0, 0);
        EXPECT_EQ(value.ParseDateTime(c.text), c.ok);
        if (c.ok)
        {
            ExpectParts(value, c.year, c.month, c.day, c.hour, c.minute, c.second);
        }
        else
        {
            EXPECT_EQ(value.GetStatus(), COleDateTime::invalid);
            EXPECT_EQ(value.m_dt, 0.0);
        }
    }
    COleDateTime value;
    EXPECT_FALSE(value.ParseDateTime(nullptr));
}

TEST(COleDateTime, GetCurrentTimeIsLocalWholeSeconds)
{
    ScopedTimeZone zone(kFixedZone);
    const COleDateTime now = COleDateTime::GetCurrentTime();
    ASSERT_EQ(now.GetStatus(), COleDateTime::valid);
    const double seconds = now.m_dt * 86400.0;
    EXPECT_NEAR(seconds, std::round(seconds), 1e-3);
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    const COleDateTimeSpan offset = COleDateTime(utc) - now;
    EXPECT_NEAR(offset.GetTotalSeconds(), 5 * 3600.0, 5.0);
}
