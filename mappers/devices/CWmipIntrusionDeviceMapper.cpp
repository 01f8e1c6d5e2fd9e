#include "mappers/devices/CWmipIntrusionDeviceMapper.h"

#include <limits>

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr DWORD kOutputPermission = 0x30000010;
constexpr DWORD kStatusPermission = 0x30000011;
constexpr DWORD kOpenDoorPermission = 0x30000012;
constexpr DWORD kDoorModePermission = 0x30000011;
constexpr DWORD kBypassPermission = 0x3000002C;
constexpr DWORD kUnbypassPermission = 0x3000002B;

// Audit records of the doors (object 121) and zones (object 118).
constexpr DeviceAudit kOpenAudit{8, 121, 10235};
constexpr DeviceAudit kSetModeAudit{6, 121, 10236};
constexpr DeviceAudit kBypassAudit{6, 118, 10232};
constexpr DeviceAudit kUnbypassAudit{6, 118, 10233};
// Operations and texts of the output commands, whose object kind is the layout's.
constexpr LONG kActivateOperation = 22;
constexpr LONG kDeactivateOperation = 23;
constexpr LONG kToggleOperation = 6;
constexpr UINT kActivateText = 10228;
constexpr UINT kDeactivateText = 10229;
constexpr UINT kToggleText = 10230;

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

HRESULT CWmipIntrusionDeviceMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                                  IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, m_layout.source, path, methodName, m_layout.methods, inParams, sink);
}

void CWmipIntrusionDeviceMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"INTRUSION_DEVICE.DEVTYPE", static_cast<int>(m_layout.category));
    if (m_layout.zoneOutputsOnly)
        recordset->AddFilterInt(L"INTRUSION_DEVICE.ZONE_OUTPUT", 1);
}

HRESULT CWmipIntrusionDeviceMapper::Open(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kOpenDoorPermission, kOpenAudit, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.OpenIntrusionDoor(panelId, deviceId);
    });
}

HRESULT CWmipIntrusionDeviceMapper::SetMode(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink*)
{
    LONG mode = 0;
    WMIHelper::GetNumber(inParams, L"Mode", mode);
    return CWmipDeviceMethod::RunCommand(
        *this, m_layout.source, kDoorModePermission, instance, L"HostName", kSetModeAudit,
        [&](LAAPProxy& proxy) -> HRESULT {
            // The panel takes the mode as 16 bits: a wider value is refused rather than cut
            // to another mode.
            if (mode < 0 || mode > std::numeric_limits<USHORT>::max())
                return WBEM_E_INVALID_PARAMETER;
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
            const LONG deviceId = CWmipDeviceMethod::Number(instance, L"DeviceID");
            return proxy.SetIntrusionDoorMode(panelId, deviceId, static_cast<USHORT>(mode)) ? S_OK : WBEM_E_FAILED;
        });
}

HRESULT CWmipIntrusionDeviceMapper::Activate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SwitchOutput(instance, kActivate, kActivateOperation, kActivateText);
}

HRESULT CWmipIntrusionDeviceMapper::Deactivate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SwitchOutput(instance, kDeactivate, kDeactivateOperation, kDeactivateText);
}

HRESULT CWmipIntrusionDeviceMapper::Toggle(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SwitchOutput(instance, kToggle, kToggleOperation, kToggleText);
}

HRESULT CWmipIntrusionDeviceMapper::Bypass(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kBypassPermission, kBypassAudit, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.BypassIntrusionZone(panelId, deviceId, kBypass);
    });
}

HRESULT CWmipIntrusionDeviceMapper::UnBypass(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kUnbypassPermission, kUnbypassAudit, [](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        return proxy.BypassIntrusionZone(panelId, deviceId, kUnbypass);
    });
}

HRESULT CWmipIntrusionDeviceMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*,
                                                      IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(
        *this, m_layout.source, kStatusPermission, instance, sink, m_layout.statusAudit, [&] {
            CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
            const IntrusionStatusKey key =
                IntrusionStatusKey::Of(m_layout.category, CWmipDeviceMethod::Number(instance, L"DeviceID"));
            return static_cast<ULONG>(cache.GetOutputStatus(panelId, key.deviceKey, key.subItem));
        });
}

HRESULT CWmipIntrusionDeviceMapper::Send(IWbemClassObject* instance, DWORD permission, const DeviceAudit& audit,
                                         const DeviceCall& call)
{
    return CWmipDeviceMethod::RunCommand(*this, m_layout.source, permission, instance, L"HostName", audit,
                                         [&](LAAPProxy& proxy) -> HRESULT {
                                             const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
                                             const LONG deviceId = CWmipDeviceMethod::Number(instance, L"DeviceID");
                                             return call(proxy, panelId, deviceId) ? S_OK : WBEM_E_FAILED;
                                         });
}

HRESULT CWmipIntrusionDeviceMapper::SwitchOutput(IWbemClassObject* instance, LONG command, LONG operation,
                                                 UINT textResource)
{
    const OutputCall output = m_layout.output;
    const DeviceAudit audit{operation, m_layout.commandObject, textResource};
    return Send(instance, kOutputPermission, audit, [output, command](LAAPProxy& proxy, LONG panelId, LONG deviceId) {
        // A class without outputs has no row that leads here; refuse rather than call nothing.
        return output != nullptr && (proxy.*output)(panelId, deviceId, command);
    });
}
