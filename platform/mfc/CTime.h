// CTime and CTimeSpan: an instant as seconds since 1970-01-01 UTC (__time64_t) with its
// local wall-clock parts, and a difference of two instants in seconds.
//
// Values: copies are independent; an object may be read from several threads but not changed
// while another thread uses it. Local time follows the process's time zone (TZ).
#pragma once

#include <compare>

#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

class CTimeSpan
{
public:
    CTimeSpan() = default;
    CTimeSpan(__time64_t seconds) : m_span(seconds) {}
    CTimeSpan(LONG days, int hours, int minutes, int seconds);

    // Whole components with the span's sign: days, hours (-23..23), minutes and seconds
    // (-59..59); the totals are the whole span in that unit.
    LONGLONG GetDays() const { return m_span / 86400; }
    LONG GetHours() const { return static_cast<LONG>(m_span / 3600 % 24); }
    LONG GetMinutes() const { return static_cast<LONG>(m_span / 60 % 60); }
    LONG GetSeconds() const { return static_cast<LONG>(m_span % 60); }
    LONGLONG GetTotalHours() const { return m_span / 3600; }
    LONGLONG GetTotalMinutes() const { return m_span / 60; }
    LONGLONG GetTotalSeconds() const { return m_span; }
    __time64_t GetTimeSpan() const { return m_span; }

    CTimeSpan operator+(CTimeSpan other) const { return CTimeSpan(m_span + other.m_span); }
    CTimeSpan operator-(CTimeSpan other) const { return CTimeSpan(m_span - other.m_span); }
    CTimeSpan& operator+=(CTimeSpan other)
    {
        m_span += other.m_span;
        return *this;
    }
    CTimeSpan& operator-=(CTimeSpan other)
    {
        m_span -= other.m_span;
        return *this;
    }
    friend bool operator==(CTimeSpan, CTimeSpan) = default;
    friend auto operator<=>(CTimeSpan, CTimeSpan) = default;

private:
    __time64_t m_span = 0;
};

class CTime
{
public:
    // The current time in whole seconds.
    static CTime GetCurrentTime();

    CTime() = default;
    CTime(__time64_t time) : m_time(time) {}
    // Local wall-clock parts; daylightSaving < 0 lets the C library decide, 0 means standard
    // time, > 0 daylight time. CInvalidArgException when a part is out of range (year
    // 1900-3000, month 1-12, day 1-31, hour 0-23, minute 0-59, second 0-59) or the time
    // cannot be represented. A day past the month's end rolls into the next month, as the C
    // library's mktime does.
    CTime(int year, int month, int day, int hour, int minute, int second, int daylightSaving = -1);
    // The local wall-clock parts of a SYSTEMTIME (milliseconds ignored); a year before 1900
    // gives the time value 0. CInvalidArgException as above for other bad parts.
    CTime(const SYSTEMTIME& systemTime, int daylightSaving = -1);
    // A UTC instant (whole seconds); CInvalidArgException for a value of 2^63 and above.
    CTime(const FILETIME& fileTime, int daylightSaving = -1);

    __time64_t GetTime() const { return m_time; }

    // Local parts; -1 when the value has no calendar representation. GetDayOfWeek: 1 = Sunday.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;

    // The local parts (milliseconds 0); false (untouched) when they cannot be had.
    bool GetAsSystemTime(SYSTEMTIME& systemTime) const;
    // strftime conversions on the local parts; empty when the parts cannot be had or the
    // format is null or gives no text.
    CString Format(const wchar_t* format) const;

    CTimeSpan operator-(CTime other) const { return CTimeSpan(m_time - other.m_time); }
    CTime operator+(CTimeSpan span) const { return CTime(m_time + span.GetTimeSpan()); }
    CTime operator-(CTimeSpan span) const { return CTime(m_time - span.GetTimeSpan()); }
    CTime& operator+=(CTimeSpan span)
    {
        m_time += span.GetTimeSpan();
        return *this;
    }
    CTime& operator-=(CTimeSpan span)
    {
        m_time -= span.GetTimeSpan();
        return *this;
    }
    friend bool operator==(CTime, CTime) = default;
    friend auto operator<=>(CTime, CTime) = default;

private:
    __time64_t m_time = 0;
};
