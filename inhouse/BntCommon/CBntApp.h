// The common base of the installation's application objects: the application's own database
// connection (a CAcsUser logged in as the system administrator) and the exception handler
// that writes the application's failures to a log file.
//
// Owned by the program (one application object). Thread-safe: the login state is guarded by
// m_lock. A new login keeps the connections of earlier logins until the application ends,
// so a user or database pointer handed out before stays valid while requests still use it.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "inhouse/BntLogin/CBntExceptionHandler.h"
#include "inhouse/BntUtility/BaseApp.h"
#include "platform/win32/WinTypes.h"

class CAcsUser;
class CBntDatabase;

class CBntApp : public brontel::utility::BaseApp
{
public:
    // The two flags are the original library's application options; this base needs neither.
    CBntApp(bool, bool, LPCWSTR appName);
    ~CBntApp() override;

    // Logs the application in as the system administrator on the database that dataSource
    // names (null: CBntDatabase::GetDSNFromINI). TRUE on success, after which GetUser and
    // GetDatabase answer the new connection; FALSE when the login fails (written to the
    // exception handler's log), the application then being logged out.
    BOOL LoginAsSA(LPCWSTR dataSource);
    // TRUE at once while the application is logged in; otherwise LoginAsSA. Logins run one at a
    // time, so requests that find the application logged out at once make one login, and a
    // login that fails never takes away the one another request has just made.
    BOOL LoginAsSAUnlessLoggedIn(LPCWSTR dataSource);
    // TRUE while the application holds a logged-in connection.
    BOOL IsLoggedIn() const;
    // The application's connection and its database; null while logged out. Valid until the
    // application ends.
    CAcsUser* GetUser() const;
    CBntDatabase* GetDatabase() const;

    CBntExceptionHandler& GetExceptionHandler() { return m_exceptionHandler; }

private:
    BOOL LoginAsSALocked(LPCWSTR dataSource) REQUIRES(m_loginLock);

    CBntExceptionHandler m_exceptionHandler;
    // Held for a whole login (it opens the database, which a first opening switches to WAL and
    // so needs to itself); never taken while m_lock is held.
    CheckedMutex m_loginLock;
    mutable CheckedMutex m_lock;
    CAcsUser* m_current GUARDED_BY(m_lock) = nullptr;  // one of m_users
    std::vector<std::unique_ptr<CAcsUser>> m_users GUARDED_BY(m_lock);
};
