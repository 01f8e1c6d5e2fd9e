// Win32 thread primitives on the C++ library: critical sections, events, mutexes, waits,
// Sleep and the interlocked operations.
//
// A CRITICAL_SECTION is a recursive mutex owned by the caller's object; the scoped
// `CriticalSectionLock` is the normal way to hold it. Events and mutexes are kernel objects
// behind HANDLEs (see HandleTable.h): the handle table owns them until CloseHandle, and a bad
// or closed handle answers failure with ERROR_INVALID_HANDLE, never a crash. Objects are
// process-local: names are not supported. All functions are thread-safe; failures set the
// thread's last error (GetLastError).
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/win32/WinTypes.h"

#include <mutex>
#include <optional>

// Win32 critical section: recursive for the owning thread. Not copyable or movable.
// Preconditions as on Windows: initialise before use, delete only when nobody holds it.
struct CAPABILITY("critical section") CRITICAL_SECTION
{
    CRITICAL_SECTION() = default;
    CRITICAL_SECTION(const CRITICAL_SECTION&) = delete;
    CRITICAL_SECTION& operator=(const CRITICAL_SECTION&) = delete;

    // Engaged between InitializeCriticalSection and DeleteCriticalSection.
    std::optional<std::recursive_mutex> m_mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

// Makes the section usable. Re-initialising a section that is in use is a caller fault.
void InitializeCriticalSection(LPCRITICAL_SECTION section);
// Blocks until the calling thread owns the section; re-entry by the owner nests.
// Entering a section that was never initialised throws std::bad_optional_access.
void EnterCriticalSection(LPCRITICAL_SECTION section) ACQUIRE(*section);
// TRUE when the section was free or already owned by the caller (now entered); FALSE when
// another thread holds it.
BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section) TRY_ACQUIRE(TRUE, *section);
// Leaves one level of nesting; the caller must own the section.
void LeaveCriticalSection(LPCRITICAL_SECTION section) RELEASE(*section);
// Releases the section's resources; it must be initialised again before reuse.
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// Scoped guard: enters the section at construction, leaves it at destruction.
// Lives on one thread's stack; not copyable.
class SCOPED_CAPABILITY CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CRITICAL_SECTION& section) ACQUIRE(section);
    ~CriticalSectionLock() RELEASE();
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CRITICAL_SECTION& m_section;
};

// Pseudo handles of the calling thread and process, as on Windows; CloseHandle ignores them.
HANDLE GetCurrentThread();
HANDLE GetCurrentProcess();

// An event, manual or auto reset, signalled at once when initialState is TRUE. Returns the
// new handle; null with ERROR_NOT_SUPPORTED when a name is given (objects are process-local).
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCWSTR name);
HANDLE CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
// TRUE on success; FALSE with ERROR_INVALID_HANDLE when the handle is not an open event.
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// A mutex owned by one thread at a time, recursively; owned by the caller at once when
// initialOwner is TRUE. Null with ERROR_NOT_SUPPORTED when a name is given.
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, LPCWSTR name);
// Releases one level of ownership. FALSE with ERROR_NOT_OWNER when the caller does not own
// it, ERROR_INVALID_HANDLE when the handle is not an open mutex.
BOOL ReleaseMutex(HANDLE mutex);

// Waits up to `milliseconds` (INFINITE: no limit; 0: a test) for an event or mutex.
// WAIT_OBJECT_0 when it was signalled (an auto-reset event is reset, a mutex is now owned),
// WAIT_TIMEOUT when time ran out, WAIT_FAILED with ERROR_INVALID_HANDLE for a handle that is
// not an open event or mutex.
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
// Waits for any (waitAll FALSE: WAIT_OBJECT_0 + index of the first signalled one) or all of
// 1 to MAXIMUM_WAIT_OBJECTS handles. WAIT_TIMEOUT as above; WAIT_FAILED with
// ERROR_INVALID_PARAMETER for a bad count or ERROR_INVALID_HANDLE for a bad handle.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// Closes any kernel handle. TRUE when it was open (or is a pseudo handle); FALSE with
// ERROR_INVALID_HANDLE otherwise, including a second close of the same handle.
BOOL CloseHandle(HANDLE handle);

// Suspends the calling thread; Sleep(0) yields.
void Sleep(DWORD milliseconds);

// Atomic operations on a 32-bit value that other threads reach only through these calls.
// Increment/Decrement return the new value; Exchange and CompareExchange the previous one.
LONG InterlockedIncrement(LONG volatile* target);
LONG InterlockedDecrement(LONG volatile* target);
LONG InterlockedExchange(LONG volatile* target, LONG value);
LONG InterlockedCompareExchange(LONG volatile* target, LONG exchange, LONG comparand);
