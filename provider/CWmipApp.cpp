#include "provider/CWmipApp.h"

#include "framework/CWmipMessages.h"

#include <openssl/rand.h>

#include <climits>
#include <cstring>

#include "common/CBntRegistry.h"
#include "framework/CWmipClassCache.h"
#include "framework/CWmipListObjectClassCache.h"
#include "inhouse/BntAccessSets/CBntConfigSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/DynLinkLibraryLocaleObserver.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipLSConnectThread.h"
#include "provider/CWmipPooledUserEntry.h"
#include "provider/CWmipServerRpcThreads.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using brontel::utility::DynLinkLibraryLocaleObserver;

CWmipApp theApp;

namespace {

constexpr wchar_t kAppSource[] = L"CWmipApp.cpp";
constexpr wchar_t kInstallationKey[] = L"SOFTWARE\\Brontel\\Ivarune";
constexpr wchar_t kFluxmereKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere";
constexpr wchar_t kVexletKey[] = L"SOFTWARE\\Brontel\\Ivarune\\Vexlet";
constexpr const wchar_t* kResourceLibraries[] = {L"BntCommonResources", L"BntUDFResources",
                                                 L"BntCommonAdministrationResources", L"BntCaptureResources.dll"};

// True when the DWORD value reads exactly 1.
bool IsSwitchOn(const CBntRegistry& key, const wchar_t* name)
{
    DWORD value = 0;
    return key.GetDWORDValue(name, &value) && value == 1;
}

// The database time-out of the registry: "DatabaseTimeout" under the Fluxmere key, or the
// Vexlet key when that one does not open; the default when neither gives a value.
int ReadDatabaseTimeout()
{
    CBntRegistry key(true);
    if (!key.Open(kFluxmereKey) && !key.Open(kVexletKey))
    {
        return static_cast<int>(CWmipApp::kDefaultDatabaseTimeout);
    }
    DWORD seconds = CWmipApp::kDefaultDatabaseTimeout;
    if (!key.GetDWORDValue(L"DatabaseTimeout", &seconds))
    {
        seconds = CWmipApp::kDefaultDatabaseTimeout;
    }
    return seconds > static_cast<DWORD>(INT_MAX) ? INT_MAX : static_cast<int>(seconds);
}

// A fresh trust value: random, non-zero and different from the one before. False when the
// random generator fails.
bool DrawTrustValue(LONG previous, LONG& value)
{
    for (int attempt = 0; attempt < 8; ++attempt)
    {
        unsigned char bytes[sizeof(LONG)] = {};
        if (RAND_bytes(bytes, sizeof bytes) != 1)
        {
            return false;
        }
        LONG candidate = 0;
        std::memcpy(&candidate, bytes, sizeof candidate);
        if (candidate != 0 && candidate != previous)
        {
            value = candidate;
            return true;
        }
    }
    return false;
}

// Gives a pooled connection back on every path.
class PooledConnection
{
public:
    explicit PooledConnection(DBConnectionManager& manager) : m_manager(manager), m_connection(manager.Connection(0)) {}
    ~PooledConnection()
    {
        if (m_connection != nullptr)
        {
            m_manager.ReleaseConnection(m_connection);
        }
    }
    PooledConnection(const PooledConnection&) = delete;
    PooledConnection& operator=(const PooledConnection&) = delete;

    CAcsUser* Get() const { return m_connection; }

private:
    DBConnectionManager& m_manager;
    CAcsUser* m_connection;
};

}  // namespace

CWmipApp::CWmipApp() : CBntApp(false, false, nullptr)
{
    // Ready before any accessor can run, whether or not the host calls InitInstance.
    InitializeCriticalSection(&m_lock);
    m_serverRpcThreads = std::make_unique<CWmipServerRpcThreads>(m_lock);
}

CWmipApp::~CWmipApp()
{
    // The server RPC threads hold pooled connections, so they go before everything else.
    m_serverRpcThreads.reset();
    // The connect thread reads the database while it unregisters, so it stops before the
    // services it uses go.
    if (CWmipLSConnectThread* thread = m_lsConnectThread.Get())
    {
        thread->Kill(0);
    }
    m_lsConnectThread.Reset();
    // The user cache uses the connection manager, so it goes first.
    m_userCache.Reset();
    m_classCache.Reset();
    // The list-object cache gives its connection back, so it goes before the manager.
    m_listObjectCache.Reset();
    m_connectionManager.Reset();
    m_hardwareStatusCache.Reset();
    DeleteCriticalSection(&m_lock);
}

BOOL CWmipApp::InitInstance()
{
    GetExceptionHandler().EnableFileLogging(CWMIDebugLog::GetLogFileName());
    CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Fluxmere application initialized.");
    for (const wchar_t* library : kResourceLibraries)
    {
        m_localeObservers.push_back(std::make_unique<DynLinkLibraryLocaleObserver>(nullptr, library));
    }
    return CBntApp::InitInstance();
}

int CWmipApp::ExitInstance()
{
    m_localeObservers.clear();
    // The connect thread must not outlive the module's static objects it uses (text
    // conversion, the log), which go right after ExitInstance: it is stopped here already;
    // the destructor then finds it ended.
    if (CWmipLSConnectThread* thread = m_lsConnectThread.Get())
    {
        thread->Kill(0);
    }
    // So are the server RPC threads: their stop makes the last attempt on the undelivered
    // messages and logs what stays undelivered, which needs the endpoint table and the log.
    m_serverRpcThreads->Shutdown();
    return CBntApp::ExitInstance();
}

CWmipApp* CWmipApp::GetCurrentApp()
{
    return dynamic_cast<CWmipApp*>(AfxGetApp());
}

CWmipClassCache* CWmipApp::GetHostClassCache()
{
    return GetClassCache();
}

DBConnectionManager* CWmipApp::GetHostConnectionManager()
{
    return GetConnectionManager();
}

IWmipUserDirectory* CWmipApp::GetHostUserDirectory()
{
    return GetUserCache();
}

CWimpHardwareStatusCache* CWmipApp::GetHostHardwareStatusCache()
{
    return GetHardwareStatusCache();
}

void CWmipApp::UpdateHostCommServer(int code, CfgMessage& message)
{
    UpdateCommServer(code, message);
}

void CWmipApp::SendHostCfgMessage(CfgMessage& message)
{
    SendCfgMessage(message);
}

std::unique_ptr<IWmipUserEntry> CWmipApp::WrapPooledUser(CAcsUser* pooledUser)
{
    return std::make_unique<CWmipPooledUserEntry>(pooledUser);
}

LONG CWmipApp::GetHostStoredValue(LONG id)
{
    return GetStoredValue(id);
}

int CWmipApp::IsConnectionPoolingDisabled()
{
    return DisableConnectionPooling();
}

HRESULT CWmipApp::LogInCallerForRequest(DBConnectionManager* connections, std::unique_ptr<IWmipUserEntry>* entry)
{
    if (entry == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    std::unique_ptr<CWmipUserCacheEntry> created;
    const HRESULT result = CWmipCallerAccess::LogInCaller(connections, &created);
    if (SUCCEEDED(result))
        *entry = std::move(created);
    return result;
}

void CWmipApp::SetHostTrust(int enable)
{
    SetBackdoorEnabled(enable);
}

LONG CWmipApp::GetHostTrustValue()
{
    return GetBackdoorValue();
}

DBConnectionManager* CWmipApp::GetConnectionManager()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->ConnectionManager() : nullptr;
}

CWmipUserCache* CWmipApp::GetUserCache()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->UserCache() : nullptr;
}

CWmipClassCache* CWmipApp::GetClassCache()
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->GetOrCreate(app->m_classCache, [] { return std::make_unique<CWmipClassCache>(); })
                          : nullptr;
}

CWmipListObjectClassCache* CWmipApp::GetListObjectCache()
{
    CWmipApp* app = GetCurrentApp();
    if (app == nullptr)
    {
        return nullptr;
    }
    if (CWmipListObjectClassCache* existing = app->m_listObjectCache.Get())
    {
        return existing;
    }
    DBConnectionManager* manager = app->ConnectionManager();
    if (manager == nullptr)
    {
        return nullptr;
    }
    return app->GetOrCreate(app->m_listObjectCache, [manager]() -> std::unique_ptr<CWmipListObjectClassCache> {
        // During an installation there is no database to read the lists from: the cache stays
        // empty, so the provider still loads and answers class paths as an installation in
        // progress demands.
        if (IsInstallInProgress())
        {
            return std::make_unique<CWmipListObjectClassCache>(nullptr, nullptr);
        }
        CAcsUser* connection = manager->Connection(0);
        if (connection == nullptr)
        {
            throw CWMIException(kAppSource, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
        }
        return std::make_unique<CWmipListObjectClassCache>(connection, manager);
    });
}

CWimpHardwareStatusCache* CWmipApp::GetHardwareStatusCache()
{
    CWmipApp* app = GetCurrentApp();
    if (app == nullptr)
    {
        return nullptr;
    }
    CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Starting GetHardwareStatusCache");
    CWimpHardwareStatusCache* cache = app->GetOrCreate(app->m_hardwareStatusCache, [] {
        CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"GetHardwareStatusCache: Creating new hardware cache.");
        return std::make_unique<CWimpHardwareStatusCache>();
    });
    CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Returning from GetHardwareStatusCache");
    return cache;
}

CWmipLSConnectThread* CWmipApp::GetLSConnectThread()
{
    CWmipApp* app = GetCurrentApp();
    if (app == nullptr)
    {
        return nullptr;
    }
    return app->GetOrCreate(app->m_lsConnectThread, [] {
        CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Starting GetLSConnectThread");
        auto thread = std::make_unique<CWmipLSConnectThread>();
        if (!thread->Start(LWorkerThread::kPriorityNormal, 0, 0, nullptr))
        {
            throw CWMIException(kAppSource, __LINE__, WBEM_E_FAILED,
                                L"Unable to start the linkage-server connect thread.");
        }
        return thread;
    });
}

LONG CWmipApp::GetStoredValue(LONG id)
{
    CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->StoredValue(id) : 0;
}

int CWmipApp::IsInstallInProgress()
{
    const CWmipApp* app = GetCurrentApp();
    return app != nullptr && app->m_installInProgress.load() > 0 ? 1 : 0;
}

int CWmipApp::SkipLocalSystemAuthentication()
{
    const CWmipApp* app = GetCurrentApp();
    return app != nullptr && app->m_skipLocalSystemAuthentication.load() > 0 ? 1 : 0;
}

int CWmipApp::DisableConnectionPooling()
{
    const CWmipApp* app = GetCurrentApp();
    return app != nullptr && app->m_disableConnectionPooling.load() > 0 ? 1 : 0;
}

void CWmipApp::SetBackdoorEnabled(int enable)
{
    if (CWmipApp* app = GetCurrentApp())
    {
        app->SetBackdoor(enable);
    }
}

int CWmipApp::IsBackdoorEnabled()
{
    const CWmipApp* app = GetCurrentApp();
    return app != nullptr && app->m_trustCounter.load() > 0 && app->m_trustValueValid.load() ? 1 : 0;
}

LONG CWmipApp::GetBackdoorValue()
{
    const CWmipApp* app = GetCurrentApp();
    return app != nullptr ? app->m_trustValue.load() : 0;
}

std::unique_ptr<CWmipUserCache> CWmipApp::CreateUserCache()
{
    return std::make_unique<CWmipUserCache>();
}

template <typename T, typename Create>
T* CWmipApp::GetOrCreate(LazyService<T>& service, Create create)
{
    if (T* existing = service.Get())
    {
        return existing;
    }
    try
    {
        const CriticalSectionLock guard(m_lock);
        if (service.Get() == nullptr)
        {
            service.Set(create());
        }
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"", e.GetHResult(), nullptr, &e);
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"", E_FAIL);
    }
    return service.Get();
}

DBConnectionManager* CWmipApp::ConnectionManager()
{
    DBConnectionManager* manager = m_connectionManager.Get();
    if (manager == nullptr)
    {
        return GetOrCreate(m_connectionManager, [this] {
            auto created = std::make_unique<DBConnectionManager>();
            m_installInProgress.store(0);
            const CBntRegistry key(true, kInstallationKey);
            m_installInProgress.store(IsSwitchOn(key, L"InstallInProgress") ? 1 : 0);
            if (m_installInProgress.load() == 0)
            {
                created->SetConnectionTimeout(ReadDatabaseTimeout());
                AttachDatabase(*created);
            }
            return created;
        });
    }
    if (m_databaseAttached.load() != 0 || m_installInProgress.load() != 0)
    {
        return manager;
    }
    CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Retrying to connect to database...");
    try
    {
        const CriticalSectionLock guard(m_lock);
        if (m_databaseAttached.load() == 0)
        {
            AttachDatabase(*manager);
        }
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"", E_FAIL, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"", E_FAIL);
    }
    return manager;
}

void CWmipApp::AttachDatabase(DBConnectionManager& manager)
{
    m_databaseAttached.store(manager.AddDatabase(nullptr, 0));
    if (m_databaseAttached.load() == 0)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__, L"Unable to connect to database.", WBEM_E_FAILED);
    }
}

CWmipUserCache* CWmipApp::UserCache()
{
    return GetOrCreate(m_userCache, [this] {
        // The installation flag comes with the connection manager, which the cache needs anyway.
        ConnectionManager();
        const CBntRegistry key(true, kInstallationKey);
        m_skipLocalSystemAuthentication.store(IsSwitchOn(key, L"SkipLocalSystemAuthentication") ? 1 : 0);
        m_disableConnectionPooling.store(IsSwitchOn(key, L"DisableConnectionPooling") ? 1 : 0);
        if (m_installInProgress.load() != 0)
        {
            CWMIDebugLog::LogInfo(kAppSource, __LINE__,
                                  L"The system detected an installation in progress. Most features will not be "
                                  L"available until installation completes. You may need to perform an installation "
                                  L"repair if this message persists.");
        }
        return CreateUserCache();
    });
}

LONG CWmipApp::StoredValue(LONG id)
{
    CWMIDebugLog::LogInfo(kAppSource, __LINE__, L"Retrieving configuration parameter from database...", nullptr, false);
    DBConnectionManager* manager = ConnectionManager();
    if (m_installInProgress.load() != 0)
    {
        CWMIDebugLog::LogInfo(kAppSource, __LINE__,
                              L"Retrieving configuration parameter from database - Installation is in progess");
        return CBntConfigSet::GetDefaultValue(id);
    }
    try
    {
        if (manager == nullptr)
        {
            throw CWMIException(kAppSource, __LINE__, WBEM_E_FAILED);
        }
        const PooledConnection connection(*manager);
        if (connection.Get() == nullptr)
        {
            throw CWMIException(kAppSource, __LINE__, WBEM_E_FAILED);
        }
        LONG value = 0;
        CBntConfigSet config(connection.Get()->GetDatabase());
        config.GetValue(id, &value, nullptr, false);
        return value;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__,
                               L"Exception while retrieving configuration parameter from database.", E_FAIL, &e);
    }
    catch (const CWMIException& e)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__,
                               L"Unspecified error while retrieving configuration parameter from database.",
                               e.GetHResult(), nullptr, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kAppSource, __LINE__,
                               L"Unspecified error while retrieving configuration parameter from database.", E_FAIL);
    }
    return CBntConfigSet::GetDefaultValue(id);
}

void CWmipApp::SetBackdoor(int enable)
{
    const CriticalSectionLock guard(m_lock);
    if (enable == 0)
    {
        // An unbalanced lowering would leave the counter below 0, so the next rise would not
        // draw a value nor raise it.
        if (m_trustCounter.load() <= 0)
        {
            CWMIDebugLog::LogError(kAppSource, __LINE__, L"The trust counter was lowered more often than raised.",
                                   E_FAIL);
            return;
        }
        m_trustCounter.fetch_sub(1);
        return;
    }
    if (m_trustCounter.fetch_add(1) + 1 == 1)
    {
        LONG value = 0;
        if (DrawTrustValue(m_trustValue.load(), value))
        {
            m_trustValue.store(value);
            m_trustValueValid.store(true);
        }
        else
        {
            // Without a fresh secret no call may pass as trusted.
            m_trustValueValid.store(false);
            CWMIDebugLog::LogError(kAppSource, __LINE__, L"Unable to draw a trust value.", E_FAIL);
        }
    }
}
