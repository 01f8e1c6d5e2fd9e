#include <gtest/gtest.h>

#include <cstdlib>
#include <tuple>
#include <utility>

#include "platform/mfc/CException.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CTime.h"
#include "platform/mfc/TimeStructs.h"
#include "ScopedTimeZone.h"
#include "tests/support/ManualClock.h"

namespace {

ULONGLONG Ticks(const FILETIME& fileTime)
{
    return (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

}  // namespace

TEST(TimeStructs, FileTimeCountsHundredNanosecondsSince1601)
{
    const SYSTEMTIME epoch{1601, 1, 1, 1, 0, 0, 0, 0};
    FILETIME fileTime{1, 1};
    ASSERT_TRUE(SystemTimeToFileTime(&epoch, &fileTime));
    EXPECT_EQ(Ticks(fileTime), 0u);
    const SYSTEMTIME unixEpoch{1970, 1, 4, 1, 0, 0, 0, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&unixEpoch, &fileTime));
    EXPECT_EQ(Ticks(fileTime), 116444736000000000ull);
}

TEST(TimeStructs, SystemTimeRoundTripsThroughFileTime)
{
    const SYSTEMTIME times[] = {
        {2024, 2, 4, 29, 23, 59, 59, 999}, {1601, 1, 1, 1, 0, 0, 0, 1}, {30827, 12, 0, 31, 23, 59, 59, 999}};
    for (const SYSTEMTIME& time : times)
    {
        FILETIME fileTime{};
        ASSERT_TRUE(SystemTimeToFileTime(&time, &fileTime));
        SYSTEMTIME back{};
        ASSERT_TRUE(FileTimeToSystemTime(&fileTime, &back));
        EXPECT_EQ(back.wYear, time.wYear);
        EXPECT_EQ(back.wMonth, time.wMonth);
        EXPECT_EQ(back.wDay, time.wDay);
        EXPECT_EQ(back.wHour, time.wHour);
        EXPECT_EQ(back.wMinute, time.wMinute);
        EXPECT_EQ(back.wSecond, time.wSecond);
        EXPECT_EQ(back.wMilliseconds, time.wMilliseconds);
    }
    FILETIME thursday{};
    const SYSTEMTIME unixEpoch{1970, 1, 6, 1, 0, 0, 0, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&unixEpoch, &thursday));
    SYSTEMTIME back{};
    ASSERT_TRUE(FileTimeToSystemTime(&thursday, &back));
    EXPECT_EQ(back.wDayOfWeek, 4);
}

TEST(TimeStructs, ConversionsRefuseBadInput)
{
    const SYSTEMTIME bad[] = {
        {1600, 12, 0, 31, 0, 0, 0, 0}, {30828, 1, 0, 1, 0, 0, 0, 0}, {2023, 2, 0, 29, 0, 0, 0, 0},
        {2024, 13, 0, 1, 0, 0, 0, 0},  {2024, 1, 0, 0, 0, 0, 0, 0},  {2024, 1, 0, 1, 24, 0, 0, 0},
        {2024, 1, 0, 1, 0, 60, 0, 0},  {2024, 1, 0, 1, 0, 0, 60, 0}, {2024, 1, 0, 1, 0, 0, 0, 1000}};
    for (const SYSTEMTIME& time : bad)
    {
        FILETIME fileTime{7, 7};
        EXPECT_FALSE(SystemTimeToFileTime(&time, &fileTime)) << time.wYear << "-" << time.wMonth << "-" << time.wDay;
        EXPECT_EQ(fileTime.dwLowDateTime, 7u);
    }
    const FILETIME tooLarge{0, 0x80000000u};
    SYSTEMTIME untouched{9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_FALSE(FileTimeToSystemTime(&tooLarge, &untouched));
    EXPECT_EQ(untouched.wYear, 9);
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, &untouched));
    EXPECT_FALSE(SystemTimeToFileTime(nullptr, nullptr));
    const FILETIME largest{0xFFFFFFFFu, 0x7FFFFFFFu};
    EXPECT_TRUE(FileTimeToSystemTime(&largest, &untouched));
    EXPECT_EQ(untouched.wYear, 30828);
}

TEST(TimeStructs, ClockReadingsAgree)
{
    ScopedTimeZone zone("EST5");
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    SYSTEMTIME utc{};
    GetSystemTime(&utc);
    SYSTEMTIME local{};
    GetLocalTime(&local);
    FILETIME utcFileTime{};
    FILETIME localFileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &utcFileTime));
    ASSERT_TRUE(SystemTimeToFileTime(&local, &localFileTime));
    const auto seconds = [](const FILETIME& fileTime) { return static_cast<double>(Ticks(fileTime)) / 10000000.0; };
    EXPECT_NEAR(seconds(utcFileTime) - seconds(now), 0.0, 5.0);
    EXPECT_NEAR(seconds(utcFileTime) - seconds(localFileTime), 5 * 3600.0, 5.0);
    GetSystemTime(nullptr);
    GetLocalTime(nullptr);
    GetSystemTimeAsFileTime(nullptr);
}

TEST(CTime, PartsAreLocalWallClockTime)
{
    ScopedTimeZone zone("EST5EDT,M3.2.0,M11.1.0");
    const CTime winter(2024, 1, 15, 12, 0, 0);
    EXPECT_EQ(winter.GetTime(), 1705338000);  // 17:00 UTC
    const CTime summer(2024, 7, 15, 12, 0, 0);
    EXPECT_EQ(summer.GetTime(), 1721059200);  // 16:00 UTC
    EXPECT_EQ(summer.GetYear(), 2024);
    EXPECT_EQ(summer.GetMonth(), 7);
    EXPECT_EQ(summer.GetDay(), 15);
    EXPECT_EQ(summer.GetHour(), 12);
    EXPECT_EQ(summer.GetMinute(), 0);
    EXPECT_EQ(summer.GetSecond(), 0);
    EXPECT_EQ(summer.GetDayOfWeek(), 2);  // Monday
    EXPECT_STREQ(summer.Format(L"%Y-%m-%d %H:%M:%S"), L"2024-07-15 12:00:00");

    SYSTEMTIME parts{};
    ASSERT_TRUE(summer.GetAsSystemTime(parts));
    EXPECT_EQ(parts.wHour, 12);
    EXPECT_EQ(parts.wDayOfWeek, 1);
    EXPECT_EQ(CTime(parts).GetTime(), summer.GetTime());
}

TEST(CTime, SystemTimeBefore1900IsTimeZeroAndBadPartsThrow)
{
    const SYSTEMTIME yearZero{0, 1, 0, 1, 10, 0, 0, 0};
    EXPECT_EQ(CTime(yearZero).GetTime(), 0);
    const SYSTEMTIME badMonth{2024, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_THROW(CTime{badMonth}, CInvalidArgException);
    EXPECT_THROW(CTime(1899, 1, 1, 0, 0, 0), CInvalidArgException);
    EXPECT_THROW(CTime(3001, 1, 1, 0, 0, 0), CInvalidArgException);
    EXPECT_THROW(CTime(2024, 1, 32, 0, 0, 0), CInvalidArgException);
    EXPECT_THROW(CTime(2024, 1, 1, 24, 0, 0), CInvalidArgException);
    EXPECT_THROW(CTime(2024, 1, 1, 0, 60, 0), CInvalidArgException);
    EXPECT_THROW(CTime(2024, 1, 1, 0, 0, 60), CInvalidArgException);
}

TEST(CTime, FileTimeIsTheUtcInstant)
{
    const SYSTEMTIME utc{1970, 1, 5, 2, 0, 0, 0, 0};
    FILETIME fileTime{};
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &fileTime));
    EXPECT_EQ(CTime(fileTime).GetTime(), 86400);
    const FILETIME tooLarge{0, 0x80000000u};
    EXPECT_THROW(CTime{tooLarge}, CInvalidArgException);
}

TEST(CTimeSpan, ComponentsAndArithmetic)
{
    const CTimeSpan span(1, 2, 3, 4);
    EXPECT_EQ(span.GetDays(), 1);
    EXPECT_EQ(span.GetHours(), 2);
    EXPECT_EQ(span.GetMinutes(), 3);
    EXPECT_EQ(span.GetSeconds(), 4);
    EXPECT_EQ(span.GetTotalHours(), 26);
    EXPECT_EQ(span.GetTotalMinutes(), 1563);
    EXPECT_EQ(span.GetTotalSeconds(), 93784);
    const CTime start(1000);
    const CTime end = start + span;
    EXPECT_EQ(end - start, span);
    EXPECT_EQ((end - span).GetTime(), 1000);
    EXPECT_TRUE(start < end);
    CTime moving = start;
    moving += CTimeSpan(60);
    moving -= CTimeSpan(0, 0, 0, 30);
    EXPECT_EQ(moving.GetTime(), 1030);
    EXPECT_EQ(CTimeSpan(-90).GetMinutes(), -1);
    EXPECT_EQ(CTimeSpan(-90).GetSeconds(), -30);
}

TEST(CTime, GetCurrentTimeFollowsTheClock)
{
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    EXPECT_NEAR(static_cast<double>(CTime::GetCurrentTime().GetTime()), static_cast<double>(CTime(now).GetTime()), 5.0);
}

TEST(ProcessClock, EveryReadingOfNowFollowsTheClockSetAndTheMachineAfter)
{
    const ScopedTimeZone zone("CET-1CEST,M3.5.0,M10.5.0/3");
    support::ManualClock clock;
    clock.Advance(1234);  // 2026-12-07 09:00:01.234 UTC, 10:00:01 in the zone
    {
        const support::ProcessClockScope scope(clock);
        EXPECT_EQ(IClock::Process().GetUtcMilliseconds(), clock.GetUtcMilliseconds());
        EXPECT_EQ(IClock::Process().GetTickCount64(), clock.GetTickCount64());
        const COleDateTime ole = COleDateTime::GetCurrentTime();
        EXPECT_EQ(ole, COleDateTime(2026, 12, 7, 10, 0, 1));
        EXPECT_EQ(CTime::GetCurrentTime().GetTime(), clock.GetUtcSeconds());
        SYSTEMTIME utc{};
        GetSystemTime(&utc);
        const SYSTEMTIME utcExpected{2026, 12, 1, 7, 9, 0, 1, 234};
        SYSTEMTIME local{};
        GetLocalTime(&local);
        const SYSTEMTIME localExpected{2026, 12, 1, 7, 10, 0, 1, 234};
        for (const auto& [got, expected] : {std::pair{utc, utcExpected}, std::pair{local, localExpected}})
        {
            EXPECT_EQ(std::tie(got.wYear, got.wMonth, got.wDayOfWeek, got.wDay, got.wHour, got.wMinute, got.wSecond,
                               got.wMilliseconds),
                      std::tie(expected.wYear, expected.wMonth, expected.wDayOfWeek, expected.wDay, expected.wHour,
                               expected.wMinute, expected.wSecond, expected.wMilliseconds));
        }
        FILETIME fileTime{};
        GetSystemTimeAsFileTime(&fileTime);
        EXPECT_EQ(Ticks(fileTime), static_cast<ULONGLONG>(clock.GetUtcMilliseconds() + 11'644'473'600'000LL) * 10'000);
    }
    // The machine's clock again: nowhere near the set one.
    EXPECT_GT(std::llabs(IClock::Process().GetUtcMilliseconds() - clock.GetUtcMilliseconds()), 60'000);
    EXPECT_NE(COleDateTime::GetCurrentTime(), COleDateTime(2026, 12, 7, 10, 0, 1));
}
