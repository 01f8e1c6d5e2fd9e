#include "Libraries/OstrumCore/Source/Platform/Thread.h"

#include "Libraries/OstrumCore/Source/Platform/Runnable.h"

#include <chrono>

namespace ostrum {

namespace {

// Thrown by stop on the thread itself and caught by the thread procedure: the thread's end.
struct ThreadExit
{
};

}  // namespace

Thread::Thread() : Thread(nullptr, std::string()) {}

Thread::Thread(Runnable* runnable) : Thread(runnable, std::string()) {}

Thread::Thread(Runnable* runnable, std::string name)
    : m_runnable(runnable), m_name(std::move(name)), m_thread([this] { threadProc(); })
{
}

Thread::~Thread()
{
    {
        CheckedMutexLock guard(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    waitForEnd(INFINITE);
}

void Thread::threadProc()
{
    bool work = false;
    {
        CheckedMutexLock guard(m_lock);
        guard.Wait(m_changed, [this]() REQUIRES(m_lock) { return m_suspendCount == 0 || m_stopping; });
        // A thread let go before the stop came does its work; one never let go does none.
        work = m_suspendCount == 0;
        m_running = work;
    }
    if (work)
    {
        try
        {
            run();
        }
        catch (const ThreadExit&)
        {
        }
    }
    {
        CheckedMutexLock guard(m_lock);
        m_ended = true;
    }
    m_changed.notify_all();
}

void Thread::start()
{
    {
        CheckedMutexLock guard(m_lock);
        m_started = true;
    }
    resume();
}

void Thread::run()
{
    if (m_runnable != nullptr)
    {
        m_runnable->run();
    }
}

void Thread::suspend()
{
    CheckedMutexLock guard(m_lock);
    if (!m_running && !m_ended)
    {
        ++m_suspendCount;
    }
}

void Thread::resume()
{
    {
        CheckedMutexLock guard(m_lock);
        if (m_suspendCount > 0)
        {
            --m_suspendCount;
        }
    }
    m_changed.notify_all();
}

void Thread::stop()
{
    if (std::this_thread::get_id() == m_thread.get_id())
    {
        throw ThreadExit();
    }
    {
        CheckedMutexLock guard(m_lock);
        m_stopping = true;
    }
    m_changed.notify_all();
    onStop();
    waitForEnd(INFINITE);
}

bool Thread::join(DWORD timeoutMs)
{
    if (std::this_thread::get_id() == m_thread.get_id())
    {
        return false;
    }
    return waitForEnd(timeoutMs);
}

void Thread::onStop() {}

const std::string& Thread::getName() const
{
    return m_name;
}

bool Thread::isRunning() const
{
    CheckedMutexLock guard(m_lock);
    return m_running;
}

void Thread::sleep(DWORD milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void Thread::yield()
{
    std::this_thread::yield();
}

bool Thread::waitForEnd(DWORD timeoutMs)
{
    {
        CheckedMutexLock guard(m_lock);
        const auto ended = [this]() REQUIRES(m_lock) { return m_ended; };
        if (timeoutMs == INFINITE)
        {
            guard.Wait(m_changed, ended);
        }
        else if (!guard.WaitFor(m_changed, std::chrono::milliseconds(timeoutMs), ended))
        {
            return false;
        }
    }
    // Two callers may both see the end; only one joins.
    std::lock_guard<std::mutex> reap(m_reapLock);
    if (m_thread.joinable())
    {
        m_thread.join();
    }
    return true;
}

}  // namespace ostrum
