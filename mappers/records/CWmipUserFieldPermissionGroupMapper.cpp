#include "mappers/records/CWmipUserFieldPermissionGroupMapper.h"

namespace {

// The right to view permission groups.
constexpr DWORD kViewPermissionGroups = 0x10000031;

}  // namespace

CWmipUserFieldPermissionGroupMapper::CWmipUserFieldPermissionGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                         IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewPermissionGroups, 0, 0, 0);
}
