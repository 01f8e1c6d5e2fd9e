// Lock contracts the compiler checks. Under clang (-Wthread-safety) a member declared
// GUARDED_BY(m_lock) may only be touched while m_lock is held, a function declared
// REQUIRES(m_lock) only be called with it held, and a missing lock fails the build; other
// compilers see plain mutexes and the macros expand to nothing.
//
// `CheckedMutex`, `CheckedRecursiveMutex` and `CheckedSharedMutex` are the annotated locks.
// They are taken only through their scoped guards, so every hold is visible to the analysis:
// `CheckedMutexLock`, `CheckedRecursiveMutexLock` and `CheckedSharedMutexLock` hold one alone
// for a scope, may let it go early (Unlock), take it again (Lock) and wait on a condition
// variable with it; `CheckedReaderLock` holds a shared mutex shared.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <shared_mutex>

#if defined(__clang__)
#define PROVIXA_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define PROVIXA_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) PROVIXA_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY PROVIXA_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) PROVIXA_THREAD_ANNOTATION(guarded_by(x))
#define REQUIRES(...) PROVIXA_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) PROVIXA_THREAD_ANNOTATION(requires_shared_capability(__VA_ARGS__))
#define ACQUIRE(...) PROVIXA_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) PROVIXA_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define RELEASE(...) PROVIXA_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) PROVIXA_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define NO_THREAD_SAFETY_ANALYSIS PROVIXA_THREAD_ANNOTATION(no_thread_safety_analysis)

template <class Native>
class BasicLock;

// A standard mutex the analysis can follow. Not copyable or movable.
template <class Native>
class CAPABILITY("mutex") BasicMutex
{
public:
    BasicMutex() = default;
    BasicMutex(const BasicMutex&) = delete;
    BasicMutex& operator=(const BasicMutex&) = delete;

protected:
    friend class BasicLock<Native>;
    Native m_native;
};

// Holds a BasicMutex alone from construction to destruction, unless let go early.
template <class Native>
class SCOPED_CAPABILITY BasicLock
{
public:
    explicit BasicLock(BasicMutex<Native>& mutex) ACQUIRE(mutex) : m_lock(mutex.m_native) {}
    ~BasicLock() RELEASE() {}
    BasicLock(const BasicLock&) = delete;
    BasicLock& operator=(const BasicLock&) = delete;

    void Unlock() RELEASE() { m_lock.unlock(); }
    void Lock() ACQUIRE() { m_lock.lock(); }

    // Blocks on `condition` with the lock given up until `deadline`; holds it again on return.
    template <class Condition, class Clock, class Duration>
    std::cv_status WaitUntil(Condition& condition, const std::chrono::time_point<Clock, Duration>& deadline)
    {
        return condition.wait_until(m_lock, deadline);
    }
    // Blocks until `ready` holds; the predicate runs with the lock held, which the analysis
    // cannot see through the standard wait: declare it REQUIRES(the mutex) so that its body is
    // checked all the same.
    template <class Condition, class Predicate>
    void Wait(Condition& condition, Predicate ready) NO_THREAD_SAFETY_ANALYSIS
    {
        condition.wait(m_lock, ready);
    }
    // The same, for at most `limit`; answers `ready`.
    template <class Condition, class Rep, class Period, class Predicate>
    bool WaitFor(Condition& condition, const std::chrono::duration<Rep, Period>& limit,
                 Predicate ready) NO_THREAD_SAFETY_ANALYSIS
    {
        return condition.wait_for(m_lock, limit, ready);
    }

private:
    std::unique_lock<Native> m_lock;
};

using CheckedMutex = BasicMutex<std::mutex>;
using CheckedMutexLock = BasicLock<std::mutex>;
using CheckedRecursiveMutex = BasicMutex<std::recursive_mutex>;
using CheckedRecursiveMutexLock = BasicLock<std::recursive_mutex>;

// A mutex that many readers may hold at once, or one writer.
class CAPABILITY("mutex") CheckedSharedMutex : public BasicMutex<std::shared_mutex>
{
    friend class CheckedReaderLock;
};
using CheckedSharedMutexLock = BasicLock<std::shared_mutex>;

class SCOPED_CAPABILITY CheckedReaderLock
{
public:
    explicit CheckedReaderLock(CheckedSharedMutex& mutex) ACQUIRE_SHARED(mutex) : m_lock(mutex.m_native) {}
    ~CheckedReaderLock() RELEASE() {}
    CheckedReaderLock(const CheckedReaderLock&) = delete;
    CheckedReaderLock& operator=(const CheckedReaderLock&) = delete;

private:
    std::shared_lock<std::shared_mutex> m_lock;
};
