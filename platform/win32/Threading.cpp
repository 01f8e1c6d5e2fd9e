#include "platform/win32/Threading.h"

#include "platform/win32/HandleTable.h"
#include "platform/win32/SystemInfo.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <thread>
#include <vector>

namespace {

// One lock and one condition for every event and mutex: a wait on several objects then needs
// no per-object bookkeeping. Every state change wakes all waiters and each re-checks its own
// predicate; the system has few waiting threads, so the broadcast costs little.
struct WaitState
{
    CheckedMutex m_lock;
    std::condition_variable m_changed;
};

// Kept alive past static destruction: a detached thread may still be waiting at exit.
union ImmortalWaitState
{
    WaitState m_state;
    ImmortalWaitState() : m_state() {}
    ~ImmortalWaitState() {}
};

WaitState& Waits()
{
    static ImmortalWaitState waits;
    return waits.m_state;
}

// Something a thread can wait for. Both operations are called with the wait lock held.
class Waitable : public KernelObject
{
public:
    virtual bool IsSignalledFor(DWORD threadId) const = 0;
    // Consumes the signal on behalf of the thread whose wait it satisfied.
    virtual void Acquire(DWORD threadId) = 0;
};

// A Win32 event: signalled until reset (manual reset) or until one wait consumes it.
class Event final : public Waitable
{
public:
    Event(bool manualReset, bool signalled) : m_manualReset(manualReset), m_signalled(signalled) {}

    bool IsSignalledFor(DWORD) const override { return m_signalled; }
    void Acquire(DWORD) override
    {
        if (!m_manualReset)
            m_signalled = false;
    }
    void Set() { m_signalled = true; }
    void Reset() { m_signalled = false; }

private:
    // Set at construction.
    const bool m_manualReset;
    // Guarded by the wait lock.
    bool m_signalled;
};

// A Win32 mutex: owned by one thread, which may take it again; free when every level is
// released.
class Mutex final : public Waitable
{
public:
    bool IsSignalledFor(DWORD threadId) const override { return m_owner == 0 || m_owner == threadId; }
    void Acquire(DWORD threadId) override
    {
        m_owner = threadId;
        ++m_depth;
    }
    // False when the thread does not own the mutex.
    bool Release(DWORD threadId)
    {
        if (m_owner != threadId || m_depth == 0)
            return false;
        if (--m_depth == 0)
            m_owner = 0;
        return true;
    }

private:
    // Guarded by the wait lock. Owner 0: free (no thread has id 0).
    DWORD m_owner = 0;
    DWORD m_depth = 0;
};

// Pseudo handles: the Windows values -1 (process) and -2 (thread).
HANDLE PseudoHandle(std::intptr_t value)
{
    return reinterpret_cast<HANDLE>(value);
}

bool IsPseudoHandle(HANDLE handle)
{
    return handle == GetCurrentProcess() || handle == GetCurrentThread();
}

BOOL Fail(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

HANDLE CreateEventObject(bool manualReset, bool initialState, bool named)
{
    if (named)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return HandleTable::Insert(std::make_shared<Event>(manualReset, initialState));
}

// Runs `change` on the event under the wait lock and wakes the waiters.
template <class Change>
BOOL ChangeEvent(HANDLE handle, Change change)
{
    const std::shared_ptr<Event> event = HandleTable::FindAs<Event>(handle);
    if (!event)
        return Fail(ERROR_INVALID_HANDLE);
    WaitState& waits = Waits();
    {
        const CheckedMutexLock guard(waits.m_lock);
        change(*event);
    }
    waits.m_changed.notify_all();
    return TRUE;
}

DWORD WaitFor(const std::vector<std::shared_ptr<Waitable>>& objects, bool waitAll, DWORD milliseconds)
{
    const DWORD self = GetCurrentThreadId();
    std::size_t ready = 0;
    const auto isReady = [&] {
        if (waitAll)
        {
            return std::all_of(objects.begin(), objects.end(),
                               [&](const auto& object) { return object->IsSignalledFor(self); });
        }
        for (std::size_t index = 0; index < objects.size(); ++index)
        {
            if (objects[index]->IsSignalledFor(self))
            {
                ready = index;
                return true;
            }
        }
        return false;
    };

    WaitState& waits = Waits();
    CheckedMutexLock lock(waits.m_lock);
    if (milliseconds == INFINITE)
    {
        lock.Wait(waits.m_changed, isReady);
    }
    else if (!lock.WaitFor(waits.m_changed, std::chrono::milliseconds(milliseconds), isReady))
    {
        return WAIT_TIMEOUT;
    }
    if (waitAll)
    {
        for (const auto& object : objects)
            object->Acquire(self);
        return WAIT_OBJECT_0;
    }
    objects[ready]->Acquire(self);
    return WAIT_OBJECT_0 + static_cast<DWORD>(ready);
}

std::atomic_ref<LONG> AtomicView(LONG volatile* target)
{
    // The interlocked functions are the only access other threads make, so viewing the
    // volatile object through atomic_ref is the intended use.
    return std::atomic_ref<LONG>(*const_cast<LONG*>(target));
}

// The new value after an atomic add, wrapping at 32 bits like the atomic itself.
LONG WrappingAdd(LONG previous, LONG delta)
{
    return static_cast<LONG>(static_cast<std::uint32_t>(previous) + static_cast<std::uint32_t>(delta));
}

}  // namespace

void InitializeCriticalSection(LPCRITICAL_SECTION section)
{
    section->m_mutex.emplace();
}

// The primitive itself: the analysis cannot see into the standard mutex it wraps.
void EnterCriticalSection(LPCRITICAL_SECTION section) NO_THREAD_SAFETY_ANALYSIS
{
    section->m_mutex.value().lock();
}

// The primitive itself: the analysis cannot see into the standard mutex it wraps.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) NO_THREAD_SAFETY_ANALYSIS
{
    return section->m_mutex.value().try_lock() ? TRUE : FALSE;
}

// The primitive itself: the analysis cannot see into the standard mutex it wraps.
void LeaveCriticalSection(LPCRITICAL_SECTION section) NO_THREAD_SAFETY_ANALYSIS
{
    section->m_mutex.value().unlock();
}

void DeleteCriticalSection(LPCRITICAL_SECTION section)
{
    section->m_mutex.reset();
}

CriticalSectionLock::CriticalSectionLock(CRITICAL_SECTION& section) : m_section(section)
{
    EnterCriticalSection(&section);
}

CriticalSectionLock::~CriticalSectionLock()
{
    LeaveCriticalSection(&m_section);
}

HANDLE GetCurrentThread()
{
    return PseudoHandle(-2);
}

HANDLE GetCurrentProcess()
{
    return PseudoHandle(-1);
}

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    return CreateEventObject(manualReset != FALSE, initialState != FALSE, name != nullptr && *name != L'\0');
}

HANDLE CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name)
{
    return CreateEventObject(manualReset != FALSE, initialState != FALSE, name != nullptr && *name != '\0');
}

BOOL SetEvent(HANDLE event)
{
    return ChangeEvent(event, [](Event& target) { target.Set(); });
}

BOOL ResetEvent(HANDLE event)
{
    return ChangeEvent(event, [](Event& target) { target.Reset(); });
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES, BOOL initialOwner, LPCWSTR name)
{
    if (name != nullptr && *name != L'\0')
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto mutex = std::make_shared<Mutex>();
    if (initialOwner)
    {
        const CheckedMutexLock guard(Waits().m_lock);
        mutex->Acquire(GetCurrentThreadId());
    }
    SetLastError(ERROR_SUCCESS);
    return HandleTable::Insert(std::move(mutex));
}

BOOL ReleaseMutex(HANDLE handle)
{
    const std::shared_ptr<Mutex> mutex = HandleTable::FindAs<Mutex>(handle);
    if (!mutex)
        return Fail(ERROR_INVALID_HANDLE);
    WaitState& waits = Waits();
    {
        const CheckedMutexLock guard(waits.m_lock);
        if (!mutex->Release(GetCurrentThreadId()))
            return Fail(ERROR_NOT_OWNER);
    }
    waits.m_changed.notify_all();
    return TRUE;
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &handle, FALSE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || handles == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    std::vector<std::shared_ptr<Waitable>> objects;
    objects.reserve(count);
    for (DWORD index = 0; index < count; ++index)
    {
        auto object = HandleTable::FindAs<Waitable>(handles[index]);
        if (!object)
        {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        objects.push_back(std::move(object));
    }
    return WaitFor(objects, waitAll != FALSE, milliseconds);
}

BOOL CloseHandle(HANDLE handle)
{
    if (IsPseudoHandle(handle))
        return TRUE;
    return HandleTable::Close(handle) ? TRUE : Fail(ERROR_INVALID_HANDLE);
}

void Sleep(DWORD milliseconds)
{
    if (milliseconds == 0)
    {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE)
    {
        for (;;)
            std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

LONG InterlockedIncrement(LONG volatile* target)
{
    return WrappingAdd(AtomicView(target).fetch_add(1), 1);
}

LONG InterlockedDecrement(LONG volatile* target)
{
    return WrappingAdd(AtomicView(target).fetch_sub(1), -1);
}

LONG InterlockedExchange(LONG volatile* target, LONG value)
{
    return AtomicView(target).exchange(value);
}

LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand)
{
    AtomicView(target).compare_exchange_strong(comparand, exchange);
    return comparand;
}
