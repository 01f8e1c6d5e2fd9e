// The library's lock: a critical section, recursive for the owning thread, initialised at
// construction and deleted at destruction. It is held through the platform's scoped
// CriticalSectionLock, like every critical section of the tree. Neither copyable nor movable.
#pragma once

#include "platform/win32/Threading.h"

namespace ostrum {

class CAPABILITY("critical section") CriticalSection : public CRITICAL_SECTION
{
public:
    CriticalSection() { InitializeCriticalSection(this); }
    ~CriticalSection() { DeleteCriticalSection(this); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
};

}  // namespace ostrum
