// CBntDateTime: the system's date-time value: an OLE automation date with its status (valid,
// invalid, null), the time-zone block it is converted with, and a flag that says whether the
// value is UTC or local wall-clock time of that zone.
//
// Converts to and from DATE, VARIANT, FILETIME, SYSTEMTIME, ODBC TIMESTAMP_STRUCT, COleDateTime
// and time values, and reads and writes ISO 8601 text. Values outside the years 100-9999,
// including those that a conversion pushes out of them, are invalid; nothing here has undefined
// behaviour for any input. Values are split into parts rounded to the nearest second.
//
// A value type: copies are independent (value, zone block, UTC flag); an object may be read
// from several threads but not changed while another thread uses it.
#pragma once

#include "common/DateTimeZoneInfo.h"
#include "platform/com/Variant.h"
#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

class CBntDateTime
{
public:
    enum DateTimeStatus
    {
        valid = 0,
        invalid = 1,
        null = 2
    };

    // Half a second in days: values closer than this are equal.
    static constexpr double kHalfSecond = 5.787037037037037e-6;

    // A null value. Every constructor that takes no zone copies DefaultTimeZoneInfo; all but
    // the FILETIME one make a local value.
    CBntDateTime();
    // Invalid for NaN or a date outside the years 100-9999.
    CBntDateTime(DATE date);
    // VT_DATE as it is; VT_EMPTY and VT_NULL give a null value; VT_BSTR is read as ISO 8601
    // (ParseISO8601String); any other type, or text that does not read, gives an invalid value.
    explicit CBntDateTime(const VARIANT& value);
    CBntDateTime(const COleDateTime& dateTime);
    // The parts as they stand (milliseconds and the day of the week ignored).
    CBntDateTime(const SYSTEMTIME& systemTime);
    // A FILETIME is a UTC instant: the value is flagged UTC (whole seconds).
    CBntDateTime(const FILETIME& fileTime);
    // The parts as they stand; the fraction is ignored; invalid when they do not form a date.
    CBntDateTime(const TIMESTAMP_STRUCT& timestamp);

    // The instant `time` (seconds since 1970), flagged UTC.
    static CBntDateTime FromTime(__time64_t time);
    // Now, as local wall-clock time of DefaultTimeZoneInfo; valid.
    static CBntDateTime GetCurrentTime();
    // The machine's zone (see DateTimeZoneInfo::FromMachineZone).
    static DateTimeZoneInfo GetSystemTimeZone();

    DateTimeStatus GetStatus() const;
    void SetStatus(DateTimeStatus status);

    bool IsUTC() const { return m_isUTC; }
    // Sets the UTC flag (0 or 1) without converting the value. False, with nothing changed,
    // for any other flag value.
    bool SetUTC(int flag);
    // A copy converted to UTC with this value's zone (daylight saving applied) and flagged UTC;
    // a value that is already UTC is copied as it is. Invalid when the UTC time leaves the
    // valid years; an invalid or null value stays so.
    CBntDateTime GetUTC() const;

    const DateTimeZoneInfo& GetTimeZoneInfo() const { return m_zone; }
    void SetTimeZoneInfo(const DateTimeZoneInfo& zone) { m_zone = zone; }

    // The value as it stands (no zone conversion).
    DATE GetDate() const { return m_value.m_dt; }
    COleDateTime GetAsOleDateTime() const { return m_value; }
    // False (structure untouched) when the value is not valid.
    bool GetAsSystemTime(SYSTEMTIME& systemTime) const;
    // Year to second, fraction 0. False (untouched) when the value is not valid.
    bool GetAsTimestamp(TIMESTAMP_STRUCT& timestamp) const;
    // The UTC instant. False (untouched) when the value is not valid or lies before 1601.
    bool GetAsFileTime(FILETIME& fileTime) const;
    // Clears *value, then sets VT_DATE for a valid value and VT_NULL otherwise.
    void GetAsVariant(VARIANT* value) const;
    // GetAsTimestamp; all fields 0 when the value is not valid.
    operator TIMESTAMP_STRUCT() const;
    // Seconds since 1970-01-01 UTC of the value taken in UTC, for the years 1970 to 2037; -1
    // outside them or when the value is not valid.
    operator __time32_t() const;

    // "YYYY-MM-DDTHH:MM:SSZ" for a UTC value, the same without "Z" for a local one; empty when
    // the value is not valid.
    CString ToISO8601String() const;
    // Reads ISO 8601 text (the forms of ParseKvrDateTime). A text with "Z" gives a UTC value;
    // one with an offset is converted to UTC with it; one without a zone is local. True with
    // the value set; false with the value invalid.
    bool ParseISO8601String(const wchar_t* text);

    // Both sides taken in UTC: equal when their statuses are equal and either both are null or
    // both are valid and at most half a second apart.
    bool operator==(const CBntDateTime& other) const;
    // The difference of both values taken in UTC; invalid when either is invalid, else null
    // when either is null.
    COleDateTimeSpan operator-(const CBntDateTime& other) const;

private:
    COleDateTime m_value;
    DateTimeZoneInfo m_zone;
    bool m_isUTC = false;
};
