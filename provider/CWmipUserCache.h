// CWmipUserCache: maps the Windows account of a caller, written as SID text, to a logged-in
// system user (CWmipUserCacheEntry). A request takes an entry (GetUser for the impersonated
// WMI client, GetUserFromSID for a known account), which raises the entry's use count, and
// gives it back (ReleaseUser). Entries expire after the configured lifetime (stored value 33);
// a lookup after expiry logs the user in again, and so does every lookup that finds the rights
// the entry's user was logged in with changed (CWmipUserCachePool::CompareWithStored, one read
// of both stamps per lookup; once per request inside a RequestScope). Clean-up runs
// inside lookups and releases, at most once per clean-up interval (30 s); no thread of its own.
// The framework sees it as an IWmipUserDirectory.
//
// One per process, created by CWmipApp::GetUserCache through CWmipApp::CreateUserCache and
// owned by the application object; the bus front end derives its own cache from this class and
// keeps its entries in the same pool.
// Thread-safe, and built so that requests of many threads for cached users do not queue. The
// entries live in the pool (CWmipUserCachePool), whose header states the locking rule both
// caches follow: its own lock guards the entries, the login lock serialises the logins (so
// lookups of cached users go on during one) and the entry lock, shared by all entries, guards
// the entries' own state and is taken last. The permission lock (readers share it) guards the
// field permission lists by group. The clean-up time is atomic, so a lookup inside the
// clean-up interval takes no lock for it. COM impersonation is per thread: every public
// operation reverts to self before it returns, except GetUserSSOInformationImpl, whose caller
// reverts.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <optional>

#include "platform/win32/ThreadSafety.h"
#include "framework/IWmipUserDirectory.h"
#include "platform/mfc/CString.h"
#include "platform/win32/Clock.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipUserCacheEntry.h"
#include "provider/CWmipUserCachePool.h"

class CBntDatabase;
class CBntUDFPermissionListNoGui;
class DBConnectionManager;

// The time base of the user cache's expiry and clean-up; tests drive it without sleeping.
struct CWmipUserCacheClock
{
    static constexpr DWORD kDefaultCleanupIntervalMs = 30 * 1000;

    // Not owned; outlives the cache.
    const IClock* clock = &IClock::Process();
    DWORD cleanupIntervalMs = kDefaultCleanupIntervalMs;
    // The entry lifetime in seconds; empty: CWmipApp::GetStoredValue(33).
    std::optional<LONG> lifetimeSeconds;
};

class CWmipUserCache : public IWmipUserDirectory
{
public:
    // One request of the calling thread: while a scope lives, the first lookup of an account
    // (GetUser, GetUserFromSID) that finds an entry keeps it, with its use count raised, and
    // every later lookup of the same account in the same cache answers that entry without
    // reading the stamps again. A request's checks thus share one comparison, made during
    // the request and never before it; the next request compares anew. The caller's identity
    // and impersonation level are still checked on every lookup. A scope made while another
    // lives on the thread (a request served inside a request) adds nothing to it.
    //
    // Built on the stack of the request's thread and used there only; the caches it holds an
    // entry of must outlive it.
    class RequestScope
    {
    public:
        RequestScope();
        // End().
        ~RequestScope();
        RequestScope(const RequestScope&) = delete;
        RequestScope& operator=(const RequestScope&) = delete;

        // Gives the kept entry back and stops keeping: later lookups on the thread compare
        // as they would outside a request. Never throws.
        void End() noexcept;
        // Gives the kept entry back and keeps anew, as a new scope would: the request answered
        // again compares its caller's rights with the stored ones at its next lookup, which
        // renews the entry when they moved. Never throws.
        void Renew() noexcept;
        // The request's own connection, on which the first lookup reads the stamps, inside the
        // read transaction the request's reads share (null, and outside a request: the entry's
        // own connection). When they moved and the caller is logged in anew, that read
        // transaction begins again. Valid until End, Renew or the next call.
        void CompareOn(CBntDatabase* database) noexcept;

    private:
        friend class CWmipUserCache;
        // Set at construction: whether this scope is the thread's request (not a nested one).
        bool m_active = false;
        // The entry the request's first successful lookup found, its cache and account.
        CWmipUserCache* m_cache = nullptr;
        CString m_sid;
        CWmipUserCacheEntry* m_entry = nullptr;
        CBntDatabase* m_database = nullptr;
    };

    // The clean-up runs at most this often.
    static constexpr DWORD kCleanupIntervalMs = CWmipUserCacheClock::kDefaultCleanupIntervalMs;

    using Clock = CWmipUserCacheClock;

    // Reads the entry lifetime and takes the connection manager of the current CWmipApp (none:
    // every lookup of a linked account fails).
    explicit CWmipUserCache(Clock clock = Clock());
    // Deletes every entry, also those that expired while in use.
    virtual ~CWmipUserCache();
    CWmipUserCache(const CWmipUserCache&) = delete;
    CWmipUserCache& operator=(const CWmipUserCache&) = delete;

    // The caller's entry with its use count raised, in *entry (null on failure). An account
    // already cached (and not expired) is handed out after one read of both stamps; one
    // whose rights changed since its login is logged in again (its entry retired). S_OK, or
    // S_FALSE (1) for a client at identification level found by SID; on failure
    // 0x80041003 (WBEM_E_ACCESS_DENIED: improper impersonation level, account not linked, login
    // refused), 0x80041045 (CWmipCallerLogin::kNoConnectionFree: an account not cached that no
    // free database connection can resolve; a cached account is served without one), 0x80041001
    // (WBEM_E_FAILED: other failures),
    // the impersonation's own code, or WBEM_E_INVALID_PARAMETER for a null out pointer.
    // GetUser: the impersonated WMI client.
    virtual HRESULT GetUser(CWmipUserCacheEntry** entry);
    // The account with the SID text.
    virtual HRESULT GetUserFromSID(CWmipUserCacheEntry** entry, const CString& sid);
    // The account with the binary SID; one that is not a valid SID answers 0x80041003.
    virtual HRESULT GetUserFromSID(CWmipUserCacheEntry** entry, const unsigned char* binarySid);
    // Gives an entry back (lowers its use count), impersonating the client meanwhile. S_OK
    // (also for null); 0x80041001 for an entry this cache does not hold; the impersonation's
    // failure code.
    virtual HRESULT ReleaseUser(CWmipUserCacheEntry* entry);

    // The framework's door: GetUser and ReleaseUser on the entry's own class; giving back an
    // entry of another class answers 0x80041001.
    HRESULT TakeCallerEntry(IWmipUserEntry** entry) override;
    HRESULT GiveBackEntry(IWmipUserEntry* entry) override;

    // The client's impersonation level: 0 for impersonation or delegation, 1 for
    // identification; 0x80041003 for anonymous, an unknown level or an unreadable token; the
    // failure of CoImpersonateClient unchanged. Reverts to self before it returns.
    static HRESULT IsImpersonatedClient();

    // Whether the user may see (or, with forEdit, change) the user-defined field: FALSE for a
    // null user; TRUE for field permission group -1 (every field); otherwise the item of the
    // field in the group's permission list (a field without an item: TRUE). A group whose list
    // was never loaded (no login through this cache) answers FALSE, logged.
    BOOL HasUDFPermission(const CAcsUser* user, LONG fieldId, BOOL forEdit) override;

protected:
    // Deletes retired entries no longer in use and expired entries not in use; at most once
    // per clean-up interval. Takes the pool lock alone when the interval has passed.
    virtual void GarbageCollect();
    // Lookup and login of the SID text (null: the impersonated client). Results as GetUser.
    virtual HRESULT GetUserImpl(CWmipUserCacheEntry** entry, LPCWSTR sid);
    // The caller's SID text and linked system user id, impersonating the client.
    virtual HRESULT GetUserSSOInformation(LPCWSTR sid, LONG& userId, CString& sidText);

    // The SID text (the given one, or the current thread's account when null) and, for a given
    // SID, the system user linked to it (0 when none; the thread's account is resolved by
    // GetUserImpl only when it has to be logged in). With impersonate, the client's level is
    // checked and the thread is left impersonating on success (the caller reverts). S_OK or
    // S_FALSE (1, an identification-level client named by SID); 0x80041003 for an improper
    // level, an unreadable thread account or an account given by SID that is not linked; the
    // impersonation's failure code. A given SID that no free database connection can resolve
    // leaves the id 0: a cached entry is served, a login refused.
    HRESULT GetUserSSOInformationImpl(LPCWSTR sid, LONG& userId, CString& sidText, bool impersonate);
    // The release behind ReleaseUser; results as ReleaseUser.
    HRESULT ReleaseUserImpl(CWmipUserCacheEntry* entry, bool impersonate);
    // Loads the field permission list of the user's group again and keeps it for the group;
    // when it differs from the one kept before, the user's cached class definitions are
    // dropped (their properties depend on it). Throws the database's CDBException. Takes the
    // permission lock.
    void RefreshPermissions(CAcsUser* user);

    // The cache clock, in milliseconds.
    ULONGLONG Now() const;
    // The shared entry lock every entry of this cache receives.
    CRITICAL_SECTION* GetEntryLock() { return &m_entryLock.section; }
    // The entries of this cache and of a derived one.
    CWmipUserCachePool& Pool() { return m_pool; }

    // Serialises what the cache decides about a SID from the database: logins, and in a
    // derived cache renewals and removals (the pool's locking rule).
    CheckedMutex m_loginLock;

private:
    friend struct UserPoolTestAccess;

    // The section every entry of the cache shares, alive from before the first entry to after
    // the last.
    struct EntryLock
    {
        EntryLock() { InitializeCriticalSection(&section); }
        ~EntryLock() { DeleteCriticalSection(&section); }
        EntryLock(const EntryLock&) = delete;
        EntryLock& operator=(const EntryLock&) = delete;
        CRITICAL_SECTION section;
    };

    bool IsExpired(const CWmipUserCacheEntry& entry, ULONGLONG now) const;
    // Logs the SID's user in (userId 0: the account is resolved first) and caches the entry, its
    // use count raised. An entry another thread cached meanwhile is handed out instead, unless it
    // has expired or is `outdated` (held by the caller: its user's rights changed): such an entry
    // is taken out first, retired while in use. Results as GetUserImpl; the caller catches the
    // exceptions. Takes the login lock.
    HRESULT LogInUser(LONG userId, const CString& sidText, const CWmipUserCacheEntry* outdated,
                      CWmipUserCacheEntry*& entry);

    // Set at construction.
    const IClock& m_clock;
    const ULONGLONG m_cleanupIntervalMs;
    LONGLONG m_lifetimeMs = 0;
    DBConnectionManager* m_connectionManager = nullptr;  // not owned

    CheckedSharedMutex m_permissionLock;
    // Declared before the pool: its entries hold the section until the pool has deleted them.
    EntryLock m_entryLock;
    CWmipUserCachePool m_pool;
    std::map<LONG, std::unique_ptr<CBntUDFPermissionListNoGui>> m_permissionLists GUARDED_BY(m_permissionLock);
    std::atomic<ULONGLONG> m_lastCleanup{0};
};
