#include "mappers/devices/CWmipCameraGroupMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

namespace {

// The device group type of camera groups.
constexpr int kCameraGroupType = 3;

}  // namespace

CWmipCameraGroupMapper::CWmipCameraGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewCameraGroups, 0, 0, 0);
}

void CWmipCameraGroupMapper::FilterCameraGroups(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterInt(L"DEVICE_GROUP.TYPE", kCameraGroupType);
}

void CWmipCameraGroupMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    FilterCameraGroups(recordset);
}
