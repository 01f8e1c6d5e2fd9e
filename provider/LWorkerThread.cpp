#include "provider/LWorkerThread.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include "platform/win32/ThreadSafety.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kLWorkerThreadSource[] = L"LWorkerThread.cpp";

enum class Gate
{
    Closed,
    Open,
    Cancelled
};

}  // namespace

struct LWorkerThread::RunState
{
    CheckedMutex lock;
    std::condition_variable changed;
    Gate gate GUARDED_BY(lock) = Gate::Closed;
    bool ended GUARDED_BY(lock) = false;
    DWORD exitStatus GUARDED_BY(lock) = 0;  // valid once ended
    // The object was handed to its detached thread, which deletes it at its end.
    LWorkerThread* orphan GUARDED_BY(lock) = nullptr;
};

LWorkerThread::LWorkerThread() = default;

LWorkerThread::~LWorkerThread()
{
    // The derived part is gone, so Stop cannot be asked any more: only wait, then let go.
    ReleaseThread(true);
    AwaitEndUnlessOrphaned();
}

void LWorkerThread::JoinBeforeDestruction()
{
    if (m_thread.joinable())
    {
        Kill(0);
    }
    AwaitEndUnlessOrphaned();
}

void LWorkerThread::AwaitEndUnlessOrphaned()
{
    // A thread left running (detached) still reads this object's members until it ends.
    if (!m_state)
    {
        return;
    }
    CheckedMutexLock guard(m_state->lock);
    if (!m_state->ended && m_state->orphan == nullptr)
    {
        CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__,
                               L"Worker thread destroyed while its thread runs; waiting for it.", E_FAIL);
        guard.Wait(m_state->changed, [this]() REQUIRES(m_state->lock) { return m_state->ended; });
    }
}

void LWorkerThread::Deleter::operator()(LWorkerThread* thread) const
{
    if (thread != nullptr)
    {
        thread->Dispose();
    }
}

void LWorkerThread::Dispose()
{
    // A thread that an earlier Kill already let go is not asked to stop a second time.
    if (m_thread.joinable())
    {
        Kill(0);
    }
    if (m_state)
    {
        const CheckedMutexLock guard(m_state->lock);
        if (!m_state->ended)
        {
            // The running thread owns the object from here on.
            m_state->orphan = this;
            return;
        }
    }
    delete this;
}

BOOL LWorkerThread::Start(int priority, UINT, DWORD creationFlags, LPSECURITY_ATTRIBUTES)
{
    if (m_thread.joinable())
    {
        return FALSE;
    }
    auto state = std::make_shared<RunState>();
    try
    {
        m_thread = std::thread([this, state] { ThreadMain(state); });
    }
    catch (const std::system_error& e)
    {
        CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__,
                               CString(L"Unable to create a worker thread: ") + CString(e.what()), E_FAIL);
        return FALSE;
    }
    m_state = std::move(state);
    m_priority = priority;
    if ((creationFlags & kCreateSuspended) == 0)
    {
        ResumeThread();
    }
    return TRUE;
}

DWORD LWorkerThread::ResumeThread()
{
    if (!m_thread.joinable() || !m_state)
    {
        return 0xFFFFFFFF;
    }
    DWORD previous = 0;
    {
        const CheckedMutexLock guard(m_state->lock);
        if (m_state->gate == Gate::Closed)
        {
            m_state->gate = Gate::Open;
            previous = 1;
        }
    }
    m_state->changed.notify_all();
    return previous;
}

BOOL LWorkerThread::Kill(DWORD)
{
    m_stopGaveUp = false;
    const BOOL stopped = Stop();
    // A stop that was accepted without waiting (or a thread that ends on its own) gets the
    // polling limits; one that already waited them out, or could not stop, gets no more.
    return ReleaseThread(stopped != FALSE && !m_stopGaveUp);
}

BOOL LWorkerThread::WaitForExit(DWORD timeoutMs)
{
    if (!m_thread.joinable())
    {
        return TRUE;
    }
    {
        CheckedMutexLock guard(m_state->lock);
        const auto ended = [this]() REQUIRES(m_state->lock) { return m_state->ended; };
        if (timeoutMs == INFINITE)
        {
            guard.Wait(m_state->changed, ended);
        }
        else if (!guard.WaitFor(m_state->changed, std::chrono::milliseconds(timeoutMs), ended))
        {
            return FALSE;
        }
    }
    m_thread.join();
    return TRUE;
}

DWORD LWorkerThread::GetThreadExitCode() const
{
    if (!m_state)
    {
        return 0;
    }
    const CheckedMutexLock guard(m_state->lock);
    return m_state->ended ? m_state->exitStatus : kStillActive;
}

void LWorkerThread::SetStopPolling(DWORD intervalMs, int maxPolls)
{
    m_pollIntervalMs = intervalMs;
    m_maxPolls = maxPolls < 1 ? 1 : maxPolls;
}

BOOL LWorkerThread::IsRunning()
{
    return GetThreadExitCode() == kStillActive ? TRUE : FALSE;
}

BOOL LWorkerThread::OnStartup()
{
    return TRUE;
}

UINT LWorkerThread::OnShutdown()
{
    return 0;
}

BOOL LWorkerThread::Stop()
{
    return FALSE;
}

int LWorkerThread::OnError(int)
{
    return 0;
}

BOOL LWorkerThread::WaitForStopped()
{
    m_stopGaveUp = !WaitForEnd(m_pollIntervalMs, m_maxPolls);
    return m_stopGaveUp ? FALSE : TRUE;
}

void LWorkerThread::ThreadMain(const std::shared_ptr<RunState>& state)
{
    bool cancelled = false;
    {
        CheckedMutexLock guard(state->lock);
        guard.Wait(state->changed, [&state]() REQUIRES(state->lock) { return state->gate != Gate::Closed; });
        cancelled = state->gate == Gate::Cancelled;
    }
    const DWORD status = cancelled ? 0 : RunSequence();
    LWorkerThread* orphan = nullptr;
    {
        const CheckedMutexLock guard(state->lock);
        state->ended = true;
        state->exitStatus = status;
        orphan = state->orphan;
    }
    state->changed.notify_all();
    // The owner let go of the object while this thread ran: it goes with the thread. The
    // state lives on through this thread's own reference.
    delete orphan;
}

DWORD LWorkerThread::RunSequence()
{
    // An exception must not leave the thread: std::thread would end the process.
    try
    {
        if (OnStartup() && OnRun() == 0)
        {
            return OnShutdown();
        }
        OnError(m_exitCode.load());
        OnShutdown();
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__, L"Worker thread ended by an exception.", e.GetHResult(),
                               nullptr, &e);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__, L"Worker thread ended by an exception.", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__, L"Worker thread ended by an unknown exception.", E_FAIL);
    }
    return static_cast<DWORD>(m_exitCode.load());
}

bool LWorkerThread::WaitForEnd(DWORD intervalMs, int polls) const
{
    if (!m_state)
    {
        return true;
    }
    CheckedMutexLock guard(m_state->lock);
    for (int poll = 0; poll < polls; ++poll)
    {
        if (guard.WaitFor(m_state->changed, std::chrono::milliseconds(intervalMs),
                          [this]() REQUIRES(m_state->lock) { return m_state->ended; }))
        {
            return true;
        }
    }
    return m_state->ended;
}

BOOL LWorkerThread::ReleaseThread(bool mayWait)
{
    if (!m_thread.joinable())
    {
        return TRUE;
    }
    bool atGate = false;
    {
        // A thread still at its gate is let out without running anything, so it ends at once.
        const CheckedMutexLock guard(m_state->lock);
        atGate = m_state->gate == Gate::Closed;
        if (atGate)
        {
            m_state->gate = Gate::Cancelled;
        }
    }
    m_state->changed.notify_all();
    if (atGate || WaitForEnd(0, 1) || (mayWait && WaitForEnd(m_pollIntervalMs, m_maxPolls)))
    {
        m_thread.join();
        return TRUE;
    }
    CWMIDebugLog::LogError(kLWorkerThreadSource, __LINE__, L"Worker thread did not stop; it is left running.", E_FAIL);
    m_thread.detach();
    return FALSE;
}
