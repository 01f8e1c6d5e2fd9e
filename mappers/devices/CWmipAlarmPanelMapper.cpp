#include "mappers/devices/CWmipAlarmPanelMapper.h"

#include "framework/CWmipMessages.h"
#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntPanelModel/BntHardwarePredicates.h"
#include "hardware/CWimpHardwareStatusCache.h"

using brontel::utility::CWMIException;

namespace {

constexpr MapperMethodEntry<CWmipAlarmPanelMapper> kAlarmPanelMapperRows[] = {
    {L"GetHardwareStatus",
     &CWmipAlarmPanelMapper::GetHardwareStatus,
     Permission::kControlDevices,
     {AuditOperation::kReadStatus, AuditObject::kAlarmPanel, 10227}},
};

}  // namespace

const std::span<const MapperMethodEntry<CWmipAlarmPanelMapper>> CWmipAlarmPanelMapper::kMethods = kAlarmPanelMapperRows;

CWmipAlarmPanelMapper::CWmipAlarmPanelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipDeviceMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewPanels, 0, 0, 0);
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
        throw CWMIException(source, __LINE__, WBEM_E_NOT_SUPPORTED, CWmipMessages::kHardwareTypeNotSupported);
    return keys;
}

HRESULT CWmipAlarmPanelMapper::GetHardwareStatus(DeviceMethodCall& call)
{
    return CWmipDeviceMethod::RunStatus(*this, kSource, call.sink, [&] {
        CWimpHardwareStatusCache& cache = CWmipDeviceMethod::StatusCache();
        const LONG panelId = CWmipDeviceMethod::Number(call.instance, L"PanelID");
        const LONG alarmPanelId = CWmipDeviceMethod::Number(call.instance, L"ID");
        return static_cast<ULONG>(cache.GetDeviceStatus(panelId, alarmPanelId));
    });
}
