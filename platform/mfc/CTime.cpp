#include "platform/mfc/CTime.h"

#include <ctime>
#include "platform/mfc/CException.h"
#include "platform/mfc/TimeFormat.h"
#include "platform/win32/Calendar.h"
#include "platform/win32/Clock.h"

namespace {

bool LocalParts(__time64_t time, std::tm& parts)
{
    const std::time_t value = static_cast<std::time_t>(time);
    return localtime_r(&value, &parts) != nullptr;
}

template <typename Field>
int LocalPart(__time64_t time, Field field)
{
    std::tm parts{};
    return LocalParts(time, parts) ? field(parts) : -1;
}

}  // namespace

CTimeSpan::CTimeSpan(LONG days, int hours, int minutes, int seconds)
    : m_span(static_cast<__time64_t>(days) * 86400 + static_cast<__time64_t>(hours) * 3600 +
             static_cast<__time64_t>(minutes) * 60 + seconds)
{
}

CTime CTime::GetCurrentTime()
{
    return CTime(static_cast<__time64_t>(IClock::Process().GetUtcSeconds()));
}

CTime::CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving)
{
    if (year < 1900 || year > 3000 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        throw CInvalidArgException();
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = daylightSaving < 0 ? -1 : daylightSaving > 0 ? 1 : 0;
    // mktime answers -1 both for failure and for 1969-12-31 23:59:59 UTC; the parts tell which.
    parts.tm_wday = -1;
    const std::time_t value = std::mktime(&parts);
    if (value == static_cast<std::time_t>(-1) && parts.tm_wday == -1)
        throw CInvalidArgException();
    m_time = static_cast<__time64_t>(value);
}

CTime::CTime(const SYSTEMTIME& systemTime, int daylightSaving)
{
    if (systemTime.wYear < 1900)
        return;
    *this = CTime(systemTime.wYear, systemTime.wMonth, systemTime.wDay, systemTime.wHour, systemTime.wMinute,
                  systemTime.wSecond, daylightSaving);
}

CTime::CTime(const FILETIME& fileTime, int)
{
    const std::uint64_t ticks = (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull)
        throw CInvalidArgException();
    m_time = static_cast<__time64_t>(ticks / calendar::kFileTimeTicksPerSecond) - calendar::kSecondsFrom1601To1970;
}

int CTime::GetYear() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_year + 1900; });
}
int CTime::GetMonth() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_mon + 1; });
}
int CTime::GetDay() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_mday; });
}
int CTime::GetHour() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_hour; });
}
int CTime::GetMinute() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_min; });
}
int CTime::GetSecond() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_sec; });
}
int CTime::GetDayOfWeek() const
{
    return LocalPart(m_time, [](const std::tm& t) { return t.tm_wday + 1; });
}

bool CTime::GetAsSystemTime(SYSTEMTIME& systemTime) const
{
    std::tm parts{};
    if (!LocalParts(m_time, parts) || parts.tm_year + 1900 < 1601 || parts.tm_year + 1900 > 30827)
        return false;
    systemTime.wYear = static_cast<WORD>(parts.tm_year + 1900);
    systemTime.wMonth = static_cast<WORD>(parts.tm_mon + 1);
    systemTime.wDayOfWeek = static_cast<WORD>(parts.tm_wday);
    systemTime.wDay = static_cast<WORD>(parts.tm_mday);
    systemTime.wHour = static_cast<WORD>(parts.tm_hour);
    systemTime.wMinute = static_cast<WORD>(parts.tm_min);
    systemTime.wSecond = static_cast<WORD>(parts.tm_sec > 59 ? 59 : parts.tm_sec);
    systemTime.wMilliseconds = 0;
    return true;
}

CString CTime::Format(const wchar_t* format) const
{
    std::tm parts{};
    if (!LocalParts(m_time, parts))
        return CString();
    return CString(mfc_detail::FormatBrokenDownTime(format, parts));
}
