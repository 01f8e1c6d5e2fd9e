// ThreadSafeQueue<T>: a bounded first-in first-out queue of value copies between the threads
// that push (any number) and the one thread that pops. Pop sleeps while the queue is empty (the
// wait flag) until an element arrives or the queue is interrupted.
//
// Owned by the hardware event provider; the processor thread is its only consumer. Thread-safe:
// the list and the interrupt flag are guarded by m_lock; every wait loops on its predicate.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include <condition_variable>
#include <cstddef>
#include <list>
#include <mutex>

template <typename T>
class ThreadSafeQueue
{
public:
    // The most elements the queue holds: a consumer that has stopped must not let the pushers
    // grow it without end.
    static constexpr std::size_t kDefaultCapacity = 10000;

    explicit ThreadSafeQueue(bool wait, std::size_t capacity = kDefaultCapacity) : m_wait(wait), m_capacity(capacity) {}
    virtual ~ThreadSafeQueue() = default;
    ThreadSafeQueue(const ThreadSafeQueue&) = delete;
    ThreadSafeQueue& operator=(const ThreadSafeQueue&) = delete;

    // Appends a copy. False (nothing appended) when the queue is full.
    virtual bool Push(const T& element)
    {
        {
            const CheckedMutexLock guard(m_lock);
            if (m_elements.size() >= m_capacity)
            {
                return false;
            }
            m_elements.push_back(element);
        }
        m_available.notify_one();
        return true;
    }

    // Moves the oldest element into element: true. With the wait flag set it first waits for
    // an element; false when the queue was interrupted (or, without the wait flag, is empty).
    virtual bool Pop(T& element)
    {
        CheckedMutexLock guard(m_lock);
        if (m_wait)
        {
            guard.Wait(m_available, [this]() REQUIRES(m_lock) { return m_interrupted || !m_elements.empty(); });
        }
        if (m_interrupted || m_elements.empty())
        {
            return false;
        }
        element = std::move(m_elements.front());
        m_elements.pop_front();
        return true;
    }

    // Makes every waiting and later Pop answer false; the elements stay queued.
    void Interrupt()
    {
        {
            const CheckedMutexLock guard(m_lock);
            m_interrupted = true;
        }
        m_available.notify_all();
    }

    std::size_t GetCount() const
    {
        const CheckedMutexLock guard(m_lock);
        return m_elements.size();
    }

private:
    // Set at construction.
    const bool m_wait;
    const std::size_t m_capacity;

    mutable CheckedMutex m_lock;
    std::condition_variable m_available;
    std::list<T> m_elements GUARDED_BY(m_lock);
    bool m_interrupted GUARDED_BY(m_lock) = false;
};
