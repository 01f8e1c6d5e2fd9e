#include "provider/CWmipCallerLogin.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntDirectories/GetCurrentWindowsSID.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipMapperLease.h"
#include "provider/CWmipUserCache.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kCallerLoginSource[] = L"CWmipUserCache.cpp";

void LogNotLinked(const CString& sidText)
{
    CWMIDebugLog::LogError(kCallerLoginSource, __LINE__,
                           CString(L"Access denied: account with SID ") + sidText +
                               L" is not linked to an Ivarune user",
                           WBEM_E_ACCESS_DENIED);
}

}  // namespace

HRESULT CWmipCallerLogin::Identify(DBConnectionManager* connections, LPCWSTR sid, bool impersonate, LONG& userId,
                                   CString& sidText)
{
    HRESULT result = S_OK;
    if (impersonate)
    {
        const HRESULT level = CWmipUserCache::IsImpersonatedClient();
        if (FAILED(level))
        {
            CWMIDebugLog::LogError(kCallerLoginSource, __LINE__, L"Improper authentication level", level);
            return level;
        }
        if (level == 1)
        {
            if (sid == nullptr)
            {
                CWMIDebugLog::LogError(kCallerLoginSource, __LINE__, L"Improper authentication level (identification)",
                                       WBEM_E_ACCESS_DENIED);
                return WBEM_E_ACCESS_DENIED;
            }
            // An identified client named by SID is looked up without impersonating it.
            result = S_FALSE;
            impersonate = false;
        }
        else
        {
            const HRESULT impersonated = CoImpersonateClient();
            if (FAILED(impersonated))
            {
                CWMIDebugLog::LogError(kCallerLoginSource, __LINE__, L"Unable to impersonate client", impersonated);
                return impersonated;
            }
        }
    }
    bool found = false;
    if (sid == nullptr)
    {
        // The thread's account; LogIn resolves it to its user.
        found = SUCCEEDED(brontel::directories::GetCurrentWindowsSID(sidText));
    }
    else
    {
        sidText = sid;
        // Without a connection the account stays unresolved (user id 0): a cached entry, which
        // compares its own stored user, is served, and the login of one not cached refuses it.
        if (!LookUpLinkedUser(connections, sidText, userId))
            return result;
        found = userId != 0;
    }
    if (found)
        return result;
    if (impersonate)
        CoRevertToSelf();
    LogNotLinked(sidText);
    return WBEM_E_ACCESS_DENIED;
}

HRESULT CWmipCallerLogin::LogIn(DBConnectionManager* connections, const CString& sidText, LONG userId,
                                std::unique_ptr<CAcsUser>& user)
{
    if (userId == 0 && !LookUpLinkedUser(connections, sidText, userId))
    {
        // Every connection is lent: the account could not be looked up, which says nothing of
        // its link. An unresolved account is never logged in as whatever user id 0 stands for.
        CWMIDebugLog::LogError(kCallerLoginSource, __LINE__,
                               CString(CWmipMessages::kNoConnection) + L" The account with SID " + sidText +
                                   L" could not be looked up.",
                               kNoConnectionFree);
        return kNoConnectionFree;
    }
    // The login names its user by id: an account that cannot be resolved is refused here rather
    // than logged in as whatever user id 0 stands for.
    auto loggedIn = std::make_unique<CAcsUser>();
    if (userId == 0 ||
        !loggedIn->Login(CBntDatabase::GetDSNFromINI(), nullptr, nullptr, CAcsUser::kInternalDirectoryID, userId))
    {
        // The service accounts try on every request; their refusals would only fill the log.
        if (!CWmipCallerAccess::IsSystemAccountSid(sidText))
            CWMIDebugLog::LogError(kCallerLoginSource, __LINE__, L"Access denied: unable to login to Ivarune",
                                   WBEM_E_ACCESS_DENIED);
        return WBEM_E_ACCESS_DENIED;
    }
    user = std::move(loggedIn);
    return S_OK;
}

bool CWmipCallerLogin::LookUpLinkedUser(DBConnectionManager* connections, const CString& sid, LONG& userId)
{
    userId = 0;
    CWmipMapperLease lease(connections);
    const CAcsUser* connection = lease.TakeConnection();
    if (connection == nullptr || connection->GetDatabase() == nullptr)
        return false;
    try
    {
        const brontel::directories::DirectoryDBManager directories(connection->GetDatabase(), nullptr);
        userId = directories.GetUserIDForWindowsAccount(sid);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kCallerLoginSource, __LINE__,
                               CString(L"Error while looking for user with SID ") + sid + L" in database",
                               WBEM_E_FAILED, &e);
        userId = 0;
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kCallerLoginSource, __LINE__,
                               CString(L"Unspecified error while looking for user with SID ") + sid + L" in database",
                               WBEM_E_FAILED);
        userId = 0;
    }
    return true;
}
