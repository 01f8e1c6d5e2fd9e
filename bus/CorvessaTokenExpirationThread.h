// CorvessaTokenExpirationThread: the bus front end's one background thread. Every 300 seconds
// it asks the application object to sweep out the session tokens that have outlived their
// lifetime. It wakes once a second of real time; whether a sweep is due is read from the
// clock it is given, which tests set.
//
// Owned by the CCorvessaBaseApp it sweeps, which starts it at construction and stops and
// joins it (Kill) before its token maps go. Stop may be called from any thread; the loop
// wakes at once and ends after the sweep under way, if any. m_lock guards only the stop flag:
// no sweep runs under it, so a stop request never waits for one.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/win32/Clock.h"
#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"
#include "provider/LWorkerThread.h"

class CCorvessaBaseApp;

class CorvessaTokenExpirationThread : public LWorkerThread
{
public:
    static constexpr DWORD kTurnMs = 1000;
    static constexpr ULONGLONG kSweepIntervalMs = 300 * 1000;

    // owner: not owned, may be null (the loop then ends at once). clock: not owned, outlives
    // the thread.
    explicit CorvessaTokenExpirationThread(CCorvessaBaseApp* owner, const IClock& clock = IClock::Process());
    ~CorvessaTokenExpirationThread() override;

    // Whether a sweep is due at the clock's steady time now, the last one (or the start)
    // having been at lastSweep. A clock that stands before lastSweep is not due.
    static bool IsSweepDue(ULONGLONG lastSweep, ULONGLONG now)
    {
        return now > lastSweep && now - lastSweep >= kSweepIntervalMs;
    }

    // The sweep loop: a turn (SweepIfDue) each kTurnMs of real time until the stop, the interval
    // counted from the start. 0 when it ends.
    UINT OnRun() override;
    // One turn of the loop: when a sweep is due at the clock's time now, the last one (or the
    // start) having been at lastSweep, sweeps (a failed sweep is logged) and sets lastSweep to
    // now, so the next waits its whole interval. True when it swept; false, lastSweep unchanged,
    // when none was due or there is no owner. Runs on the loop's thread, or on a test's for a
    // thread object not started.
    bool SweepIfDue(ULONGLONG& lastSweep);
    // Asks the loop to end; does not wait. Always TRUE.
    BOOL Stop() override;

private:
    // Waits one turn, or less when the stop is asked; true when it was.
    bool WaitForTurn();

    CCorvessaBaseApp* const m_owner;
    const IClock& m_clock;

    CheckedMutex m_lock;
    std::condition_variable m_wake;
    bool m_stop GUARDED_BY(m_lock) = false;
};
