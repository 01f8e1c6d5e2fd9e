#include "mappers/devices/CWmipAlarmPanelMapper.h"

#include <memory>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntPanelModel/BntHardwarePredicates.h"
#include "provider/CWimpHardwareStatusCache.h"

using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kSource[] = L"wpAlarmPanelMapper";

constexpr DWORD kViewAlarmPanelsPermission = 0x10000000;
constexpr DWORD kStatusPermission = 0x30000011;
constexpr DeviceAudit kStatusAudit{64, 76, 10227};

}  // namespace

const MapperMethodEntry<CWmipAlarmPanelMapper> CWmipAlarmPanelMapper::kMethods[] = {
    {L"GetHardwareStatus", &CWmipAlarmPanelMapper::GetHardwareStatus},
};
const std::size_t CWmipAlarmPanelMapper::kMethodCount = std::size(kMethods);

CWmipAlarmPanelMapper::CWmipAlarmPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName())
{
    SetPermissions(kViewAlarmPanelsPermission, 0, 0, 0);
}

CWmipAlarmPanelMapper::~CWmipAlarmPanelMapper() = default;

const wchar_t* CWmipAlarmPanelMapper::GetWMIClassName()
{
    return L"Bnt_AlarmPanel";
}

CWmipClassMapper* CWmipAlarmPanelMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                      IWbemServices* services)
{
    return std::make_unique<CWmipAlarmPanelMapper>(user, context, services).release();
}

bool CWmipAlarmPanelMapper::IsHardwareCommandSupported(CBntDatabase* database, LONG panelId, LONG alarmPanelId)
{
    if (database == nullptr)
        return false;
    CDynamicRecordset alarmPanels(database);
    alarmPanels.SetTable(L"ALARMPANEL");
    alarmPanels.AddColumnToSet(L"PANELID");
    alarmPanels.AddColumnToSet(L"ALARMPID");
    alarmPanels.AddColumnToSet(L"CTRLTYPE");
    alarmPanels.AddFilterLong(L"PANELID", panelId);
    alarmPanels.AddFilterLong(L"ALARMPID", alarmPanelId);
    alarmPanels.OpenForwardOnly();
    if (alarmPanels.IsEOF())
        return false;
    return !Bnt::IR::Utility::Hardware::BntIsElevatorAlarmPanel(alarmPanels.GetLong(L"CTRLTYPE"));
}

CWmipAlarmPanelMapper::PointKeys CWmipAlarmPanelMapper::ReadPointKeys(IWbemClassObject* instance,
                                                                      const wchar_t* pointProperty)
{
    const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
    const LONG alarmPanelId = CWmipDeviceMethod::Number(instance, L"AlarmPanelID");
    return {panelId, alarmPanelId, CWmipDeviceMethod::Number(instance, pointProperty)};
}

CWmipAlarmPanelMapper::PointKeys CWmipAlarmPanelMapper::CommandPointKeys(CBntDatabase* database, const wchar_t* source,
                                                                         IWbemClassObject* instance,
                                                                         const wchar_t* pointProperty)
{
    const PointKeys keys = ReadPointKeys(instance, pointProperty);
    if (!IsHardwareCommandSupported(database, keys.panelId, keys.alarmPanelId))
        throw CWMIException(source, __LINE__, WBEM_E_NOT_SUPPORTED, kNotSupported);
    return keys;
}

HRESULT CWmipAlarmPanelMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                             IWbemClassObject* inParams, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::Dispatch(*this, kSource, path, methodName,
                                       std::span<const MapperMethodEntry<CWmipAlarmPanelMapper>>(kMethods), inParams,
                                       sink);
}

HRESULT CWmipAlarmPanelMapper::GetHardwareStatus(IWbemClassObject* instance, IWbemClassObject*, IWbemObjectSink* sink)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, kStatusPermission, instance, sink, kStatusAudit, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(instance, L"PanelID");
        const LONG alarmPanelId = CWmipDeviceMethod::Number(instance, L"ID");
        return static_cast<ULONG>(cache.GetDeviceStatus(panelId, alarmPanelId));
    });
}
