// CWmipApp: the module's application object and the home of the process-wide services: the
// database connection manager, the user cache, the class cache and the hardware status cache,
// each created on first use; the installation's registry switches; the numeric configuration
// parameters stored in the database (GetStoredValue); and the internal trust counter through
// which the system lets its own nested WMI calls pass as trusted.
//
// One global instance, theApp, exists from load to unload. All other code reaches the services
// through the static members, which find the current application object through the module
// state (in WMI mode the entry points switch to theApp; in bus mode the host's object, which
// derives from this class, is found). Without a current CWmipApp every accessor answers null
// or 0.
//
// Thread-safe: every request thread may call the accessors at any time. The application lock
// (recursive) guards the creation of each service, the retry of the database attachment and
// the trust counter; a service is published once, fully built, and read without the lock
// afterwards. InitInstance and ExitInstance are called by the host on one thread.
#pragma once

#include <atomic>
#include <memory>
#include <vector>

#include "framework/IWmipFrameworkHost.h"
#include "inhouse/BntCommon/CBntApp.h"
#include "platform/win32/Threading.h"
#include "platform/win32/WinTypes.h"
#include "hardware/CWimpHardwareStatusCache.h"
#include "provider/CWmipUserCache.h"

class CfgMessage;
class CLSLRpcComClass;
class CWmipClassCache;
class CWmipListObjectClassCache;
class CWmipLSConnectThread;
class CWmipServerRpcThreads;
class DBConnectionManager;
class LCRSRpcComClass;
class LRpcComClass;

namespace brontel::utility {
class DynLinkLibraryLocaleObserver;
}

class CWmipApp : public CBntApp, public IWmipFrameworkHost
{
public:
    // The database time-out when the registry names none, in seconds.
    static constexpr DWORD kDefaultDatabaseTimeout = 300;

    CWmipApp();
    // Stops the server RPC threads and the linkage-server connect thread, then destroys the
    // user cache, the class cache, the list-object cache, the connection manager and the
    // hardware status cache, in that order: the caches give their pooled connections back to
    // the manager as they go.
    ~CWmipApp() override;

    // Turns on file logging of the exception handler, logs "Fluxmere application
    // initialized." and creates the resource libraries' locale observers. The base's result.
    BOOL InitInstance() override;
    // Destroys the locale observers and stops the linkage-server connect thread. The base's
    // result.
    int ExitInstance() override;

    // The current application object; null when the current one is not a CWmipApp.
    static CWmipApp* GetCurrentApp();

    // The connection manager, created on first use with the registry's database time-out and
    // the database attached (unless an installation is in progress). A later call retries
    // the attachment while it has not succeeded. The manager is answered attached or not;
    // null only without an app or when its creation failed. Valid until the app is destroyed.
    static DBConnectionManager* GetConnectionManager();
    // The user cache, created on first use through CreateUserCache after the registry
    // switches are read. Null without an app or when creation failed (the next call tries
    // again). Valid until the app is destroyed.
    static CWmipUserCache* GetUserCache();
    // The class cache, created empty on first use. Null without an app or when creation
    // failed (the next call tries again). Valid until the app is destroyed.
    static CWmipClassCache* GetClassCache();
    // The list-object cache, created on first use with a pooled connection of the connection
    // manager, which the cache keeps (and gives back when destroyed). Null without an app, or
    // when no connection can be had (the next call tries again). Valid until the app is
    // destroyed.
    static CWmipListObjectClassCache* GetListObjectCache();
    // The hardware status cache, created empty on first use. Null without an app. Valid until
    // the app is destroyed.
    static CWimpHardwareStatusCache* GetHardwareStatusCache();
    // The linkage-server connect thread, created and started on first use. Null without an
    // app or when it cannot be created or started (the next call tries again). Valid until the
    // app is destroyed, which stops it first.
    static CWmipLSConnectThread* GetLSConnectThread();

    // One numeric configuration parameter from the database; its default during an
    // installation or when the database cannot be read; 0 for a parameter the database does
    // not fill, and 0 without an app.
    static LONG GetStoredValue(LONG id);

    // Registry switches: 1 when set, else 0 (0 without an app). IsInstallInProgress is read
    // with the first GetConnectionManager, the other two with the first GetUserCache.
    static int IsInstallInProgress();
    static int SkipLocalSystemAuthentication();
    static int DisableConnectionPooling();

    // The internal trust counter: non-zero raises it (a rise from 0 draws a new, non-zero
    // trust value from the random generator), zero lowers it (never below 0). Nothing without
    // an app.
    static void SetBackdoorEnabled(int enable);
    // 1 while the counter is raised and a trust value is in force, else 0.
    static int IsBackdoorEnabled();
    // The trust value in force (0 without an app or before the first rise).
    static LONG GetBackdoorValue();

    // Configuration messages: each hands a copy of the message with the code to its server's
    // RPC thread (created on first use); without the thread it logs "Unable to retrieve RPC
    // communication thread for <server>." and returns. Nothing without an app. Inside a
    // database transaction of the calling thread the copy waits for the commit and is
    // discarded by a rollback (CBntCommitQueue); otherwise it goes at once. A message the
    // communication server neither took nor kept for a retry is logged with its content.
    static void UpdateCommServer(int code, CfgMessage& message);
    static void UpdateLinkageServer(int code, CfgMessage& message);
    static void UpdateArchiveServer(int code, CfgMessage& message);
    // The message to the communication, linkage and archive servers in that order, with the
    // message's own code; a server that cannot be reached does not stop the others.
    static void SendCfgMessage(CfgMessage& message);

    // The framework's view of the application: the static accessors above.
    CWmipClassCache* GetHostClassCache() override;
    DBConnectionManager* GetHostConnectionManager() override;
    IWmipUserDirectory* GetHostUserDirectory() override;
    CWimpHardwareStatusCache* GetHostHardwareStatusCache() override;
    void UpdateHostCommServer(int code, CfgMessage& message) override;
    void SendHostCfgMessage(CfgMessage& message) override;
    // A CWmipPooledUserEntry.
    std::unique_ptr<IWmipUserEntry> WrapPooledUser(CAcsUser* pooledUser) override;
    LONG GetHostStoredValue(LONG id) override;
    int IsConnectionPoolingDisabled() override;
    HRESULT LogInCallerForRequest(DBConnectionManager* connections, std::unique_ptr<IWmipUserEntry>* entry) override;
    void SetHostTrust(int enable) override;
    LONG GetHostTrustValue() override;

protected:
    // The user cache of this kind of application; the bus front end builds its own.
    virtual std::unique_ptr<CWmipUserCache> CreateUserCache();

private:
    // A service owned by the app and published once, fully built, for readers without the lock.
    template <typename T>
    class LazyService
    {
    public:
        T* Get() const { return m_published.load(std::memory_order_acquire); }
        void Set(std::unique_ptr<T> service)
        {
            m_owner = std::move(service);
            m_published.store(m_owner.get(), std::memory_order_release);
        }
        void Reset()
        {
            m_published.store(nullptr, std::memory_order_release);
            m_owner.reset();
        }

    private:
        std::unique_ptr<T> m_owner;
        std::atomic<T*> m_published{nullptr};
    };

    // The lazy pattern: the service, created by `create` under the application lock when it
    // does not exist yet. A failed creation is logged and leaves the service unset.
    template <typename T, typename Create>
    T* GetOrCreate(LazyService<T>& service, Create create);

    // The server RPC threads, created on first use; null without an app or when one cannot be
    // created (logged; tried again on the next call).
    static LRpcComClass* GetCommServerRpcThread();
    static CLSLRpcComClass* GetLinkageServerRpcThread();
    static LCRSRpcComClass* GetArchiveServerRpcThread();

    DBConnectionManager* ConnectionManager();
    CWmipUserCache* UserCache();
    LONG StoredValue(LONG id);
    void SetBackdoor(int enable);
    // Attaches the database and records the result; the caller holds the lock.
    void AttachDatabase(DBConnectionManager& manager);

    CRITICAL_SECTION m_lock;
    // Made in the constructor with m_lock; destroyed first.
    std::unique_ptr<CWmipServerRpcThreads> m_serverRpcThreads;

    LazyService<DBConnectionManager> m_connectionManager;
    LazyService<CWmipUserCache> m_userCache;
    LazyService<CWmipClassCache> m_classCache;
    LazyService<CWmipListObjectClassCache> m_listObjectCache;
    LazyService<CWimpHardwareStatusCache> m_hardwareStatusCache;
    LazyService<CWmipLSConnectThread> m_lsConnectThread;

    // Written under m_lock, read without it.
    std::atomic<int> m_databaseAttached{0};
    std::atomic<int> m_installInProgress{0};
    std::atomic<int> m_skipLocalSystemAuthentication{0};
    std::atomic<int> m_disableConnectionPooling{0};

    // Changed under m_lock; read without it.
    std::atomic<int> m_trustCounter{0};
    std::atomic<LONG> m_trustValue{0};
    std::atomic<bool> m_trustValueValid{false};

    // Touched only by InitInstance and ExitInstance.
    std::vector<std::unique_ptr<brontel::utility::DynLinkLibraryLocaleObserver>> m_localeObservers;
};

// The module's application object.
extern CWmipApp theApp;
