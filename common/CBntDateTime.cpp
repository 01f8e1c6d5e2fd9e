#include "common/CBntDateTime.h"

#include "common/KvrTime.h"
#include "platform/win32/Calendar.h"
#include "platform/win32/Clock.h"

#include <cmath>
#include <ctime>

namespace {

constexpr LONGLONG kSecondsFrom1601To1970 = calendar::kSecondsFrom1601To1970;
constexpr LONGLONG kFileTimeTicksPerSecond = calendar::kFileTimeTicksPerSecond;
constexpr double kSecondsPerDay = 86400.0;

COleDateTime InvalidValue()
{
    COleDateTime value;
    value.m_dt = 0.0;
    value.SetStatus(COleDateTime::invalid);
    return value;
}

COleDateTime NullValue()
{
    COleDateTime value;
    value.SetStatus(COleDateTime::null);
    return value;
}

// Keeps valid and null values and turns every other status into invalid.
COleDateTime Normalised(const COleDateTime& value)
{
    const COleDateTime::DateTimeStatus status = value.GetStatus();
    return status == COleDateTime::valid || status == COleDateTime::null ? value : InvalidValue();
}

// The value moved by a number of seconds; invalid when it leaves the valid years.
COleDateTime Shifted(const COleDateTime& value, double seconds)
{
    return Normalised(value + COleDateTimeSpan(seconds / kSecondsPerDay));
}

}  // namespace

CBntDateTime::CBntDateTime() : m_value(NullValue()), m_zone(DefaultTimeZoneInfo) {}

CBntDateTime::CBntDateTime(DATE date) : m_value(Normalised(COleDateTime(date))), m_zone(DefaultTimeZoneInfo) {}

CBntDateTime::CBntDateTime(const VARIANT& value) : m_value(InvalidValue()), m_zone(DefaultTimeZoneInfo)
{
    switch (value.vt)
    {
    case VT_DATE:
        m_value = Normalised(COleDateTime(value.date));
        break;
    case VT_EMPTY:
    case VT_NULL:
        m_value = NullValue();
        break;
    case VT_BSTR:
        ParseISO8601String(value.bstrVal == nullptr ? L"" : value.bstrVal);
        break;
    default:
        break;
    }
}

CBntDateTime::CBntDateTime(const COleDateTime& dateTime) : m_value(Normalised(dateTime)), m_zone(DefaultTimeZoneInfo) {}

CBntDateTime::CBntDateTime(const SYSTEMTIME& systemTime)
    : m_value(Normalised(COleDateTime(systemTime))), m_zone(DefaultTimeZoneInfo)
{
}

CBntDateTime::CBntDateTime(const FILETIME& fileTime)
    : m_value(InvalidValue()), m_zone(DefaultTimeZoneInfo), m_isUTC(true)
{
    const ULONGLONG ticks = (static_cast<ULONGLONG>(fileTime.dwHighDateTime) << 32) | fileTime.dwLowDateTime;
    if (ticks < 0x8000000000000000ULL)
        m_value =
            OleDateTimeFromSeconds(static_cast<LONGLONG>(ticks) / kFileTimeTicksPerSecond - kSecondsFrom1601To1970);
}

CBntDateTime::CBntDateTime(const TIMESTAMP_STRUCT& timestamp)
    : m_value(Normalised(COleDateTime(timestamp))), m_zone(DefaultTimeZoneInfo)
{
}

CBntDateTime CBntDateTime::FromTime(__time64_t time)
{
    CBntDateTime result;
    result.m_value = OleDateTimeFromSeconds(time);
    result.m_isUTC = true;
    return result;
}

CBntDateTime CBntDateTime::GetCurrentTime()
{
    CBntDateTime result;
    const LONGLONG now = IClock::Process().GetUtcSeconds();
    result.m_value = OleDateTimeFromSeconds(result.m_zone.UtcToLocalSeconds(now));
    return result;
}

DateTimeZoneInfo CBntDateTime::GetSystemTimeZone()
{
    return DateTimeZoneInfo::FromMachineZone();
}

CBntDateTime::DateTimeStatus CBntDateTime::GetStatus() const
{
    switch (m_value.GetStatus())
    {
    case COleDateTime::valid:
        return valid;
    case COleDateTime::null:
        return null;
    default:
        return invalid;
    }
}

void CBntDateTime::SetStatus(DateTimeStatus status)
{
    switch (status)
    {
    case valid:
        m_value.SetStatus(COleDateTime::valid);
        break;
    case null:
        m_value.SetStatus(COleDateTime::null);
        break;
    default:
        m_value.SetStatus(COleDateTime::invalid);
        break;
    }
}

bool CBntDateTime::SetUTC(int flag)
{
    if (flag != 0 && flag != 1)
        return false;
    m_isUTC = flag == 1;
    return true;
}

CBntDateTime CBntDateTime::GetUTC() const
{
    CBntDateTime copy(*this);
    copy.m_isUTC = true;
    LONGLONG local = 0;
    if (m_isUTC || !SecondsFromOleDateTime(m_value, local))
        return copy;
    copy.m_value = Shifted(m_value, static_cast<double>(m_zone.LocalToUtcSeconds(local) - local));
    return copy;
}

bool CBntDateTime::GetAsSystemTime(SYSTEMTIME& systemTime) const
{
    return m_value.GetAsSystemTime(systemTime);
}

bool CBntDateTime::GetAsTimestamp(TIMESTAMP_STRUCT& timestamp) const
{
    return m_value.GetAsDBTIMESTAMP(timestamp);
}

bool CBntDateTime::GetAsFileTime(FILETIME& fileTime) const
{
    LONGLONG seconds = 0;
    if (!SecondsFromOleDateTime(GetUTC().m_value, seconds) || seconds < -kSecondsFrom1601To1970)
        return false;
    const ULONGLONG ticks = static_cast<ULONGLONG>(seconds + kSecondsFrom1601To1970) * kFileTimeTicksPerSecond;
    fileTime.dwLowDateTime = static_cast<DWORD>(ticks & 0xFFFFFFFFu);
    fileTime.dwHighDateTime = static_cast<DWORD>(ticks >> 32);
    return true;
}

void CBntDateTime::GetAsVariant(VARIANT* value) const
{
    if (value == nullptr)
        return;
    VariantClear(value);
    if (GetStatus() == valid)
    {
        value->vt = VT_DATE;
        value->date = m_value.m_dt;
    }
    else
    {
        value->vt = VT_NULL;
    }
}

CBntDateTime::operator TIMESTAMP_STRUCT() const
{
    TIMESTAMP_STRUCT timestamp{};
    GetAsTimestamp(timestamp);
    return timestamp;
}

CBntDateTime::operator __time32_t() const
{
    const COleDateTime utc = GetUTC().m_value;
    LONGLONG seconds = 0;
    if (!SecondsFromOleDateTime(utc, seconds) || utc.GetYear() < 1970 || utc.GetYear() > 2037)
        return -1;
    return static_cast<__time32_t>(seconds);
}

CString CBntDateTime::ToISO8601String() const
{
    CString text;
    if (GetStatus() != valid)
        return text;
    text.Format(m_isUTC ? L"%04d-%02d-%02dT%02d:%02d:%02dZ" : L"%04d-%02d-%02dT%02d:%02d:%02d", m_value.GetYear(),
                m_value.GetMonth(), m_value.GetDay(), m_value.GetHour(), m_value.GetMinute(), m_value.GetSecond());
    return text;
}

bool CBntDateTime::ParseISO8601String(const wchar_t* text)
{
    m_value = InvalidValue();
    KvrDateTimeText parts;
    if (text == nullptr || !ParseKvrDateTime(text, parts))
        return false;
    const COleDateTime whole(parts.Year, parts.Month, parts.Day, parts.Hour, parts.Minute, parts.Second);
    if (whole.GetStatus() != COleDateTime::valid)
        return false;
    const COleDateTime exact = Shifted(whole, parts.Fraction - parts.OffsetMinutes * 60.0);
    if (exact.GetStatus() != COleDateTime::valid)
        return false;
    m_value = exact;
    m_isUTC = parts.HasZone;
    return true;
}

bool CBntDateTime::operator==(const CBntDateTime& other) const
{
    const CBntDateTime left = GetUTC();
    const CBntDateTime right = other.GetUTC();
    if (left.GetStatus() != right.GetStatus())
        return false;
    if (left.GetStatus() == null)
        return true;
    if (left.GetStatus() != valid)
        return false;
    return std::fabs(static_cast<double>(left.m_value - right.m_value)) <= kHalfSecond;
}

COleDateTimeSpan CBntDateTime::operator-(const CBntDateTime& other) const
{
    return GetUTC().m_value - other.GetUTC().m_value;
}
