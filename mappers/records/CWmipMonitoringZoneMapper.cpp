#include "mappers/records/CWmipMonitoringZoneMapper.h"

namespace {

// The right to view monitoring zones.
constexpr DWORD kViewZones = 0x10000014;

}  // namespace

CWmipMonitoringZoneMapper::CWmipMonitoringZoneMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewZones, 0, 0, 0);
}
