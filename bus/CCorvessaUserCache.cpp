#include "bus/CCorvessaUserCache.h"

#include <algorithm>
#include <utility>

#include "bus/CCorvessaException.h"
#include "platform/win32/Threading.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSource[] = L"CorvessaUserCache";
constexpr char kAuthenticationFailed[] = "Authentication failed.";

// Runs a look-up: a refused login is logged and thrown on; a library failure is logged and
// answers 0x80041001. A lock the work requires (declared on it) is the caller's to hold, which
// the analysis cannot see through this wrapper.
template <typename Work>
HRESULT RunLookUp(Work&& work) NO_THREAD_SAFETY_ANALYSIS
{
    try
    {
        return work();
    }
    catch (const CCorvessaException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, e.ErrorMessageCString(), corvessa::kFailedToAuthenticate);
        throw;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"CCorvessaWMIUserCache::GetUser", WBEM_E_FAILED, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kSource, __LINE__,
                               L"CCorvessaWMIUserCache::GetUser - Unspecified error while getting user", WBEM_E_FAILED);
    }
    return WBEM_E_FAILED;
}

}  // namespace

CCorvessaUserCache::CCorvessaUserCache(bool loginFlag1, bool loginFlag2, Clock clock)
    : CWmipUserCache(loginFlag1, loginFlag2, std::move(clock))
{
    InitializeCriticalSection(&m_cacheLock);
}

CCorvessaUserCache::~CCorvessaUserCache()
{
    {
        const CriticalSectionLock guard(m_cacheLock);
        m_entries.clear();
        m_refreshTimes.clear();
        m_retired.clear();
    }
    DeleteCriticalSection(&m_cacheLock);
}

HRESULT CCorvessaUserCache::GetUser(CWmipUserCacheEntry** entry)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *entry = nullptr;
    return RunLookUp([this, entry]() -> HRESULT {
        const CriticalSectionLock guard(m_cacheLock);
        auto cached = m_entries.find(kSystemAdministratorKey);
        if (cached == m_entries.end())
        {
            auto user = std::make_unique<CAcsUser>(false, true, true, true);
            user->GetExceptionHandler().EnableFileLogging(CWMIDebugLog::GetLogFileName());
            // An entry over a user that is not logged in would answer every request as nobody.
            if (!user->LoginAsSA())
            {
                CWMIDebugLog::LogError(kSource, __LINE__,
                                       L"CCorvessaWMIUserCache::GetUser - Unable to log in the system account.",
                                       WBEM_E_FAILED);
                return WBEM_E_FAILED;
            }
            auto created = std::make_unique<CWmipUserCacheEntry>(std::move(user), GetEntryLock(), Now());
            created->SetSID(kSystemAdministratorKey);
            AddUserEntry(kSystemAdministratorKey, std::move(created));
            cached = m_entries.find(kSystemAdministratorKey);
        }
        cached->second->AddRef();
        *entry = cached->second.get();
        return S_OK;
    });
}

HRESULT CCorvessaUserCache::GetUserFromSID(CWmipUserCacheEntry** entry, const CString& sid)
{
    return GetCachedUser(entry, sid);
}

HRESULT CCorvessaUserCache::GetUserFromSID(CWmipUserCacheEntry** entry, const unsigned char*)
{
    return GetUserImpl(entry, nullptr);
}

HRESULT CCorvessaUserCache::GetUserImpl(CWmipUserCacheEntry** entry, LPCWSTR)
{
    if (entry != nullptr)
    {
        *entry = nullptr;
    }
    return WBEM_E_ACCESS_DENIED;
}

HRESULT CCorvessaUserCache::GetUserSSOInformation(LPCWSTR sid, LONG& userId, CString& sidText)
{
    return GetUserSSOInformationImpl(sid, userId, sidText, false);
}

void CCorvessaUserCache::GarbageCollect()
{
    const CriticalSectionLock guard(m_cacheLock);
    PurgeRetiredLocked();
}

void CCorvessaUserCache::PurgeRetiredLocked()
{
    std::erase_if(m_retired, [](const auto& pair) { return pair.second->GetUseCount() <= 0; });
}

HRESULT CCorvessaUserCache::ReleaseUser(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
    {
        return S_OK;
    }
    const CriticalSectionLock guard(m_cacheLock);
    // Found by address alone: an entry given back twice may already be freed.
    const auto retired = m_retired.find(entry);
    if (retired != m_retired.end())
    {
        entry->Release();
        // Also those whose last holder (a mapper) lowered the count without the cache.
        PurgeRetiredLocked();
        return S_OK;
    }
    const bool cached = std::any_of(m_entries.begin(), m_entries.end(),
                                    [entry](const auto& pair) { return pair.second.get() == entry; });
    if (!cached)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"CCorvessaWMIUserCache::ReleaseUser - Unknown user entry.",
                               WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
    if (entry->Release() < 0)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"User object was released more than it was acquired");
    }
    PurgeRetiredLocked();
    return S_OK;
}

HRESULT CCorvessaUserCache::GetCachedUser(CWmipUserCacheEntry** entry, const CString& sid)
{
    return LoginUser(entry, sid, CString(), CString(), 0);
}

HRESULT CCorvessaUserCache::LoginUser(CWmipUserCacheEntry** entry, const CString& sid, const CString& userName,
                                      const CString& password, LONG directoryId)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *entry = nullptr;
    const CriticalSectionLock guard(m_cacheLock);
    return RunLookUp([&]() REQUIRES(m_cacheLock) -> HRESULT {
        // Deleted on every path unless a new entry takes it over.
        std::unique_ptr<CAcsUser> user;
        if (!userName.IsEmpty() && (directoryId == CAcsUser::kInternalDirectoryID || directoryId > 0))
        {
            user = std::make_unique<CAcsUser>(false, GetLoginFlag1(), GetLoginFlag2(), true);
            if (!user->Login(CBntDatabase::GetDSNFromINI(), userName, password, false, false, directoryId, 0, false))
            {
                throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey,
                                         std::string(kAuthenticationFailed));
            }
        }
        if (CWmipUserCacheEntry* found = FindUserEntry(sid))
        {
            // A session never outlives its user: a user deleted or disabled meanwhile, or an
            // account that names no user now, is refused; a change of anything its rights come
            // from (its row, its account's link, secondary segments, segment groups' units,
            // segments, permission groups and grants, system options) applies at once rather than
            // at the next refresh. Compared first, so that an entry left by a user who is gone
            // never stands in the way of the one the account names now.
            const CAcsUser::StoredState stored = found->GetUser()->CheckStoredUser();
            if (stored != CAcsUser::StoredState::Same || ArePermissionsStale(sid))
            {
                // A sign-in has just read the user the account names: it takes the entry's place.
                if (user)
                {
                    CWmipUserCacheEntry* const added = CacheLocked(sid, std::move(user));
                    added->AddRef();
                    *entry = added;
                    return S_OK;
                }
                found = stored == CAcsUser::StoredState::Gone ? nullptr : RenewLocked(sid, *found->GetUser());
                if (found == nullptr)
                {
                    TakeOutLocked(m_entries.find(sid));
                    return WBEM_E_NOT_FOUND;
                }
            }
            // Two accounts that arrive at one SID (a directory account named like an internal
            // one, one id in two directories) must not share a session.
            else if (user && found->GetUser()->GetUserID() != user->GetUserID())
            {
                throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey,
                                         std::string(kAuthenticationFailed));
            }
            found->AddRef();
            *entry = found;
            return S_OK;
        }
        if (!user)
        {
            return WBEM_E_NOT_FOUND;
        }
        CWmipUserCacheEntry* const added = CacheLocked(sid, std::move(user));
        added->AddRef();
        *entry = added;
        return S_OK;
    });
}

CWmipUserCacheEntry* CCorvessaUserCache::FindUserEntry(const CString& sid)
{
    const CriticalSectionLock guard(m_cacheLock);
    const auto found = m_entries.find(sid);
    return found != m_entries.end() ? found->second.get() : nullptr;
}

bool CCorvessaUserCache::ArePermissionsStale(const CString& sid)
{
    const CriticalSectionLock guard(m_cacheLock);
    const auto found = m_refreshTimes.find(sid);
    if (found == m_refreshTimes.end())
    {
        return false;
    }
    // A clock that stands before the refresh counts as age 0.
    const ULONGLONG now = Now();
    return now > found->second && now - found->second >= kPermissionRefreshMs;
}

void CCorvessaUserCache::AddUserEntry(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry)
{
    const CriticalSectionLock guard(m_cacheLock);
    if (m_entries.emplace(sid, std::move(entry)).second)
    {
        m_refreshTimes[sid] = Now();
    }
}

HRESULT CCorvessaUserCache::RemoveUser(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
    {
        return E_UNEXPECTED;
    }
    const CriticalSectionLock guard(m_cacheLock);
    const auto position = std::find_if(m_entries.begin(), m_entries.end(),
                                       [entry](const auto& pair) { return pair.second.get() == entry; });
    if (position != m_entries.end())
    {
        TakeOutLocked(position);
    }
    return S_OK;
}

void CCorvessaUserCache::InvalidateUsers()
{
    const CriticalSectionLock guard(m_cacheLock);
    while (!m_entries.empty())
    {
        TakeOutLocked(m_entries.begin());
    }
}

void CCorvessaUserCache::TakeOutLocked(std::map<CString, std::unique_ptr<CWmipUserCacheEntry>>::iterator position)
{
    m_refreshTimes.erase(position->first);
    std::unique_ptr<CWmipUserCacheEntry> entry = std::move(position->second);
    m_entries.erase(position);
    if (entry->GetUseCount() > 0)
    {
        const CWmipUserCacheEntry* key = entry.get();
        m_retired.emplace(key, std::move(entry));
    }
}

std::size_t CCorvessaUserCache::GetEntryCount() const
{
    const CriticalSectionLock guard(m_cacheLock);
    return m_entries.size();
}

std::size_t CCorvessaUserCache::GetRetiredEntryCount() const
{
    const CriticalSectionLock guard(m_cacheLock);
    return m_retired.size();
}

CWmipUserCacheEntry* CCorvessaUserCache::RenewLocked(const CString& sid, const CAcsUser& earlier)
{
    // The user is read anew into a new entry rather than reset in place: other requests of the
    // same user may be reading the old one's rights right now, and keep it until they give it back.
    // The account the session signed in with names the user, which may be another one now.
    auto user = std::make_unique<CAcsUser>(false, GetLoginFlag1(), GetLoginFlag2(), true);
    if (!user->LoginAgain(CBntDatabase::GetDSNFromINI(), earlier))
    {
        return nullptr;
    }
    return CacheLocked(sid, std::move(user));
}

CWmipUserCacheEntry* CCorvessaUserCache::CacheLocked(const CString& sid, std::unique_ptr<CAcsUser> user)
{
    user->GetExceptionHandler().EnableFileLogging(CWMIDebugLog::GetLogFileName());
    auto created = std::make_unique<CWmipUserCacheEntry>(std::move(user), GetEntryLock(), Now());
    created->SetSID(sid);
    CWmipUserCacheEntry* added = created.get();
    if (const auto cached = m_entries.find(sid); cached != m_entries.end())
    {
        TakeOutLocked(cached);
    }
    AddUserEntry(sid, std::move(created));
    RefreshPermissions(added->GetUser());
    return added;
}
