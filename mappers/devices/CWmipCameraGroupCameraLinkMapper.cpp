#include "mappers/devices/CWmipCameraGroupCameraLinkMapper.h"

#include "common/AccessCodes.h"
#include "mappers/devices/CWmipCameraGroupMapper.h"

CWmipCameraGroupCameraLinkMapper::CWmipCameraGroupCameraLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"DEVICE_GROUP_LINK", L"DEVICEGROUPID", L"DEVICE_GROUP", L"DEVICEGROUPID");
    SetPermissions(Permission::kViewCameraGroups, 0, 0, 0);
}

void CWmipCameraGroupCameraLinkMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    CWmipCameraGroupMapper::FilterCameraGroups(recordset);
}
