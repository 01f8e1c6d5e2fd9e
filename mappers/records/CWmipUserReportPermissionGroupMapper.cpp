#include "mappers/records/CWmipUserReportPermissionGroupMapper.h"

#include "common/AccessCodes.h"

CWmipUserReportPermissionGroupMapper::CWmipUserReportPermissionGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewPermissionGroups, 0, 0, 0);
}
