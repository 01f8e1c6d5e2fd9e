// DateTimeText: the two texts in which the system writes and reads date-times: the DMTF form
// of WMI ("yyyymmddHHMMSS.mmmmmmsUUU", the zone as a signed offset in minutes) and the ISO 8601
// form of the bus ("yyyy-mm-ddTHH:MM:SS+hh:mm").
//
// Parsing checks the shape only (every digit where a digit belongs, the separators, a '+' or
// '-' sign, the exact length); whether the parts form a date is decided when they become a
// COleDateTime. Texts from outside are hostile: anything else gives false, never a crash.
// Stateless; safe on any thread.
#pragma once

#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CString.h"
#include "platform/mfc/TimeStructs.h"

#include <array>
#include <string_view>

class DateTimeText
{
public:
    // The parts of a date-time text: wall-clock fields, microseconds, and the zone offset
    // (minutes east of UTC: local time = UTC + offset).
    struct Parts
    {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
        int microseconds = 0;
        int offsetMinutes = 0;
    };

    // Both forms are exactly this long.
    static constexpr int kDmtfLength = 25;
    static constexpr int kIsoLength = 25;

    DateTimeText() = delete;

    // True with `parts` filled when `text` is exactly "yyyymmddHHMMSS.mmmmmmsUUU" (s '+' or
    // '-'); false with `parts` unchanged otherwise (wildcards and interval texts included).
    static bool ParseDmtf(std::wstring_view text, Parts& parts);
    // True with `parts` filled when `text` is exactly "yyyy-mm-ddTHH:MM:SS+hh:mm" (or '-'),
    // with an offset of at most 23 hours and 59 minutes; false with `parts` unchanged otherwise.
    static bool ParseIso(std::wstring_view text, Parts& parts);

    // The wall-clock fields as a COleDateTime, the offset ignored; microseconds are dropped.
    // Status invalid when the fields do not form a date of the years 100-9999.
    static COleDateTime ToWallClock(const Parts& parts);
    // The instant in UTC (wall clock minus the offset); invalid when the fields do not form a
    // date or the UTC time leaves the years 100-9999.
    static COleDateTime ToUtc(const Parts& parts);

    // The UTC fields of the instant (ToUtc) with the parts' microseconds, offset 0: true; false
    // (utc unchanged) when ToUtc gives an invalid value.
    static bool ToUtcParts(const Parts& parts, Parts& utc);

    // Parts of wall-clock fields as they stand (no fraction, offset 0).
    static Parts WallClock(int year, int month, int day, int hour, int minute, int second);
    // The fields of a valid value (offset 0, no microseconds): true; false (parts unchanged)
    // when the value is invalid or null.
    static bool FromOleDateTime(const COleDateTime& value, Parts& parts);
    // The fields of an ODBC timestamp (fraction in nanoseconds becomes microseconds, offset 0):
    // true; false (parts unchanged) when the fields do not form a date of the years 100-9999 or
    // the fraction is a second or more.
    static bool FromTimestamp(const TIMESTAMP_STRUCT& timestamp, Parts& parts);

    // Room for the DMTF text of any parts (a field outside its width takes more) and a NUL.
    using DmtfBuffer = std::array<wchar_t, 96>;

    // "yyyymmddHHMMSS.mmmmmmsUUU" of parts that came from FromOleDateTime, FromTimestamp or a
    // parse.
    static CString FormatDmtf(const Parts& parts);
    // The same text written into buffer: a view of it, valid while buffer is unchanged.
    static std::wstring_view FormatDmtf(const Parts& parts, DmtfBuffer& buffer);
    // "yyyy-mm-ddTHH:MM:SS+hh:mm" of such parts (microseconds are not written).
    static CString FormatIso(const Parts& parts);

    // The text a date-time column holds for the wall-clock fields (the offset is not written):
    // "YYYY-MM-DD HH:MM:SS", then "." and the microseconds without their trailing zeros when
    // there are any. A column may hold one instant as several texts ("09:00:00",
    // "09:00:00.000"); this shortest one orders before them all, and texts of the form order
    // as their instants, so two texts of this form compare as the instants they name.
    static CString FormatColumn(const Parts& parts);
    // The last text of the parts' microsecond that a column holds (nine digits of fraction at
    // most): "YYYY-MM-DD HH:MM:SS.mmmmmm999". A column text names an instant within the
    // microsecond exactly when it orders from FormatColumn to this one.
    static CString FormatColumnMicrosecondEnd(const Parts& parts);
};
