#include "provider/CWmipUserCachePool.h"

#include <cassert>
#include <utility>

CWmipUserCacheEntry* CWmipUserCachePool::Take(const CString& sid, const EntryTest& usable)
{
    // Shared: the count is atomic, and whatever deletes entries takes the lock alone, so the
    // entry cannot go before its count is raised.
    const CheckedReaderLock guard(m_lock);
    const auto cached = m_cached.find(sid);
    if (cached == m_cached.end() || (usable && !usable(*cached->second)))
    {
        return nullptr;
    }
    cached->second->AddRef();
    return cached->second;
}

CWmipUserCacheEntry* CWmipUserCachePool::TakeOrTakeOut(const CString& sid, const EntryTest& usable)
{
    const CheckedSharedMutexLock guard(m_lock);
    const auto cached = m_cached.find(sid);
    if (cached == m_cached.end())
    {
        return nullptr;
    }
    if (!usable(*cached->second))
    {
        TakeOutLocked(cached);
        return nullptr;
    }
    cached->second->AddRef();
    return cached->second;
}

CWmipUserCacheEntry* CWmipUserCachePool::Find(const CString& sid) const
{
    const CheckedReaderLock guard(m_lock);
    const auto cached = m_cached.find(sid);
    return cached != m_cached.end() ? cached->second : nullptr;
}

bool CWmipUserCachePool::CachedEntryMatches(const CString& sid, const EntryTest& test) const
{
    const CheckedReaderLock guard(m_lock);
    const auto cached = m_cached.find(sid);
    return cached != m_cached.end() && test(*cached->second);
}

CWmipUserCacheEntry* CWmipUserCachePool::Add(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry)
{
    const CheckedSharedMutexLock guard(m_lock);
    const auto cached = m_cached.find(sid);
    if (cached != m_cached.end())
    {
        return cached->second;
    }
    return InsertLocked(sid, std::move(entry));
}

CWmipUserCacheEntry* CWmipUserCachePool::Replace(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry)
{
    const CheckedSharedMutexLock guard(m_lock);
    if (const auto cached = m_cached.find(sid); cached != m_cached.end())
    {
        TakeOutLocked(cached);
    }
    return InsertLocked(sid, std::move(entry));
}

bool CWmipUserCachePool::TakeOut(const CWmipUserCacheEntry* entry)
{
    const CheckedSharedMutexLock guard(m_lock);
    const auto held = m_held.find(entry);
    if (held == m_held.end() || held->second.retired)
    {
        return false;
    }
    const auto cached = m_cached.find(entry->GetSID());
    assert(cached != m_cached.end() && cached->second == entry);
    TakeOutLocked(cached);
    return true;
}

void CWmipUserCachePool::TakeOutAll()
{
    const CheckedSharedMutexLock guard(m_lock);
    while (!m_cached.empty())
    {
        TakeOutLocked(m_cached.begin());
    }
}

CWmipUserCachePool::GiveBackResult CWmipUserCachePool::GiveBack(CWmipUserCacheEntry* entry)
{
    // Shared, as Take: the count is atomic.
    const CheckedReaderLock guard(m_lock);
    if (!m_held.contains(entry))
    {
        return GiveBackResult::NotHeld;
    }
    return entry->Release() < 0 ? GiveBackResult::OverReleased : GiveBackResult::Released;
}

void CWmipUserCachePool::Purge(const EntryTest& expired)
{
    const CheckedSharedMutexLock guard(m_lock);
    for (auto held = m_held.begin(); held != m_held.end();)
    {
        const CWmipUserCacheEntry& entry = *held->second.entry;
        const bool goes = entry.GetUseCount() <= 0 && (held->second.retired || (expired && expired(entry)));
        if (!goes)
        {
            ++held;
            continue;
        }
        if (!held->second.retired)
        {
            m_cached.erase(entry.GetSID());
        }
        held = m_held.erase(held);
    }
}

CAcsUser::StoredState CWmipUserCachePool::CompareWithStored(const CWmipUserCacheEntry& entry, CBntDatabase* database)
{
    const CAcsUser* user = entry.GetUser();
    if (user == nullptr)
        return CAcsUser::StoredState::Gone;
    return database != nullptr ? user->CheckStoredUser(*database) : user->CheckStoredUser();
}

void CWmipUserCachePool::TakeOutLocked(std::map<CString, CWmipUserCacheEntry*>::iterator cached)
{
    const auto held = m_held.find(cached->second);
    m_cached.erase(cached);
    if (held->second.entry->GetUseCount() > 0)
    {
        held->second.retired = true;
    }
    else
    {
        m_held.erase(held);
    }
}

CWmipUserCacheEntry* CWmipUserCachePool::InsertLocked(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry)
{
    // The pool keys the entry: its SID is the key it is found and taken out by.
    entry->SetSID(sid);
    CWmipUserCacheEntry* const added = entry.get();
    [[maybe_unused]] const bool inserted = m_cached.emplace(sid, added).second;
    assert(inserted);
    m_held.emplace(added, Held{std::move(entry), false});
    return added;
}

std::size_t CWmipUserCachePool::CachedCount() const
{
    const CheckedReaderLock guard(m_lock);
    return m_cached.size();
}

std::size_t CWmipUserCachePool::RetiredCount() const
{
    const CheckedReaderLock guard(m_lock);
    return m_held.size() - m_cached.size();
}
