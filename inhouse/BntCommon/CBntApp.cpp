#include "inhouse/BntCommon/CBntApp.h"

#include "inhouse/BntLogin/CAcsUser.h"

namespace {

constexpr wchar_t kBntAppSource[] = L"CBntApp";

}  // namespace

CBntApp::CBntApp(bool, bool, LPCWSTR appName) : BaseApp(appName) {}

CBntApp::~CBntApp() = default;

BOOL CBntApp::LoginAsSA(LPCWSTR dataSource)
{
    const CheckedMutexLock login(m_loginLock);
    return LoginAsSALocked(dataSource);
}

BOOL CBntApp::LoginAsSAUnlessLoggedIn(LPCWSTR dataSource)
{
    const CheckedMutexLock login(m_loginLock);
    if (IsLoggedIn())
        return TRUE;
    return LoginAsSALocked(dataSource);
}

BOOL CBntApp::LoginAsSALocked(LPCWSTR dataSource)
{
    // The login runs without m_lock: requests keep using the current connection meanwhile.
    auto user = std::make_unique<CAcsUser>();
    user->GetExceptionHandler().EnableFileLogging(m_exceptionHandler.GetLogFileName());
    const bool loggedIn = user->LoginAsSA(dataSource);
    const CheckedMutexLock guard(m_lock);
    if (!loggedIn)
    {
        m_exceptionHandler.LogError(kBntAppSource, __LINE__, L"The application could not log in to the database.");
        m_current = nullptr;
        return FALSE;
    }
    m_current = user.get();
    m_users.push_back(std::move(user));
    return TRUE;
}

BOOL CBntApp::IsLoggedIn() const
{
    const CheckedMutexLock guard(m_lock);
    return m_current != nullptr && m_current->IsLoggedIn() ? TRUE : FALSE;
}

CAcsUser* CBntApp::GetUser() const
{
    const CheckedMutexLock guard(m_lock);
    return m_current;
}

CBntDatabase* CBntApp::GetDatabase() const
{
    const CheckedMutexLock guard(m_lock);
    return m_current != nullptr ? m_current->GetDatabase() : nullptr;
}
