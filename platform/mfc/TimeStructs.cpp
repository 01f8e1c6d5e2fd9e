#include "platform/mfc/TimeStructs.h"

#include <ctime>

#include "platform/win32/Calendar.h"
#include "platform/win32/Clock.h"

namespace {

constexpr std::uint64_t kTicksPerMillisecond = 10000;
constexpr std::uint64_t kTicksPerSecond = calendar::kFileTimeTicksPerSecond;
constexpr std::uint64_t kMaxFileTime = 0x7FFFFFFFFFFFFFFFull;
constexpr std::int64_t kFileTimeEpochDays = calendar::DaysFromCivil(1601, 1, 1);

std::uint64_t FromFileTime(const FILETIME& fileTime)
{
    return (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t ticks)
{
    return FILETIME{static_cast<DWORD>(ticks & 0xFFFFFFFFu), static_cast<DWORD>(ticks >> 32)};
}

// Now on the process clock, as FILETIME ticks.
std::uint64_t CurrentTicks()
{
    const std::int64_t milliseconds = IClock::Process().GetUtcMilliseconds();
    return static_cast<std::uint64_t>(milliseconds + calendar::kSecondsFrom1601To1970 * 1000) * kTicksPerMillisecond;
}

}  // namespace

BOOL SystemTimeToFileTime(const SYSTEMTIME* systemTime, FILETIME* fileTime)
{
    if (systemTime == nullptr || fileTime == nullptr)
        return FALSE;
    const SYSTEMTIME& st = *systemTime;
    if (st.wYear < 1601 || st.wYear > 30827 || !calendar::IsValidDate(st.wYear, st.wMonth, st.wDay) || st.wHour > 23 ||
        st.wMinute > 59 || st.wSecond > 59 || st.wMilliseconds > 999)
        return FALSE;
    const std::uint64_t days =
        static_cast<std::uint64_t>(calendar::DaysFromCivil(st.wYear, st.wMonth, st.wDay) - kFileTimeEpochDays);
    const std::uint64_t seconds = days * calendar::kSecondsPerDay + st.wHour * 3600u + st.wMinute * 60u + st.wSecond;
    *fileTime = ToFileTime(seconds * kTicksPerSecond + st.wMilliseconds * kTicksPerMillisecond);
    return TRUE;
}

BOOL FileTimeToSystemTime(const FILETIME* fileTime, SYSTEMTIME* systemTime)
{
    if (fileTime == nullptr || systemTime == nullptr)
        return FALSE;
    const std::uint64_t ticks = FromFileTime(*fileTime);
    if (ticks > kMaxFileTime)
        return FALSE;
    const std::uint64_t seconds = ticks / kTicksPerSecond;
    const std::int64_t days = static_cast<std::int64_t>(seconds / calendar::kSecondsPerDay) + kFileTimeEpochDays;
    const std::uint64_t secondOfDay = seconds % calendar::kSecondsPerDay;
    const calendar::CivilDate date = calendar::CivilFromDays(days);
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(date.year);
    st.wMonth = static_cast<WORD>(date.month);
    st.wDay = static_cast<WORD>(date.day);
    st.wDayOfWeek = static_cast<WORD>(calendar::DayOfWeek(days));
    st.wHour = static_cast<WORD>(secondOfDay / 3600);
    st.wMinute = static_cast<WORD>(secondOfDay / 60 % 60);
    st.wSecond = static_cast<WORD>(secondOfDay % 60);
    st.wMilliseconds = static_cast<WORD>(ticks / kTicksPerMillisecond % 1000);
    *systemTime = st;
    return TRUE;
}

void GetSystemTime(SYSTEMTIME* systemTime)
{
    if (systemTime == nullptr)
        return;
    const FILETIME now = ToFileTime(CurrentTicks());
    FileTimeToSystemTime(&now, systemTime);
}

void GetLocalTime(SYSTEMTIME* systemTime)
{
    if (systemTime == nullptr)
        return;
    const std::int64_t milliseconds = IClock::Process().GetUtcMilliseconds();
    const std::time_t seconds = static_cast<std::time_t>(IClock::SecondsOf(milliseconds));
    tm local{};
    if (localtime_r(&seconds, &local) == nullptr)
    {
        // Without zone information the wall clock is the UTC clock.
        GetSystemTime(systemTime);
        return;
    }
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(local.tm_year + 1900);
    st.wMonth = static_cast<WORD>(local.tm_mon + 1);
    st.wDay = static_cast<WORD>(local.tm_mday);
    st.wDayOfWeek = static_cast<WORD>(local.tm_wday);
    st.wHour = static_cast<WORD>(local.tm_hour);
    st.wMinute = static_cast<WORD>(local.tm_min);
    st.wSecond = static_cast<WORD>(local.tm_sec > 59 ? 59 : local.tm_sec);
    st.wMilliseconds = static_cast<WORD>(milliseconds - static_cast<std::int64_t>(seconds) * 1000);
    *systemTime = st;
}

void GetSystemTimeAsFileTime(FILETIME* fileTime)
{
    if (fileTime == nullptr)
        return;
    *fileTime = ToFileTime(CurrentTicks());
}
