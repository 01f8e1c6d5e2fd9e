// KvrTime: the common SDK's time functions: conversions between local time, UTC and the
// time structures, and the reading of ISO 8601 date-time and duration texts.
//
// Free functions. The text patterns are compiled once (InitKvrTimeDurationRegex,
// InitKvrTimeDateTimeRegexes run while the library loads; the readers also make sure of it),
// held in process-wide objects released at exit, and only read afterwards, so every function
// is thread-safe. Local time means the zone of DefaultTimeZoneInfo.
#pragma once

#include "platform/mfc/COleDateTime.h"
#include "platform/mfc/CTime.h"
#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

#include <string_view>

struct DateTimeZoneInfo;

// Compile the ISO 8601 duration pattern and the six date-time patterns. Idempotent.
void InitKvrTimeDurationRegex();
void InitKvrTimeDateTimeRegexes();

// The instant `time` (seconds since 1970) broken down as UTC. A value that cannot be broken
// down (a negative one) gives 1970-01-01 00:00:00.
COleDateTime Time32ToUTCOleDateTime(__time32_t time);

// Converts a valid local wall-clock time to UTC in place, daylight saving applied. A value
// that is not valid is left alone; one whose UTC time falls outside the years 100-9999
// becomes invalid.
void ConvertLocalToUTC(COleDateTime& dateTime);

// The current time in UTC, whole seconds, fraction 0.
void GetCurrentUTCTimestamp(TIMESTAMP_STRUCT& timestamp);

// Converts a timestamp of local wall-clock time to a CTime. True on success; false (`time`
// unchanged) for a year outside 1970-3000 or fields that do not form a date and time.
bool TimestampToCTime(const TIMESTAMP_STRUCT& timestamp, CTime& time);

// The parts of an ISO 8601 date-time text.
struct KvrDateTimeText
{
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    // Fraction of a second, 0 <= Fraction < 1.
    double Fraction = 0.0;
    // True when the text names its zone ("Z" or an offset); OffsetMinutes is then east of UTC.
    bool HasZone = false;
    int OffsetMinutes = 0;
};

// Reads one of the accepted forms:
//   YYYY-MM-DDTHH:MM:SS[.f]Z    YYYY-MM-DDTHH:MM:SS[.f]+HH:MM (or -HH:MM, +HHMM)
//   YYYY-MM-DDTHH:MM:SS[.f]     YYYY-MM-DDTHH:MM[Z]
//   YYYYMMDDTHHMMSS[Z]          YYYY-MM-DD
// True with `parts` filled; false for anything else, a text longer than kMaxKvrTimeText, or an
// offset above 23:59. Whether the parts form a real date is the caller's check.
bool ParseKvrDateTime(std::wstring_view text, KvrDateTimeText& parts);

// Reads an ISO 8601 duration of days and time: [-]P[nD][T[nH][nM][n[.f]S]] with at least one
// part ("P1DT2H", "PT90M", "PT0.5S"). Years and months are refused: their length in days is not
// fixed. True with `span` set; false for anything else or a span longer than
// COleDateTimeSpan::kMaxDays.
bool ParseKvrDuration(std::wstring_view text, COleDateTimeSpan& span);

// Seconds since 1970-01-01 (counted like Unix time, of whatever zone the parts are in) and
// back, in whole seconds. OleDateTimeFromSeconds gives an invalid value outside the years
// 100-9999; SecondsFromOleDateTime is false for a value that is not valid.
COleDateTime OleDateTimeFromSeconds(LONGLONG seconds);
bool SecondsFromOleDateTime(const COleDateTime& dateTime, LONGLONG& seconds);
// The same for the fields of a timestamp, without a COleDateTime's double between:
// SecondsFromTimestamp ignores the fraction and is false (seconds unchanged) for fields that do
// not form a valid COleDateTime; TimestampFromSeconds (fraction 0) is false (fields unchanged)
// outside the years 100-9999.
bool SecondsFromTimestamp(const TIMESTAMP_STRUCT& fields, LONGLONG& seconds);
bool TimestampFromSeconds(LONGLONG seconds, TIMESTAMP_STRUCT& fields);

// The UTC fields of local wall-clock fields by the zone's rules (DateTimeZoneInfo::LocalToUtcSeconds),
// whole seconds, fraction 0: true; false (utc unchanged) for fields that do not form a valid
// COleDateTime or whose UTC time falls outside the years 100-9999.
bool UtcTimestampFromLocal(const TIMESTAMP_STRUCT& local, const DateTimeZoneInfo& zone, TIMESTAMP_STRUCT& utc);

// Longest text the readers look at; longer input is refused before any pattern runs.
constexpr std::size_t kMaxKvrTimeText = 64;
