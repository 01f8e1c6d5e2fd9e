#include "platform/security/CallerIdentity.h"

#include <unistd.h>

namespace {

struct ThreadSecurity
{
    std::optional<CallerIdentity> m_caller;
    bool m_impersonating = false;
};

thread_local ThreadSecurity t_security;

}  // namespace

CallerIdentity::CallerIdentity(std::wstring sid, SECURITY_IMPERSONATION_LEVEL level)
    : m_sid(std::move(sid)), m_level(level)
{
}

CallerIdentity::Scope::Scope(CallerIdentity caller)
    : m_previousCaller(std::move(t_security.m_caller)), m_previousImpersonating(t_security.m_impersonating)
{
    t_security.m_caller = std::move(caller);
    t_security.m_impersonating = false;
}

CallerIdentity::Scope::~Scope()
{
    t_security.m_caller = std::move(m_previousCaller);
    t_security.m_impersonating = m_previousImpersonating;
}

std::optional<CallerIdentity> CallerIdentity::Current()
{
    return t_security.m_caller;
}

std::optional<SECURITY_IMPERSONATION_LEVEL> CallerIdentity::CurrentLevel()
{
    if (!t_security.m_caller)
        return std::nullopt;
    return t_security.m_caller->Level();
}

bool CallerIdentity::IsImpersonating()
{
    return t_security.m_impersonating;
}

std::wstring CallerIdentity::ProcessAccountSid()
{
    return L"S-1-5-21-0-0-0-" + std::to_wstring(::getuid());
}

HRESULT CoImpersonateClient()
{
    if (!t_security.m_caller)
        return RPC_E_NO_CONTEXT;
    t_security.m_impersonating = true;
    return S_OK;
}

HRESULT CoRevertToSelf()
{
    if (!t_security.m_caller)
        return RPC_E_NO_CONTEXT;
    t_security.m_impersonating = false;
    return S_OK;
}
