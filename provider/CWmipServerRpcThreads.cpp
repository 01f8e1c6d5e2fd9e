#include "provider/CWmipServerRpcThreads.h"
#include "framework/CWmipMessages.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/mfc/CString.h"
#include "platform/registry/ProfileFile.h"
#include "provider/CWmipApp.h"
#include "provider/WmipArchiveServerRpcClass.h"
#include "provider/WmipCommServerRpcClass.h"
#include "provider/WmipLinkageServerRpcClass.h"

using brontel::utility::CWMIDebugLog;

namespace {

constexpr wchar_t kServerRpcThreadsSource[] = L"CWmipServerRpcThreads";

// A pooled connection and its manager, or nulls after the failure was logged.
struct TakenConnection
{
    DBConnectionManager* manager = nullptr;
    const CAcsUser* connection = nullptr;
};

TakenConnection TakeConnection()
{
    TakenConnection taken;
    taken.manager = CWmipApp::GetConnectionManager();
    if (taken.manager == nullptr)
    {
        CWMIDebugLog::LogError(kServerRpcThreadsSource, __LINE__,
                               L"Unable to retrieve the database connection manager.");
        return taken;
    }
    taken.connection = taken.manager->Connection(0);
    if (taken.connection == nullptr)
        CWMIDebugLog::LogError(kServerRpcThreadsSource, __LINE__, CWmipMessages::kNoConnection);
    return taken;
}

// The thread object on a pooled connection, which it then holds and gives back as it goes;
// null when there is no connection.
template <class Derived>
std::unique_ptr<Derived> BuildOnConnection()
{
    const TakenConnection taken = TakeConnection();
    if (taken.connection == nullptr)
        return nullptr;
    return std::make_unique<Derived>(taken.connection, taken.manager);
}

// The thread started; null (and the object gone) when it cannot start.
template <class Thread>
std::unique_ptr<Thread> Started(std::unique_ptr<Thread> thread)
{
    if (thread != nullptr && !thread->Start(LWorkerThread::kPriorityNormal, 0, 0, nullptr))
    {
        CWMIDebugLog::LogError(kServerRpcThreadsSource, __LINE__, L"A server RPC thread could not be started.");
        return nullptr;
    }
    return thread;
}

}  // namespace

CWmipServerRpcThreads::CWmipServerRpcThreads(CRITICAL_SECTION& applicationLock) : m_applicationLock(applicationLock) {}

CWmipServerRpcThreads::~CWmipServerRpcThreads()
{
    Shutdown();
}

template <class T, class Create>
T* CWmipServerRpcThreads::GetOrCreate(Slot<T>& slot, Create create)
{
    if (T* existing = slot.published.load(std::memory_order_acquire))
        return existing;
    const CriticalSectionLock guard(m_applicationLock);
    if (slot.published.load(std::memory_order_acquire) == nullptr)
    {
        std::unique_ptr<T> created = Started(create());
        if (created != nullptr)
        {
            slot.owner = std::move(created);
            slot.published.store(slot.owner.get(), std::memory_order_release);
        }
    }
    return slot.published.load(std::memory_order_acquire);
}

LRpcComClass* CWmipServerRpcThreads::CommServer()
{
    return GetOrCreate(m_commServer, []() -> std::unique_ptr<LRpcComClass> {
        std::unique_ptr<WmipCommServerRpcClass> thread = BuildOnConnection<WmipCommServerRpcClass>();
        if (thread != nullptr && GetPrivateProfileIntW(kRpcComSection, kDirectToFailedKey, 0, L"ACS.INI") == 1)
            thread->WriteAllCommandsDirectlyToFailedRpc();
        return thread;
    });
}

CLSLRpcComClass* CWmipServerRpcThreads::LinkageServer()
{
    return GetOrCreate(m_linkageServer, []() -> std::unique_ptr<CLSLRpcComClass> {
        return BuildOnConnection<WmipLinkageServerRpcClass>();
    });
}

LCRSRpcComClass* CWmipServerRpcThreads::ArchiveServer()
{
    return GetOrCreate(m_archiveServer, []() -> std::unique_ptr<LCRSRpcComClass> {
        return BuildOnConnection<WmipArchiveServerRpcClass>();
    });
}

template <class T, class Stop>
void CWmipServerRpcThreads::Release(Slot<T>& slot, const wchar_t* name, Stop stop)
{
    slot.published.store(nullptr, std::memory_order_release);
    if (slot.owner == nullptr)
        return;
    if (stop(*slot.owner))
    {
        slot.owner.reset();
        return;
    }
    CWMIDebugLog::LogError(kServerRpcThreadsSource, __LINE__,
                           CString(L"The ") + name + L" RPC thread did not stop; it is left running.");
    // The detached thread still runs on the object: it is given up, never deleted under it.
    static_cast<void>(slot.owner.release());
}

void CWmipServerRpcThreads::Shutdown()
{
    Release(m_commServer, L"Communication Server",
            [](LRpcComClass& thread) { return thread.ShutdownThread(0, 0, false); });
    Release(m_linkageServer, L"Linkage Server", [](CLSLRpcComClass& thread) { return thread.ShutdownThread(); });
    Release(m_archiveServer, L"Archive Server", [](LCRSRpcComClass& thread) { return thread.ShutdownThread(false); });
}
