#include "Libraries/OstrumCore/Source/Platform/CriticalSection.h"

#include "platform/win32/Threading.h"

namespace ostrum {

CriticalSection::CriticalSection() : m_section(std::make_unique<CRITICAL_SECTION>())
{
    InitializeCriticalSection(m_section.get());
}

CriticalSection::~CriticalSection()
{
    DeleteCriticalSection(m_section.get());
}

void CriticalSection::enter()
{
    EnterCriticalSection(m_section.get());
}

void CriticalSection::leave()
{
    LeaveCriticalSection(m_section.get());
}

CriticalSectionLock::CriticalSectionLock(CriticalSection* section) : m_section(section)
{
    section->enter();
}

CriticalSectionLock::~CriticalSectionLock()
{
    m_section->leave();
}

}  // namespace ostrum
