// CCorvessaAutoCS: the scoped lock the bus front end takes around its shared maps. It enters the
// critical section at construction and leaves it at destruction, whatever way the scope is
// left. Holds only the section's address; the section must outlive it.
#pragma once

#include "platform/win32/Threading.h"

class SCOPED_CAPABILITY CCorvessaAutoCS
{
public:
    explicit CCorvessaAutoCS(CRITICAL_SECTION* section) ACQUIRE(*section) : m_section(section)
    {
        EnterCriticalSection(section);
    }
    virtual ~CCorvessaAutoCS() RELEASE() { LeaveCriticalSection(m_section); }
    CCorvessaAutoCS(const CCorvessaAutoCS&) = delete;
    CCorvessaAutoCS& operator=(const CCorvessaAutoCS&) = delete;

private:
    CRITICAL_SECTION* m_section;
};
