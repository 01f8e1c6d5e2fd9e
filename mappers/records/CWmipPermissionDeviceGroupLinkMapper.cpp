#include "mappers/records/CWmipPermissionDeviceGroupLinkMapper.h"

#include "common/AccessCodes.h"

CWmipPermissionDeviceGroupLinkMapper::CWmipPermissionDeviceGroupLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewUsers, 0, 0, 0);
}
