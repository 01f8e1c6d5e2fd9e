#include "mappers/records/CWmipTimezoneIntervalMapper.h"

#include "common/AccessCodes.h"

CWmipTimezoneIntervalMapper::CWmipTimezoneIntervalMapper(const CAcsUser* user, IWbemContext* context,
                                                         IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(Permission::kViewCalendar, 0, 0, 0);
}
