// Proleptic Gregorian calendar arithmetic shared by the date-time stand-ins (SYSTEMTIME and
// FILETIME conversions, VARIANT dates, COleDateTime, CTime) and the layers above them.
//
// Pure functions on plain numbers; no state, safe from any thread. Day numbers count from
// 1970-01-01 (day 0) and may be negative.
#pragma once

#include <cstdint>

namespace calendar {

constexpr std::int64_t kSecondsPerDay = 86400;

constexpr bool IsLeapYear(std::int64_t year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Days in the month (1-12) of the year; 0 for a month outside 1-12.
constexpr int DaysInMonth(std::int64_t year, int month)
{
    constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// True when year, month and day name a real calendar day (any year).
constexpr bool IsValidDate(std::int64_t year, int month, int day)
{
    return month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month);
}

// Day number of a calendar date (which must be valid); 1970-01-01 is 0.
constexpr std::int64_t DaysFromCivil(std::int64_t year, int month, int day)
{
    const std::int64_t y = month <= 2 ? year - 1 : year;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t monthFromMarch = month > 2 ? month - 3 : month + 9;
    const std::int64_t dayOfYear = (153 * monthFromMarch + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

struct CivilDate
{
    std::int64_t year;
    int month;
    int day;
};

// Calendar date of a day number; the inverse of DaysFromCivil.
constexpr CivilDate CivilFromDays(std::int64_t days)
{
    const std::int64_t z = days + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    return CivilDate{year, month, day};
}

// Day of the week of a day number: 0 = Sunday ... 6 = Saturday (1970-01-01 was a Thursday).
constexpr int DayOfWeek(std::int64_t days)
{
    const std::int64_t weekday = (days + 4) % 7;
    return static_cast<int>(weekday < 0 ? weekday + 7 : weekday);
}

// Day of the year of a valid date: 1 for January 1st.
constexpr int DayOfYear(std::int64_t year, int month, int day)
{
    return static_cast<int>(DaysFromCivil(year, month, day) - DaysFromCivil(year, 1, 1)) + 1;
}

// FILETIME counts 100-nanosecond ticks from 1601-01-01 00:00 UTC.
constexpr std::int64_t kFileTimeTicksPerSecond = 10'000'000;
constexpr std::int64_t kSecondsFrom1601To1970 = -DaysFromCivil(1601, 1, 1) * kSecondsPerDay;

static_assert(DaysFromCivil(1970, 1, 1) == 0);
static_assert(kSecondsFrom1601To1970 == 11'644'473'600);
static_assert(DaysFromCivil(1899, 12, 30) == -25569);
static_assert(CivilFromDays(-25569).year == 1899 && CivilFromDays(-25569).day == 30);
static_assert(DayOfWeek(DaysFromCivil(1899, 12, 30)) == 6);

}  // namespace calendar
