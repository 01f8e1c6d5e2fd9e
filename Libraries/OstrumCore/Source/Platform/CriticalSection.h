// The library's lock: a critical section, recursive for the owning thread, and its scoped
// guard.
//
// The section lives on the heap so that the object's address may change owners' layouts
// freely; it is neither copyable nor movable. enter/leave are thread-safe; the guard is the
// normal way to hold the section.
#pragma once

#include "platform/win32/ThreadSafety.h"

#include <memory>

struct CRITICAL_SECTION;

namespace ostrum {

class CAPABILITY("critical section") CriticalSection
{
public:
    CriticalSection();
    ~CriticalSection();
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    // Blocks until the calling thread owns the section; re-entry by the owner nests.
    void enter() ACQUIRE();
    // Leaves one level; the caller must own the section.
    void leave() RELEASE();

private:
    std::unique_ptr<CRITICAL_SECTION> m_section;
};

// Enters the section at construction and leaves it at destruction; lives on one stack.
class SCOPED_CAPABILITY CriticalSectionLock
{
public:
    explicit CriticalSectionLock(CriticalSection* section) ACQUIRE(section);
    ~CriticalSectionLock() RELEASE();
    CriticalSectionLock(const CriticalSectionLock&) = delete;
    CriticalSectionLock& operator=(const CriticalSectionLock&) = delete;

private:
    CriticalSection* m_section;
};

}  // namespace ostrum
