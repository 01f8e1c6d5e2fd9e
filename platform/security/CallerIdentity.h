// The identity of the client on whose behalf the current thread works.
//
// The host (the WMI service stand-in, a bus front end, a test) names the caller of a request
// with a `CallerIdentity::Scope` on the thread that runs it; CoImpersonateClient,
// CoRevertToSelf and the thread token read it. Caller and impersonation state are per thread:
// nothing here is shared between threads, so every function is thread-safe.
#pragma once

#include "platform/win32/WinTypes.h"

#include <optional>
#include <string>

enum SECURITY_IMPERSONATION_LEVEL : std::int32_t
{
    SecurityAnonymous = 0,
    SecurityIdentification = 1,
    SecurityImpersonation = 2,
    SecurityDelegation = 3,
};

class CallerIdentity
{
public:
    // `sid` is the caller's SID text ("S-1-5-21-..."); it is checked only when a token is
    // asked for the caller's user (GetTokenInformation with TokenUser).
    CallerIdentity(std::wstring sid, SECURITY_IMPERSONATION_LEVEL level);

    const std::wstring& Sid() const { return m_sid; }
    SECURITY_IMPERSONATION_LEVEL Level() const { return m_level; }

    // Names the caller of the current thread for a scope; defined below.
    class Scope;

    // The caller of the current thread, or nothing outside any Scope.
    static std::optional<CallerIdentity> Current();

    // The impersonation level of the current thread's caller, or nothing outside any Scope;
    // what the thread token's TokenImpersonationLevel answers, without opening a token.
    static std::optional<SECURITY_IMPERSONATION_LEVEL> CurrentLevel();

    // True between a successful CoImpersonateClient and CoRevertToSelf on this thread.
    static bool IsImpersonating();

    // The SID of the account this process runs as. Ours, not a Windows account: the local
    // uid as the last sub-authority of "S-1-5-21-0-0-0-<uid>".
    static std::wstring ProcessAccountSid();

private:
    std::wstring m_sid;
    SECURITY_IMPERSONATION_LEVEL m_level;
};

// Names the caller of the current thread for the scope's lifetime, not yet impersonated; the
// destructor restores the caller and impersonation state that were there before. Scopes on
// one thread nest; each ends on the thread that made it. Not copyable.
class CallerIdentity::Scope
{
public:
    explicit Scope(CallerIdentity caller);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

private:
    // Set at construction: the thread's state before this scope.
    std::optional<CallerIdentity> m_previousCaller;
    bool m_previousImpersonating;
};

// Starts impersonating the caller of the current thread. S_OK on success (also when already
// impersonating); RPC_E_NO_CONTEXT when no caller is set on this thread.
HRESULT CoImpersonateClient();

// Ends impersonation on the current thread. S_OK on success (also when not impersonating);
// RPC_E_NO_CONTEXT when no caller is set on this thread.
HRESULT CoRevertToSelf();
