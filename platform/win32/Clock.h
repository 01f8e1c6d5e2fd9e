// IClock: the one time source of the rules that read the clock (ages, expiries, clean-up and
// retry periods, "changed within half a second"). Production code takes Machine(); a test
// passes a clock it sets, so no outcome depends on how fast the machine runs. Threads may
// still wake on real time; what they decide on waking reads the clock they were given.
//
// The machine's clock is one process-wide object that lives as long as the process.
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

    // The machine's clock.
    static const IClock& Machine();
};
