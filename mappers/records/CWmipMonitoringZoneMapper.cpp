#include "mappers/records/CWmipMonitoringZoneMapper.h"

#include "common/AccessCodes.h"

CWmipMonitoringZoneMapper::CWmipMonitoringZoneMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewMonitoringZones, 0, 0, 0);
}
