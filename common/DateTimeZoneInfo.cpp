#include "common/DateTimeZoneInfo.h"

#include "platform/win32/Calendar.h"

#include <ctime>
#include <optional>

namespace {

constexpr LONGLONG kSecondsPerMinute = 60;

// Sum of two biases in seconds, in 64 bits so no block of values can overflow.
LONGLONG MinutesToSeconds(LONG bias, LONG extra)
{
    return (static_cast<LONGLONG>(bias) + extra) * kSecondsPerMinute;
}

bool IsUsableRule(const SYSTEMTIME& rule)
{
    return rule.wMonth >= 1 && rule.wMonth <= 12 && rule.wDay >= 1 && rule.wDay <= 5 && rule.wDayOfWeek <= 6 &&
           rule.wHour < 24 && rule.wMinute < 60 && rule.wSecond < 60;
}

bool HasDaylightRules(const DateTimeZoneInfo& zone)
{
    return zone.Daylight != FALSE && IsUsableRule(zone.StandardDate) && IsUsableRule(zone.DaylightDate);
}

// Local wall-clock seconds at which a rule fires in `year`.
LONGLONG RuleInstant(const SYSTEMTIME& rule, LONGLONG year)
{
    const int month = rule.wMonth;
    const LONGLONG first = calendar::DaysFromCivil(year, month, 1);
    int day = 1 + (rule.wDayOfWeek - calendar::DayOfWeek(first) + 7) % 7 + (rule.wDay - 1) * 7;
    while (day > calendar::DaysInMonth(year, month))
        day -= 7;
    return (first + day - 1) * calendar::kSecondsPerDay + rule.wHour * 3600LL + rule.wMinute * kSecondsPerMinute +
           rule.wSecond;
}

LONGLONG YearOf(LONGLONG seconds)
{
    const LONGLONG days = seconds >= 0 ? seconds / calendar::kSecondsPerDay
                                       : -((-seconds + calendar::kSecondsPerDay - 1) / calendar::kSecondsPerDay);
    return calendar::CivilFromDays(days).year;
}

// Whether `instant` lies in the daylight period [start, end), which wraps over the new year
// in the southern hemisphere.
bool InDaylightPeriod(LONGLONG instant, LONGLONG start, LONGLONG end)
{
    if (start < end)
        return instant >= start && instant < end;
    return !(instant >= end && instant < start);
}

// What the C library says about one instant: offset east of UTC in seconds, daylight flag.
struct ZoneState
{
    long offset;
    bool daylight;

    bool operator==(const ZoneState&) const = default;
};

ZoneState StateAt(LONGLONG utcSeconds)
{
    const std::time_t instant = static_cast<std::time_t>(utcSeconds);
    std::tm parts{};
    if (localtime_r(&instant, &parts) == nullptr)
        return ZoneState{0, false};
    return ZoneState{parts.tm_gmtoff, parts.tm_isdst > 0};
}

struct Transition
{
    LONGLONG utc;
    ZoneState before;
    ZoneState after;
};

// Coarse enough to be quick, fine enough that no two changes of a real zone fall in one step.
constexpr LONGLONG kScanStep = 6 * 3600;

// The first instant in (low, high] whose state differs from the state at low.
LONGLONG FindChange(LONGLONG low, LONGLONG high)
{
    const ZoneState start = StateAt(low);
    while (high - low > 1)
    {
        const LONGLONG middle = low + (high - low) / 2;
        if (StateAt(middle) == start)
            low = middle;
        else
            high = middle;
    }
    return high;
}

// The Windows rule for a change at `localSeconds` (wall-clock time before the change).
SYSTEMTIME RuleFor(LONGLONG localSeconds)
{
    const LONGLONG days = localSeconds >= 0
                              ? localSeconds / calendar::kSecondsPerDay
                              : -((-localSeconds + calendar::kSecondsPerDay - 1) / calendar::kSecondsPerDay);
    const LONGLONG secondOfDay = localSeconds - days * calendar::kSecondsPerDay;
    const calendar::CivilDate date = calendar::CivilFromDays(days);
    const bool last = date.day + 7 > calendar::DaysInMonth(date.year, date.month);
    SYSTEMTIME rule{};
    rule.wMonth = static_cast<WORD>(date.month);
    rule.wDayOfWeek = static_cast<WORD>(calendar::DayOfWeek(days));
    rule.wDay = static_cast<WORD>(last ? 5 : (date.day - 1) / 7 + 1);
    rule.wHour = static_cast<WORD>(secondOfDay / 3600);
    rule.wMinute = static_cast<WORD>(secondOfDay % 3600 / 60);
    rule.wSecond = static_cast<WORD>(secondOfDay % 60);
    return rule;
}

LONG MinutesWest(long offsetSeconds)
{
    return static_cast<LONG>(-offsetSeconds / 60);
}

}  // namespace

DateTimeZoneInfo DateTimeZoneInfo::FromMachineZone()
{
    tzset();
    const LONGLONG now = static_cast<LONGLONG>(std::time(nullptr));
    const LONGLONG year = YearOf(now + StateAt(now).offset);
    // A day of margin on each side covers zones far from UTC.
    const LONGLONG begin = (calendar::DaysFromCivil(year, 1, 1) - 1) * calendar::kSecondsPerDay;
    const LONGLONG end = (calendar::DaysFromCivil(year + 1, 1, 1) + 1) * calendar::kSecondsPerDay;
    std::optional<Transition> intoDaylight;
    std::optional<Transition> outOfDaylight;
    int changes = 0;
    ZoneState previous = StateAt(begin);
    for (LONGLONG t = begin + kScanStep; t <= end; t += kScanStep)
    {
        const ZoneState current = StateAt(t);
        if (current == previous)
            continue;
        const LONGLONG at = FindChange(t - kScanStep, t);
        const Transition change{at, previous, StateAt(at)};
        previous = current;
        if (YearOf(at + change.before.offset) != year)
            continue;
        ++changes;
        if (change.after.daylight && !change.before.daylight)
            intoDaylight = change;
        else if (change.before.daylight && !change.after.daylight)
            outOfDaylight = change;
    }

    DateTimeZoneInfo zone{};
    if (changes == 2 && intoDaylight && outOfDaylight)
    {
        const long standardOffset = outOfDaylight->after.offset;
        zone.Bias = MinutesWest(standardOffset);
        zone.StandardBias = 0;
        zone.DaylightBias = MinutesWest(intoDaylight->after.offset - standardOffset);
        zone.DaylightDate = RuleFor(intoDaylight->utc + intoDaylight->before.offset);
        zone.StandardDate = RuleFor(outOfDaylight->utc + outOfDaylight->before.offset);
        zone.Daylight = zone.DaylightBias != 0 ? TRUE : FALSE;
    }
    else
    {
        // No regular pair of changes this year: the zone's present offset holds all year.
        zone.Bias = MinutesWest(StateAt(now).offset);
    }
    zone.Offset = -zone.Bias;
    return zone;
}

bool DateTimeZoneInfo::IsDaylightAtUtc(LONGLONG utcSeconds) const
{
    if (!HasDaylightRules(*this))
        return false;
    const LONGLONG year = YearOf(utcSeconds - Bias * kSecondsPerMinute);
    // The daylight rule is written in standard time, the standard rule in daylight time.
    const LONGLONG start = RuleInstant(DaylightDate, year) + MinutesToSeconds(Bias, StandardBias);
    const LONGLONG end = RuleInstant(StandardDate, year) + MinutesToSeconds(Bias, DaylightBias);
    return InDaylightPeriod(utcSeconds, start, end);
}

LONGLONG DateTimeZoneInfo::UtcToLocalSeconds(LONGLONG utcSeconds) const
{
    return utcSeconds - MinutesToSeconds(Bias, IsDaylightAtUtc(utcSeconds) ? DaylightBias : StandardBias);
}

LONGLONG DateTimeZoneInfo::LocalToUtcSeconds(LONGLONG localSeconds) const
{
    bool daylight = false;
    if (HasDaylightRules(*this))
    {
        const LONGLONG year = YearOf(localSeconds);
        daylight = InDaylightPeriod(localSeconds, RuleInstant(DaylightDate, year), RuleInstant(StandardDate, year));
    }
    return localSeconds + MinutesToSeconds(Bias, daylight ? DaylightBias : StandardBias);
}

// Filled while the library loads, before any entry point can build a date value.
DateTimeZoneInfo DefaultTimeZoneInfo = DateTimeZoneInfo::FromMachineZone();
