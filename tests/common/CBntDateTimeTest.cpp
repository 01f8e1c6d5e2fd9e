#include "common/CBntDateTime.h"

#include "platform/win32/Calendar.h"
#include "tests/common/TestEnvironment.h"
#include "tests/common/Timestamp.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <limits>
#include <string>

namespace {

CBntDateTime Utc(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    CBntDateTime value(Ts(year, month, day, hour, minute, second));
    value.SetUTC(1);
    return value;
}

std::string Iso(const CBntDateTime& value)
{
    return CStringToUtf8(value.ToISO8601String());
}

LONGLONG UnixSeconds(int year, int month, int day, int hour, int minute, int second)
{
    return calendar::DaysFromCivil(year, month, day) * 86400 + hour * 3600LL + minute * 60LL + second;
}

// ---- The machine zone read from the time zone database ----

TEST(SystemTimeZone, NewYorkHasSecondSundayOfMarchAndFirstSundayOfNovember)
{
    ScopedTimeZone zone("America/New_York");
    const DateTimeZoneInfo info = CBntDateTime::GetSystemTimeZone();
    EXPECT_EQ(300, info.Bias);
    EXPECT_EQ(-300, info.Offset);
    EXPECT_EQ(0, info.StandardBias);
    EXPECT_EQ(-60, info.DaylightBias);
    EXPECT_EQ(TRUE, info.Daylight);
    EXPECT_EQ(3, info.DaylightDate.wMonth);
    EXPECT_EQ(0, info.DaylightDate.wDayOfWeek);
    EXPECT_EQ(2, info.DaylightDate.wDay);
    EXPECT_EQ(2, info.DaylightDate.wHour);
    EXPECT_EQ(11, info.StandardDate.wMonth);
    EXPECT_EQ(1, info.StandardDate.wDay);
    EXPECT_EQ(2, info.StandardDate.wHour);
}

TEST(SystemTimeZone, BerlinChangesOnTheLastSundays)
{
    ScopedTimeZone zone("Europe/Berlin");
    const DateTimeZoneInfo info = CBntDateTime::GetSystemTimeZone();
    EXPECT_EQ(-60, info.Bias);
    EXPECT_EQ(-60, info.DaylightBias);
    EXPECT_EQ(3, info.DaylightDate.wMonth);
    EXPECT_EQ(5, info.DaylightDate.wDay);
    EXPECT_EQ(2, info.DaylightDate.wHour);
    EXPECT_EQ(10, info.StandardDate.wMonth);
    EXPECT_EQ(5, info.StandardDate.wDay);
    EXPECT_EQ(3, info.StandardDate.wHour);
}

TEST(SystemTimeZone, ZonesWithoutDaylightSavingHaveNoRules)
{
    const std::pair<const char*, LONG> zones[] = {{"UTC", 0}, {"Asia/Kolkata", -330}, {"Asia/Tokyo", -540}};
    for (const auto& [name, bias] : zones)
    {
        ScopedTimeZone zone(name);
        const DateTimeZoneInfo info = CBntDateTime::GetSystemTimeZone();
        EXPECT_EQ(bias, info.Bias) << name;
        EXPECT_EQ(-bias, info.Offset) << name;
        EXPECT_EQ(FALSE, info.Daylight) << name;
        EXPECT_EQ(0, info.DaylightBias) << name;
    }
}

// Model check: the rules taken from the database convert every hour of many years exactly as
// the C library does (these zones kept the same rules over those years).
TEST(SystemTimeZone, RulesAgreeWithTheDatabaseHourByHour)
{
    for (const char* name : {"America/New_York", "Europe/Berlin", "Australia/Sydney", "America/Sao_Paulo"})
    {
        ScopedTimeZone zone(name);
        const DateTimeZoneInfo info = DefaultTimeZoneInfo;
        const bool southernBrazil = std::string(name) == "America/Sao_Paulo";
        // Sao Paulo dropped daylight saving in 2019: only its present rule-less state is checked.
        const int firstYear = southernBrazil ? 2020 : 2010;
        int mismatches = 0;
        for (LONGLONG t = UnixSeconds(firstYear, 1, 1, 0, 0, 0); t < UnixSeconds(2031, 1, 1, 0, 0, 0); t += 3600)
        {
            const std::time_t instant = static_cast<std::time_t>(t);
            std::tm parts{};
            localtime_r(&instant, &parts);
            if (info.UtcToLocalSeconds(t) != t + parts.tm_gmtoff)
                ++mismatches;
        }
        EXPECT_EQ(0, mismatches) << name;
    }
}

// ---- Local and UTC around the changes ----

TEST(DateTimeDaylight, NewYorkSpringAndAutumnChanges)
{
    ScopedTimeZone zone("America/New_York");
    struct Case
    {
        TIMESTAMP_STRUCT local;
        const char* utc;
    } cases[] = {
        {Ts(2023, 3, 12, 1, 59, 59), "2023-03-12T06:59:59Z"},
        // 02:30 does not exist that night; it is taken as daylight time.
        {Ts(2023, 3, 12, 2, 30, 0), "2023-03-12T06:30:00Z"},
        {Ts(2023, 3, 12, 3, 0, 0), "2023-03-12T07:00:00Z"},
        {Ts(2023, 11, 5, 0, 59, 59), "2023-11-05T04:59:59Z"},
        // 01:30 occurs twice; the daylight one is meant.
        {Ts(2023, 11, 5, 1, 30, 0), "2023-11-05T05:30:00Z"},
        {Ts(2023, 11, 5, 2, 0, 0), "2023-11-05T07:00:00Z"},
        {Ts(2024, 7, 4, 12, 0, 0), "2024-07-04T16:00:00Z"},
        {Ts(2024, 1, 15, 12, 0, 0), "2024-01-15T17:00:00Z"},
    };
    for (const Case& c : cases)
    {
        const CBntDateTime utc = CBntDateTime(c.local).GetUTC();
        EXPECT_TRUE(utc.IsUTC());
        EXPECT_EQ(c.utc, Iso(utc));
    }
    EXPECT_FALSE(DefaultTimeZoneInfo.IsDaylightAtUtc(UnixSeconds(2023, 3, 12, 6, 59, 59)));
    EXPECT_TRUE(DefaultTimeZoneInfo.IsDaylightAtUtc(UnixSeconds(2023, 3, 12, 7, 0, 0)));
    EXPECT_TRUE(DefaultTimeZoneInfo.IsDaylightAtUtc(UnixSeconds(2023, 11, 5, 5, 59, 59)));
    EXPECT_FALSE(DefaultTimeZoneInfo.IsDaylightAtUtc(UnixSeconds(2023, 11, 5, 6, 0, 0)));
}

TEST(DateTimeDaylight, SydneyDaylightSpansTheNewYear)
{
    ScopedTimeZone zone("Australia/Sydney");
    EXPECT_EQ("2023-12-25T01:00:00Z", Iso(CBntDateTime(Ts(2023, 12, 25, 12, 0, 0)).GetUTC()));
    EXPECT_EQ("2023-07-01T02:00:00Z", Iso(CBntDateTime(Ts(2023, 7, 1, 12, 0, 0)).GetUTC()));
    EXPECT_EQ("2023-09-30T15:59:59Z", Iso(CBntDateTime(Ts(2023, 10, 1, 1, 59, 59)).GetUTC()));
    EXPECT_EQ("2023-09-30T16:00:00Z", Iso(CBntDateTime(Ts(2023, 10, 1, 3, 0, 0)).GetUTC()));
}

TEST(DateTimeDaylight, AnExplicitZoneBlockWinsOverTheDefault)
{
    DateTimeZoneInfo berlin{};
    {
        ScopedTimeZone zone("Europe/Berlin");
        berlin = DefaultTimeZoneInfo;
    }
    ScopedTimeZone zone("UTC");
    CBntDateTime value(Ts(2024, 7, 1, 12, 0, 0));
    EXPECT_EQ("2024-07-01T12:00:00Z", Iso(value.GetUTC()));
    value.SetTimeZoneInfo(berlin);
    EXPECT_EQ("2024-07-01T10:00:00Z", Iso(value.GetUTC()));
}

TEST(DateTimeDaylight, HostileZoneBlockNeverBreaksConversion)
{
    DateTimeZoneInfo hostile{};
    hostile.Bias = std::numeric_limits<LONG>::max();
    hostile.StandardBias = std::numeric_limits<LONG>::max();
    hostile.DaylightBias = std::numeric_limits<LONG>::min();
    hostile.Daylight = TRUE;
    hostile.DaylightDate.wMonth = 13;
    CBntDateTime value(Ts(2024, 1, 1));
    value.SetTimeZoneInfo(hostile);
    EXPECT_EQ(CBntDateTime::invalid, value.GetUTC().GetStatus());
}

// ---- Calendar edges ----

TEST(DateTimeCalendar, LeapDaysExistOnlyInLeapYears)
{
    struct Case
    {
        int year;
        bool valid;
    } cases[] = {{2024, true}, {2000, true}, {1600, true}, {2023, false}, {1900, false}, {2100, false}};
    for (const Case& c : cases)
        EXPECT_EQ(c.valid ? CBntDateTime::valid : CBntDateTime::invalid, CBntDateTime(Ts(c.year, 2, 29)).GetStatus())
            << c.year;
}

TEST(DateTimeCalendar, ValuesOutsideYears100To9999AreInvalid)
{
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(99, 12, 31)).GetStatus());
    EXPECT_EQ(CBntDateTime::valid, CBntDateTime(Ts(100, 1, 1)).GetStatus());
    EXPECT_EQ(CBntDateTime::valid, CBntDateTime(Ts(9999, 12, 31, 23, 59, 59)).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(10000, 1, 1)).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(2024, 4, 31)).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(2024, 1, 1, 24, 0, 0)).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(std::numeric_limits<double>::quiet_NaN()).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(std::numeric_limits<double>::infinity()).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(3.0e6).GetStatus());
}

TEST(DateTimeCalendar, ConversionPastTheLastYearBecomesInvalid)
{
    ScopedTimeZone zone("America/New_York");
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(9999, 12, 31, 22, 0, 0)).GetUTC().GetStatus());
    ScopedTimeZone east("Asia/Tokyo");
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(Ts(100, 1, 1, 3, 0, 0)).GetUTC().GetStatus());
}

TEST(DateTimeCalendar, OleDateOriginAndDaysBeforeIt)
{
    SYSTEMTIME st{};
    ASSERT_TRUE(CBntDateTime(0.0).GetAsSystemTime(st));
    EXPECT_EQ(1899, st.wYear);
    EXPECT_EQ(12, st.wMonth);
    EXPECT_EQ(30, st.wDay);
    ASSERT_TRUE(CBntDateTime(-1.25).GetAsSystemTime(st));
    EXPECT_EQ(29, st.wDay);
    EXPECT_EQ(6, st.wHour);
    EXPECT_DOUBLE_EQ(-1.25, CBntDateTime(-1.25).GetDate());
}

TEST(DateTimeTimeValue, ThirtyTwoBitSecondsCoverOnly1970To2037)
{
    struct Case
    {
        CBntDateTime value;
        __time32_t expected;
    } cases[] = {
        {Utc(1970, 1, 1), 0},
        {Utc(1969, 12, 31, 23, 59, 59), -1},
        {Utc(2000, 2, 29, 12, 0, 0), 951825600},
        {Utc(2037, 12, 31, 23, 59, 59), 2145916799},
        {Utc(2038, 1, 1), -1},
        {Utc(2038, 1, 19, 3, 14, 7), -1},
        {CBntDateTime(), -1},
        {CBntDateTime(Ts(2023, 2, 29)), -1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.expected, static_cast<__time32_t>(c.value)) << Iso(c.value);
}

TEST(DateTimeTimeValue, LocalValueIsTakenInUtcFirst)
{
    ScopedTimeZone zone("America/New_York");
    EXPECT_EQ(18000, static_cast<__time32_t>(CBntDateTime(Ts(1970, 1, 1))));
    EXPECT_EQ(-1, static_cast<__time32_t>(CBntDateTime(Ts(2037, 12, 31, 20, 0, 0))));
}

TEST(DateTimeTimeValue, FromTimeIsUtcAndRoundTrips)
{
    const CBntDateTime value = CBntDateTime::FromTime(951825600);
    EXPECT_TRUE(value.IsUTC());
    EXPECT_EQ("2000-02-29T12:00:00Z", Iso(value));
    EXPECT_EQ(951825600, static_cast<__time32_t>(value));
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime::FromTime(std::numeric_limits<__time64_t>::min()).GetStatus());
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime::FromTime(std::numeric_limits<__time64_t>::max()).GetStatus());
}

// ---- Structures ----

TEST(DateTimeStructures, OdbcTimestampRoundTripDropsTheFraction)
{
    TIMESTAMP_STRUCT in = Ts(2024, 2, 29, 23, 59, 58);
    in.fraction = 999999999;
    const CBntDateTime value(in);
    EXPECT_FALSE(value.IsUTC());
    TIMESTAMP_STRUCT out{};
    ASSERT_TRUE(value.GetAsTimestamp(out));
    EXPECT_EQ(2024, out.year);
    EXPECT_EQ(2, out.month);
    EXPECT_EQ(29, out.day);
    EXPECT_EQ(23, out.hour);
    EXPECT_EQ(59, out.minute);
    EXPECT_EQ(58, out.second);
    EXPECT_EQ(0u, out.fraction);
    const TIMESTAMP_STRUCT converted = value;
    EXPECT_EQ(58, converted.second);

    const TIMESTAMP_STRUCT zeros = CBntDateTime(Ts(2023, 2, 29));
    EXPECT_EQ(0, zeros.year);
    TIMESTAMP_STRUCT untouched = Ts(1, 2, 3);
    EXPECT_FALSE(CBntDateTime(Ts(2023, 2, 29)).GetAsTimestamp(untouched));
    EXPECT_EQ(1, untouched.year);
}

TEST(DateTimeStructures, FileTimeIsUtcBothWays)
{
    FILETIME epoch{};
    const ULONGLONG ticks = 116444736000000000ULL;
    epoch.dwLowDateTime = static_cast<DWORD>(ticks);
    epoch.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    const CBntDateTime value(epoch);
    EXPECT_TRUE(value.IsUTC());
    EXPECT_EQ("1970-01-01T00:00:00Z", Iso(value));
    FILETIME back{};
    ASSERT_TRUE(value.GetAsFileTime(back));
    EXPECT_EQ(epoch.dwLowDateTime, back.dwLowDateTime);
    EXPECT_EQ(epoch.dwHighDateTime, back.dwHighDateTime);

    FILETIME origin{};
    EXPECT_EQ("1601-01-01T00:00:00Z", Iso(CBntDateTime(origin)));
    FILETIME tooLarge{0, 0x80000000u};
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(tooLarge).GetStatus());
    FILETIME untouched{7, 7};
    EXPECT_FALSE(Utc(1600, 12, 31).GetAsFileTime(untouched));
    EXPECT_EQ(7u, untouched.dwLowDateTime);
}

TEST(DateTimeStructures, FileTimeOfALocalValueIsItsUtcInstant)
{
    ScopedTimeZone zone("Europe/Berlin");
    FILETIME local{};
    FILETIME utc{};
    ASSERT_TRUE(CBntDateTime(Ts(2024, 7, 1, 14, 0, 0)).GetAsFileTime(local));
    ASSERT_TRUE(Utc(2024, 7, 1, 12, 0, 0).GetAsFileTime(utc));
    EXPECT_EQ(utc.dwLowDateTime, local.dwLowDateTime);
    EXPECT_EQ(utc.dwHighDateTime, local.dwHighDateTime);
}

TEST(DateTimeStructures, VariantInAndOut)
{
    VARIANT date{};
    date.vt = VT_DATE;
    date.date = 45351.5;
    EXPECT_DOUBLE_EQ(45351.5, CBntDateTime(date).GetDate());

    VARIANT empty{};
    empty.vt = VT_NULL;
    EXPECT_EQ(CBntDateTime::null, CBntDateTime(empty).GetStatus());
    empty.vt = VT_EMPTY;
    EXPECT_EQ(CBntDateTime::null, CBntDateTime(empty).GetStatus());

    VARIANT number{};
    number.vt = VT_I4;
    number.lVal = 5;
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(number).GetStatus());

    VARIANT text{};
    text.vt = VT_BSTR;
    text.bstrVal = SysAllocString(L"2024-02-29T12:00:00Z");
    const CBntDateTime fromText(text);
    EXPECT_TRUE(fromText.IsUTC());
    EXPECT_EQ("2024-02-29T12:00:00Z", Iso(fromText));
    VariantClear(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(text).GetStatus());

    VARIANT out{};
    VariantInit(&out);
    out.vt = VT_BSTR;
    out.bstrVal = SysAllocString(L"replaced");
    fromText.GetAsVariant(&out);
    EXPECT_EQ(VT_DATE, out.vt);
    EXPECT_DOUBLE_EQ(fromText.GetDate(), out.date);
    CBntDateTime().GetAsVariant(&out);
    EXPECT_EQ(VT_NULL, out.vt);
}

TEST(DateTimeStructures, OleDateTimeKeepsStatus)
{
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::error);
    EXPECT_EQ(CBntDateTime::invalid, CBntDateTime(invalid).GetStatus());
    const COleDateTime value(2024, 5, 6, 7, 8, 9);
    EXPECT_TRUE(CBntDateTime(value).GetAsOleDateTime() == value);
}

// ---- ISO 8601 ----

TEST(DateTimeIso8601, GoodTextsRoundTrip)
{
    ScopedTimeZone zone("UTC");
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"2024-02-29T12:34:56Z", "2024-02-29T12:34:56Z"},
        {L"2024-02-29T12:34:56+02:00", "2024-02-29T10:34:56Z"},
        {L"2024-02-29T23:34:56-05:30", "2024-03-01T05:04:56Z"},
        {L"2024-02-29T12:34:56+0200", "2024-02-29T10:34:56Z"},
        {L"2024-02-29T12:34:56", "2024-02-29T12:34:56"},
        {L"2024-02-29T12:34:56.75Z", "2024-02-29T12:34:57Z"},
        {L"2024-02-29T12:34Z", "2024-02-29T12:34:00Z"},
        {L"2024-02-29T12:34", "2024-02-29T12:34:00"},
        {L"20240229T123456Z", "2024-02-29T12:34:56Z"},
        {L"20240229T123456", "2024-02-29T12:34:56"},
        {L"2024-02-29", "2024-02-29T00:00:00"},
        {L"0100-01-01T00:00:00Z", "0100-01-01T00:00:00Z"},
    };
    for (const auto& [text, expected] : cases)
    {
        CBntDateTime value;
        EXPECT_TRUE(value.ParseISO8601String(text)) << expected;
        EXPECT_EQ(expected, Iso(value));
        CBntDateTime again;
        EXPECT_TRUE(again.ParseISO8601String(value.ToISO8601String()));
        EXPECT_TRUE(again == value) << expected;
    }
}

TEST(DateTimeIso8601, MalformedTextsGiveAnInvalidValue)
{
    const std::wstring longText(10000, L'1');
    const wchar_t* cases[] = {
        L"",
        L"2023-02-29T00:00:00Z",
        L"2024-13-01T00:00:00Z",
        L"2024-01-01T24:00:00Z",
        L"2024-01-01T12:60:00Z",
        L"2024-01-01T12:00:60Z",
        L"2024-01-01T12:00:00+24:00",
        L"2024-01-01T12:00:00+01:60",
        L"2024-1-1",
        L"2024-01-01 12:00:00",
        L"2024-01-01T12:00:00ZZ",
        L"2024-01-01T12:00:00.Z",
        L"2024-01-01T12:00:00.1234567890Z",
        L" 2024-01-01",
        L"0099-12-31T00:00:00Z",
        L"9999-12-31T23:00:00-02:00",
        L"\u0661\u0669\u0667\u0660-01-01",
        longText.c_str(),
        nullptr,
    };
    for (const wchar_t* text : cases)
    {
        CBntDateTime value(Ts(2024, 1, 1));
        EXPECT_FALSE(value.ParseISO8601String(text)) << (text ? CStringToUtf8(CString(text)).substr(0, 40) : "null");
        EXPECT_EQ(CBntDateTime::invalid, value.GetStatus());
        EXPECT_TRUE(value.ToISO8601String().IsEmpty());
    }
}

// ---- Equality, difference, flags ----

TEST(DateTimeEquality, HalfSecondToleranceInUtc)
{
    ScopedTimeZone zone("America/New_York");
    CBntDateTime base;
    ASSERT_TRUE(base.ParseISO8601String(L"2024-06-01T12:00:00Z"));
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"2024-06-01T12:00:00.4Z", true},  {L"2024-06-01T11:59:59.6Z", true},    {L"2024-06-01T12:00:00.6Z", false},
        {L"2024-06-01T11:59:59.4Z", false}, {L"2024-06-01T12:00:01Z", false},     {L"2024-06-01T08:00:00", true},
        {L"2024-06-01T12:00:00", false},    {L"2024-06-01T14:00:00+02:00", true},
    };
    for (const auto& [text, equal] : cases)
    {
        CBntDateTime other;
        ASSERT_TRUE(other.ParseISO8601String(text));
        EXPECT_EQ(equal, base == other) << CStringToUtf8(CString(text));
        EXPECT_EQ(equal, other == base) << CStringToUtf8(CString(text));
    }
}

TEST(DateTimeEquality, StatusesDecideFirst)
{
    const CBntDateTime nullA;
    const CBntDateTime nullB;
    const CBntDateTime invalidA(Ts(2023, 2, 29));
    const CBntDateTime invalidB(Ts(2023, 2, 29));
    const CBntDateTime valid = Utc(2024, 1, 1);
    EXPECT_TRUE(nullA == nullB);
    EXPECT_FALSE(nullA == valid);
    EXPECT_FALSE(valid == nullA);
    EXPECT_FALSE(invalidA == invalidB);
    EXPECT_FALSE(invalidA == nullA);
}

TEST(DateTimeDifference, SpanIsTakenInUtcAcrossTheSpringChange)
{
    ScopedTimeZone zone("America/New_York");
    const COleDateTimeSpan span = CBntDateTime(Ts(2024, 3, 10, 3, 0, 0)) - CBntDateTime(Ts(2024, 3, 10, 1, 0, 0));
    EXPECT_EQ(COleDateTimeSpan::valid, span.GetStatus());
    EXPECT_NEAR(1.0 / 24.0, static_cast<double>(span), 1e-9);
    const COleDateTimeSpan mixed = Utc(2024, 3, 10, 12, 0, 0) - CBntDateTime(Ts(2024, 3, 10, 7, 0, 0));
    EXPECT_NEAR(1.0 / 24.0, static_cast<double>(mixed), 1e-9);
    EXPECT_EQ(COleDateTimeSpan::invalid, (Utc(2024, 1, 1) - CBntDateTime(Ts(2023, 2, 29))).GetStatus());
    EXPECT_EQ(COleDateTimeSpan::null, (Utc(2024, 1, 1) - CBntDateTime()).GetStatus());
}

TEST(DateTimeFlags, SetUtcTakesOnlyZeroOrOne)
{
    CBntDateTime value(Ts(2024, 1, 1, 10, 0, 0));
    EXPECT_FALSE(value.SetUTC(2));
    EXPECT_FALSE(value.SetUTC(-1));
    EXPECT_FALSE(value.IsUTC());
    EXPECT_TRUE(value.SetUTC(1));
    EXPECT_TRUE(value.IsUTC());
    EXPECT_EQ("2024-01-01T10:00:00Z", Iso(value));
    EXPECT_EQ("2024-01-01T10:00:00Z", Iso(value.GetUTC()));
    EXPECT_TRUE(value.SetUTC(0));
    EXPECT_FALSE(value.IsUTC());
}

TEST(DateTimeNow, CurrentTimeIsLocalAndMatchesTheClockInUtc)
{
    ScopedTimeZone zone("Australia/Sydney");
    const CBntDateTime now = CBntDateTime::GetCurrentTime();
    EXPECT_EQ(CBntDateTime::valid, now.GetStatus());
    EXPECT_FALSE(now.IsUTC());
    const CBntDateTime clock = CBntDateTime::FromTime(std::time(nullptr));
    EXPECT_LE(std::fabs((now - clock).GetTotalSeconds()), 2.0);
}

}  // namespace
