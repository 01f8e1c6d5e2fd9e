#include "mappers/records/CWmipUserFieldPermissionGroupMapper.h"

#include "common/AccessCodes.h"

CWmipUserFieldPermissionGroupMapper::CWmipUserFieldPermissionGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                         IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewPermissionGroups, 0, 0, 0);
}
