#include "provider/CWmipLSConnectThread.h"

#include <chrono>

#include "hardware/ClslRPCServerProxy.h"
#include "inhouse/BntAccessSets/CBntConfigSet.h"
#include "inhouse/BntAccessSets/CLinkageServerHostWorkstationJoinSet.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/win32/SystemInfo.h"
#include "platform/win32/Threading.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipPooledConnection.h"
#include "provider/IWmipEventProviderInfo.h"

using brontel::utility::CWMIDebugLog;

namespace {
constexpr wchar_t kLSConnectThreadSource[] = L"wpLSConnectThread";
constexpr HRESULT kConnectCaughtResult = static_cast<HRESULT>(0x20010001);
constexpr DWORD kComputerNameRoom = 16;
// The longest wait between passes: below INFINITE, so a pass always follows in time.
constexpr ULONGLONG kMaxPassIntervalMs = 0xFFFFFFFEull;
}  // namespace

CWmipLSConnectThread::CWmipLSConnectThread()
{
    ReadComputerName();
}

CWmipLSConnectThread::~CWmipLSConnectThread()
{
    // The thread uses the proxy and the registrations until it ends.
    JoinBeforeDestruction();
    {
        const CheckedMutexLock guard(m_setupLock);
        m_proxy.reset();
    }
    const CheckedMutexLock guard(m_registrationLock);
    m_registrations.clear();
}

void CWmipLSConnectThread::ReadComputerName()
{
    m_computerName.Empty();
    wchar_t name[kComputerNameRoom + 1] = {};
    DWORD size = kComputerNameRoom;
    if (!GetComputerNameW(name, &size))
    {
        CString text;
        text.Format(L"GetComputerName failed (%d)", static_cast<int>(GetLastError()));
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, text, kConnectCaughtResult);
        return;
    }
    m_computerName = CString(name, static_cast<int>(std::min<DWORD>(size, kComputerNameRoom)));
    m_computerName.MakeUpper();
}

ClslRPCServerProxy* CWmipLSConnectThread::SetupLinkageServerRPC()
{
    CWMIDebugLog::LogInfo(kLSConnectThreadSource, __LINE__, L"Starting SetupLinkageServerRPC");
    const CheckedMutexLock guard(m_setupLock);
    if (m_proxy != nullptr)
    {
        return m_proxy.get();
    }
    try
    {
        const CWmipPooledConnection connection(CWmipApp::GetConnectionManager());
        if (connection.GetDatabase() == nullptr)
        {
            CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"Error setting up RPC with the linkage server");
            return nullptr;
        }
        LONG databaseId = 0;
        CBntConfigSet(connection.GetDatabase()).GetValue(BntConfigSystemDatabaseID, &databaseId, nullptr);
        CLinkageServerHostWorkstationJoinSet servers(connection.GetDatabase());
        servers.AddDBIDFilter(databaseId, CMultiFilterRecordset::Equal);
        servers.AppendJoinFilter();
        servers.OpenForwardOnly();
        if (!servers.IsEOF())
        {
            m_linkageServerHost = servers.GetHostName().TrimRight();
        }
        servers.Close();
        m_interval.store(CWmipApp::GetStoredValue(BntConfigLinkageReregistrationSpan));
        auto proxy = std::make_unique<ClslRPCServerProxy>();
        proxy->SetHostName(m_linkageServerHost);
        m_proxy = std::move(proxy);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"Error setting up RPC with the linkage server");
    }
    return m_proxy.get();
}

void CWmipLSConnectThread::SendRegistration(IWmipEventProviderInfo* provider, bool registerFlag)
{
    try
    {
        const CString id = provider->GetEventProviderID();
        const auto type = provider->GetEventProviderType();
        ClslRPCServerProxy* proxy = SetupLinkageServerRPC();
        if (proxy == nullptr)
        {
            return;
        }
        const BYTE flag = registerFlag ? 1 : 0;
        if (type == IWmipEventProviderInfo::HardwareEventProvider)
        {
            proxy->RegisterHardwareEventProvider(id, m_computerName, flag);
        }
        else if (type == IWmipEventProviderInfo::SoftwareEventProvider)
        {
            proxy->RegisterSoftwareEventProvider(id, m_computerName, flag);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogInfo(kLSConnectThreadSource, __LINE__, L"Error sending event registration to linkage server");
    }
}

void CWmipLSConnectThread::Register(IWmipEventProviderInfo* provider)
{
    if (provider == nullptr)
    {
        return;
    }
    try
    {
        const CheckedMutexLock guard(m_registrationLock);
        const CString id = provider->GetEventProviderID();
        if (m_registrations.find(id) == m_registrations.end())
        {
            SendRegistration(provider, true);
            m_registrations.emplace(id, provider);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"", E_FAIL);
    }
}

void CWmipLSConnectThread::Unregister(IWmipEventProviderInfo* provider)
{
    if (provider == nullptr)
    {
        return;
    }
    try
    {
        const CheckedMutexLock guard(m_registrationLock);
        const auto found = m_registrations.find(provider->GetEventProviderID());
        if (found != m_registrations.end())
        {
            SendRegistration(provider, false);
            m_registrations.erase(found);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"", E_FAIL);
    }
}

void CWmipLSConnectThread::RegisterAll(bool registerFlag)
{
    try
    {
        const CheckedMutexLock guard(m_registrationLock);
        for (const auto& [id, provider] : m_registrations)
        {
            SendRegistration(provider, registerFlag);
        }
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"", E_FAIL);
    }
}

std::size_t CWmipLSConnectThread::GetRegistrationCount()
{
    const CheckedMutexLock guard(m_registrationLock);
    return m_registrations.size();
}

DWORD CWmipLSConnectThread::GetPassIntervalMs() const
{
    LONG seconds = m_interval.load();
    if (seconds <= 0)
    {
        seconds = CBntConfigSet::GetDefaultValue(BntConfigLinkageReregistrationSpan);
    }
    const ULONGLONG milliseconds = static_cast<ULONGLONG>(seconds) * 1000u;
    return static_cast<DWORD>(std::min(milliseconds, kMaxPassIntervalMs));
}

bool CWmipLSConnectThread::WaitForStopSignal()
{
    CheckedMutexLock guard(m_stopLock);
    const bool signalled = guard.WaitFor(m_stopSignal, std::chrono::milliseconds(GetPassIntervalMs()),
                                         [this]() REQUIRES(m_stopLock) { return m_stopSignalled; });
    m_stopSignalled = false;
    return signalled;
}

UINT CWmipLSConnectThread::OnRun()
{
    CWMIDebugLog::LogInfo(kLSConnectThreadSource, __LINE__, L"Starting CWmipLSConnectThread::OnRun()");
    SetupLinkageServerRPC();
    do
    {
        RegisterAll(true);
    } while (!WaitForStopSignal());
    RegisterAll(false);
    return 0;
}

BOOL CWmipLSConnectThread::Stop()
{
    {
        const CheckedMutexLock guard(m_stopLock);
        m_stopSignalled = true;
    }
    m_stopSignal.notify_all();
    if (!WaitForStopped())
    {
        CWMIDebugLog::LogError(kLSConnectThreadSource, __LINE__, L"", E_FAIL);
    }
    return TRUE;
}
