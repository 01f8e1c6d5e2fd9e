#include "bus/CorvessaTokenExpirationThread.h"

#include <chrono>

#include "bus/CCorvessaBaseApp.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/ModuleState.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kCorvessaTokenExpirationThreadSource[] = L"CorvessaTokenExpirationThread";

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
    ULONGLONG lastSweep = m_clock.GetTickCount64();
    while (!WaitForTurn())
    {
        SweepIfDue(lastSweep);
    }
    return 0;
}

bool CorvessaTokenExpirationThread::WaitForTurn()
{
    CheckedMutexLock guard(m_lock);
    return guard.WaitFor(m_wake, std::chrono::milliseconds(kTurnMs), [this]() REQUIRES(m_lock) { return m_stop; });
}

bool CorvessaTokenExpirationThread::SweepIfDue(ULONGLONG& lastSweep)
{
    const ULONGLONG now = m_clock.GetTickCount64();
    if (m_owner == nullptr || !IsSweepDue(lastSweep, now))
    {
        return false;
    }
    lastSweep = now;
    try
    {
        m_owner->Sessions().RemoveStaleAuthenticationTokens();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kCorvessaTokenExpirationThreadSource, __LINE__, L"The session token sweep failed.",
                               E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kCorvessaTokenExpirationThreadSource, __LINE__, L"The session token sweep failed.",
                               E_FAIL);
    }
    return true;
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
