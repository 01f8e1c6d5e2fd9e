#include "platform/mfc/COleDateTime.h"

#include <cmath>
#include <ctime>
#include <cwctype>
#include <optional>
#include <string>

#include "platform/mfc/TimeFormat.h"
#include "platform/win32/Calendar.h"
#include "platform/win32/Clock.h"

namespace {

using calendar::kSecondsPerDay;

// Day number (from 1970-01-01) of the OLE epoch 1899-12-30.
constexpr std::int64_t kOleEpochDays = calendar::DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstDay = calendar::DaysFromCivil(100, 1, 1) - kOleEpochDays;
constexpr std::int64_t kLastDay = calendar::DaysFromCivil(9999, 12, 31) - kOleEpochDays;
static_assert(kFirstDay == -657434 && kLastDay == 2958465);

constexpr int kMinYear = 100;
constexpr int kMaxYear = 9999;

struct DateParts
{
    int year = 0;
    int month = 0;
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    // 0 = Sunday.
    int dayOfWeek = 0;
    int dayOfYear = 0;
    // Serial day (OLE) and second of that day, after rounding.
    std::int64_t serialDay = 0;
    std::int64_t secondOfDay = 0;
};

// A DATE whose parts lie in the valid years (NaN fails every comparison and so is refused).
bool IsDateInRange(DATE date)
{
    return date > static_cast<double>(kFirstDay - 1) && date < static_cast<double>(kLastDay + 1);
}

// The DATE of valid parts, with the OLE sign convention; nullopt when a part is out of range.
std::optional<DATE> DateFromParts(int year, int month, int day, int hour, int minute, int second)
{
    if (year < kMinYear || year > kMaxYear || !calendar::IsValidDate(year, month, day) || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59 || second < 0 || second > 59)
        return std::nullopt;
    const std::int64_t serialDay = calendar::DaysFromCivil(year, month, day) - kOleEpochDays;
    const double time = static_cast<double>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
    return serialDay >= 0 ? static_cast<double>(serialDay) + time : static_cast<double>(serialDay) - time;
}

// Splits a DATE, rounded to the nearest second; false when out of range.
bool PartsFromDate(DATE date, DateParts& parts)
{
    if (!IsDateInRange(date))
        return false;
    const double wholeDays = std::trunc(date);
    std::int64_t serialDay = static_cast<std::int64_t>(wholeDays);
    std::int64_t seconds = std::llround(std::fabs(date - wholeDays) * kSecondsPerDay);
    if (seconds >= kSecondsPerDay)
    {
        // Rounded up to the next midnight; the last valid day has none.
        if (serialDay == kLastDay)
        {
            seconds = kSecondsPerDay - 1;
        }
        else
        {
            ++serialDay;
            seconds = 0;
        }
    }
    const std::int64_t dayNumber = serialDay + kOleEpochDays;
    const calendar::CivilDate civil = calendar::CivilFromDays(dayNumber);
    parts.year = static_cast<int>(civil.year);
    parts.month = civil.month;
    parts.day = civil.day;
    parts.hour = static_cast<int>(seconds / 3600);
    parts.minute = static_cast<int>(seconds / 60 % 60);
    parts.second = static_cast<int>(seconds % 60);
    parts.dayOfWeek = calendar::DayOfWeek(dayNumber);
    parts.dayOfYear = calendar::DayOfYear(civil.year, civil.month, civil.day);
    parts.serialDay = serialDay;
    parts.secondOfDay = seconds;
    return true;
}

// The continuous time line under a DATE: days since 1899-12-30 00:00, negative before.
double ToLinear(DATE date)
{
    if (date >= 0.0)
        return date;
    const double wholeDays = std::trunc(date);
    return wholeDays + (wholeDays - date);
}

DATE FromLinear(double linear)
{
    if (linear >= 0.0)
        return linear;
    const double wholeDays = std::floor(linear);
    return wholeDays - (linear - wholeDays);
}

// A small reader of the ParseDateTime forms.
class DateTimeText
{
public:
    explicit DateTimeText(std::wstring_view text) : m_text(text) {}

    // One to maxDigits digits (exactly maxDigits when exact).
    bool Number(std::size_t maxDigits, bool exact, int& value)
    {
        std::size_t count = 0;
        value = 0;
        while (m_pos < m_text.size() && count < maxDigits && m_text[m_pos] >= L'0' && m_text[m_pos] <= L'9')
        {
            value = value * 10 + (m_text[m_pos] - L'0');
            ++m_pos;
            ++count;
        }
        return count > 0 && (!exact || count == maxDigits);
    }

    bool Literal(wchar_t expected)
    {
        if (m_pos >= m_text.size() || m_text[m_pos] != expected)
            return false;
        ++m_pos;
        return true;
    }

    bool AtEnd() const { return m_pos == m_text.size(); }

private:
    std::wstring_view m_text;
    std::size_t m_pos = 0;
};

struct ParsedParts
{
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

bool ReadTime(DateTimeText& text, ParsedParts& parts)
{
    return text.Number(2, false, parts.hour) && text.Literal(L':') && text.Number(2, false, parts.minute) &&
           text.Literal(L':') && text.Number(2, false, parts.second);
}

// Tries each accepted form on the trimmed text.
std::optional<ParsedParts> ParseForms(std::wstring_view trimmed)
{
    {
        DateTimeText text(trimmed);
        ParsedParts parts;
        if (text.Number(4, true, parts.year) && text.Literal(L'-') && text.Number(2, false, parts.month) &&
            text.Literal(L'-') && text.Number(2, false, parts.day))
        {
            if (text.AtEnd())
                return parts;
            if (text.Literal(L' ') && ReadTime(text, parts) && text.AtEnd())
                return parts;
        }
    }
    {
        DateTimeText text(trimmed);
        ParsedParts parts;
        if (text.Number(2, false, parts.month) && text.Literal(L'/') && text.Number(2, false, parts.day) &&
            text.Literal(L'/') && text.Number(4, true, parts.year) && text.Literal(L' ') && ReadTime(text, parts) &&
            text.AtEnd())
            return parts;
    }
    {
        DateTimeText text(trimmed);
        ParsedParts parts;
        if (ReadTime(text, parts) && text.AtEnd())
            return parts;
    }
    return std::nullopt;
}

CString DefaultText(const DateParts& parts, bool withDate, bool withTime)
{
    CString text;
    if (withDate)
        text.Format(L"%04d-%02d-%02d", parts.year, parts.month, parts.day);
    if (withDate && withTime)
        text += L' ';
    if (withTime)
        text.AppendFormat(L"%02d:%02d:%02d", parts.hour, parts.minute, parts.second);
    return text;
}

template <typename Status>
Status CombinedStatus(Status left, Status right)
{
    if (left == Status::invalid || right == Status::invalid)
        return Status::invalid;
    if (left == Status::null || right == Status::null)
        return Status::null;
    return Status::valid;
}

}  // namespace

// ---- COleDateTimeSpan ----------------------------------------------------------------------

COleDateTimeSpan::COleDateTimeSpan(double days) : m_span(days)
{
    if (!(std::fabs(days) <= kMaxDays))
    {
        m_span = 0.0;
        m_status = invalid;
    }
}

COleDateTimeSpan::COleDateTimeSpan(LONG days, int hours, int minutes, int seconds)
{
    SetDateTimeSpan(days, hours, minutes, seconds);
}

void COleDateTimeSpan::SetDateTimeSpan(LONG days, int hours, int minutes, int seconds)
{
    const long long totalSeconds = static_cast<long long>(days) * kSecondsPerDay +
                                   static_cast<long long>(hours) * 3600 + static_cast<long long>(minutes) * 60 +
                                   seconds;
    *this = COleDateTimeSpan(static_cast<double>(totalSeconds) / kSecondsPerDay);
}

long long COleDateTimeSpan::TotalSeconds() const
{
    return m_status == valid ? std::llround(m_span * kSecondsPerDay) : 0;
}

double COleDateTimeSpan::GetTotalDays() const
{
    return static_cast<double>(TotalSeconds() / kSecondsPerDay);
}
double COleDateTimeSpan::GetTotalHours() const
{
    return static_cast<double>(TotalSeconds() / 3600);
}
double COleDateTimeSpan::GetTotalMinutes() const
{
    return static_cast<double>(TotalSeconds() / 60);
}
double COleDateTimeSpan::GetTotalSeconds() const
{
    return static_cast<double>(TotalSeconds());
}
LONG COleDateTimeSpan::GetDays() const
{
    return static_cast<LONG>(TotalSeconds() / kSecondsPerDay);
}
LONG COleDateTimeSpan::GetHours() const
{
    return static_cast<LONG>(TotalSeconds() / 3600 % 24);
}
LONG COleDateTimeSpan::GetMinutes() const
{
    return static_cast<LONG>(TotalSeconds() / 60 % 60);
}
LONG COleDateTimeSpan::GetSeconds() const
{
    return static_cast<LONG>(TotalSeconds() % 60);
}

COleDateTimeSpan COleDateTimeSpan::operator+(const COleDateTimeSpan& other) const
{
    const DateTimeSpanStatus status = CombinedStatus(m_status, other.m_status);
    if (status != valid)
    {
        COleDateTimeSpan result;
        result.m_status = status;
        return result;
    }
    return COleDateTimeSpan(m_span + other.m_span);
}

COleDateTimeSpan COleDateTimeSpan::operator-(const COleDateTimeSpan& other) const
{
    return *this + (-other);
}

COleDateTimeSpan COleDateTimeSpan::operator-() const
{
    COleDateTimeSpan result(*this);
    result.m_span = -m_span;
    return result;
}

bool operator==(const COleDateTimeSpan& left, const COleDateTimeSpan& right)
{
    if (left.m_status != right.m_status)
        return false;
    if (left.m_status == COleDateTimeSpan::valid)
        return left.m_span == right.m_span;
    return left.m_status == COleDateTimeSpan::null;
}

std::partial_ordering operator<=>(const COleDateTimeSpan& left, const COleDateTimeSpan& right)
{
    if (left.m_status != COleDateTimeSpan::valid || right.m_status != COleDateTimeSpan::valid)
        return std::partial_ordering::unordered;
    return left.m_span <=> right.m_span;
}

// ---- COleDateTime --------------------------------------------------------------------------

COleDateTime COleDateTime::GetCurrentTime()
{
    return COleDateTime(static_cast<__time64_t>(IClock::Process().GetUtcSeconds()));
}

COleDateTime::COleDateTime(DATE date) : m_dt(date)
{
    if (!IsDateInRange(date))
        SetInvalid();
}

COleDateTime::COleDateTime(const VARIANT& value)
{
    if (value.vt == VT_DATE)
    {
        *this = COleDateTime(value.date);
        return;
    }
    VARIANT converted;
    VariantInit(&converted);
    if (SUCCEEDED(VariantChangeType(&converted, &value, 0, VT_DATE)))
        *this = COleDateTime(converted.date);
    else
        SetInvalid();
    VariantClear(&converted);
}

COleDateTime::COleDateTime(__time32_t time)
{
    SetFromTime(time);
}

COleDateTime::COleDateTime(__time64_t time)
{
    SetFromTime(time);
}

COleDateTime::COleDateTime(const SYSTEMTIME& systemTime)
{
    SetDateTime(systemTime.wYear, systemTime.wMonth, systemTime.wDay, systemTime.wHour, systemTime.wMinute,
                systemTime.wSecond);
}

COleDateTime::COleDateTime(const FILETIME& fileTime)
{
    const std::uint64_t ticks = (static_cast<std::uint64_t>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    if (ticks > 0x7FFFFFFFFFFFFFFFull)
    {
        SetInvalid();
        return;
    }
    SetFromTime(static_cast<__time64_t>(ticks / calendar::kFileTimeTicksPerSecond) - calendar::kSecondsFrom1601To1970);
}

COleDateTime::COleDateTime(const TIMESTAMP_STRUCT& timestamp)
{
    SetDateTime(timestamp.year, timestamp.month, timestamp.day, timestamp.hour, timestamp.minute, timestamp.second);
}

COleDateTime::COleDateTime(int year, int month, int day, int hour, int minute, int second)
{
    SetDateTime(year, month, day, hour, minute, second);
}

void COleDateTime::SetFromTime(__time64_t time)
{
    const std::time_t value = static_cast<std::time_t>(time);
    std::tm local{};
    if (localtime_r(&value, &local) == nullptr)
    {
        SetInvalid();
        return;
    }
    // A leap second reads as the last second of its minute.
    SetDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                local.tm_sec > 59 ? 59 : local.tm_sec);
}

void COleDateTime::SetInvalid()
{
    m_dt = 0.0;
    m_status = invalid;
}

int COleDateTime::SetDateTime(int year, int month, int day, int hour, int minute, int second)
{
    const std::optional<DATE> date = DateFromParts(year, month, day, hour, minute, second);
    if (!date)
    {
        SetInvalid();
        return m_status;
    }
    m_dt = *date;
    m_status = valid;
    return m_status;
}

int COleDateTime::SetDate(int year, int month, int day)
{
    return SetDateTime(year, month, day, 0, 0, 0);
}

int COleDateTime::SetTime(int hour, int minute, int second)
{
    return SetDateTime(1899, 12, 30, hour, minute, second);
}

bool COleDateTime::GetAsSystemTime(SYSTEMTIME& systemTime) const
{
    DateParts parts;
    if (m_status != valid || !PartsFromDate(m_dt, parts))
        return false;
    systemTime.wYear = static_cast<WORD>(parts.year);
    systemTime.wMonth = static_cast<WORD>(parts.month);
    systemTime.wDayOfWeek = static_cast<WORD>(parts.dayOfWeek);
    systemTime.wDay = static_cast<WORD>(parts.day);
    systemTime.wHour = static_cast<WORD>(parts.hour);
    systemTime.wMinute = static_cast<WORD>(parts.minute);
    systemTime.wSecond = static_cast<WORD>(parts.second);
    systemTime.wMilliseconds = 0;
    return true;
}

bool COleDateTime::GetAsDBTIMESTAMP(TIMESTAMP_STRUCT& timestamp) const
{
    DateParts parts;
    if (m_status != valid || !PartsFromDate(m_dt, parts))
        return false;
    timestamp.year = static_cast<SQLSMALLINT>(parts.year);
    timestamp.month = static_cast<SQLUSMALLINT>(parts.month);
    timestamp.day = static_cast<SQLUSMALLINT>(parts.day);
    timestamp.hour = static_cast<SQLUSMALLINT>(parts.hour);
    timestamp.minute = static_cast<SQLUSMALLINT>(parts.minute);
    timestamp.second = static_cast<SQLUSMALLINT>(parts.second);
    timestamp.fraction = 0;
    return true;
}

namespace {

template <typename Field>
int PartOf(const COleDateTime& value, Field field)
{
    DateParts parts;
    if (value.GetStatus() != COleDateTime::valid || !PartsFromDate(value.m_dt, parts))
        return AFX_OLE_DATETIME_ERROR;
    return field(parts);
}

}  // namespace

int COleDateTime::GetYear() const
{
    return PartOf(*this, [](const DateParts& p) { return p.year; });
}
int COleDateTime::GetMonth() const
{
    return PartOf(*this, [](const DateParts& p) { return p.month; });
}
int COleDateTime::GetDay() const
{
    return PartOf(*this, [](const DateParts& p) { return p.day; });
}
int COleDateTime::GetHour() const
{
    return PartOf(*this, [](const DateParts& p) { return p.hour; });
}
int COleDateTime::GetMinute() const
{
    return PartOf(*this, [](const DateParts& p) { return p.minute; });
}
int COleDateTime::GetSecond() const
{
    return PartOf(*this, [](const DateParts& p) { return p.second; });
}
int COleDateTime::GetDayOfWeek() const
{
    return PartOf(*this, [](const DateParts& p) { return p.dayOfWeek + 1; });
}
int COleDateTime::GetDayOfYear() const
{
    return PartOf(*this, [](const DateParts& p) { return p.dayOfYear; });
}

CString COleDateTime::Format(const wchar_t* format) const
{
    if (format == nullptr)
        return Format();
    if (m_status == null)
        return CString();
    DateParts parts;
    if (m_status != valid || !PartsFromDate(m_dt, parts))
        return CString(L"Invalid DateTime");
    std::tm fields{};
    fields.tm_year = parts.year - 1900;
    fields.tm_mon = parts.month - 1;
    fields.tm_mday = parts.day;
    fields.tm_hour = parts.hour;
    fields.tm_min = parts.minute;
    fields.tm_sec = parts.second;
    fields.tm_wday = parts.dayOfWeek;
    fields.tm_yday = parts.dayOfYear - 1;
    fields.tm_isdst = -1;
    return CString(mfc_detail::FormatBrokenDownTime(format, fields));
}

CString COleDateTime::Format() const
{
    if (m_status == null)
        return CString();
    DateParts parts;
    if (m_status != valid || !PartsFromDate(m_dt, parts))
        return CString(L"Invalid DateTime");
    const bool withDate = parts.serialDay != 0;
    const bool withTime = parts.secondOfDay != 0 || !withDate;
    return DefaultText(parts, withDate, withTime);
}

bool COleDateTime::ParseDateTime(const wchar_t* text)
{
    std::wstring_view trimmed = text == nullptr ? std::wstring_view() : std::wstring_view(text);
    while (!trimmed.empty() && std::iswspace(static_cast<wint_t>(trimmed.front())))
        trimmed.remove_prefix(1);
    while (!trimmed.empty() && std::iswspace(static_cast<wint_t>(trimmed.back())))
        trimmed.remove_suffix(1);
    const std::optional<ParsedParts> parts = ParseForms(trimmed);
    if (!parts)
    {
        SetInvalid();
        return false;
    }
    return SetDateTime(parts->year, parts->month, parts->day, parts->hour, parts->minute, parts->second) == valid;
}

COleDateTime COleDateTime::operator+(const COleDateTimeSpan& span) const
{
    COleDateTime result;
    if (m_status == invalid || span.GetStatus() == COleDateTimeSpan::invalid)
        result.SetInvalid();
    else if (m_status == null || span.GetStatus() == COleDateTimeSpan::null)
        result.m_status = null;
    else
        result = COleDateTime(FromLinear(ToLinear(m_dt) + span.m_span));
    return result;
}

COleDateTime COleDateTime::operator-(const COleDateTimeSpan& span) const
{
    return *this + (-span);
}

COleDateTimeSpan COleDateTime::operator-(const COleDateTime& other) const
{
    COleDateTimeSpan result;
    if (m_status == invalid || other.m_status == invalid)
        result.SetStatus(COleDateTimeSpan::invalid);
    else if (m_status == null || other.m_status == null)
        result.SetStatus(COleDateTimeSpan::null);
    else
        result = COleDateTimeSpan(ToLinear(m_dt) - ToLinear(other.m_dt));
    return result;
}

bool operator==(const COleDateTime& left, const COleDateTime& right)
{
    if (left.m_status != right.m_status)
        return false;
    if (left.m_status == COleDateTime::valid)
        return ToLinear(left.m_dt) == ToLinear(right.m_dt);
    return left.m_status == COleDateTime::null;
}

std::partial_ordering operator<=>(const COleDateTime& left, const COleDateTime& right)
{
    if (left.m_status != COleDateTime::valid || right.m_status != COleDateTime::valid)
        return std::partial_ordering::unordered;
    return ToLinear(left.m_dt) <=> ToLinear(right.m_dt);
}
