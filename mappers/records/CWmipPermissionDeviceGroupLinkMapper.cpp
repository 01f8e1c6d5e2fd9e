#include "mappers/records/CWmipPermissionDeviceGroupLinkMapper.h"

namespace {

// The right to view system users.
constexpr DWORD kViewUsers = 0x1000000E;

}  // namespace

CWmipPermissionDeviceGroupLinkMapper::CWmipPermissionDeviceGroupLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewUsers, 0, 0, 0);
}
