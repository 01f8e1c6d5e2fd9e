// CWmipUserCacheEntry: one logged-in system user (CAcsUser) of the user cache, keyed by the
// caller's SID text, with the use count that every request raises while it works for the
// user (AddRef) and lowers when it is done (Release).
//
// Owned by the CWmipUserCache that created it (or by a derived cache); the entry owns its
// user. Release never frees the entry: the cache decides when an unused entry goes. The use
// count is guarded by the cache's one entry lock, which every entry of a cache shares (an
// entry without one counts without a lock); GetUseCount reads without the lock. The SID text
// is set once by the cache before the entry is handed out and only read afterwards.
#pragma once

#include <atomic>
#include <memory>

#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"

class CBntAssignedAcLvlList;

class CWmipUserCacheEntry {
public:
    // Takes ownership of the logged-in user. entryLock: the cache's shared entry lock, not
    // owned, may be null. creationTick: the cache clock's time of creation in milliseconds.
    CWmipUserCacheEntry(std::unique_ptr<CAcsUser> user, CRITICAL_SECTION* entryLock, ULONGLONG creationTick);
    ~CWmipUserCacheEntry();
    // Copies would share (and delete twice) the user.
    CWmipUserCacheEntry(const CWmipUserCacheEntry&) = delete;
    CWmipUserCacheEntry& operator=(const CWmipUserCacheEntry&) = delete;

    // The user; valid while the entry lives.
    CAcsUser* GetUser() const { return m_user.get(); }
    // The key under which the cache keeps the entry (empty until the cache sets it).
    const CString& GetSID() const { return m_sid; }
    void SetSID(const CString& sid) { m_sid = sid; }
    // When the entry was created, on the clock of the cache that created it.
    ULONGLONG GetCreationTick() const { return m_creationTick; }

    // Raise or lower the use count under the entry lock; the new count. A count below 0
    // means more releases than takes; the cache reports it.
    int AddRef();
    int Release();
    // The current count, read without the lock.
    int GetUseCount() const { return m_useCount.load(); }

    // True when the added level (or levels) may join the badge's assigned levels: no Onity/ILS
    // lock reader (OFFLINE_LOCK_READER) is granted by two of the levels. False refuses the
    // assignment; false as well when the user's database cannot be read (logged).
    // (CWmipUserCacheEntryLockOverlap.cpp)
    bool CanOnityILSLevelBeAssigned(CBntAssignedAcLvlList& assigned, LONG accessLevelId);
    bool CanOnityILSLevelBeAssigned(CBntAssignedAcLvlList& assigned, CBntAssignedAcLvlList& added);

protected:
    // Gives up ownership of the user (for an entry that only wraps a user owned elsewhere).
    CAcsUser* ReleaseUser() { return m_user.release(); }

private:
    // Set at construction.
    std::unique_ptr<CAcsUser> m_user;
    CRITICAL_SECTION* const m_entryLock;
    const ULONGLONG m_creationTick;

    CString m_sid;
    std::atomic<int> m_useCount{0};  // changed under *m_entryLock
};
