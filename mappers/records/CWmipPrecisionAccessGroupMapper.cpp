#include "mappers/records/CWmipPrecisionAccessGroupMapper.h"

#include "common/AccessCodes.h"

CWmipPrecisionAccessGroupMapper::CWmipPrecisionAccessGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewAccessLevels, 0, 0, 0);
}
