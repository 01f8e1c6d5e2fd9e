// The process-wide table behind every kernel HANDLE (events, mutexes, access tokens).
//
// A HANDLE is an opaque number that names one shared `KernelObject`; it never points at
// memory, so a stale, closed or made-up handle is looked up and answers "not found" instead
// of being dereferenced. Handle numbers are never reused within a process. The table owns a
// reference to each object until CloseHandle; a thread still using an object (a waiter) holds
// its own reference, so closing a handle under a waiter is safe. Thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

#include <memory>

// Base of everything a HANDLE can name. Subclasses keep their own state and locking.
class KernelObject
{
public:
    KernelObject() = default;
    KernelObject(const KernelObject&) = delete;
    KernelObject& operator=(const KernelObject&) = delete;
    virtual ~KernelObject() = default;
};

class HandleTable
{
public:
    // Registers the object and returns its new handle (never null, never a pseudo handle).
    static HANDLE Insert(std::shared_ptr<KernelObject> object);

    // Returns the object named by the handle, or null when the handle is not open.
    static std::shared_ptr<KernelObject> Find(HANDLE handle);

    // The object named by the handle when it is open and of type T; otherwise null.
    template <class T>
    static std::shared_ptr<T> FindAs(HANDLE handle)
    {
        return std::dynamic_pointer_cast<T>(Find(handle));
    }

    // Drops the table's reference. True when the handle was open; false when it was not.
    static bool Close(HANDLE handle);
};
