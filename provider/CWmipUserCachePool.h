// CWmipUserCachePool: the entries of one user cache (CWmipUserCache, and the bus's
// CCorvessaUserCache, which keeps its entries in its base's pool): the cached entry of each SID
// text, and the entries retired while requests still held them. It hands entries out with
// their use count raised, takes them back, takes an entry out (retired while in use, deleted
// otherwise), purges what no request holds any more, and compares an entry's user with the
// stored one. When an entry goes, and how old it may grow, is the cache's to decide: it passes
// its rule in as an EntryTest.
//
// Owned by its cache, one per cache. Thread-safe. The locking rule of both user caches:
// - The pool lock (readers share it) guards the cached and the retired entries. Each operation
//   below takes it for itself and lets it go before it returns, so it is never held across a
//   login, a database read or a call out of the pool (an EntryTest runs under it: it reads
//   the entry and the clock, nothing more). Lookups and give-backs share it; adding, replacing,
//   taking out and purging take it alone.
// - What a cache decides about a SID from the database (a login, a renewal after the user's
//   rights changed, taking the entry out when its session ends) runs under the cache's login
//   lock (CWmipUserCache::m_loginLock), taken before the pool lock and never while it is held:
//   two such decisions never interleave, and lookups of cached users go on meanwhile.
// - The entries' own state is guarded by the cache's entry lock, taken after both.
// - Use counts are atomic. An entry handed out stays valid while its count is raised: the pool
//   deletes an entry only while its count is 0 or below (a retired one, or a cached one the
//   purge's test selects), and never one it does not hold.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>

#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/mfc/CString.h"
#include "platform/win32/ThreadSafety.h"
#include "provider/CWmipUserCacheEntry.h"

// The tests' one way to the pool's counts and the caches' clean-up (tests/support).
struct UserPoolTestAccess;

class CWmipUserCachePool
{
public:
    // A cache's rule on one entry (expired, out of date, usable); runs under the pool lock.
    using EntryTest = std::function<bool(const CWmipUserCacheEntry&)>;

    // What giving an entry back did.
    enum class GiveBackResult
    {
        Released,
        // Released, and its count is now below 0: more give-backs than takes.
        OverReleased,
        // Not an entry of this pool (cached or retired); its count is left alone.
        NotHeld
    };

    CWmipUserCachePool() = default;
    // Deletes every entry, also those still in use: the cache ends.
    ~CWmipUserCachePool() = default;
    CWmipUserCachePool(const CWmipUserCachePool&) = delete;
    CWmipUserCachePool& operator=(const CWmipUserCachePool&) = delete;

    // The SID's cached entry with its use count raised when `usable` accepts it (or is empty);
    // null when none is cached or it is not usable (it stays cached).
    CWmipUserCacheEntry* Take(const CString& sid, const EntryTest& usable = {});
    // The same, except that a cached entry `usable` refuses is taken out (see TakeOut) and null
    // answered, all under one hold of the lock: the SID's place is then empty for a login.
    CWmipUserCacheEntry* TakeOrTakeOut(const CString& sid, const EntryTest& usable);
    // The SID's cached entry, its count unchanged; null when none. Valid while the caller holds
    // a use of it, or while nothing else can take it out.
    CWmipUserCacheEntry* Find(const CString& sid) const;
    // Whether the SID has a cached entry that `test` accepts.
    bool CachedEntryMatches(const CString& sid, const EntryTest& test) const;

    // Caches the entry under the SID unless the SID has one (the given entry is then deleted).
    // The entry the SID names afterwards.
    CWmipUserCacheEntry* Add(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry);
    // Caches the entry under the SID in place of its cached one, which is taken out. The new entry.
    CWmipUserCacheEntry* Replace(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry);
    // Takes the entry out of the cache: deleted now when no request holds it, retired until its
    // last give-back and the next purge otherwise. Found by address; an entry not cached is
    // left alone (false).
    bool TakeOut(const CWmipUserCacheEntry* entry);
    // Takes every cached entry out, as TakeOut does.
    void TakeOutAll();

    // Lowers the count of an entry of this pool, cached or retired; see GiveBackResult. Found
    // by address alone: an entry given back once too often may already be freed.
    GiveBackResult GiveBack(CWmipUserCacheEntry* entry);
    // Deletes the retired entries no request holds, and the cached ones no request holds that
    // `expired` accepts (none when it is empty).
    void Purge(const EntryTest& expired = {});

    // Whether what the entry's user's rights come from is as it was at its login: the user's
    // CAcsUser::CheckStoredUser (one read of both stamps), on `database` when given (a request's
    // own connection), else on the user's own; Gone for an entry without a user. Takes no lock of
    // the pool. Throws the database's CDBException.
    static CAcsUser::StoredState CompareWithStored(const CWmipUserCacheEntry& entry, CBntDatabase* database = nullptr);

private:
    friend struct UserPoolTestAccess;

    struct Held
    {
        std::unique_ptr<CWmipUserCacheEntry> entry;
        // Out of the cache, kept only while requests hold it.
        bool retired = false;
    };
    using HeldMap = std::map<const CWmipUserCacheEntry*, Held>;

    // Takes the SID's entry at `cached` out of the cache; the caller holds the lock alone.
    void TakeOutLocked(std::map<CString, CWmipUserCacheEntry*>::iterator cached) REQUIRES(m_lock);
    // Caches the entry under the SID, whose place is empty; the caller holds the lock alone.
    CWmipUserCacheEntry* InsertLocked(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry) REQUIRES(m_lock);
    std::size_t CachedCount() const;
    std::size_t RetiredCount() const;

    mutable CheckedSharedMutex m_lock;
    // Every entry of the pool, cached and retired, by address: it owns them.
    HeldMap m_held GUARDED_BY(m_lock);
    // The cached entry of each SID (one of m_held, not retired).
    std::map<CString, CWmipUserCacheEntry*> m_cached GUARDED_BY(m_lock);
};
