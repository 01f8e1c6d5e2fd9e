// LWorkerThread: the base of every background thread of the provider (event processors, the
// linkage-server connect thread, the bus front end's token thread, the server RPC threads).
// A derived class supplies the work loop (OnRun) and a stop request (Stop); the base runs the
// fixed start-up, run, shut-down sequence on a std::thread.
//
// The thread is created behind a gate: it exists but runs nothing until it is resumed, so a
// caller can finish setting it up first (Start resumes it unless asked for a suspended start).
// No thread is ever killed. Stopping is a stop request followed by a bounded wait: the owner
// polls for the end of the thread at a fixed interval (one second) a fixed number of times
// (60); a thread that has not ended by then is detached and logged, never terminated. A
// joinable std::thread is never destroyed.
//
// Owned by whoever constructs it (an event provider, the application object), through
// LWorkerThread::Ptr: its deleter stops the thread (Kill) and, when the thread is left running,
// hands the object to that thread, which deletes it when it ends; so a thread that did not stop
// never runs on a freed object. An owner whose thread uses more than the object itself (the
// owner, state the owner frees) does not hand it over: it destroys the object, whose
// destructor waits. Start, Stop, Kill, WaitForExit and ResumeThread run on the owning thread;
// OnStartup, OnRun, OnShutdown and OnError run on the worker thread. The run state and the
// exit codes are shared between the two and guarded internally; a derived class guards its
// own shared state. An object destroyed otherwise (on the stack, by a plain delete) stops its
// thread and waits for it, however long, before any member the thread uses goes: every
// derived class whose thread uses its members calls JoinBeforeDestruction first thing in its
// destructor, since the base destructor runs only after those members are gone.
#pragma once

#include <atomic>
#include <memory>
#include <thread>

#include "platform/win32/WinTypes.h"

class LWorkerThread
{
public:
    // Creation flag of Start: leave the thread suspended until ResumeThread.
    static constexpr DWORD kCreateSuspended = 0x00000004;
    // Exit status of a thread that has not ended yet.
    static constexpr DWORD kStillActive = 259;
    // The normal thread priority, which every caller passes.
    static constexpr int kPriorityNormal = 0;
    // The stop convention: poll for the end of the thread once a second, at most 60 times.
    static constexpr DWORD kStopPollIntervalMs = 1000;
    static constexpr int kMaxStopPolls = 60;

    // Deletes a worker thread as described above; null is ignored.
    struct Deleter
    {
        void operator()(LWorkerThread* thread) const;
    };
    template <class T>
    using Ptr = std::unique_ptr<T, Deleter>;

    LWorkerThread();
    virtual ~LWorkerThread();
    LWorkerThread(const LWorkerThread&) = delete;
    LWorkerThread& operator=(const LWorkerThread&) = delete;

    // Creates the thread suspended, records the priority and resumes it unless creationFlags
    // holds kCreateSuspended. The scheduler's default priority and stack size are used (every
    // caller asks for normal priority and the default stack); security attributes do not
    // apply. TRUE on success; FALSE when a thread of this object is still attached or the
    // thread cannot be created (nothing recorded then).
    BOOL Start(int priority = kPriorityNormal, UINT stackSize = 0, DWORD creationFlags = 0,
               LPSECURITY_ATTRIBUTES securityAttributes = nullptr);
    // Lets a suspended thread run. The previous suspend count: 1 when it was suspended, 0
    // when it was already running or has ended; 0xFFFFFFFF when there is no thread.
    DWORD ResumeThread();
    // The priority recorded by Start.
    int GetThreadPriority() const { return m_priority; }

    // Asks the thread to stop (the virtual Stop) and detaches the object from it: the thread
    // is joined when it has ended, or ends within the polling limits after a stop that was
    // accepted; otherwise it is left running (detached) and an error is logged. exitCode is
    // what a forced end would report; threads are never forced, so it is not used. TRUE when
    // the thread has ended (or there was none), FALSE when it was left running.
    BOOL Kill(DWORD exitCode);
    // Waits up to timeoutMs (INFINITE: no limit) for the thread to end and joins it. TRUE when
    // there is no thread or it ended in time; FALSE otherwise (a thread that was never resumed
    // never ends by itself).
    BOOL WaitForExit(DWORD timeoutMs);

    // The exit code member that the error path of the thread reports (0 after construction).
    int GetExitCode() const { return m_exitCode.load(); }
    void SetExitCode(int exitCode) { m_exitCode.store(exitCode); }
    // The thread's exit status: kStillActive while the last started thread has not ended, its
    // exit code once it has, 0 when none was ever started.
    DWORD GetThreadExitCode() const;

    // Replaces the stop polling limits (interval in milliseconds, number of polls); tests use
    // short intervals. A count below 1 counts as 1.
    void SetStopPolling(DWORD intervalMs, int maxPolls);

    // TRUE while the last started thread has not ended (also while it is suspended).
    virtual BOOL IsRunning();
    // The work routine; 0 is a normal end.
    virtual UINT OnRun() = 0;
    // Runs first on the thread; FALSE takes the error path without running OnRun.
    virtual BOOL OnStartup();
    // Runs last on the thread; its result is the exit code after a normal end.
    virtual UINT OnShutdown();
    // The stop request. The base cannot stop a thread and answers FALSE; a derived class
    // signals its loop, usually waits with WaitForStopped, and answers TRUE when it did stop.
    virtual BOOL Stop();
    // Called on the error path with the exit code member; the result is not used.
    virtual int OnError(int code);

protected:
    // For the destructor of a derived class, before its members go: stops a thread still
    // attached (Kill), then waits without limit (logged) for a thread that is still running
    // and was not handed to itself. Nothing to do for a thread that ended, or on the thread
    // that deletes its own object.
    void JoinBeforeDestruction();
    // The waiting half of a stop request: polls for the end of the thread within the polling
    // limits. TRUE as soon as the thread has ended (or there is none); FALSE when it is still
    // running after the last poll (the thread is then left for Kill to detach).
    BOOL WaitForStopped();

private:
    struct RunState;

    // The thread procedure: gate, then OnStartup / OnRun / OnShutdown.
    void ThreadMain(const std::shared_ptr<RunState>& state);
    DWORD RunSequence();
    // Waits on the run state up to `polls` times `intervalMs` for the end of the thread.
    bool WaitForEnd(DWORD intervalMs, int polls) const;
    // Joins an ended (or never resumed) thread, or detaches and logs one still running after
    // the optional wait. TRUE when joined.
    BOOL ReleaseThread(bool mayWait);

    // The deleter's work: Kill, then delete now or let the running thread delete the object.
    void Dispose();
    // Waits without limit for a thread that still runs on this object, unless it was handed
    // the object.
    void AwaitEndUnlessOrphaned();

    // Touched only by the owning thread.
    std::thread m_thread;
    int m_priority = kPriorityNormal;
    DWORD m_pollIntervalMs = kStopPollIntervalMs;
    int m_maxPolls = kMaxStopPolls;
    bool m_stopGaveUp = false;  // the last WaitForStopped ran out of polls

    // Shared with the worker thread; the thread holds its own reference, so a detached thread
    // never writes to freed state.
    std::shared_ptr<RunState> m_state;
    std::atomic<int> m_exitCode{0};
};
