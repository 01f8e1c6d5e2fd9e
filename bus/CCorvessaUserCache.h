// CCorvessaUserCache: the user cache of the bus front end. Bus users log in with a name and a
// password and are found afterwards by the SID text their session token carries; one entry
// (a logged-in CAcsUser) per SID, shared by every token of that SID. The system
// administrator's entry sits under "-1"; the WMI side's ways of finding a user (by the
// impersonated client, by binary SID) are refused.
//
// Made by CCorvessaBaseApp::CreateUserCache and owned by the application object.
// Every entry handed out (LoginUser, GetCachedUser, GetUser) has its use count raised and is
// given back with ReleaseUser. An entry removed (RemoveUser, InvalidateUsers) while a request
// still holds it leaves the maps at once but is deleted only once its use count is 0 (at a
// ReleaseUser or clean-up), so a request never works on a freed user.
//
// Thread-safe: the cache lock (recursive) guards both maps and the retired entries and is
// held across a login, so logins are serialised. Callers may hold the application's
// token-map lock while they call in; this cache never takes that lock.
#pragma once

#include <cstddef>
#include <map>
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

    // The login flags become the second and third arguments of every CAcsUser logged in;
    // the clock times the permission refreshes.
    explicit CCorvessaUserCache(bool loginFlag1 = false, bool loginFlag2 = false, Clock clock = Clock());
    // Deletes every entry, also those still in use.
    ~CCorvessaUserCache() override;

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
    // this cache does not hold.
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
    // gone, disabled or no longer named by its account is taken out (0x80041002). With no
    // cached entry a new login makes one. S_OK;
    // 0x80041002 for a SID not cached when no login was made; 0x80041001 for a database or
    // library failure (logged); WBEM_E_INVALID_PARAMETER for a null out pointer.
    HRESULT LoginUser(CWmipUserCacheEntry** entry, const CString& sid, const CString& userName, const CString& password,
                      LONG directoryId);
    // The SID's entry or null; the pointer stays valid while the caller holds the entry or
    // the cache lock.
    CWmipUserCacheEntry* FindUserEntry(const CString& sid);
    // True when the SID's permissions were read 30 minutes ago or longer; false when the SID
    // is not cached.
    bool ArePermissionsStale(const CString& sid);
    // Takes the entry into the cache under the SID, refreshed now; an existing SID keeps its
    // entry (the given one is then deleted).
    void AddUserEntry(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry);
    // Takes the entry out of the cache (deleted now, or at its last release while in use).
    // S_OK, also for an entry no longer cached; 0x8000FFFF for null.
    HRESULT RemoveUser(CWmipUserCacheEntry* entry);
    // Takes every entry out of the cache, as RemoveUser does.
    void InvalidateUsers();

    // Entries in the cache, and removed entries still in use.
    std::size_t GetEntryCount() const;
    std::size_t GetRetiredEntryCount() const;

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
    // Throws the library's CException. The caller holds the cache lock.
    CWmipUserCacheEntry* RenewLocked(const CString& sid, const CAcsUser& earlier) REQUIRES(m_cacheLock);
    // Caches the logged-in user as the SID's new entry (use count 0), in place of its cached one
    // (retired while in use), its refresh time now and its field permission list read. Throws as
    // RenewLocked. The caller holds the cache lock.
    CWmipUserCacheEntry* CacheLocked(const CString& sid, std::unique_ptr<CAcsUser> user) REQUIRES(m_cacheLock);
    // Deletes the removed entries whose use count has come down to 0. The caller holds the
    // cache lock.
    void PurgeRetiredLocked() REQUIRES(m_cacheLock);
    // Moves the entry under the key out of the maps: deleted, or retired while in use.
    void TakeOutLocked(std::map<CString, std::unique_ptr<CWmipUserCacheEntry>>::iterator position)
        REQUIRES(m_cacheLock);

    mutable CRITICAL_SECTION m_cacheLock;
    std::map<CString, std::unique_ptr<CWmipUserCacheEntry>> m_entries GUARDED_BY(m_cacheLock);
    std::map<CString, ULONGLONG> m_refreshTimes GUARDED_BY(m_cacheLock);  // cache clock, milliseconds
    std::map<const CWmipUserCacheEntry*, std::unique_ptr<CWmipUserCacheEntry>> m_retired GUARDED_BY(m_cacheLock);
};
