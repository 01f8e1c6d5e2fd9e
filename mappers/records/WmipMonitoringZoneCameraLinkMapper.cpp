#include "mappers/records/WmipMonitoringZoneCameraLinkMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"

namespace {

constexpr const wchar_t* kCoveredCamera =
    L"(MONDEVLINK.PANELID=CCTVDEVICE.PANELID and MONDEVLINK.DEVICEID=CCTVDEVICE.CCTVDEVICEID and "
    L"MONDEVLINK.ENTIREDEVICE=0\tor\tMONDEVLINK.PANELID=CCTVDEVICE.PANELID and MONDEVLINK.ENTIREDEVICE=1)";

}  // namespace

WmipMonitoringZoneCameraLinkMapper::WmipMonitoringZoneCameraLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"MONDEVLINK", L"MZID", L"MONZONE", L"MZID");
    // The cameras of the link's panel; the filter keeps those the link covers.
    AddJoin(L"CCTVDEVICE", L"PANELID", L"MONDEVLINK", L"PANELID");
    SetPermissions(Permission::kViewMonitoringZones, 0, 0, 0);
}

void WmipMonitoringZoneCameraLinkMapper::SetupInstanceRecordset(CDynamicRecordset* recordset)
{
    CWmipMapperSkeleton::SetupInstanceRecordset(recordset);
    if (recordset == nullptr)
        return;
    recordset->AddColumnToSet(L"CCTVDEVICEID", L"CCTVDEVICE");
    recordset->AddColumnToSet(L"ENTIREDEVICE", L"MONDEVLINK");
}

void WmipMonitoringZoneCameraLinkMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    // The condition is grouped whole, so an OR in it cannot escape into the filters around it.
    CString filter = recordset->GetFilter();
    filter = filter.IsEmpty() ? CString(kCoveredCamera) : L"(" + filter + L") AND " + kCoveredCamera;
    recordset->SetFilter(filter, recordset->GetFilterValues());
}
