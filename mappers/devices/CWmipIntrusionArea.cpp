#include "mappers/devices/CWmipIntrusionArea.h"

#include <limits>
#include <memory>

#include "framework/WMIHelper.h"
#include "hardware/LAAPProxy.h"
#include "mappers/devices/IntrusionStatusKey.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kSource[] = L"WmipIntrusionArea";

constexpr DWORD kViewAreasPermission = 0x100000F2;
constexpr DWORD kArmPermission = 0x3000002B;
constexpr DWORD kDisarmPermission = 0x3000002C;
constexpr DWORD kSilencePermission = 0x3000002D;
constexpr DWORD kStatusPermission = 0x30000011;

// Audit records of the area methods: object 122 (intrusion area).
constexpr LONG kAreaObject = 122;
constexpr DeviceAudit kDisarmAudit{23, kAreaObject, 10238};
constexpr DeviceAudit kArmAudit{22, kAreaObject, 10239};
constexpr DeviceAudit kSilenceAudit{144, kAreaObject, 10240};
constexpr DeviceAudit kStatusAudit{64, kAreaObject, 10241};

// Where "ArmState" starts, so that a missing parameter is refused.
constexpr LONG kNoArmState = -1;

}  // namespace

const MapperMethodEntry<CWmipIntrusionArea> CWmipIntrusionArea::kMethods[] = {
    {L"Disarm", &CWmipIntrusionArea::Disarm},
    {L"MasterDelayArm", &CWmipIntrusionArea::MasterDelayArm},
    {L"MasterInstantArm", &CWmipIntrusionArea::MasterInstantArm},
    {L"PerimeterDelayArm", &CWmipIntrusionArea::PerimeterDelayArm},
    {L"PerimeterInstantArm", &CWmipIntrusionArea::PerimeterInstantArm},
    {L"Arm", &CWmipIntrusionArea::Arm},
    {L"SilenceAlarms", &CWmipIntrusionArea::SilenceAlarms},
    {L"GetHardwareStatus", &CWmipIntrusionArea::GetHardwareStatus},
};
const std::size_t CWmipIntrusionArea::kMethodCount = std::size(kMethods);

CWmipIntrusionArea::CWmipIntrusionArea(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ACCOUNT_AREA", L"PANELID");
    SetPermissions(kViewAreasPermission, 0, 0, 0);
}

CWmipIntrusionArea::~CWmipIntrusionArea() = default;

const wchar_t* CWmipIntrusionArea::GetWMIClassName()
{
    return L"Bnt_IntrusionArea";
}

CWmipClassMapper* CWmipIntrusionArea::CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
{
    return std::make_unique<CWmipIntrusionArea>(user, context, services).release();
}

HRESULT CWmipIntrusionArea::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                          IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipIntrusionArea>>(kMethods), inParams,
                                       sink);
}

HRESULT CWmipIntrusionArea::Disarm(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SetArmState(instance, kDisarmMode, kDisarmPermission, kDisarmAudit);
}

HRESULT CWmipIntrusionArea::MasterDelayArm(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SetArmState(instance, kMasterDelayMode, kArmPermission, kArmAudit);
}

HRESULT CWmipIntrusionArea::MasterInstantArm(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SetArmState(instance, kMasterInstantMode, kArmPermission, kArmAudit);
}

HRESULT CWmipIntrusionArea::PerimeterDelayArm(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SetArmState(instance, kPerimeterDelayMode, kArmPermission, kArmAudit);
}

HRESULT CWmipIntrusionArea::PerimeterInstantArm(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SetArmState(instance, kPerimeterInstantMode, kArmPermission, kArmAudit);
}

HRESULT CWmipIntrusionArea::Arm(IWbemClassObject* instance, IWbemClassObject* inParams, IWbemObjectSink*)
{
    LONG armState = kNoArmState;
    WMIHelper::GetNumber(inParams, L"ArmState", armState);
    // The panel takes the mode as 16 bits: a larger value is refused rather than cut to
    // another mode (65536 would disarm).
    if (armState <= 0 || armState > std::numeric_limits<USHORT>::max())
        return WBEM_E_INVALID_PARAMETER;
    return SetArmState(instance, static_cast<USHORT>(armState), kArmPermission, kArmAudit);
}

HRESULT CWmipIntrusionArea::SilenceAlarms(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return CWmipDeviceMethod::RunCommand(*this, kSource, kSilencePermission, instance, L"HostName", kSilenceAudit,
                                         [&](LAAPProxy& proxy) -> HRESULT {
                                             const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
                                             const LONG area = CWmipDeviceMethod::Number(instance, L"AreaNumber");
                                             return proxy.SilenceIntrusionArea(panelId, area) ? S_OK : WBEM_E_FAILED;
                                         });
}

HRESULT CWmipIntrusionArea::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kStatusPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const IntrusionStatusKey key =
            IntrusionStatusKey::Of(IntrusionCategory::Area, CWmipDeviceMethod::Number(instance, L"AreaNumber"));
        return static_cast<ULONG>(cache.GetOutputStatus(panelId, key.deviceKey, key.subItem));
    });
}

HRESULT CWmipIntrusionArea::SetArmState(IWbemClassObject* instance, USHORT mode, DWORD permission,
                                        const DeviceAudit& audit)
{
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, permission, instance, L"HostName", audit, [&](LAAPProxy& proxy) -> HRESULT {
            const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
            const LONG area = CWmipDeviceMethod::Number(instance, L"AreaNumber");
            LONG result = 0;
            return proxy.SetIntrusionAreaArmState(panelId, area, mode, &result) ? S_OK : WBEM_E_FAILED;
        });
}
