#include "bus/CCorvessaSessionService.h"

#include <algorithm>
#include <utility>

#include "platform/win32/Threading.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaUserCache.h"
#include "common/CBntRegistry.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/WbemConstants.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kSessionServiceSource[] = L"CorvessaBaseApp";
constexpr wchar_t kCorvessaKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Corvessa";
constexpr char kUnknownTokenMessage[] =
    "An add authentication request must be called prior to use of this session token.";
constexpr LONGLONG kMillisecondsPerHour = 60LL * 60 * 1000;

// Records the application id in a token's list unless it is there already or past the
// limits: an id beyond them is served but not recorded, the sign-in's own as every later one.
void RecordApplicationId(std::vector<std::string>& ids, const std::string& applicationId)
{
    if (ids.size() < CCorvessaSessionService::kMaxApplicationIdsPerToken &&
        applicationId.size() <= CCorvessaSessionService::kMaxApplicationIdBytes &&
        std::find(ids.begin(), ids.end(), applicationId) == ids.end())
    {
        ids.push_back(applicationId);
    }
}

// A log-out, asked or swept, whose token names a user the cache no longer holds.
void LogUserNotFoundForToken()
{
    CWMIDebugLog::LogInfo(kSessionServiceSource, __LINE__,
                          L"CCorvessaProvixaApp::DeleteAuthentication - Warning - was not able to find "
                          L"corresponding user for token.");
}

}  // namespace

CCorvessaSessionService::CCorvessaSessionService(const IClock& clock, CacheSource cache)
    : m_clock(clock), m_cache(cache)
{
    InitializeCriticalSection(&m_tokenLock);
    m_tokenLifetimeMs.store(GetAuthenticatedTokenTimeoutInHours() * kMillisecondsPerHour);
}

CCorvessaSessionService::~CCorvessaSessionService()
{
    DeleteCriticalSection(&m_tokenLock);
}

HRESULT CCorvessaSessionService::IssueToken(const std::string& applicationId,
                                            const std::function<HRESULT(CString& sid)>& login,
                                            const std::function<std::string()>& newToken, std::string& token,
                                            COleDateTime& authenticationTime)
{
    // The login and the issue of its token under one hold: a log-out of another session of
    // the same user cannot remove the entry in between.
    const CriticalSectionLock guard(m_tokenLock);
    CString sid;
    const HRESULT hr = login(sid);
    if (SUCCEEDED(hr) && !sid.IsEmpty())
    {
        // The token belongs to the user the login found: a later user that the same account
        // names never inherits it.
        CWmipUserCacheEntry* signedIn = nullptr;
        bool asked = false;
        const HRESULT found = LookUpSidLocked(sid, &signedIn, &asked);
        const CAcsUser* user = SUCCEEDED(found) && signedIn != nullptr ? signedIn->GetUser() : nullptr;
        const LONG userId = user != nullptr ? user->GetUserID() : 0;
        const std::optional<std::string> credential =
            user != nullptr ? user->GetSignInCredential() : std::optional<std::string>();
        ReleaseUserCacheEntry(signedIn);
        if (userId == 0)
        {
            // Taken out by another thread since the login (the database lost, the user gone).
            return FAILED(found) ? found : WBEM_E_FAILED;
        }
        const COleDateTime now = COleDateTime::GetCurrentTime();
        const std::string issued = newToken();
        TokenRecord record{sid, userId, credential, {}, now, m_clock.GetTickCount64()};
        RecordApplicationId(record.applicationIds, applicationId);
        m_tokens[issued] = std::move(record);
        token = issued;
        authenticationTime = now;
    }
    return hr;
}

int CCorvessaSessionService::GetAuthenticatedTokenTimeoutInHours()
{
    const CBntRegistry key(true, kCorvessaKey);
    DWORD hours = 0;
    if (key.GetDWORDValue(L"AuthenticatedTokenTimeout", &hours) && hours >= kMinTokenTimeoutHours &&
        hours <= kMaxTokenTimeoutHours)
    {
        return static_cast<int>(hours);
    }
    return kDefaultTokenTimeoutHours;
}

std::vector<std::string> CCorvessaSessionService::GetTokenApplicationIds(const std::string& token)
{
    const CriticalSectionLock guard(m_tokenLock);
    const auto found = m_tokens.find(token);
    return found != m_tokens.end() ? found->second.applicationIds : std::vector<std::string>();
}

bool CCorvessaSessionService::IsCachedUserInUseByMultipleSessions(const CString& sid)
{
    const CriticalSectionLock guard(m_tokenLock);
    const auto sessions =
        std::count_if(m_tokens.begin(), m_tokens.end(), [&sid](const auto& pair) { return pair.second.sid == sid; });
    return sessions > 1;
}

bool CCorvessaSessionService::IsAgedLocked(const TokenRecord& record) const
{
    // A clock that stands before the issue counts as age 0.
    const ULONGLONG now = m_clock.GetTickCount64();
    const ULONGLONG age = now > record.issuedTick ? now - record.issuedTick : 0;
    return static_cast<LONGLONG>(age) > m_tokenLifetimeMs.load();
}

HRESULT CCorvessaSessionService::LookUpSidLocked(const CString& sid, CWmipUserCacheEntry** entry, bool* asked)
{
    *asked = false;
    CCorvessaUserCache* cache = m_cache();
    if (cache == nullptr)
    {
        return WBEM_E_FAILED;
    }
    *asked = true;
    return IsInternalAccountSID(sid) ? cache->GetCachedUser(entry, sid) : cache->GetUserFromSID(entry, sid);
}

HRESULT CCorvessaSessionService::LookUpEntryLocked(const TokenRecord& record, CWmipUserCacheEntry** entry, bool* asked)
{
    const HRESULT hr = LookUpSidLocked(record.sid, entry, asked);
    if (SUCCEEDED(hr) && *entry != nullptr &&
        ((*entry)->GetUser() == nullptr || (*entry)->GetUser()->GetUserID() != record.userId ||
         (*entry)->GetUser()->GetSignInCredential() != record.credential))
    {
        // The SID's entry is another user's now (a user deleted and another made with the same
        // logon id, an account linked to another user), or another sign-in's (a new password, a
        // row put in its place): the token's own session is no longer there.
        ReleaseUserCacheEntry(std::exchange(*entry, nullptr));
        return WBEM_E_NOT_FOUND;
    }
    return hr;
}

void CCorvessaSessionService::EndSessionLocked(const std::string& token, CWmipUserCacheEntry* entry)
{
    if (entry != nullptr)
    {
        CCorvessaUserCache* cache = m_cache();
        if (cache != nullptr && !IsCachedUserInUseByMultipleSessions(entry->GetSID()))
        {
            cache->RemoveUser(entry);
        }
        ReleaseUserCacheEntry(entry);
    }
    m_tokens.erase(token);
}

HRESULT CCorvessaSessionService::GetUserCacheEntryForToken(const std::string& token, const std::string& applicationId,
                                                           CWmipUserCacheEntry** entry, bool report)
{
    if (entry == nullptr)
    {
        return WBEM_E_INVALID_PARAMETER;
    }
    *entry = nullptr;
    const CriticalSectionLock guard(m_tokenLock);
    const auto found = m_tokens.find(token);
    // A token is known by its record alone: its list is empty while every id it met was past
    // the limits, the sign-in's own included.
    if (found == m_tokens.end())
    {
        throw CCorvessaException(CCorvessaException::kInvalidSessionTokenKey, std::string(kUnknownTokenMessage));
    }
    TokenRecord& record = found->second;
    bool asked = false;
    if (IsAgedLocked(record))
    {
        // Use does not renew a token: past its lifetime it is refused at once, not only at
        // the next sweep.
        CWmipUserCacheEntry* aged = nullptr;
        if (FAILED(LookUpEntryLocked(record, &aged, &asked)))
        {
            LogUserNotFoundForToken();
        }
        EndSessionLocked(token, aged);
        throw CCorvessaException(CCorvessaException::kInvalidSessionTokenKey, std::string(kUnknownTokenMessage));
    }
    RecordApplicationId(record.applicationIds, applicationId);
    const HRESULT hr = LookUpEntryLocked(record, entry, &asked);
    if (SUCCEEDED(hr) || !report)
    {
        return hr;
    }
    if (asked)
    {
        CWMIDebugLog::LogError(
            kSessionServiceSource, __LINE__,
            L"CCorvessaProvixaApp::GetUserCacheEntryForToken - The user cache did not find the user.", hr);
    }
    CWMIDebugLog::LogError(kSessionServiceSource, __LINE__,
                           L"CCorvessaProvixaApp::GetUserCacheEntryForToken - Failed, invalid authentication token. "
                           L"User must authenticate.",
                           corvessa::kInvalidSessionToken);
    return corvessa::kInvalidSessionToken;
}

HRESULT CCorvessaSessionService::EndSession(const std::string& token, const std::string& applicationId)
{
    // One hold for the whole log-out: two log-outs of one SID, or a log-out and a login,
    // cannot both see a second session and so leave the entry behind, or remove a live one.
    const CriticalSectionLock guard(m_tokenLock);
    CWmipUserCacheEntry* entry = nullptr;
    const HRESULT hr = GetUserCacheEntryForToken(token, applicationId, &entry, false);
    if (FAILED(hr))
    {
        LogUserNotFoundForToken();
    }
    EndSessionLocked(token, entry);
    return hr;
}

void CCorvessaSessionService::RemoveStaleAuthenticationTokens()
{
    m_tokenLifetimeMs.store(GetAuthenticatedTokenTimeoutInHours() * kMillisecondsPerHour);
    std::vector<std::string> stale;
    {
        const CriticalSectionLock guard(m_tokenLock);
        for (const auto& [token, record] : m_tokens)
        {
            if (IsAgedLocked(record))
            {
                stale.push_back(token);
            }
        }
    }
    for (const std::string& token : stale)
    {
        const CriticalSectionLock guard(m_tokenLock);
        const auto found = m_tokens.find(token);
        // Another thread may have ended the session since.
        if (found == m_tokens.end())
        {
            continue;
        }
        CWmipUserCacheEntry* entry = nullptr;
        bool asked = false;
        // The sweep's log-out of a token whose user is gone says so, as an asked one does.
        if (FAILED(LookUpEntryLocked(found->second, &entry, &asked)))
        {
            LogUserNotFoundForToken();
        }
        EndSessionLocked(token, entry);
    }
}

HRESULT CCorvessaSessionService::ReleaseUserCacheEntry(CWmipUserCacheEntry* entry)
{
    CCorvessaUserCache* cache = m_cache();
    return cache != nullptr ? cache->ReleaseUser(entry) : E_UNEXPECTED;
}

BOOL CCorvessaSessionService::IsInternalAccountSID(const CString& sid)
{
    return brontel::utility::ConvertToStdString(sid).starts_with(kInternalSidPrefix) ? TRUE : FALSE;
}

CCorvessaSessionService::EntryLease CCorvessaSessionService::LeaseEntry(CWmipUserCacheEntry* entry)
{
    return EntryLease(entry, [this](CWmipUserCacheEntry* held) { ReleaseUserCacheEntry(held); });
}

HRESULT CCorvessaSessionService::LeaseEntryForToken(const std::string& token, const std::string& applicationId,
                                                    EntryLease& lease)
{
    CWmipUserCacheEntry* entry = nullptr;
    const HRESULT hr = GetUserCacheEntryForToken(token, applicationId, &entry, true);
    if (SUCCEEDED(hr))
    {
        lease = LeaseEntry(entry);
    }
    return hr;
}
