#include "mappers/devices/CWmipPanelMapper.h"

#include <array>
#include <memory>

#include "hardware/AapBlocks.h"
#include "hardware/LAAPProxy.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/devices/CWmipPanelStatusUpdate.h"
#include "platform/mfc/CException.h"
#include "provider/CWmipApp.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kSource[] = L"wpPanelMapper";

constexpr DWORD kViewPanelsPermission = 0x10000000;
constexpr wchar_t kPanelNameAlias[] = L"ACCESSPANELNAME";
constexpr DWORD kDownloadPermission = 0x3000001E;
constexpr DWORD kPanelControlPermission = 0x30000012;

// Audit records of the panel methods: object 33 (panel).
constexpr LONG kPanelObject = 33;
constexpr DeviceAudit kDownloadFirmwareAudit{20, kPanelObject, 10186};
constexpr DeviceAudit kDownloadDatabaseAudit{20, kPanelObject, 10188};
constexpr DeviceAudit kResetUseLimitAudit{34, kPanelObject, 10187};
constexpr DeviceAudit kUpdateHardwareStatusAudit{46, kPanelObject, 10189};
constexpr DeviceAudit kConnectionAudit{12, kPanelObject, 10187};
constexpr DeviceAudit kSetClockAudit{14, kPanelObject, 10191};
constexpr DeviceAudit kGetHardwareStatusAudit{64, kPanelObject, 10193};

// Panel connection codes.
constexpr LONG kConnectPrimary = 1;
constexpr LONG kConnectSecondary = 2;
constexpr LONG kDisconnectSecondary = 3;
constexpr LONG kDisconnectPrimary = 0;

// The ResetUseLimit request: panel id, a word the handler does not set (sent as 0), two
// words -1 and a zero byte, in 20 bytes; the call's flag 1.
constexpr std::size_t kResetUseLimitFirstAll = 8;
constexpr std::size_t kResetUseLimitSecondAll = 12;
constexpr BYTE kResetUseLimitFlag = 1;

HRESULT Sent(BOOL succeeded)
{
    return succeeded ? S_OK : WBEM_E_FAILED;
}

}  // namespace

const MapperMethodEntry<CWmipPanelMapper> CWmipPanelMapper::kMethods[] = {
    {L"DownloadFirmware", &CWmipPanelMapper::DownloadFirmware},
    {L"DownloadDatabase", &CWmipPanelMapper::DownloadDatabase},
    {L"ResetUseLimit", &CWmipPanelMapper::ResetUseLimit},
    {L"UpdateHardwareStatus", &CWmipPanelMapper::UpdateHardwareStatus},
    {L"Connect", &CWmipPanelMapper::Connect},
    {L"Disconnect", &CWmipPanelMapper::Disconnect},
    {L"SetClock", &CWmipPanelMapper::SetClock},
    {L"GetHardwareStatus", &CWmipPanelMapper::GetHardwareStatus},
};
const std::size_t CWmipPanelMapper::kMethodCount = std::size(kMethods);

CWmipPanelMapper::CWmipPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName()), m_user(user)
{
    AddJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
    AddJoin(L"WORLDTZ", L"WORLDTZID", L"ACCESSPANE", L"PANELTZ");
    SetPermissions(kViewPanelsPermission, 0, 0, 0);
}

CWmipPanelMapper::~CWmipPanelMapper() = default;

const wchar_t* CWmipPanelMapper::GetWMIClassName()
{
    return L"Bnt_Panel";
}

CWmipClassMapper* CWmipPanelMapper::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipPanelMapper>(user, context, services).release();
}

HRESULT CWmipPanelMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                        IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipPanelMapper>>(kMethods), inParams, sink);
}

void CWmipPanelMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (auto* instances = dynamic_cast<CDynamicRecordset*>(recordset))
        instances->AddAliasToColumn(L"NAME", L"ACCESSPANE", kPanelNameAlias);
}

CString CWmipPanelMapper::GetPropertyName(const CString& column, const CString& table)
{
    return column.CompareNoCase(kPanelNameAlias) == 0 ? CString(L"Name")
                                                      : CWmipDynamicClassMapper::GetPropertyName(column, table);
}

HRESULT CWmipPanelMapper::RunPanelCommand(IWbemClassObject* instance, DWORD permission, const DeviceAudit& audit,
                                          const CWmipDeviceMethod::Command& command)
{
    return CWmipDeviceMethod::RunCommand(*this, kSource, permission, instance, L"Workstation", audit, command);
}

HRESULT CWmipPanelMapper::DownloadFirmware(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunPanelCommand(instance, kDownloadPermission, kDownloadFirmwareAudit, [instance](LAAPProxy& proxy) {
        return Sent(proxy.DownloadFirmware(CWmipDeviceMethod::Number(instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::DownloadDatabase(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunPanelCommand(instance, kDownloadPermission, kDownloadDatabaseAudit, [instance](LAAPProxy& proxy) {
        return Sent(proxy.DownloadDatabase(CWmipDeviceMethod::Number(instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::ResetUseLimit(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunPanelCommand(instance, kDownloadPermission, kResetUseLimitAudit, [instance](LAAPProxy& proxy) {
        // The second word is the handler's to leave unset; it is sent as 0 rather than as
        // whatever the memory held.
        std::array<BYTE, kResetUseLimitRequestSize> request{};
        RpcBlock::PutLong(request, 0, CWmipDeviceMethod::Number(instance, L"ID"));
        RpcBlock::PutLong(request, kResetUseLimitFirstAll, -1);
        RpcBlock::PutLong(request, kResetUseLimitSecondAll, -1);
        return Sent(proxy.ResetUseLimit(request, kResetUseLimitFlag));
    });
}

HRESULT CWmipPanelMapper::RunConnection(IWbemClassObject* instance, const wchar_t* firstProperty, LONG firstCode,
                                        const wchar_t* secondProperty, LONG secondCode)
{
    return RunPanelCommand(instance, kPanelControlPermission, kConnectionAudit, [&](LAAPProxy& proxy) {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"ID");
        if (!CWmipDeviceMethod::Text(instance, firstProperty).IsEmpty())
            return Sent(proxy.SetPanelConnection(panelId, firstCode));
        if (!CWmipDeviceMethod::Text(instance, secondProperty).IsEmpty())
            return Sent(proxy.SetPanelConnection(panelId, secondCode));
        return CWmipDeviceMethod::kNothingSent;
    });
}

HRESULT CWmipPanelMapper::Connect(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunConnection(instance, L"PrimaryDialupHostNumber", kConnectPrimary, L"SecondaryDialupHostNumber",
                         kConnectSecondary);
}

HRESULT CWmipPanelMapper::Disconnect(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunConnection(instance, L"SecondaryDialupHostNumber", kDisconnectSecondary, L"PrimaryDialupHostNumber",
                         kDisconnectPrimary);
}

HRESULT CWmipPanelMapper::SetClock(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return RunPanelCommand(instance, kPanelControlPermission, kSetClockAudit, [instance](LAAPProxy& proxy) {
        return Sent(proxy.SetPanelClock(CWmipDeviceMethod::Number(instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(
        *this, kSource, kPanelControlPermission, instance, sink, kGetHardwareStatusAudit, [instance]() -> ULONG {
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"ID");
            if (CWmipDeviceMethod::Text(instance, L"PanelType").CompareNoCase(kRecorderPanelType) == 0)
            {
                // A recorder is asked directly; a call that fails reports it offline.
                LAAPProxy proxy;
                proxy.SetHostName(CWmipDeviceMethod::Text(instance, L"Workstation"));
                bool online = false;
                proxy.GetDeviceStatus(panelId, -1, &online);
                return online ? 1 : 0;
            }
            CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
            return static_cast<ULONG>(cache.GetPanelStatus(panelId));
        });
}

HRESULT CWmipPanelMapper::UpdateHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Retreiving hardware cache");
    CWimpHardwareStatusCache* cache = CWmipApp::GetHardwareStatusCache();
    CAcsUser* user = nullptr;
    const HRESULT allowed = CWmipDeviceMethod::CheckCaller(*this, kSource, kPanelControlPermission, instance, &user);
    try
    {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"ID");
        const CString host = CWmipDeviceMethod::Text(instance, L"Workstation");
        const CString name = CWmipDeviceMethod::Text(instance, L"Name");
        const CString panelType = CWmipDeviceMethod::Text(instance, L"PanelType");
        if (cache == nullptr)
            throw CWMIException(kSource, __LINE__, WBEM_E_FAILED);
        CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Connecting to Communication Server");
        LAAPProxy proxy;
        proxy.SetHostName(host);
        CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Retreiving hardware status");
        CWmipPanelStatusUpdate update(m_user != nullptr ? m_user->GetDatabase() : nullptr, *cache, proxy, panelId,
                                      panelType);
        switch (update.LookUpFamily())
        {
        case CWmipPanelStatusUpdate::Family::Intrusion:
            update.UpdateIntrusionPanel();
            CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Intrusion panel status updated");
            return allowed;
        case CWmipPanelStatusUpdate::Family::ElevatorDispatching:
            update.UpdateElevatorPanel();
            CWMIDebugLog::LogInfo(kSource, __LINE__,
                                  L"UpdateHardwareStatus: Elevator Dispatching panel status updated");
            return allowed;
        case CWmipPanelStatusUpdate::Family::Access:
            break;
        }
        const bool updated = update.UpdateAccessPanel();
        if (updated)
            CWmipDeviceMethod::Audit(user, kUpdateHardwareStatusAudit, name);
        else
            CWMIDebugLog::LogError(kSource, __LINE__,
                                   L"UpdateHardwareStatus: the panel's status could not be read. " +
                                       proxy.GetLastFailure());
        CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Brontel panel status updated");
        return updated ? allowed : WBEM_E_FAILED;
    }
    catch (const CException& e)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"UpdateHardwareStatus", WBEM_E_FAILED, &e);
    }
    catch (...)
    {
        CWMIDebugLog::LogError(kSource, __LINE__, L"UpdateHardwareStatus", WBEM_E_FAILED);
    }
    return WBEM_E_FAILED;
}
