// A thread created suspended that runs `run` (by default the Runnable's work) once started.
//
// The thread exists from construction but does nothing until `start`; a thread never started
// runs nothing. `stop` asks it to end (the onStop hook tells the work) and waits for it;
// called on the thread itself it ends the thread at once by unwinding out of `run`. A thread
// is never killed and never left behind: the destructor stops and joins it too, but since a
// derived class's parts are gone by then, a derived class calls `stop` in its own destructor.
// The object must not be destroyed by its own thread. start, stop, join, suspend and resume
// are thread-safe. Not copyable.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace ostrum {

class Runnable;

class Thread
{
public:
    Thread();
    explicit Thread(Runnable* runnable);
    Thread(Runnable* runnable, std::string name);
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Lets the thread begin its work (once its suspensions are resumed).
    virtual void start();
    // The thread's work: the Runnable's, when there is one.
    virtual void run();
    // Holds the thread back before it begins its work; threads are not paused preemptively
    // here, so a thread already at work carries on.
    virtual void suspend();
    // Undoes one suspension (or the suspension of creation).
    virtual void resume();
    // Marks the thread stopping, calls onStop and waits until the thread has ended; a thread
    // not started yet will never run. On the thread itself: ends the thread at once.
    virtual void stop();
    // True when the thread has ended within `timeoutMs` (INFINITE: no limit).
    virtual bool join(DWORD timeoutMs);
    // Called by stop before it waits; tells the work to end. Empty by default.
    virtual void onStop();

    const std::string& getName() const;
    // Whether the thread began its work.
    bool isRunning() const;

    static void sleep(DWORD milliseconds);
    static void yield();

private:
    void threadProc();
    // Waits until the thread has ended and reaps it; false when time ran out.
    bool waitForEnd(DWORD timeoutMs);

    // Set at construction.
    Runnable* m_runnable = nullptr;
    std::string m_name;

    mutable CheckedMutex m_lock;
    std::condition_variable m_changed;
    int m_suspendCount GUARDED_BY(m_lock) = 1;
    bool m_started GUARDED_BY(m_lock) = false;
    bool m_stopping GUARDED_BY(m_lock) = false;
    bool m_running GUARDED_BY(m_lock) = false;
    bool m_ended GUARDED_BY(m_lock) = false;

    // Serialises the join of m_thread.
    std::mutex m_reapLock;

    // Declared last: the thread starts once every member above exists.
    std::thread m_thread;
};

}  // namespace ostrum
