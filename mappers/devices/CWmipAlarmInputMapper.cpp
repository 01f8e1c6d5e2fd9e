#include "mappers/devices/CWmipAlarmInputMapper.h"

#include "common/AccessCodes.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/AlarmInputBlock.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kInputPointProperty[] = L"InputID";

constexpr MapperMethodEntry<CWmipAlarmInputMapper> kAlarmInputMapperRows[] = {
    {L"Mask",
     &CWmipAlarmInputMapper::Mask,
     Permission::kMaskInputs,
     {AuditOperation::kMask, AuditObject::kInput, 10221}},
    {L"Unmask",
     &CWmipAlarmInputMapper::Unmask,
     Permission::kUnmaskInputs,
     {AuditOperation::kUnmask, AuditObject::kInput, 10222}},
    {L"GetHardwareStatus",
     &CWmipAlarmInputMapper::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kInput, 10223}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipAlarmInputMapper>> CWmipAlarmInputMapper::kMethods = kAlarmInputMapperRows;

CWmipAlarmInputMapper::CWmipAlarmInputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ALARMINPUT", L"PANELID");
    SetPermissions(Permission::kViewPanels, 0, 0, 0);
}

HRESULT CWmipAlarmInputMapper::Mask(DeviceMethodCall& call)
{
    return SendMask(call.instance, AlarmInputBlock::kMask);
}

HRESULT CWmipAlarmInputMapper::Unmask(DeviceMethodCall& call)
{
    return SendMask(call.instance, AlarmInputBlock::kUnmask);
}

HRESULT CWmipAlarmInputMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const CWmipAlarmPanelMapper::PointKeys keys =
            CWmipAlarmPanelMapper::ReadPointKeys(call.instance, kInputPointProperty);
        return static_cast<ULONG>(cache.GetInputStatus(keys.panelId, keys.alarmPanelId, keys.pointId));
    });
}

HRESULT CWmipAlarmInputMapper::SendMask(IWbemClassObject* instance, USHORT command)
{
    return CWmipDeviceMethod::RunCommand(kSource, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const CWmipAlarmPanelMapper::PointKeys keys =
            CWmipAlarmPanelMapper::CommandPointKeys(GetDatabase(), kSource, instance, kInputPointProperty);
        std::optional<std::vector<BYTE>> block =
            AlarmInputBlock::Build(keys.panelId, keys.alarmPanelId, keys.pointId, command);
        if (!block)
            return WBEM_E_INVALID_PARAMETER;
        return proxy.SetAlarmInputMask(*block) ? S_OK : WBEM_E_FAILED;
    });
}
