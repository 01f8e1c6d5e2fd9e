#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

#include <limits>

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "hardware/CWimpHardwareStatusCache.h"

namespace {

constexpr LONG kBypass = 1;
constexpr LONG kUnbypass = 0;

}  // namespace

CWmipIntrusionDeviceMapper::CWmipIntrusionDeviceMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services, const wchar_t* className,
                                                       const Layout& layout)
    : CWmipDynamicClassMapper(user, context, services, className), m_layout(layout)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"INTRUSION_DEVICE", L"PANELID");
    SetPermissions(m_layout.viewPermission, 0, 0, 0);
}

CWmipIntrusionDeviceMapper::~CWmipIntrusionDeviceMapper() = default;

void CWmipIntrusionDeviceMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"INTRUSION_DEVICE.DEVTYPE", static_cast<int>(m_layout.category));
    if (m_layout.zoneOutputsOnly)
        recordset->AddFilterInt(L"INTRUSION_DEVICE.ZONE_OUTPUT", 1);
}

HRESULT CWmipIntrusionDeviceMapper::Open(DeviceMethodCall& call)
{
    return Send(call.instance, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.OpenIntrusionDoor(panelId, deviceId);
    });
}

HRESULT CWmipIntrusionDeviceMapper::SetMode(DeviceMethodCall& call)
{
    LONG mode = 0;
    WMIHelper::GetNumber(call.inParams, L"Mode", mode);
    return CWmipDeviceMethod::RunCommand(m_layout.source, call.instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        // The panel takes the mode as 16 bits: a wider value is refused rather than cut
        // to another mode.
        if (mode < 0 || mode > std::numeric_limits<USHORT>::max())
            return WBEM_E_INVALID_PARAMETER;
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG deviceId = CWmipDeviceMethod::Number(call.instance, L"DeviceID");
        return proxy.SetIntrusionDoorMode(panelId, deviceId, static_cast<USHORT>(mode)) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipIntrusionDeviceMapper::Activate(DeviceMethodCall& call)
{
    return SwitchOutput(call.instance, kActivate);
}

HRESULT CWmipIntrusionDeviceMapper::Deactivate(DeviceMethodCall& call)
{
    return SwitchOutput(call.instance, kDeactivate);
}

HRESULT CWmipIntrusionDeviceMapper::Toggle(DeviceMethodCall& call)
{
    return SwitchOutput(call.instance, kToggle);
}

HRESULT CWmipIntrusionDeviceMapper::Bypass(DeviceMethodCall& call)
{
    return Send(call.instance, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.BypassIntrusionZone(panelId, deviceId, kBypass);
    });
}

HRESULT CWmipIntrusionDeviceMapper::UnBypass(DeviceMethodCall& call)
{
    return Send(call.instance, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.BypassIntrusionZone(panelId, deviceId, kUnbypass);
    });
}

HRESULT CWmipIntrusionDeviceMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, m_layout.source, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const IntrusionStatusKey key =
            IntrusionStatusKey::Of(m_layout.category, CWmipDeviceMethod::Number(call.instance, L"DeviceID"));
        return static_cast<ULONG>(cache.GetOutputStatus(panelId, key.deviceKey, key.subItem));
    });
}

HRESULT CWmipIntrusionDeviceMapper::Send(IWbemClassObject* instance, const DeviceCall& call)
{
    return CWmipDeviceMethod::RunCommand(m_layout.source, instance, L"HostName", [&](LAAPProxy& proxy) -> HRESULT {
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG deviceId = CWmipDeviceMethod::Number(instance, L"DeviceID");
        return call(proxy, panelId, deviceId) ? S_OK : WBEM_E_FAILED;
    });
}

HRESULT CWmipIntrusionDeviceMapper::SwitchOutput(IWbemClassObject* instance, LONG command)
{
    const OutputCall output = m_layout.output;
    return Send(instance, [output, command](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        // A class without outputs has no row that leads here; refuse rather than call nothing.
        return output != nullptr && (proxy.*output)(panelId, deviceId, command);
    });
}
