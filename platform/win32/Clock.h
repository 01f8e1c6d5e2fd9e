// IClock: the one time source of the rules that read the clock (ages, expiries, clean-up and
// retry periods, "changed within half a second"). Production code takes Process(), the
// machine's until a host or a test sets another; a test may also pass a clock it sets, so no
// outcome depends on how fast the machine runs. Threads may still wake on real time; what they
// decide on waking reads the clock they were given.
//
// The machine's clock is one process-wide object that lives as long as the process; so is the
// process clock, which the date-time stand-ins read for "now" (COleDateTime::GetCurrentTime,
// CTime::GetCurrentTime, GetSystemTime and its kin), so that a host or a test that sets it sets
// the time of every rule reading them.
// Implementations must be thread-safe: readers on many threads call them at once.
#pragma once

#include "platform/win32/WinTypes.h"

class IClock
{
public:
    virtual ~IClock() = default;

    // Milliseconds of a steady clock (GetTickCount64's scale): spans only, never set back.
    virtual ULONGLONG GetTickCount64() const = 0;
    // Now, in milliseconds since 1970-01-01 00:00 UTC.
    virtual LONGLONG GetUtcMilliseconds() const = 0;
    // Now, in whole seconds since 1970-01-01 00:00 UTC.
    LONGLONG GetUtcSeconds() const { return SecondsOf(GetUtcMilliseconds()); }
    // The whole seconds of a time in milliseconds, rounded down (also before 1970).
    static constexpr LONGLONG SecondsOf(LONGLONG milliseconds)
    {
        return milliseconds / 1000 - (milliseconds % 1000 < 0 ? 1 : 0);
    }

    // The machine's clock.
    static const IClock& Machine();
    // The process clock: each reading is taken from the clock set at that moment (the machine's
    // until SetProcess sets another). Valid for the life of the process.
    static const IClock& Process();
    // Sets the clock the process clock reads; null sets the machine's back. Not owned: it must
    // outlive its setting. Thread-safe; a reading in progress finishes on the clock it began on.
    static void SetProcess(const IClock* clock);
};
