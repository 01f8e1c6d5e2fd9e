// A clock that only moves when the test moves it: its steady time and its UTC time move
// together, from 10,000,000 ms and 2026-12-07 09:00 UTC, until the test moves the wall clock
// alone (a fall back from daylight time, an administrator's correction); the steady time never
// goes back. Thread-safe; the test owns it, and it outlives everything it is given to.
#pragma once

#include <atomic>

#include "platform/win32/Calendar.h"
#include "platform/win32/Clock.h"

namespace support {

class ManualClock : public IClock
{
public:
    static constexpr ULONGLONG kStartTick = 10'000'000;
    static constexpr LONGLONG kStartUtcMilliseconds = (calendar::DaysFromCivil(2026, 12, 7) * 24 + 9) * 3600 * 1000;

    ULONGLONG GetTickCount64() const override { return kStartTick + m_elapsed.load(); }
    LONGLONG GetUtcMilliseconds() const override
    {
        return kStartUtcMilliseconds + static_cast<LONGLONG>(m_elapsed.load()) + m_wallMoved.load();
    }

    void Advance(ULONGLONG milliseconds) { m_elapsed += milliseconds; }
    void AdvanceSeconds(ULONGLONG seconds) { Advance(seconds * 1000); }
    // Moves the UTC time alone, forward or (negative) back.
    void MoveWallClock(LONGLONG milliseconds) { m_wallMoved += milliseconds; }

private:
    std::atomic<ULONGLONG> m_elapsed{0};
    std::atomic<LONGLONG> m_wallMoved{0};
};

// Makes a clock the process clock (IClock::Process) for its lifetime, and the machine's again
// after it.
class ProcessClockScope
{
public:
    explicit ProcessClockScope(const IClock& clock) { IClock::SetProcess(&clock); }
    ~ProcessClockScope() { IClock::SetProcess(nullptr); }
    ProcessClockScope(const ProcessClockScope&) = delete;
    ProcessClockScope& operator=(const ProcessClockScope&) = delete;
};

}  // namespace support
