#include "mappers/devices/CWmipIntrusionArea.h"

#include <limits>
#include <optional>
#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/IntrusionStatusKey.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

// Where "ArmState" starts, so that a missing parameter is refused.
constexpr LONG kNoArmState = -1;

// The arm state Arm is given, when it lies in 1..65535. The panel takes the mode as 16 bits: a
// larger value is refused rather than cut to another mode (65536 would disarm).
std::optional<USHORT> ArmState(IWbemClassObject* inParams)
{
    LONG armState = kNoArmState;
    WMIHelper::GetNumber(inParams, L"ArmState", armState);
    if (armState <= 0 || armState > std::numeric_limits<USHORT>::max())
        return std::nullopt;
    return static_cast<USHORT>(armState);
}

constexpr DeviceAudit kDisarmAudit{AuditOperation::kDeactivate, AuditObject::kIntrusionArea, 10238};
constexpr DeviceAudit kArmAudit{AuditOperation::kActivate, AuditObject::kIntrusionArea, 10239};

constexpr MapperMethodEntry<CWmipIntrusionArea> kIntrusionAreaRows[] = {
    {L"Disarm", &CWmipIntrusionArea::Disarm, Permission::kDisarmAreasBypassZones, kDisarmAudit},
    {L"MasterDelayArm", &CWmipIntrusionArea::MasterDelayArm, Permission::kArmAreasUnbypassZones, kArmAudit},
    {L"MasterInstantArm", &CWmipIntrusionArea::MasterInstantArm, Permission::kArmAreasUnbypassZones, kArmAudit},
    {L"PerimeterDelayArm", &CWmipIntrusionArea::PerimeterDelayArm, Permission::kArmAreasUnbypassZones, kArmAudit},
    {L"PerimeterInstantArm", &CWmipIntrusionArea::PerimeterInstantArm, Permission::kArmAreasUnbypassZones, kArmAudit},
    {L"Arm", &CWmipIntrusionArea::Arm, Permission::kArmAreasUnbypassZones, kArmAudit,
     &CWmipIntrusionArea::CheckArmState},
    {L"SilenceAlarms",
     &CWmipIntrusionArea::SilenceAlarms,
     Permission::kSilenceAreas,
     {AuditOperation::kSilence, AuditObject::kIntrusionArea, 10240}},
    {L"GetHardwareStatus",
     &CWmipIntrusionArea::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kIntrusionArea, 10241}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipIntrusionArea>> CWmipIntrusionArea::kMethods = kIntrusionAreaRows;

CWmipIntrusionArea::CWmipIntrusionArea(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ACCOUNT_AREA", L"PANELID");
    SetPermissions(Permission::kViewIntrusionAreas, 0, 0, 0);
}

HRESULT CWmipIntrusionArea::Disarm(DeviceMethodCall& call)
{
    return SetArmState(call.instance, kDisarmMode);
}

HRESULT CWmipIntrusionArea::MasterDelayArm(DeviceMethodCall& call)
{
    return SetArmState(call.instance, kMasterDelayMode);
}

HRESULT CWmipIntrusionArea::MasterInstantArm(DeviceMethodCall& call)
{
    return SetArmState(call.instance, kMasterInstantMode);
}

HRESULT CWmipIntrusionArea::PerimeterDelayArm(DeviceMethodCall& call)
{
    return SetArmState(call.instance, kPerimeterDelayMode);
}

HRESULT CWmipIntrusionArea::PerimeterInstantArm(DeviceMethodCall& call)
{
    return SetArmState(call.instance, kPerimeterInstantMode);
}

HRESULT CWmipIntrusionArea::CheckArmState(DeviceMethodCall& call)
{
    return ArmState(call.inParams) ? S_OK : WBEM_E_INVALID_PARAMETER;
}

HRESULT CWmipIntrusionArea::Arm(DeviceMethodCall& call)
{
    const std::optional<USHORT> armState = ArmState(call.inParams);
    return armState ? SetArmState(call.instance, *armState) : WBEM_E_INVALID_PARAMETER;
}

HRESULT CWmipIntrusionArea::SilenceAlarms(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunCommand(kSource, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG area = CWmipDeviceMethod::Number(call.instance, L"AreaNumber");
        return proxy.SilenceIntrusionArea(panelId, area) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipIntrusionArea::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const IntrusionStatusKey key =
            IntrusionStatusKey::Of(IntrusionCategory::Area, CWmipDeviceMethod::Number(call.instance, L"AreaNumber"));
        return static_cast<ULONG>(cache.GetOutputStatus(panelId, key.deviceKey, key.subItem));
    });
}

HRESULT CWmipIntrusionArea::SetArmState(IWbemClassObject* instance, USHORT mode)
{
    return CWmipDeviceMethod::RunCommand(kSource, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG area = CWmipDeviceMethod::Number(instance, L"AreaNumber");
        LONG result = 0;
        return proxy.SetIntrusionAreaArmState(panelId, area, mode, &result) ? S_OK : WBEM_E_FAILED;
    });
}
