#include "bus/CorvessaTokenExpirationThread.h"

#include <chrono>

#include "bus/CCorvessaBaseApp.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/ModuleState.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CorvessaTokenExpirationThread";

}  // namespace

CorvessaTokenExpirationThread::CorvessaTokenExpirationThread(CCorvessaBaseApp* owner, const IClock& clock)
    : m_owner(owner), m_clock(clock)
{
}

CorvessaTokenExpirationThread::~CorvessaTokenExpirationThread()
{
    // A sweep under way uses the owner and then this object's lock: both must still stand.
    JoinBeforeDestruction();
}

UINT CorvessaTokenExpirationThread::OnRun()
{
    if (m_owner == nullptr)
    {
        return 0;
    }
    // The sweep reaches the user cache through the application object: its owner's, whichever
    // object the process takes as current.
    const CModuleStateSwitch current(m_owner);
    CheckedMutexLock guard(m_lock);
    ULONGLONG lastSweep = m_clock.GetTickCount64();
    for (;;)
    {
        if (guard.WaitFor(m_wake, std::chrono::milliseconds(kTurnMs), [this]() REQUIRES(m_lock) { return m_stop; }))
        {
            return 0;
        }
        const ULONGLONG now = m_clock.GetTickCount64();
        if (!IsSweepDue(lastSweep, now))
        {
            continue;
        }
        lastSweep = now;
        // The sweep runs without the stop lock, so a stop request never waits for it.
        guard.Unlock();
        try
        {
            m_owner->Sessions().RemoveStaleAuthenticationTokens();
        }
        catch (const CException& e)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"The session token sweep failed.", E_FAIL, &e);
        }
        catch (...)
        {
            CWMIDebugLog::LogError(kSource, __LINE__, L"The session token sweep failed.", E_FAIL);
        }
        guard.Lock();
    }
}

BOOL CorvessaTokenExpirationThread::Stop()
{
    {
        const CheckedMutexLock guard(m_lock);
        m_stop = true;
    }
    m_wake.notify_all();
    return TRUE;
}
