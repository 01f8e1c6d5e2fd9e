// CWmipCallerAccess: who the caller of an instance-provider request is and whether it may use
// the provider: the caller's user-cache entry (from the process's user cache, or built for the
// one request when connection pooling is disabled), the caller's Windows SID, and the check of
// the right to use the data-integration service (permission 0x100000D0).
//
// Owned by the instance provider; its members are set at construction and only read, so one
// object serves every request thread at once. The user cache and the connection manager are
// borrowed from the application object and outlive it.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

#include <memory>

class CWmipUserCache;
class CWmipUserCacheEntry;
class DBConnectionManager;

class CWmipCallerAccess
{
public:
    // The SIDs of Local System and Network Service.
    static constexpr LPCWSTR kLocalSystemSid = L"S-1-5-18";
    static constexpr LPCWSTR kNetworkServiceSid = L"S-1-5-20";

    CWmipCallerAccess(CWmipUserCache* userCache, DBConnectionManager* connectionManager);
    CWmipCallerAccess(const CWmipCallerAccess&) = delete;
    CWmipCallerAccess& operator=(const CWmipCallerAccess&) = delete;

    // Returns when the caller may use the provider. Throws CWMIException: the failure of
    // GetUser with UnresolvedCallerText's text when no connection was free to look the caller
    // up, else with "The client does not have access to use Fluxmere." (Local System or Network
    // Service) or "... The user account has not been linked." (anyone else); 0x80041003 when
    // the caller's user lacks the permission. The entry is given back before it returns.
    void EnsureVexletPermission() const;
    // The text of a caller whose entry GetUser could not give (it failed with `failure`):
    // CWmipMessages::kNoConnection when no connection was free to look the caller up
    // (CWmipCallerLogin::kNoConnectionFree), else CWmipMessages::kAccountNotLinked.
    static const wchar_t* UnresolvedCallerText(HRESULT failure);

    // The caller's entry with its use count raised into *entry (null first, set only on
    // success). Answers S_OK (or S_FALSE from the cache) on success; the failing HRESULT
    // otherwise (0x80041003 for an unlinked or unresolvable account;
    // CWmipCallerLogin::kNoConnectionFree when no database connection was free to resolve it;
    // WBEM_E_FAILED without a user cache; WBEM_E_INVALID_PARAMETER for a null out pointer).
    HRESULT GetUser(CWmipUserCacheEntry** entry) const;
    // Gives an entry from GetUser back; null is ignored.
    void ReleaseUser(CWmipUserCacheEntry* entry) const;

    // The Windows SID of the client (impersonating it for the read and reverting after).
    // True with the SID text on success; false when it cannot be read.
    static bool ReadClientSid(CString& sid);
    // True for the SID texts of Local System and Network Service (exact comparison).
    static bool IsSystemAccountSid(const CString& sid);

    // The caller's login when connection pooling is disabled: a user logged in for one request
    // only, shared by the provider's GetUser and the mapper's. The linked user of the client's
    // SID is looked up (through a connection of `connections`) before the login, which names
    // its user by id. S_OK with *entry set (use count 0, owned by the caller);
    // WBEM_E_ACCESS_DENIED for an unlinked, unreadable or refused account;
    // CWmipCallerLogin::kNoConnectionFree for one no connection was free to look up; the
    // impersonation level's or impersonation's failure;
    // WBEM_E_INVALID_PARAMETER for a null entry. *entry is untouched on failure.
    static HRESULT LogInCaller(DBConnectionManager* connections, std::unique_ptr<CWmipUserCacheEntry>* entry);

private:
    // Set at construction.
    CWmipUserCache* const m_userCache;
    DBConnectionManager* const m_connectionManager;
};
