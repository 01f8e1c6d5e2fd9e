#include "mappers/records/CWmipUserReportPermissionGroupMapper.h"

namespace {

// The right to view permission groups.
constexpr DWORD kViewPermissionGroups = 0x10000031;

}  // namespace

CWmipUserReportPermissionGroupMapper::CWmipUserReportPermissionGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewPermissionGroups, 0, 0, 0);
}
