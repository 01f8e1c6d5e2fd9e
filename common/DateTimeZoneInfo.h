// DateTimeZoneInfo: the time-zone block a CBntDateTime carries, in the shape of the Windows
// zone information (13 32-bit words): the bias (minutes to add to local time to get UTC), the
// standard and daylight biases added on top of it, the standard and daylight transition rules,
// the offset (minus the bias) and the daylight flag.
//
// Transition rules are Windows' "day of week in month" form: wMonth, wDayOfWeek (0 = Sunday),
// wDay = the week (1-4, 5 = the last such day of the month) and the wall-clock time at which
// the change happens, in the time that is in force before it. wYear is not used: a rule
// applies to every year, so conversions of past years use today's rules, as on Windows. A rule
// with fields out of range counts as no daylight saving at all.
//
// A plain value; copy it freely. `DefaultTimeZoneInfo` is set once while the library loads and
// only read afterwards, so it may be read from any thread without a lock.
#pragma once

#include "platform/mfc/TimeStructs.h"
#include "platform/win32/WinTypes.h"

struct DateTimeZoneInfo
{
    LONG Bias;
    LONG StandardBias;
    LONG DaylightBias;
    SYSTEMTIME StandardDate;
    SYSTEMTIME DaylightDate;
    LONG Offset;
    BOOL Daylight;

    // Seconds of local wall-clock time (counted like Unix time) for the UTC instant `utcSeconds`.
    LONGLONG UtcToLocalSeconds(LONGLONG utcSeconds) const;
    // The UTC instant of a local wall-clock time. A time skipped by the spring change is taken as
    // daylight time; a time that occurs twice in the autumn is taken as its daylight occurrence.
    LONGLONG LocalToUtcSeconds(LONGLONG localSeconds) const;
    // True when daylight saving is in force at the UTC instant.
    bool IsDaylightAtUtc(LONGLONG utcSeconds) const;

    // The zone of the process (the TZ variable, else the system's zone) as the C library's time
    // zone database describes it for the current year: its standard offset and, when the year
    // has exactly one change into and one out of daylight saving, both changes as rules.
    // Otherwise the present offset with no daylight rules. Never fails.
    static DateTimeZoneInfo FromMachineZone();
};

static_assert(sizeof(DateTimeZoneInfo) == 13 * 4, "the zone block is 13 32-bit words");

// The machine's zone as found at load; every CBntDateTime made without an explicit zone copies
// it.
extern DateTimeZoneInfo DefaultTimeZoneInfo;
