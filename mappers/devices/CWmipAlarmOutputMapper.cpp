#include "mappers/devices/CWmipAlarmOutputMapper.h"

#include <memory>

#include "hardware/LAAPProxy.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kSource[] = L"WmipAlarmOutputMapper";
constexpr wchar_t kPointProperty[] = L"OutputID";

constexpr DWORD kViewPermission = 0x10000000;
constexpr DWORD kOutputPermission = 0x30000010;
constexpr DWORD kStatusPermission = 0x30000011;

// Audit records: object 9 (output).
constexpr DeviceAudit kActivateAudit{22, 9, 10224};
constexpr DeviceAudit kDeactivateAudit{23, 9, 10225};
constexpr DeviceAudit kPulseAudit{26, 9, 10226};
constexpr DeviceAudit kStatusAudit{64, 9, 10227};

}  // namespace

const MapperMethodEntry<CWmipAlarmOutputMapper> CWmipAlarmOutputMapper::kMethods[] = {
    {L"Activate", &CWmipAlarmOutputMapper::Activate},
    {L"Deactivate", &CWmipAlarmOutputMapper::Deactivate},
    {L"Pulse", &CWmipAlarmOutputMapper::Pulse},
    {L"GetHardwareStatus", &CWmipAlarmOutputMapper::GetHardwareStatus},
};
const std::size_t CWmipAlarmOutputMapper::kMethodCount = std::size(kMethods);

CWmipAlarmOutputMapper::CWmipAlarmOutputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"RELAYOUTPT", L"PANELID", L"ACCESSPANE", L"PANELID");
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipAlarmOutputMapper::~CWmipAlarmOutputMapper() = default;

const wchar_t* CWmipAlarmOutputMapper::GetWMIClassName()
{
    return L"Bnt_AlarmOutput";
}

CWmipClassMapper* CWmipAlarmOutputMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
{
    return std::make_unique<CWmipAlarmOutputMapper>(user, context, services).release();
}

HRESULT CWmipAlarmOutputMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                              IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipAlarmOutputMapper>>(kMethods), inParams,
                                       sink);
}

HRESULT CWmipAlarmOutputMapper::Activate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kActivateAudit, [](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        return proxy.ActivateAlarmOutput(panelId, alarmPanelId, outputId);
    });
}

HRESULT CWmipAlarmOutputMapper::Deactivate(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kDeactivateAudit, [](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        return proxy.DeactivateAlarmOutput(panelId, alarmPanelId, outputId);
    });
}

HRESULT CWmipAlarmOutputMapper::Pulse(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return Send(instance, kPulseAudit, [instance](LAAPProxy& proxy, LONG panelId, LONG alarmPanelId, LONG outputId) {
        const LONG duration = CWmipDeviceMethod::Number(instance, L"Duration");
        return proxy.PulseAlarmOutput(panelId, alarmPanelId, outputId, duration);
    });
}

HRESULT CWmipAlarmOutputMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kStatusPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const CWmipAlarmPanelMapper::PointKeys keys = CWmipAlarmPanelMapper::ReadPointKeys(instance, kPointProperty);
        return static_cast<ULONG>(cache.GetOutputStatus(keys.panelId, keys.alarmPanelId, keys.pointId));
    });
}

HRESULT CWmipAlarmOutputMapper::Send(IWbemClassObject* instance, const DeviceAudit& audit, const OutputCall& call)
{
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, kOutputPermission, instance, L"HostName", audit, [&](LAAPProxy& proxy) -> HRESULT {
            const CWmipAlarmPanelMapper::PointKeys keys =
                CWmipAlarmPanelMapper::CommandPointKeys(GetDatabase(), kSource, instance, kPointProperty);
            return call(proxy, keys.panelId, keys.alarmPanelId, keys.pointId) ? S_OK : WBEM_E_FAILED;
        });
}
