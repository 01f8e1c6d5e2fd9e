#include "mappers/devices/CWmipAlarmInputMapper.h"

#include <memory>

#include "hardware/LAAPProxy.h"
#include "mappers/devices/AlarmInputBlock.h"
#include "mappers/devices/CWmipAlarmPanelMapper.h"
#include "provider/CWimpHardwareStatusCache.h"

namespace {

constexpr wchar_t kSource[] = L"WmipAlarmInputMapper";
constexpr wchar_t kPointProperty[] = L"InputID";

constexpr DWORD kViewPermission = 0x10000000;
constexpr DWORD kMaskPermission = 0x30000015;
constexpr DWORD kUnmaskPermission = 0x3000001A;
constexpr DWORD kStatusPermission = 0x30000011;

// Audit records: object 7 (input).
constexpr DeviceAudit kMaskAudit{16, 7, 10221};
constexpr DeviceAudit kUnmaskAudit{24, 7, 10222};
constexpr DeviceAudit kStatusAudit{64, 7, 10223};

}  // namespace

const MapperMethodEntry<CWmipAlarmInputMapper> CWmipAlarmInputMapper::kMethods[] = {
    {L"Mask", &CWmipAlarmInputMapper::Mask},
    {L"Unmask", &CWmipAlarmInputMapper::Unmask},
    {L"GetHardwareStatus", &CWmipAlarmInputMapper::GetHardwareStatus},
};
const std::size_t CWmipAlarmInputMapper::kMethodCount = std::size(kMethods);

CWmipAlarmInputMapper::CWmipAlarmInputMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"ALARMINPUT", L"PANELID");
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipAlarmInputMapper::~CWmipAlarmInputMapper() = default;

const wchar_t* CWmipAlarmInputMapper::GetWMIClassName()
{
    return L"Bnt_AlarmInput";
}

CWmipClassMapper* CWmipAlarmInputMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                      IWbemServices* services)
{
    return std::make_unique<CWmipAlarmInputMapper>(user, context, services).release();
}

HRESULT CWmipAlarmInputMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                             IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipAlarmInputMapper>>(kMethods), inParams,
                                       sink);
}

HRESULT CWmipAlarmInputMapper::Mask(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SendMask(instance, AlarmInputBlock::kMask, kMaskPermission, kMaskAudit);
}

HRESULT CWmipAlarmInputMapper::Unmask(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink*)
{
    return SendMask(instance, AlarmInputBlock::kUnmask, kUnmaskPermission, kUnmaskAudit);
}

HRESULT CWmipAlarmInputMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kStatusPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const CWmipAlarmPanelMapper::PointKeys keys = CWmipAlarmPanelMapper::ReadPointKeys(instance, kPointProperty);
        return static_cast<ULONG>(cache.GetInputStatus(keys.panelId, keys.alarmPanelId, keys.pointId));
    });
}

HRESULT CWmipAlarmInputMapper::SendMask(IWbemClassObject* instance, USHORT command, DWORD permission,
                                        const DeviceAudit& audit)
{
    return CWmipDeviceMethod::RunCommand(
        *this, kSource, permission, instance, L"HostName", audit, [&](LAAPProxy& proxy) -> HRESULT {
            const CWmipAlarmPanelMapper::PointKeys keys =
                CWmipAlarmPanelMapper::CommandPointKeys(GetDatabase(), kSource, instance, kPointProperty);
            std::optional<std::vector<BYTE>> block =
                AlarmInputBlock::Build(keys.panelId, keys.alarmPanelId, keys.pointId, command);
            if (!block)
                return WBEM_E_INVALID_PARAMETER;
            return proxy.SetAlarmInputMask(*block) ? S_OK : WBEM_E_FAILED;
        });
}
