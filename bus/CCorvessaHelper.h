// CCorvessaHelper: the bus front end's static helpers. CCorvessaAutoCS is the scoped lock the
// front end takes around its shared maps.
#pragma once

#include "platform/win32/Threading.h"

class CCorvessaHelper {
public:
    CCorvessaHelper() = delete;

    // Enters the critical section at construction and leaves it at destruction, whatever way
    // the scope is left. Holds only the section's address; the section must outlive it.
    class CCorvessaAutoCS {
    public:
        explicit CCorvessaAutoCS(CRITICAL_SECTION* section) : m_section(section) { EnterCriticalSection(m_section); }
        virtual ~CCorvessaAutoCS() { LeaveCriticalSection(m_section); }
        CCorvessaAutoCS(const CCorvessaAutoCS&) = delete;
        CCorvessaAutoCS& operator=(const CCorvessaAutoCS&) = delete;

    private:
        CRITICAL_SECTION* m_section;
    };
};
