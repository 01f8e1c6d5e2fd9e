#include "mappers/devices/CWmipPanelMapper.h"

#include <array>
#include "common/AccessCodes.h"
#include "hardware/AapBlocks.h"
#include "hardware/LAAPProxy.h"
#include "hardware/RpcBlock.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/devices/CWmipPanelStatusUpdate.h"
#include "platform/mfc/CException.h"
#include "framework/WmipHostServices.h"
#include "hardware/CWimpHardwareStatusCache.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kPanelNameAlias[] = L"ACCESSPANELNAME";

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

constexpr MapperMethodEntry<CWmipPanelMapper> kPanelMapperRows[] = {
    {L"DownloadFirmware",
     &CWmipPanelMapper::DownloadFirmware,
     Permission::kDownloadPanels,
     {AuditOperation::kDownload, AuditObject::kPanel, 10186}},
    {L"DownloadDatabase",
     &CWmipPanelMapper::DownloadDatabase,
     Permission::kDownloadPanels,
     {AuditOperation::kDownload, AuditObject::kPanel, 10188}},
    {L"ResetUseLimit",
     &CWmipPanelMapper::ResetUseLimit,
     Permission::kDownloadPanels,
     {AuditOperation::kResetUseLimit, AuditObject::kPanel, 10187}},
    {L"UpdateHardwareStatus",
     &CWmipPanelMapper::UpdateHardwareStatus,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kUpdateHardwareStatus, AuditObject::kPanel, 10189}},
    {L"Connect",
     &CWmipPanelMapper::Connect,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kConnection, AuditObject::kPanel, 10187}},
    {L"Disconnect",
     &CWmipPanelMapper::Disconnect,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kConnection, AuditObject::kPanel, 10187}},
    {L"SetClock",
     &CWmipPanelMapper::SetClock,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kSetClock, AuditObject::kPanel, 10191}},
    {L"GetHardwareStatus",
     &CWmipPanelMapper::GetHardwareStatus,
     Permission::kControlDoorsAndPanels,
     {AuditOperation::kReadStatus, AuditObject::kPanel, 10193}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipPanelMapper>> CWmipPanelMapper::kMethods = kPanelMapperRows;

CWmipPanelMapper::CWmipPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services), m_user(user)
{
    AddJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
    AddJoin(L"WORLDTZ", L"WORLDTZID", L"ACCESSPANE", L"PANELTZ");
    SetPermissions(Permission::kViewPanels, 0, 0, 0);
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

HRESULT CWmipPanelMapper::RunPanelCommand(IWbemClassObject* instance, const CWmipDeviceMethod::Command& command)
{
    return CWmipDeviceMethod::RunCommand(kSource, instance, L"Workstation", command);
}

HRESULT CWmipPanelMapper::DownloadFirmware(DeviceMethodCall& call)
{
    return RunPanelCommand(call.instance, [&call](LAAPProxy& proxy) {
        return Sent(proxy.DownloadFirmware(CWmipDeviceMethod::Number(call.instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::DownloadDatabase(DeviceMethodCall& call)
{
    return RunPanelCommand(call.instance, [&call](LAAPProxy& proxy) {
        return Sent(proxy.DownloadDatabase(CWmipDeviceMethod::Number(call.instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::ResetUseLimit(DeviceMethodCall& call)
{
    return RunPanelCommand(call.instance, [&call](LAAPProxy& proxy) {
        // The second word is the handler's to leave unset; it is sent as 0 rather than as
        // whatever the memory held.
        std::array<BYTE, kResetUseLimitRequestSize> request{};
        RpcBlock::PutLong(request, 0, CWmipDeviceMethod::Number(call.instance, L"ID"));
        RpcBlock::PutLong(request, kResetUseLimitFirstAll, -1);
        RpcBlock::PutLong(request, kResetUseLimitSecondAll, -1);
        return Sent(proxy.ResetUseLimit(request, kResetUseLimitFlag));
    });
}

HRESULT CWmipPanelMapper::RunConnection(IWbemClassObject* instance, const wchar_t* firstProperty, LONG firstCode,
                                        const wchar_t* secondProperty, LONG secondCode)
{
    return RunPanelCommand(instance, [&](LAAPProxy& proxy) {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"ID");
        if (!CWmipDeviceMethod::Text(instance, firstProperty).IsEmpty())
            return Sent(proxy.SetPanelConnection(panelId, firstCode));
        if (!CWmipDeviceMethod::Text(instance, secondProperty).IsEmpty())
            return Sent(proxy.SetPanelConnection(panelId, secondCode));
        return CWmipDeviceMethod::kNothingSent;
    });
}

HRESULT CWmipPanelMapper::Connect(DeviceMethodCall& call)
{
    return RunConnection(call.instance, L"PrimaryDialupHostNumber", kConnectPrimary, L"SecondaryDialupHostNumber",
                         kConnectSecondary);
}

HRESULT CWmipPanelMapper::Disconnect(DeviceMethodCall& call)
{
    return RunConnection(call.instance, L"SecondaryDialupHostNumber", kDisconnectSecondary, L"PrimaryDialupHostNumber",
                         kDisconnectPrimary);
}

HRESULT CWmipPanelMapper::SetClock(DeviceMethodCall& call)
{
    return RunPanelCommand(call.instance, [&call](LAAPProxy& proxy) {
        return Sent(proxy.SetPanelClock(CWmipDeviceMethod::Number(call.instance, L"ID")));
    });
}

HRESULT CWmipPanelMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&call]() -> ULONG {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"ID");
        if (CWmipDeviceMethod::Text(call.instance, L"PanelType").CompareNoCase(kRecorderPanelType) == 0)
        {
            // A recorder is asked directly; a call that fails reports it offline.
            LAAPProxy proxy;
            proxy.SetHostName(CWmipDeviceMethod::Text(call.instance, L"Workstation"));
            bool online = false;
            proxy.GetDeviceStatus(panelId, -1, &online);
            return online ? 1 : 0;
        }
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        return static_cast<ULONG>(cache.GetPanelStatus(panelId));
    });
}

HRESULT CWmipPanelMapper::UpdateHardwareStatus(DeviceMethodCall& call)
{
    CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Retreiving hardware cache");
    CWimpHardwareStatusCache* cache = WmipHostServices::HardwareStatusCache();
    try
    {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"ID");
        const CString host = CWmipDeviceMethod::Text(call.instance, L"Workstation");
        const CString panelType = CWmipDeviceMethod::Text(call.instance, L"PanelType");
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
            return CWmipDeviceMethod::kNothingSent;
        case CWmipPanelStatusUpdate::Family::ElevatorDispatching:
            update.UpdateElevatorPanel();
            CWMIDebugLog::LogInfo(kSource, __LINE__,
                                  L"UpdateHardwareStatus: Elevator Dispatching panel status updated");
            return CWmipDeviceMethod::kNothingSent;
        case CWmipPanelStatusUpdate::Family::Access:
            break;
        }
        // Only the access panel's update is audited.
        const bool updated = update.UpdateAccessPanel();
        if (!updated)
            CWMIDebugLog::LogError(kSource, __LINE__,
                                   L"UpdateHardwareStatus: the panel's status could not be read. " +
                                       proxy.GetLastFailure());
        CWMIDebugLog::LogInfo(kSource, __LINE__, L"UpdateHardwareStatus: Brontel panel status updated");
        return updated ? S_OK : WBEM_E_FAILED;
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
