#include "common/KvrTime.h"

#include "tests/common/TestEnvironment.h"
#include "tests/common/Timestamp.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Text(const COleDateTime& value)
{
    return CStringToUtf8(value.Format());
}

TEST(KvrTime32, BreaksDownAsUtcAndFallsBackTo1970)
{
    ScopedTimeZone zone("Asia/Tokyo");
    EXPECT_EQ("1970-01-01", Text(Time32ToUTCOleDateTime(0)));
    EXPECT_EQ("2000-02-29 12:00:00", Text(Time32ToUTCOleDateTime(951825600)));
    EXPECT_EQ("2038-01-19 03:14:07", Text(Time32ToUTCOleDateTime(2147483647)));
    EXPECT_EQ("1970-01-01", Text(Time32ToUTCOleDateTime(-1)));
    EXPECT_EQ("1970-01-01", Text(Time32ToUTCOleDateTime(-2147483647 - 1)));
}

TEST(KvrLocalToUtc, AppliesTheDefaultZoneWithDaylightSaving)
{
    ScopedTimeZone zone("Europe/Berlin");
    COleDateTime winter(2024, 1, 15, 12, 0, 0);
    ConvertLocalToUTC(winter);
    EXPECT_EQ("2024-01-15 11:00:00", Text(winter));
    COleDateTime summer(2024, 7, 15, 12, 0, 0);
    ConvertLocalToUTC(summer);
    EXPECT_EQ("2024-07-15 10:00:00", Text(summer));
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    ConvertLocalToUTC(invalid);
    EXPECT_EQ(COleDateTime::invalid, invalid.GetStatus());
    COleDateTime first(100, 1, 1, 0, 30, 0);
    ConvertLocalToUTC(first);
    EXPECT_EQ(COleDateTime::invalid, first.GetStatus());
}

TEST(KvrCurrentTimestamp, IsUtcNowWithoutFraction)
{
    ScopedTimeZone zone("America/New_York");
    TIMESTAMP_STRUCT ts{};
    ts.fraction = 123;
    GetCurrentUTCTimestamp(ts);
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    EXPECT_EQ(parts.tm_year + 1900, ts.year);
    EXPECT_EQ(parts.tm_yday, COleDateTime(ts.year, ts.month, ts.day, 0, 0, 0).GetDayOfYear() - 1);
    EXPECT_NEAR(parts.tm_hour * 3600 + parts.tm_min * 60 + parts.tm_sec, ts.hour * 3600 + ts.minute * 60 + ts.second,
                5);
    EXPECT_EQ(0u, ts.fraction);
}

TEST(KvrTimestampToCTime, AcceptsOnly1970To3000AndRealDates)
{
    ScopedTimeZone zone("America/New_York");
    struct Case
    {
        TIMESTAMP_STRUCT ts;
        bool ok;
    } cases[] = {
        {Ts(1970, 1, 1, 5, 0, 0), true},   {Ts(2024, 2, 29, 23, 59, 59), true},
        {Ts(3000, 12, 31), true},          {Ts(1969, 12, 31), false},
        {Ts(3001, 1, 1), false},           {Ts(2023, 2, 29), false},
        {Ts(2024, 0, 1), false},           {Ts(2024, 1, 1, 24, 0, 0), false},
        {Ts(2024, 1, 1, 0, 60, 0), false}, {Ts(2024, 1, 1, 0, 0, 60), false},
    };
    for (const Case& c : cases)
    {
        CTime time(42);
        EXPECT_EQ(c.ok, TimestampToCTime(c.ts, time)) << c.ts.year << "-" << c.ts.month << "-" << c.ts.day;
        if (c.ok)
        {
            EXPECT_EQ(c.ts.year, time.GetYear());
            EXPECT_EQ(c.ts.day, time.GetDay());
            EXPECT_EQ(c.ts.hour, time.GetHour());
        }
        else
        {
            EXPECT_EQ(42, time.GetTime());
        }
    }
    CTime epoch;
    ASSERT_TRUE(TimestampToCTime(Ts(1970, 1, 1, 0, 0, 0), epoch));
    EXPECT_EQ(18000, epoch.GetTime());
}

TEST(KvrDateTimeText, FormsAndTheirParts)
{
    KvrDateTimeText parts;
    ASSERT_TRUE(ParseKvrDateTime(L"2024-02-29T12:34:56.25-03:30", parts));
    EXPECT_EQ(2024, parts.Year);
    EXPECT_EQ(2, parts.Month);
    EXPECT_EQ(29, parts.Day);
    EXPECT_EQ(12, parts.Hour);
    EXPECT_EQ(34, parts.Minute);
    EXPECT_EQ(56, parts.Second);
    EXPECT_DOUBLE_EQ(0.25, parts.Fraction);
    EXPECT_TRUE(parts.HasZone);
    EXPECT_EQ(-210, parts.OffsetMinutes);

    ASSERT_TRUE(ParseKvrDateTime(L"2024-02-29", parts));
    EXPECT_FALSE(parts.HasZone);
    EXPECT_EQ(0, parts.Hour);
    ASSERT_TRUE(ParseKvrDateTime(L"20240229T010203Z", parts));
    EXPECT_TRUE(parts.HasZone);
    EXPECT_EQ(0, parts.OffsetMinutes);
    EXPECT_EQ(3, parts.Second);
}

TEST(KvrDuration, GoodAndMalformedTexts)
{
    const std::pair<const wchar_t*, double> good[] = {
        {L"P1D", 1.0},
        {L"PT12H", 0.5},
        {L"PT90M", 90.0 / 1440.0},
        {L"PT0.5S", 0.5 / 86400.0},
        {L"P1DT2H3M4S", 1.0 + 2.0 / 24 + 3.0 / 1440 + 4.0 / 86400},
        {L"-PT1H", -1.0 / 24.0},
        {L"P0D", 0.0},
    };
    for (const auto& [text, days] : good)
    {
        COleDateTimeSpan span;
        EXPECT_TRUE(ParseKvrDuration(text, span)) << CStringToUtf8(CString(text));
        EXPECT_NEAR(days, static_cast<double>(span), 1e-12) << CStringToUtf8(CString(text));
    }
    const std::wstring longText = L"P" + std::wstring(100, L'1') + L"D";
    const wchar_t* bad[] = {L"",     L"P",    L"PT",    L"P1DT",   L"P1Y",       L"P1M",  L"1D",           L"P1H",
                            L"PT1D", L"P-1D", L"P1.5D", L"PT1H1H", L"P9999999D", L"P1D ", longText.c_str()};
    for (const wchar_t* text : bad)
    {
        COleDateTimeSpan span(2.0);
        EXPECT_FALSE(ParseKvrDuration(text, span)) << CStringToUtf8(CString(text));
        EXPECT_DOUBLE_EQ(2.0, static_cast<double>(span));
    }
}

TEST(KvrPatterns, InitialisersAreIdempotentAndSafeFromManyThreads)
{
    InitKvrTimeDurationRegex();
    InitKvrTimeDateTimeRegexes();
    std::vector<std::thread> threads;
    std::atomic<int> failures{0};
    for (int t = 0; t < 8; ++t)
        threads.emplace_back([&] {
            InitKvrTimeDateTimeRegexes();
            for (int i = 0; i < 200; ++i)
            {
                KvrDateTimeText parts;
                if (!ParseKvrDateTime(L"2024-02-29T12:34:56Z", parts) || parts.Second != 56)
                    ++failures;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(0, failures.load());
}

}  // namespace

TEST(KvrTimeSeconds, TimesBefore1970PartWayThroughADayKeepTheirDay)
{
    // Division rounds towards zero: a negative remainder must still fall on the day before.
    const struct
    {
        LONGLONG seconds;
        const char* text;
    } cases[] = {
        {0, "1970-01-01"},
        {-1, "1969-12-31 23:59:59"},
        {-86399, "1969-12-31 00:00:01"},
        {-86400, "1969-12-31"},
        {-86401, "1969-12-30 23:59:59"},
        {-2209226400LL, "1899-12-29 06:00:00"},
        {-2209096800LL, "18:00:00"},  // day 0 of the OLE calendar shows its time only
        {-11644428600LL, "1601-01-01 12:30:00"},
    };
    for (const auto& one : cases)
    {
        const COleDateTime value = OleDateTimeFromSeconds(one.seconds);
        EXPECT_EQ(Text(value), one.text) << one.seconds;
        LONGLONG back = 0;
        ASSERT_TRUE(SecondsFromOleDateTime(value, back)) << one.seconds;
        EXPECT_EQ(back, one.seconds);
    }
}
