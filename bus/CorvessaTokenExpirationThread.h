// CorvessaTokenExpirationThread: the bus front end's one background thread. Every 300 turns
// of one second it asks the application object to sweep out the session tokens that have
// outlived their lifetime.
//
// Owned by the CCorvessaBaseApp it sweeps, which starts it at construction and stops and
// joins it (Kill) before its token maps go. Stop may be called from any thread; the loop
// wakes at once and ends after the sweep under way, if any.
#pragma once

#include <condition_variable>
#include <mutex>

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"
#include "provider/LWorkerThread.h"

class CCorvessaBaseApp;

class CorvessaTokenExpirationThread : public LWorkerThread
{
public:
    static constexpr DWORD kTurnMs = 1000;
    static constexpr int kTurnsPerSweep = 300;

    // owner: not owned, may be null (the loop then ends at once).
    explicit CorvessaTokenExpirationThread(CCorvessaBaseApp* owner);
    ~CorvessaTokenExpirationThread() override;

    // The sweep loop; 0 when it ends.
    UINT OnRun() override;
    // Asks the loop to end; does not wait. Always TRUE.
    BOOL Stop() override;

private:
    CCorvessaBaseApp* const m_owner;

    CheckedMutex m_lock;
    std::condition_variable m_wake;
    bool m_stop GUARDED_BY(m_lock) = false;
};
