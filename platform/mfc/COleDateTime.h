// COleDateTime and COleDateTimeSpan: the OLE automation date-time value (DATE, days since
// 1899-12-30) with a status, and the difference of two such values in days.
//
// Values: copies are independent; an object may be read from several threads but not changed
// while another thread uses it.
//
// The DATE keeps the OLE convention for days before 1899-12-30: the whole part counts days
// back and the fraction is always the positive time of that day (-1.25 is 1899-12-29 06:00,
// -0.25 and 0.25 are both 1899-12-30 06:00). Arithmetic and comparison work on the continuous
// time line underneath, so they are right across that point.
// Valid values lie in the years 100 to 9999. A value is split into parts rounded to the
// nearest second (so a stored 23:59:59.9999 reads as the next day's 00:00:00, except on
// 9999-12-31). Parts-based constructors and setters take whole seconds; milliseconds and
// ODBC fractions are dropped. A value out of range, a NaN, or parts that do not form a date
// give status invalid with m_dt 0.
// Our choices where the framework follows the user's locale: Format() writes
// "YYYY-MM-DD HH:MM:SS" (only the time when the date is 1899-12-30, only the date when the
// time is midnight) and ParseDateTime reads that form and "MM/DD/YYYY HH:MM:SS".
#pragma once

#include <compare>

#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

// What the part accessors answer for a value that is not valid.
constexpr int AFX_OLE_DATETIME_ERROR = -1;

class COleDateTimeSpan
{
public:
    enum DateTimeSpanStatus
    {
        valid = 0,
        invalid = 1,
        null = 2
    };

    // The longest span between two valid dates, in days; longer spans are invalid.
    static constexpr double kMaxDays = 3615899.0;

    COleDateTimeSpan() = default;
    // A span of days (fractions are parts of a day); invalid when NaN or longer than kMaxDays.
    COleDateTimeSpan(double days);
    COleDateTimeSpan(LONG days, int hours, int minutes, int seconds);

    // Sets days + hours + minutes + seconds (each may be negative or exceed its unit).
    void SetDateTimeSpan(LONG days, int hours, int minutes, int seconds);
    DateTimeSpanStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeSpanStatus status) { m_status = status; }

    // Whole units of the span rounded to the nearest second, truncated toward zero, signed;
    // 0 when the span is not valid.
    double GetTotalDays() const;
    double GetTotalHours() const;
    double GetTotalMinutes() const;
    double GetTotalSeconds() const;
    // The components of the span rounded to the nearest second: whole days, then hours
    // (-23..23), minutes and seconds (-59..59), all with the span's sign; 0 when not valid.
    LONG GetDays() const;
    LONG GetHours() const;
    LONG GetMinutes() const;
    LONG GetSeconds() const;

    operator double() const { return m_span; }

    // Invalid when either side is invalid, else null when either is null.
    COleDateTimeSpan operator+(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-(const COleDateTimeSpan& other) const;
    COleDateTimeSpan operator-() const;
    COleDateTimeSpan& operator+=(const COleDateTimeSpan& other) { return *this = *this + other; }
    COleDateTimeSpan& operator-=(const COleDateTimeSpan& other) { return *this = *this - other; }

    // Equal when both are valid with the same length or both are null. Ordered only when both
    // are valid (otherwise every relation is false).
    friend bool operator==(const COleDateTimeSpan& left, const COleDateTimeSpan& right);
    friend std::partial_ordering operator<=>(const COleDateTimeSpan& left, const COleDateTimeSpan& right);

    double m_span = 0.0;
    DateTimeSpanStatus m_status = valid;

private:
    long long TotalSeconds() const;
};

class COleDateTime
{
public:
    enum DateTimeStatus
    {
        error = -1,
        valid = 0,
        invalid = 1,
        null = 2
    };

    // The current local wall-clock time in whole seconds.
    static COleDateTime GetCurrentTime();

    // 1899-12-30 00:00:00, valid.
    COleDateTime() = default;
    COleDateTime(DATE date);
    // VT_DATE as it is; another type converted with VariantChangeType (invalid when that fails).
    COleDateTime(const VARIANT& value);
    // Seconds since 1970 (UTC) shown as local wall-clock time, as the framework does.
    COleDateTime(__time32_t time);
    COleDateTime(__time64_t time);
    // The parts as they stand (wDayOfWeek and milliseconds ignored).
    COleDateTime(const SYSTEMTIME& systemTime);
    // A UTC instant shown as local wall-clock time, as the framework does (whole seconds).
    COleDateTime(const FILETIME& fileTime);
    // The parts as they stand (fraction ignored).
    COleDateTime(const TIMESTAMP_STRUCT& timestamp);
    COleDateTime(int year, int month, int day, int hour, int minute, int second);

    DateTimeStatus GetStatus() const { return m_status; }
    void SetStatus(DateTimeStatus status) { m_status = status; }
    operator DATE() const { return m_dt; }

    // Set the value from parts: 0 (valid) on success; 1 (invalid, m_dt 0) when a part is out
    // of range: year 100-9999, month 1-12, a day of that month (February 29 only in leap
    // years), hour 0-23, minute 0-59, second 0-59. SetDate sets midnight; SetTime sets the
    // time on 1899-12-30.
    int SetDateTime(int year, int month, int day, int hour, int minute, int second);
    int SetDate(int year, int month, int day);
    int SetTime(int hour, int minute, int second);

    // Fill the structure (day of week, milliseconds 0 / fraction 0); false (untouched) when
    // the value is not valid.
    bool GetAsSystemTime(SYSTEMTIME& systemTime) const;
    bool GetAsDBTIMESTAMP(TIMESTAMP_STRUCT& timestamp) const;

    // The parts; AFX_OLE_DATETIME_ERROR when the value is not valid. GetDayOfWeek: 1 = Sunday
    // to 7 = Saturday; GetDayOfYear: 1 = January 1st.
    int GetYear() const;
    int GetMonth() const;
    int GetDay() const;
    int GetHour() const;
    int GetMinute() const;
    int GetSecond() const;
    int GetDayOfWeek() const;
    int GetDayOfYear() const;

    // Text by the C library's strftime conversions (%Y %m %d %H %M %S %A %B ...); a null format
    // gives Format(). "Invalid DateTime" when invalid, empty when null.
    CString Format(const wchar_t* format) const;
    // "YYYY-MM-DD HH:MM:SS" (see above); "Invalid DateTime" when invalid, empty when null.
    CString Format() const;

    // Reads "YYYY-MM-DD HH:MM:SS", "YYYY-MM-DD", "MM/DD/YYYY HH:MM:SS" or "HH:MM:SS" (months,
    // days and time fields of one or two digits, white space around). True with a valid value;
    // false with status invalid (m_dt 0) for anything else or parts out of range.
    bool ParseDateTime(const wchar_t* text);

    // Invalid when either side is invalid, else null when either is null; invalid when the
    // result leaves the valid years.
    COleDateTime operator+(const COleDateTimeSpan& span) const;
    COleDateTime operator-(const COleDateTimeSpan& span) const;
    COleDateTime& operator+=(const COleDateTimeSpan& span) { return *this = *this + span; }
    COleDateTime& operator-=(const COleDateTimeSpan& span) { return *this = *this - span; }
    COleDateTimeSpan operator-(const COleDateTime& other) const;

    // Equal when both are valid at the same instant or both are null. Ordered only when both
    // are valid (otherwise every relation is false).
    friend bool operator==(const COleDateTime& left, const COleDateTime& right);
    friend std::partial_ordering operator<=>(const COleDateTime& left, const COleDateTime& right);

    DATE m_dt = 0.0;
    DateTimeStatus m_status = valid;

private:
    void SetFromTime(__time64_t time);
    void SetInvalid();
};
