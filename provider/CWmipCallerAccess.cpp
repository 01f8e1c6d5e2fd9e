#include "provider/CWmipCallerAccess.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"

#include <memory>

#include "inhouse/BntDirectories/GetCurrentWindowsSID.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/win32/Clock.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerLogin.h"
#include "provider/CWmipRequestEnvelope.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr LPCWSTR kCallerAccessSource = CWmipRequestEnvelope::kSourceName;

// Reverts the thread to itself when the scope ends, on every path.
class RevertOnExit
{
public:
    RevertOnExit() = default;
    ~RevertOnExit() { CoRevertToSelf(); }
    RevertOnExit(const RevertOnExit&) = delete;
    RevertOnExit& operator=(const RevertOnExit&) = delete;
};

// Gives an entry taken with GetUser back when the scope ends.
class EntryReturn
{
public:
    EntryReturn(const CWmipCallerAccess& access, CWmipUserCacheEntry* entry) : m_access(access), m_entry(entry) {}
    ~EntryReturn() { m_access.ReleaseUser(m_entry); }
    EntryReturn(const EntryReturn&) = delete;
    EntryReturn& operator=(const EntryReturn&) = delete;

private:
    const CWmipCallerAccess& m_access;
    CWmipUserCacheEntry* m_entry;
};

}  // namespace

CWmipCallerAccess::CWmipCallerAccess(CWmipUserCache* userCache, DBConnectionManager* connectionManager)
    : m_userCache(userCache), m_connectionManager(connectionManager)
{
}

void CWmipCallerAccess::EnsureVexletPermission() const
{
    CWmipUserCacheEntry* entry = nullptr;
    HRESULT result = GetUser(&entry);
    if (FAILED(result) || entry == nullptr)
    {
        ReleaseUser(entry);
        if (SUCCEEDED(result))
            result = WBEM_E_FAILED;
        CString sid;
        if (result != CWmipCallerLogin::kNoConnectionFree && ReadClientSid(sid) && IsSystemAccountSid(sid))
            throw CWMIException(kCallerAccessSource, __LINE__, result, CWmipMessages::kNoProviderAccess, false);
        throw CWMIException(kCallerAccessSource, __LINE__, result, UnresolvedCallerText(result));
    }

    bool permitted = false;
    {
        // The entry is held only for the check, not for the rest of the request.
        EntryReturn giveBack(*this, entry);
        const CAcsUser* user = entry->GetUser();
        permitted = user != nullptr && user->HasPermission(Permission::kUseProvider);
    }
    if (!permitted)
        throw CWMIException(kCallerAccessSource, __LINE__, WBEM_E_ACCESS_DENIED, CWmipMessages::kNoProviderPermission);
}

HRESULT CWmipCallerAccess::GetUser(CWmipUserCacheEntry** entry) const
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *entry = nullptr;
    if (CWmipApp::DisableConnectionPooling())
    {
        std::unique_ptr<CWmipUserCacheEntry> created;
        const HRESULT result = LogInCaller(m_connectionManager, &created);
        if (FAILED(result))
            return result;
        created->AddRef();
        *entry = created.release();
        return result;
    }
    if (m_userCache == nullptr)
        return WBEM_E_FAILED;
    CWmipUserCacheEntry* taken = nullptr;
    const HRESULT result = m_userCache->GetUser(&taken);
    if (FAILED(result))
    {
        m_userCache->ReleaseUser(taken);
        return result;
    }
    *entry = taken;
    return result;
}

void CWmipCallerAccess::ReleaseUser(CWmipUserCacheEntry* entry) const
{
    if (entry == nullptr)
        return;
    if (CWmipApp::DisableConnectionPooling())
    {
        // An entry of this mode was built for the one request and belongs to it alone.
        std::unique_ptr<CWmipUserCacheEntry> owned(entry);
        return;
    }
    if (m_userCache != nullptr)
        m_userCache->ReleaseUser(entry);
}

const wchar_t* CWmipCallerAccess::UnresolvedCallerText(HRESULT failure)
{
    return failure == CWmipCallerLogin::kNoConnectionFree ? CWmipMessages::kNoConnection
                                                          : CWmipMessages::kAccountNotLinked;
}

bool CWmipCallerAccess::ReadClientSid(CString& sid)
{
    // Without impersonation the thread's own account would be read, not the client's.
    if (FAILED(CoImpersonateClient()))
        return false;
    RevertOnExit revert;
    return SUCCEEDED(brontel::directories::GetCurrentWindowsSID(sid));
}

bool CWmipCallerAccess::IsSystemAccountSid(const CString& sid)
{
    return sid == kLocalSystemSid || sid == kNetworkServiceSid;
}

HRESULT CWmipCallerAccess::LogInCaller(DBConnectionManager* connections, std::unique_ptr<CWmipUserCacheEntry>* entry)
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    LONG userId = 0;
    CString sid;
    const HRESULT identified = CWmipCallerLogin::Identify(connections, nullptr, true, userId, sid);
    if (FAILED(identified))
        return identified;
    RevertOnExit revert;
    try
    {
        CWMIDebugLog::LogInfo(kCallerAccessSource, __LINE__, L"CWmipMapper::GetUser - creating new user", nullptr,
                              true);
        std::unique_ptr<CAcsUser> user;
        const HRESULT loggedIn = CWmipCallerLogin::LogIn(connections, sid, userId, user);
        if (FAILED(loggedIn))
            return loggedIn;
        auto created =
            std::make_unique<CWmipUserCacheEntry>(std::move(user), nullptr, IClock::Process().GetTickCount64());
        created->SetSID(sid);
        *entry = std::move(created);
        return S_OK;
    }
    catch (const CException& failure)
    {
        CWMIDebugLog::LogError(kCallerAccessSource, __LINE__, L"Access denied: unable to login to Ivarune",
                               WBEM_E_ACCESS_DENIED, &failure);
        return WBEM_E_ACCESS_DENIED;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kCallerAccessSource, __LINE__, L"Unspecified error while getting user",
                               WBEM_E_ACCESS_DENIED);
        return WBEM_E_ACCESS_DENIED;
    }
}
