#include "mappers/devices/CWmipAlarmOutputMapper.h"

#include "common/AccessCodes.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kOutputPointProperty[] = L"OutputID";

constexpr MapperMethodEntry<CWmipAlarmOutputMapper> kAlarmOutputMapperRows[] = {
    {L"Activate",
     &CWmipAlarmOutputMapper::Activate,
     Permission::kControlOutputs,
     {AuditOperation::kActivate, AuditObject::kOutput, 10224}},
    {L"Deactivate",
     &CWmipAlarmOutputMapper::Deactivate,
     Permission::kControlOutputs,
     {AuditOperation::kDeactivate, AuditObject::kOutput, 10225}},
    {L"Pulse",
     &CWmipAlarmOutputMapper::Pulse,
     Permission::kControlOutputs,
     {AuditOperation::kPulse, AuditObject::kOutput, 10226}},
    {L"GetHardwareStatus",
     &CWmipAlarmOutputMapper::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kOutput, 10227}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipAlarmOutputMapper>> CWmipAlarmOutputMapper::kMethods =
    kAlarmOutputMapperRows;

CWmipAlarmOutputMapper::CWmipAlarmOutputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"RELAYOUTPT", L"PANELID", L"ACCESSPANE", L"PANELID");
    SetPermissions(Permission::kViewPanels, 0, 0, 0);
}

HRESULT CWmipAlarmOutputMapper::Activate(DeviceMethodCall& call)
{
    return Send(call.instance, [](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        return proxy.ActivateAlarmOutput(panelId, alarmPanelId, outputId);
    });
}

HRESULT CWmipAlarmOutputMapper::Deactivate(DeviceMethodCall& call)
{
    return Send(call.instance, [](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        return proxy.DeactivateAlarmOutput(panelId, alarmPanelId, outputId);
    });
}

HRESULT CWmipAlarmOutputMapper::Pulse(DeviceMethodCall& call)
{
    return Send(call.instance, [&call](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        const LONG duration = CWmipDeviceMethod::Number(call.instance, L"Duration");
        return proxy.PulseAlarmOutput(panelId, alarmPanelId, outputId, duration);
    });
}

HRESULT CWmipAlarmOutputMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const CWmipAlarmPanelMapper::PointKeys keys =
            CWmipAlarmPanelMapper::ReadPointKeys(call.instance, kOutputPointProperty);
        return static_cast<ULONG>(cache.GetOutputStatus(keys.panelId, keys.alarmPanelId, keys.pointId));
    });
}

HRESULT CWmipAlarmOutputMapper::Send(IWbemClassObject* instance, const OutputCall& call)
{
    return CWmipDeviceMethod::RunCommand(kSource, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const CWmipAlarmPanelMapper::PointKeys keys =
            CWmipAlarmPanelMapper::CommandPointKeys(GetDatabase(), kSource, instance, kOutputPointProperty);
        return call(proxy, keys.panelId, keys.alarmPanelId, keys.pointId) ? S_OK : WBEM_E_FAILED;
    });
}
