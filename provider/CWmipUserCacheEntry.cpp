#include "provider/CWmipUserCacheEntry.h"

#include <optional>

CWmipUserCacheEntry::CWmipUserCacheEntry(std::unique_ptr<CAcsUser> user, CRITICAL_SECTION* entryLock,
                                         ULONGLONG creationTick)
    : m_user(std::move(user)), m_entryLock(entryLock), m_creationTick(creationTick)
{
}

CWmipUserCacheEntry::~CWmipUserCacheEntry() = default;

int CWmipUserCacheEntry::AddRef()
{
    std::optional<CriticalSectionLock> guard;
    if (m_entryLock != nullptr) {
        guard.emplace(*m_entryLock);
    }
    return ++m_useCount;
}

int CWmipUserCacheEntry::Release()
{
    std::optional<CriticalSectionLock> guard;
    if (m_entryLock != nullptr) {
        guard.emplace(*m_entryLock);
    }
    return --m_useCount;
}
