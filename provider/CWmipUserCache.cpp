#include "provider/CWmipUserCache.h"

#include "framework/CWmipMessages.h"

#include <algorithm>
#include <utility>

#include "inhouse/BntAccessSets/CBntConfigSet.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUserDb/CBntUDFPermissionListNoGui.h"
#include "framework/CWmipClassCache.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/security/Security.h"
#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerLogin.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kUserCacheSource[] = L"CWmipUserCache.cpp";

// Reverts the thread to self when the scope ends, if asked to.
class RevertToSelfOnExit
{
public:
    explicit RevertToSelfOnExit(bool active) : m_active(active) {}
    ~RevertToSelfOnExit()
    {
        if (m_active)
        {
            CoRevertToSelf();
        }
    }
    RevertToSelfOnExit(const RevertToSelfOnExit&) = delete;
    RevertToSelfOnExit& operator=(const RevertToSelfOnExit&) = delete;

private:
    bool m_active;
};

// Lowers the use count of an entry taken by this cache (the cache decides when it goes).
struct UseRelease
{
    void operator()(CWmipUserCacheEntry* entry) const { entry->Release(); }
};

// Whether the entry's user still has the rights it was logged in with (one read of both
// stamps, on `database` when given); an entry whose check fails is given back before the failure
// goes on.
bool FollowsStoredRights(CWmipUserCacheEntry& entry, CBntDatabase* database)
{
    std::unique_ptr<CWmipUserCacheEntry, UseRelease> onFailure(&entry);
    const bool same = CWmipUserCachePool::CompareWithStored(entry, database) == CAcsUser::StoredState::Same;
    static_cast<void>(onFailure.release());
    return same;
}

// The request scope of the calling thread; null outside a request.
thread_local CWmipUserCache::RequestScope* t_request = nullptr;

}  // namespace

CWmipUserCache::RequestScope::RequestScope() : m_active(t_request == nullptr)
{
    if (m_active)
    {
        t_request = this;
    }
}

CWmipUserCache::RequestScope::~RequestScope()
{
    End();
}

void CWmipUserCache::RequestScope::End() noexcept
{
    if (!m_active)
    {
        return;
    }
    m_active = false;
    t_request = nullptr;
    m_database = nullptr;
    if (m_entry != nullptr)
    {
        // A release never needs the client: the count was raised for this scope alone.
        try
        {
            static_cast<void>(m_cache->ReleaseUserImpl(std::exchange(m_entry, nullptr), false));
        }
        catch (...)
        {
            // The release reports its own failures to the log; the request still ends.
        }
    }
}

void CWmipUserCache::RequestScope::Renew() noexcept
{
    End();
    m_active = t_request == nullptr;
    if (m_active)
    {
        t_request = this;
    }
}

void CWmipUserCache::RequestScope::CompareOn(CBntDatabase* database) noexcept
{
    if (m_active)
    {
        m_database = database;
    }
}

CWmipUserCache::CWmipUserCache(Clock clock) : m_clock(*clock.clock), m_cleanupIntervalMs(clock.cleanupIntervalMs)
{
    m_lastCleanup = Now();
    m_connectionManager = CWmipApp::GetConnectionManager();
    const LONG lifetimeSeconds =
        clock.lifetimeSeconds ? *clock.lifetimeSeconds : CWmipApp::GetStoredValue(BntConfigUserCacheLifetime);
    // A negative stored lifetime cannot be meant; it counts as 0 (every entry expires at once).
    m_lifetimeMs = static_cast<LONGLONG>(std::max<LONG>(lifetimeSeconds, 0)) * 1000;
}

CWmipUserCache::~CWmipUserCache() = default;

HRESULT CWmipUserCache::GetUser(CWmipUserCacheEntry** entry)
{
    return GetUserImpl(entry, nullptr);
}

HRESULT CWmipUserCache::GetUserFromSID(CWmipUserCacheEntry** entry, const CString& sid)
{
    return GetUserImpl(entry, sid.GetString());
}

HRESULT CWmipUserCache::GetUserFromSID(CWmipUserCacheEntry** entry, const unsigned char* binarySid)
{
    if (entry != nullptr)
    {
        *entry = nullptr;
    }
    LPWSTR text = nullptr;
    // The SID's own header gives its length, at most 68 bytes.
    if (binarySid == nullptr || !ConvertSidToStringSidW(const_cast<unsigned char*>(binarySid), &text))
    {
        return WBEM_E_ACCESS_DENIED;
    }
    const CString sid(text);
    LocalFree(text);
    return GetUserImpl(entry, sid.GetString());
}

HRESULT CWmipUserCache::ReleaseUser(CWmipUserCacheEntry* entry)
{
    return ReleaseUserImpl(entry, true);
}

HRESULT CWmipUserCache::TakeCallerEntry(IWmipUserEntry** entry)
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    CWmipUserCacheEntry* taken = nullptr;
    const HRESULT result = GetUser(&taken);
    *entry = taken;
    return result;
}

HRESULT CWmipUserCache::GiveBackEntry(IWmipUserEntry* entry)
{
    if (entry == nullptr)
        return S_OK;
    auto* held = dynamic_cast<CWmipUserCacheEntry*>(entry);
    return held != nullptr ? ReleaseUser(held) : WBEM_E_FAILED;
}

HRESULT CWmipUserCache::IsImpersonatedClient()
{
    const HRESULT impersonated = CoImpersonateClient();
    if (FAILED(impersonated))
    {
        return impersonated;
    }
    const RevertToSelfOnExit revert(true);
    // The level the thread token would answer, read without opening one: every request asks
    // several times, and a token is a handle-table entry made and dropped each time.
    const std::optional<SECURITY_IMPERSONATION_LEVEL> level = CallerIdentity::CurrentLevel();
    if (!level)
    {
        return WBEM_E_ACCESS_DENIED;
    }
    switch (*level)
    {
    case SecurityAnonymous:
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Anonymous impersonation level\n", WBEM_E_ACCESS_DENIED);
        return WBEM_E_ACCESS_DENIED;
    case SecurityIdentification:
        return 1;
    case SecurityImpersonation:
    case SecurityDelegation:
        return 0;
    }
    CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Unable to determine impersonation level\n",
                           WBEM_E_ACCESS_DENIED);
    return WBEM_E_ACCESS_DENIED;
}

void CWmipUserCache::GarbageCollect()
{
    // Nearly every call falls inside the interval; it must not queue for the pool lock.
    ULONGLONG last = m_lastCleanup.load();
    const ULONGLONG now = Now();
    // Of threads finding the interval passed, the one that moves the time runs the clean-up.
    if (now - last < m_cleanupIntervalMs || !m_lastCleanup.compare_exchange_strong(last, now))
    {
        return;
    }
    m_pool.Purge([this, now](const CWmipUserCacheEntry& entry) { return IsExpired(entry, now); });
}

HRESULT CWmipUserCache::GetUserImpl(CWmipUserCacheEntry** entry, LPCWSTR sid)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *entry = nullptr;
    LONG userId = 0;
    CString sidText;
    const HRESULT found = GetUserSSOInformation(sid, userId, sidText);
    if (FAILED(found))
    {
        return found;
    }
    const RevertToSelfOnExit revert(true);
    RequestScope* const request = t_request;
    if (request != nullptr && request->m_entry != nullptr && request->m_cache == this && request->m_sid == sidText)
    {
        // Compared with the rights stamp by this request's first lookup.
        request->m_entry->AddRef();
        *entry = request->m_entry;
        return found;
    }
    try
    {
        const ULONGLONG now = Now();
        CWmipUserCacheEntry* result =
            m_pool.Take(sidText, [this, now](const CWmipUserCacheEntry& cached) { return !IsExpired(cached, now); });
        // Held until the login below has retired it, so that its address names no other entry.
        const std::unique_ptr<CWmipUserCacheEntry, UseRelease> outdated(
            result != nullptr && !FollowsStoredRights(*result, request != nullptr ? request->m_database : nullptr)
                ? std::exchange(result, nullptr)
                : nullptr);
        if (result == nullptr)
        {
            const HRESULT loggedIn = LogInUser(userId, sidText, outdated.get(), result);
            if (FAILED(loggedIn))
            {
                return loggedIn;
            }
            if (outdated != nullptr && request != nullptr && request->m_database != nullptr)
            {
                // The rights just read are newer than the moment the request's reads began at,
                // with the stamp read that found them moved: its reads begin again, at a moment
                // no older than the rights they are judged by.
                request->m_database->EndRead();
                request->m_database->BeginRead();
            }
        }
        GarbageCollect();
        if (request != nullptr && request->m_entry == nullptr)
        {
            request->m_sid = sidText;
            request->m_cache = this;
            result->AddRef();
            request->m_entry = result;
        }
        *entry = result;
        return found;
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Access denied: unable to login to Ivarune", e.GetHResult(),
                               nullptr, &e);
        return e.GetHResult();
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Error while getting user", WBEM_E_FAILED, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Unspecified error while getting user", WBEM_E_FAILED);
    }
    return WBEM_E_FAILED;
}

HRESULT CWmipUserCache::LogInUser(LONG userId, const CString& sidText, const CWmipUserCacheEntry* outdated,
                                  CWmipUserCacheEntry*& entry)
{
    const CheckedMutexLock login(m_loginLock);
    // Another thread may have logged the same account in while this one waited. Whether its entry
    // is served or taken out is one decision at one reading of the clock: an entry left in place
    // but not served would stand in the way of the login below.
    const ULONGLONG now = Now();
    entry = m_pool.TakeOrTakeOut(sidText, [this, now, outdated](const CWmipUserCacheEntry& cached) {
        return &cached != outdated && !IsExpired(cached, now);
    });
    if (entry != nullptr)
    {
        return S_OK;
    }
    // The caller's own account is resolved only when it has to be logged in: a cached entry is
    // handed out without touching the database.
    std::unique_ptr<CAcsUser> user;
    const HRESULT loggedIn = CWmipCallerLogin::LogIn(m_connectionManager, sidText, userId, user);
    if (FAILED(loggedIn))
    {
        return loggedIn;
    }
    auto created = std::make_unique<CWmipUserCacheEntry>(std::move(user), GetEntryLock(), Now());
    // Raised before the entry is visible, so that no clean-up can take it from this request.
    created->AddRef();
    // Only logins add entries, and they hold the login lock: the SID's place is still empty.
    CWmipUserCacheEntry* const added = m_pool.Add(sidText, std::move(created));
    try
    {
        RefreshPermissions(added->GetUser());
    }
    catch (...)
    {
        added->Release();
        throw;
    }
    entry = added;
    return S_OK;
}

HRESULT CWmipUserCache::GetUserSSOInformation(LPCWSTR sid, LONG& userId, CString& sidText)
{
    return GetUserSSOInformationImpl(sid, userId, sidText, true);
}

HRESULT CWmipUserCache::GetUserSSOInformationImpl(LPCWSTR sid, LONG& userId, CString& sidText, bool impersonate)
{
    return CWmipCallerLogin::Identify(m_connectionManager, sid, impersonate, userId, sidText);
}

HRESULT CWmipUserCache::ReleaseUserImpl(CWmipUserCacheEntry* entry, bool impersonate)
{
    if (entry == nullptr)
    {
        return S_OK;
    }
    HRESULT impersonated = S_OK;
    if (impersonate)
    {
        const HRESULT level = IsImpersonatedClient();
        if (FAILED(level))
        {
            return level;
        }
        impersonated = CoImpersonateClient();
        if (FAILED(impersonated))
        {
            return impersonated;
        }
    }
    const RevertToSelfOnExit revert(impersonate);
    try
    {
        // Only the very entry given is released: another entry under the same SID belongs to
        // other requests.
        const CWmipUserCachePool::GiveBackResult given = m_pool.GiveBack(entry);
        if (given == CWmipUserCachePool::GiveBackResult::NotHeld)
        {
            return WBEM_E_FAILED;
        }
        if (given == CWmipUserCachePool::GiveBackResult::OverReleased)
        {
            CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"User object was released more than it was acquired");
        }
        GarbageCollect();
        return impersonated;
    }
    catch (const CWMIException& e)
    {
        return e.GetHResult();
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Unspecified error while releasing user object",
                               WBEM_E_FAILED);
    }
    return WBEM_E_FAILED;
}

void CWmipUserCache::RefreshPermissions(CAcsUser* user)
{
    if (user == nullptr || user->GetDatabase() == nullptr)
    {
        return;
    }
    const LONG group = user->GetFieldPermissionGroupID();
    auto list = std::make_unique<CBntUDFPermissionListNoGui>();
    // Read before the lock: permission checks of other requests go on during the database read.
    list->Fill(*user->GetDatabase(), group);
    bool changed = false;
    {
        const CheckedSharedMutexLock guard(m_permissionLock);
        const auto kept = m_permissionLists.find(group);
        changed = kept == m_permissionLists.end() || !(*kept->second == *list);
        m_permissionLists[group] = std::move(list);
    }
    if (changed)
    {
        if (CWmipClassCache* classes = CWmipApp::GetClassCache())
        {
            classes->RemoveUserClasses(user);
        }
    }
}

BOOL CWmipUserCache::HasUDFPermission(const CAcsUser* user, LONG fieldId, BOOL forEdit)
{
    if (user == nullptr)
    {
        return FALSE;
    }
    const LONG group = user->GetFieldPermissionGroupID();
    if (group == -1)
    {
        return TRUE;
    }
    const CheckedReaderLock guard(m_permissionLock);
    const auto list = m_permissionLists.find(group);
    if (list == m_permissionLists.end())
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"UDF permission not found", WBEM_E_ACCESS_DENIED);
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"Unspecified error checking UDF permissions",
                               WBEM_E_ACCESS_DENIED);
        return FALSE;
    }
    const CBntUDFPermissionItem* item = list->second->GetItem(fieldId);
    if (item == nullptr)
    {
        return TRUE;
    }
    return (forEdit ? item->canEdit : item->canView) ? TRUE : FALSE;
}

ULONGLONG CWmipUserCache::Now() const
{
    return m_clock.GetTickCount64();
}

bool CWmipUserCache::IsExpired(const CWmipUserCacheEntry& entry, ULONGLONG now) const
{
    // A clock that stands before the creation counts as age 0.
    const ULONGLONG created = entry.GetCreationTick();
    const ULONGLONG age = now > created ? now - created : 0;
    return static_cast<LONGLONG>(age) > m_lifetimeMs;
}
