// CCorvessaUserCache: the user cache of the bus front end. Bus users log in with a name and a
// password and are found afterwards by the SID text their session token carries; one entry
// (a logged-in CAcsUser) per SID, shared by every token of that SID. The system
// administrator's entry sits under "-1"; the WMI side's ways of finding a user (by the
// impersonated client, by binary SID) are refused.
//
// Made by CCorvessaBaseApp::CreateUserCache and owned by the application object.
// Every entry handed out (LoginUser, GetCachedUser, GetUser) has its use count raised and is
// given back with ReleaseUser. The entries live in the base cache's pool (CWmipUserCachePool):
// an entry removed (RemoveUser, InvalidateUsers) or renewed while a request still holds it
// leaves the cache at once but is deleted only once its use count is 0 (at a ReleaseUser or
// clean-up), so a request never works on a freed user. What is the bus's own is how a SID's
// entry comes and goes: by a login with a name, renewed when its user's rights changed or
// its permissions are 30 minutes old, removed with the sessions that use it.
//
// Thread-safe, by the pool's locking rule: the pool lock guards the entries; the base's login
// lock is held across every login, renewal and removal, and across a look-up by SID (which may
// renew its entry, so it goes through LoginUser), so those are serialised, while give-backs,
// FindUserEntry and ArePermissionsStale take the pool lock alone. Callers may hold the application's
// token-map lock while they call in; this cache never takes that lock.
#pragma once

#include <memory>

#include "platform/mfc/CString.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"
#include "provider/CWmipUserCache.h"

class CAcsUser;

class CCorvessaUserCache : public CWmipUserCache
{
public:
    // The key of the system administrator's entry.
    static constexpr wchar_t kSystemAdministratorKey[] = L"-1";
    // A looked-up entry's permissions are read again when they are this old.
    static constexpr ULONGLONG kPermissionRefreshMs = 30ULL * 60 * 1000;

    // The clock times the permission refreshes.
    explicit CCorvessaUserCache(Clock clock = Clock());
    // Every entry, also those still in use, goes with the base cache's pool.
    ~CCorvessaUserCache() override = default;

    // The system administrator's entry, logged in on first use. S_OK; 0x80041001 when the
    // system account cannot log in (nothing is cached then); WBEM_E_INVALID_PARAMETER for a
    // null out pointer.
    HRESULT GetUser(CWmipUserCacheEntry** entry) override;
    // The same as GetCachedUser.
    HRESULT GetUserFromSID(CWmipUserCacheEntry** entry, const CString& sid) override;
    // Refused: 0x80041003, *entry null.
    HRESULT GetUserFromSID(CWmipUserCacheEntry** entry, const unsigned char* binarySid) override;
    // Gives an entry back: lowers its use count and deletes it when it was removed from the
    // cache meanwhile and is no longer used. S_OK (also for null); 0x80041001 for an entry
    // this cache does not hold (logged).
    HRESULT ReleaseUser(CWmipUserCacheEntry* entry) override;
    // The SID's entry without a login: LoginUser(entry, sid, "", "", 0).
    virtual HRESULT GetCachedUser(CWmipUserCacheEntry** entry, const CString& sid);

    // With a user name and directory id -1 (internal account) or above 0 (directory account)
    // the user is logged in first (a wrong name or password throws CCorvessaException
    // "corvessa.authentication.failedtoauthenticate", "Authentication failed."). Then the
    // SID's cached entry is compared with the stored user first (CAcsUser::CheckStoredUser, one
    // keyed read): unchanged, it is handed out (the new login only checked the credentials; one
    // that belongs to another user throws as a failed login); changed, or its permissions 30
    // minutes old, a new entry takes its place (the old one retired while in use): the new
    // login's, else the user its account names now (CAcsUser::LoginAgain); one whose user is
    // gone, disabled or no longer named by its account (its directory gone, a template or no
    // longer taking manual sign-on, or the password it signed in with no longer the stored one) is
    // taken out (0x80041002). With no cached entry a new login makes one. S_OK; 0x80041002 for a
    // SID not cached when no login was made; 0x80041001 for a database or library failure
    // (logged); WBEM_E_INVALID_PARAMETER for a null out pointer.
    HRESULT LoginUser(CWmipUserCacheEntry** entry, const CString& sid, const CString& userName, const CString& password,
                      LONG directoryId);
    // The SID's entry or null; the pointer stays valid while the caller holds a use of the
    // entry, or while no other thread logs the SID in, renews or removes it.
    CWmipUserCacheEntry* FindUserEntry(const CString& sid);
    // True when the SID's permissions were read 30 minutes ago or longer, that is its entry was
    // made then (a refresh makes a new one); false when the SID is not cached.
    bool ArePermissionsStale(const CString& sid);
    // Takes the entry into the cache under the SID, its permissions read when it was made (its
    // creation time on the cache clock, which callers give as now); an existing SID keeps its
    // entry (the given one is then deleted). Takes the login lock.
    void AddUserEntry(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry);
    // Takes the entry out of the cache (deleted now, or at its last release while in use).
    // S_OK, also for an entry no longer cached; 0x8000FFFF for null.
    HRESULT RemoveUser(CWmipUserCacheEntry* entry);
    // Takes every entry out of the cache, as RemoveUser does.
    void InvalidateUsers();

protected:
    // Entries are never aged out by time; removed entries no longer in use are deleted.
    void GarbageCollect() override;
    // Refused: 0x80041003, *entry null.
    HRESULT GetUserImpl(CWmipUserCacheEntry** entry, LPCWSTR sid) override;
    // The WMI side's look-up of a Windows account, without impersonating a client.
    HRESULT GetUserSSOInformation(LPCWSTR sid, LONG& userId, CString& sidText) override;

private:
    // Logs in anew the user earlier's account names (CAcsUser::LoginAgain) and puts a new entry
    // in place of the SID's cached one (retired while in use), its refresh time now and its
    // field permission list read again.
    // The new entry (use count 0); null when the login is refused (the cached entry stays).
    // Throws the library's CException. The caller holds the login lock.
    CWmipUserCacheEntry* RenewLocked(const CString& sid, const CAcsUser& earlier) REQUIRES(m_loginLock);
    // Caches the logged-in user as the SID's new entry (use count 0), in place of its cached one
    // (retired while in use), its refresh time now and its field permission list read. Throws as
    // RenewLocked. The caller holds the login lock.
    CWmipUserCacheEntry* CacheLocked(const CString& sid, std::unique_ptr<CAcsUser> user) REQUIRES(m_loginLock);
};
