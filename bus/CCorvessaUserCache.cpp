#include "bus/CCorvessaUserCache.h"

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

constexpr wchar_t kUserCacheSource[] = L"CorvessaUserCache";
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
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, e.ErrorMessageCString(), corvessa::kFailedToAuthenticate);
        throw;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"CCorvessaWMIUserCache::GetUser", WBEM_E_FAILED, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__,
                               L"CCorvessaWMIUserCache::GetUser - Unspecified error while getting user", WBEM_E_FAILED);
    }
    return WBEM_E_FAILED;
}

}  // namespace

CCorvessaUserCache::CCorvessaUserCache(Clock clock) : CWmipUserCache(std::move(clock)) {}

HRESULT CCorvessaUserCache::GetUser(CWmipUserCacheEntry** entry)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *entry = nullptr;
    return RunLookUp([this, entry]() -> HRESULT {
        const CheckedMutexLock login(m_loginLock);
        CWmipUserCacheEntry* cached = Pool().Take(kSystemAdministratorKey);
        if (cached == nullptr)
        {
            auto user = std::make_unique<CAcsUser>();
            user->GetExceptionHandler().EnableFileLogging(CWMIDebugLog::GetLogFileName());
            // An entry over a user that is not logged in would answer every request as nobody.
            if (!user->LoginAsSA())
            {
                CWMIDebugLog::LogError(kUserCacheSource, __LINE__,
                                       L"CCorvessaWMIUserCache::GetUser - Unable to log in the system account.",
                                       WBEM_E_FAILED);
                return WBEM_E_FAILED;
            }
            cached = Pool().Add(kSystemAdministratorKey,
                                std::make_unique<CWmipUserCacheEntry>(std::move(user), GetEntryLock(), Now()));
            cached->AddRef();
        }
        *entry = cached;
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
    Pool().Purge();
}

HRESULT CCorvessaUserCache::ReleaseUser(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
    {
        return S_OK;
    }
    const CWmipUserCachePool::GiveBackResult given = Pool().GiveBack(entry);
    if (given == CWmipUserCachePool::GiveBackResult::NotHeld)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"CCorvessaWMIUserCache::ReleaseUser - Unknown user entry.",
                               WBEM_E_FAILED);
        return WBEM_E_FAILED;
    }
    if (given == CWmipUserCachePool::GiveBackResult::OverReleased)
    {
        CWMIDebugLog::LogError(kUserCacheSource, __LINE__, L"User object was released more than it was acquired");
    }
    // Also those whose last holder (a mapper) lowered the count without the cache.
    GarbageCollect();
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
    const CheckedMutexLock login(m_loginLock);
    return RunLookUp([&]() REQUIRES(m_loginLock) -> HRESULT {
        // Deleted on every path unless a new entry takes it over.
        std::unique_ptr<CAcsUser> user;
        if (!userName.IsEmpty() && (directoryId == CAcsUser::kInternalDirectoryID || directoryId > 0))
        {
            user = std::make_unique<CAcsUser>();
            if (!user->Login(CBntDatabase::GetDSNFromINI(), userName, password, directoryId, 0))
            {
                throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey,
                                         std::string(kAuthenticationFailed));
            }
        }
        // Taken, not only found: an entry renewed or removed below is then retired rather than
        // freed under this look-up. Given back on every path that does not hand it out.
        const auto giveBack = [this](CWmipUserCacheEntry* taken) { ReleaseUser(taken); };
        std::unique_ptr<CWmipUserCacheEntry, decltype(giveBack)> found(Pool().Take(sid), giveBack);
        if (found)
        {
            // A session never outlives its user: a user deleted or disabled meanwhile, or an
            // account that names no user now, is refused; a change of anything its rights come
            // from (its row, its account's link, secondary segments, segment groups' units,
            // segments, permission groups and grants, system options) applies at once rather than
            // at the next refresh. Compared first, so that an entry left by a user who is gone
            // never stands in the way of the one the account names now.
            const CAcsUser::StoredState stored = CWmipUserCachePool::CompareWithStored(*found);
            if (stored != CAcsUser::StoredState::Same || ArePermissionsStale(sid))
            {
                CWmipUserCacheEntry* renewed = nullptr;
                if (user)
                {
                    // A sign-in has just read the user the account names: it takes the entry's place.
                    renewed = CacheLocked(sid, std::move(user));
                }
                else if (stored != CAcsUser::StoredState::Gone)
                {
                    renewed = RenewLocked(sid, *found->GetUser());
                }
                if (renewed == nullptr)
                {
                    Pool().TakeOut(found.get());
                    return WBEM_E_NOT_FOUND;
                }
                renewed->AddRef();
                *entry = renewed;
                return S_OK;
            }
            // Two accounts that arrive at one SID (a directory account named like an internal
            // one, one id in two directories) must not share a session.
            if (user && found->GetUser()->GetUserID() != user->GetUserID())
            {
                throw CCorvessaException(CCorvessaException::kFailedToAuthenticateKey,
                                         std::string(kAuthenticationFailed));
            }
            *entry = found.release();
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
    return Pool().Find(sid);
}

bool CCorvessaUserCache::ArePermissionsStale(const CString& sid)
{
    const ULONGLONG now = Now();
    return Pool().CachedEntryMatches(sid, [now](const CWmipUserCacheEntry& cached) {
        // A clock that stands before the refresh counts as age 0.
        const ULONGLONG refreshed = cached.GetCreationTick();
        return now > refreshed && now - refreshed >= kPermissionRefreshMs;
    });
}

void CCorvessaUserCache::AddUserEntry(const CString& sid, std::unique_ptr<CWmipUserCacheEntry> entry)
{
    const CheckedMutexLock login(m_loginLock);
    Pool().Add(sid, std::move(entry));
}

HRESULT CCorvessaUserCache::RemoveUser(CWmipUserCacheEntry* entry)
{
    if (entry == nullptr)
    {
        return E_UNEXPECTED;
    }
    const CheckedMutexLock login(m_loginLock);
    Pool().TakeOut(entry);
    return S_OK;
}

void CCorvessaUserCache::InvalidateUsers()
{
    const CheckedMutexLock login(m_loginLock);
    Pool().TakeOutAll();
}

CWmipUserCacheEntry* CCorvessaUserCache::RenewLocked(const CString& sid, const CAcsUser& earlier)
{
    // The user is read anew into a new entry rather than reset in place: other requests of the
    // same user may be reading the old one's rights right now, and keep it until they give it back.
    // The account the session signed in with names the user, which may be another one now.
    auto user = std::make_unique<CAcsUser>();
    if (!user->LoginAgain(CBntDatabase::GetDSNFromINI(), earlier))
    {
        return nullptr;
    }
    return CacheLocked(sid, std::move(user));
}

CWmipUserCacheEntry* CCorvessaUserCache::CacheLocked(const CString& sid, std::unique_ptr<CAcsUser> user)
{
    user->GetExceptionHandler().EnableFileLogging(CWMIDebugLog::GetLogFileName());
    CWmipUserCacheEntry* const added =
        Pool().Replace(sid, std::make_unique<CWmipUserCacheEntry>(std::move(user), GetEntryLock(), Now()));
    RefreshPermissions(added->GetUser());
    return added;
}
