#include "mappers/records/WmipMonitoringZoneRecorderLinkMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

constexpr LONG kVideoRecorderPanelType = 36;

}  // namespace

WmipMonitoringZoneRecorderLinkMapper::WmipMonitoringZoneRecorderLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName)
{
    AddJoin(L"ACCESSPANE", L"PANELID", L"MONDEVLINK", L"PANELID");
    AddJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
}

void WmipMonitoringZoneRecorderLinkMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        recordset->AddFilterLong(L"PANELTYPE.PANELTYPEID", kVideoRecorderPanelType);
}
