#include "common/KvrTime.h"

#include "common/CBntDateTime.h"
#include "common/DateTimeZoneInfo.h"
#include "platform/win32/Calendar.h"

#include <algorithm>
#include <array>
#include <memory>
#include <mutex>
#include <regex>

namespace {

constexpr int kNone = -1;

// One accepted date-time form and where its parts are among the pattern's groups.
struct DateTimeForm
{
    const wchar_t* pattern;
    int year, month, day, hour, minute, second, fraction, zulu, sign, offsetHours, offsetMinutes;
};

constexpr std::array<DateTimeForm, 6> kDateTimeForms = {{
    {L"([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\\.([0-9]{1,9}))?(Z)", 1, 2, 3, 4, 5, 6, 7,
     8, kNone, kNone, kNone},
    {L"([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\\.([0-9]{1,9}))?([+-])([0-9]{2}):?([0-9]{2}"
     L")",
     1, 2, 3, 4, 5, 6, 7, kNone, 8, 9, 10},
    {L"([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2}):([0-9]{2})(?:\\.([0-9]{1,9}))?", 1, 2, 3, 4, 5, 6, 7,
     kNone, kNone, kNone, kNone},
    {L"([0-9]{4})-([0-9]{2})-([0-9]{2})T([0-9]{2}):([0-9]{2})(Z)?", 1, 2, 3, 4, 5, kNone, kNone, 6, kNone, kNone,
     kNone},
    {L"([0-9]{4})([0-9]{2})([0-9]{2})T([0-9]{2})([0-9]{2})([0-9]{2})(Z)?", 1, 2, 3, 4, 5, 6, kNone, 7, kNone, kNone,
     kNone},
    {L"([0-9]{4})-([0-9]{2})-([0-9]{2})", 1, 2, 3, kNone, kNone, kNone, kNone, kNone, kNone, kNone, kNone},
}};

constexpr wchar_t kDurationPattern[] =
    L"(-)?P(?:([0-9]{1,9})D)?(?:T(?:([0-9]{1,9})H)?(?:([0-9]{1,9})M)?(?:([0-9]{1,9})(?:\\.([0-9]{1,9}))?S)?)?";

// The compiled patterns: built once, read-only afterwards, released at exit.
std::once_flag g_dateTimeOnce;
std::once_flag g_durationOnce;
std::unique_ptr<std::array<std::wregex, kDateTimeForms.size()>> g_dateTimeRegexes;
std::unique_ptr<std::wregex> g_durationRegex;

// The value of a group of ASCII digits (at most 9, so it fits); 0 for a group that did not
// take part in the match.
int GroupNumber(const std::wsmatch& match, int group)
{
    if (group == kNone || !match[group].matched)
        return 0;
    int value = 0;
    for (const wchar_t digit : match[group].str())
        value = value * 10 + (digit - L'0');
    return value;
}

// The digits of a fraction group as a fraction (".25" -> 0.25).
double GroupFraction(const std::wsmatch& match, int group)
{
    if (group == kNone || !match[group].matched)
        return 0.0;
    double value = 0.0;
    double scale = 0.1;
    for (const wchar_t digit : match[group].str())
    {
        value += (digit - L'0') * scale;
        scale /= 10.0;
    }
    return value;
}

bool GroupMatched(const std::wsmatch& match, int group)
{
    return group != kNone && match[group].matched;
}

}  // namespace

void InitKvrTimeDurationRegex()
{
    std::call_once(g_durationOnce,
                   [] { g_durationRegex = std::make_unique<std::wregex>(kDurationPattern, std::regex::ECMAScript); });
}

void InitKvrTimeDateTimeRegexes()
{
    std::call_once(g_dateTimeOnce, [] {
        auto regexes = std::make_unique<std::array<std::wregex, kDateTimeForms.size()>>();
        for (std::size_t i = 0; i < kDateTimeForms.size(); ++i)
            (*regexes)[i] = std::wregex(kDateTimeForms[i].pattern, std::regex::ECMAScript);
        g_dateTimeRegexes = std::move(regexes);
    });
}

namespace {

// The civil fields of seconds since 1970-01-01 (the year held to 0-10000, beyond which no value
// is valid, fraction 0); false far beyond the valid years, where the arithmetic could overflow.
bool CivilFieldsFromSeconds(LONGLONG seconds, TIMESTAMP_STRUCT& fields)
{
    constexpr LONGLONG kLimit = 1000000LL * 366 * calendar::kSecondsPerDay;
    if (seconds < -kLimit || seconds > kLimit)
        return false;
    const LONGLONG days = seconds >= 0 ? seconds / calendar::kSecondsPerDay
                                       : -((-seconds + calendar::kSecondsPerDay - 1) / calendar::kSecondsPerDay);
    const LONGLONG secondOfDay = seconds - days * calendar::kSecondsPerDay;
    const calendar::CivilDate date = calendar::CivilFromDays(days);
    fields = TIMESTAMP_STRUCT{static_cast<SQLSMALLINT>(std::clamp<LONGLONG>(date.year, 0, 10000)),
                              static_cast<SQLUSMALLINT>(date.month),
                              static_cast<SQLUSMALLINT>(date.day),
                              static_cast<SQLUSMALLINT>(secondOfDay / 3600),
                              static_cast<SQLUSMALLINT>(secondOfDay % 3600 / 60),
                              static_cast<SQLUSMALLINT>(secondOfDay % 60),
                              0};
    return true;
}

// Whether the fields form a value COleDateTime holds (it owns the rule: the years 100-9999).
bool FieldsFormOleDateTime(const TIMESTAMP_STRUCT& fields)
{
    return COleDateTime(fields).GetStatus() == COleDateTime::valid;
}

LONGLONG SecondsOfFields(int year, int month, int day, int hour, int minute, int second)
{
    return calendar::DaysFromCivil(year, month, day) * calendar::kSecondsPerDay + hour * 3600LL + minute * 60LL +
           second;
}

}  // namespace

COleDateTime OleDateTimeFromSeconds(LONGLONG seconds)
{
    TIMESTAMP_STRUCT fields{};
    if (!CivilFieldsFromSeconds(seconds, fields))
    {
        COleDateTime invalid;
        invalid.m_dt = 0.0;
        invalid.SetStatus(COleDateTime::invalid);
        return invalid;
    }
    // Invalid for a year outside 100-9999.
    return COleDateTime(fields);
}

bool SecondsFromOleDateTime(const COleDateTime& dateTime, LONGLONG& seconds)
{
    // The fields are read in one go: each single Get splits the whole date again.
    SYSTEMTIME fields{};
    if (dateTime.GetStatus() != COleDateTime::valid || !dateTime.GetAsSystemTime(fields))
        return false;
    seconds = SecondsOfFields(fields.wYear, fields.wMonth, fields.wDay, fields.wHour, fields.wMinute, fields.wSecond);
    return true;
}

bool SecondsFromTimestamp(const TIMESTAMP_STRUCT& fields, LONGLONG& seconds)
{
    if (!FieldsFormOleDateTime(fields))
        return false;
    seconds = SecondsOfFields(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
    return true;
}

bool TimestampFromSeconds(LONGLONG seconds, TIMESTAMP_STRUCT& fields)
{
    TIMESTAMP_STRUCT civil{};
    if (!CivilFieldsFromSeconds(seconds, civil) || !FieldsFormOleDateTime(civil))
        return false;
    fields = civil;
    return true;
}

bool UtcTimestampFromLocal(const TIMESTAMP_STRUCT& local, const DateTimeZoneInfo& zone, TIMESTAMP_STRUCT& utc)
{
    LONGLONG seconds = 0;
    if (!SecondsFromTimestamp(local, seconds))
        return false;
    const LONGLONG shift = zone.LocalToUtcSeconds(seconds) - seconds;
    const LONGLONG secondOfDay = local.hour * 3600LL + local.minute * 60LL + local.second + shift;
    if (secondOfDay < 0 || secondOfDay >= calendar::kSecondsPerDay)
        return TimestampFromSeconds(seconds + shift, utc);
    // A shift that stays within the day keeps the date, valid already: only the time is split
    // again, as every date column of every row read comes here.
    utc = TIMESTAMP_STRUCT{local.year,
                           local.month,
                           local.day,
                           static_cast<SQLUSMALLINT>(secondOfDay / 3600),
                           static_cast<SQLUSMALLINT>(secondOfDay % 3600 / 60),
                           static_cast<SQLUSMALLINT>(secondOfDay % 60),
                           0};
    return true;
}

COleDateTime Time32ToUTCOleDateTime(__time32_t time)
{
    // A negative value has no UTC breakdown here, as with the run-time library's _gmtime32.
    if (time < 0)
        return COleDateTime(1970, 1, 1, 0, 0, 0);
    return OleDateTimeFromSeconds(time);
}

void ConvertLocalToUTC(COleDateTime& dateTime)
{
    if (dateTime.GetStatus() != COleDateTime::valid)
        return;
    dateTime = CBntDateTime(dateTime).GetUTC().GetAsOleDateTime();
}

void GetCurrentUTCTimestamp(TIMESTAMP_STRUCT& timestamp)
{
    SYSTEMTIME now{};
    GetSystemTime(&now);
    timestamp.year = static_cast<SQLSMALLINT>(now.wYear);
    timestamp.month = now.wMonth;
    timestamp.day = now.wDay;
    timestamp.hour = now.wHour;
    timestamp.minute = now.wMinute;
    timestamp.second = now.wSecond;
    timestamp.fraction = 0;
}

bool TimestampToCTime(const TIMESTAMP_STRUCT& timestamp, CTime& time)
{
    if (timestamp.year < 1970 || timestamp.year > 3000 ||
        !calendar::IsValidDate(timestamp.year, timestamp.month, timestamp.day) || timestamp.hour > 23 ||
        timestamp.minute > 59 || timestamp.second > 59)
        return false;
    time = CTime(timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute, timestamp.second);
    return true;
}

bool ParseKvrDateTime(std::wstring_view text, KvrDateTimeText& parts)
{
    if (text.size() > kMaxKvrTimeText)
        return false;
    InitKvrTimeDateTimeRegexes();
    const std::wstring subject(text);
    for (std::size_t i = 0; i < kDateTimeForms.size(); ++i)
    {
        std::wsmatch match;
        if (!std::regex_match(subject, match, (*g_dateTimeRegexes)[i]))
            continue;
        const DateTimeForm& form = kDateTimeForms[i];
        KvrDateTimeText result;
        result.Year = GroupNumber(match, form.year);
        result.Month = GroupNumber(match, form.month);
        result.Day = GroupNumber(match, form.day);
        result.Hour = GroupNumber(match, form.hour);
        result.Minute = GroupNumber(match, form.minute);
        result.Second = GroupNumber(match, form.second);
        result.Fraction = GroupFraction(match, form.fraction);
        if (GroupMatched(match, form.sign))
        {
            const int hours = GroupNumber(match, form.offsetHours);
            const int minutes = GroupNumber(match, form.offsetMinutes);
            if (hours > 23 || minutes > 59)
                return false;
            result.HasZone = true;
            result.OffsetMinutes = (match[form.sign].str() == L"-" ? -1 : 1) * (hours * 60 + minutes);
        }
        else
        {
            result.HasZone = GroupMatched(match, form.zulu);
        }
        parts = result;
        return true;
    }
    return false;
}

bool ParseKvrDuration(std::wstring_view text, COleDateTimeSpan& span)
{
    // "P", "PT" and a trailing "T" name no part at all.
    if (text.size() > kMaxKvrTimeText || text.empty() || text.back() == L'T')
        return false;
    InitKvrTimeDurationRegex();
    const std::wstring subject(text);
    std::wsmatch match;
    if (!std::regex_match(subject, match, *g_durationRegex) ||
        !(match[2].matched || match[3].matched || match[4].matched || match[5].matched))
        return false;
    const double days = GroupNumber(match, 2) + GroupNumber(match, 3) / 24.0 + GroupNumber(match, 4) / 1440.0 +
                        (GroupNumber(match, 5) + GroupFraction(match, 6)) / 86400.0;
    if (days > COleDateTimeSpan::kMaxDays)
        return false;
    span = COleDateTimeSpan(match[1].matched ? -days : days);
    return true;
}
