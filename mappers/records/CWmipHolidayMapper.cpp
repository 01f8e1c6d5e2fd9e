#include "mappers/records/CWmipHolidayMapper.h"

namespace {

// The right to view holidays and access time zones.
constexpr DWORD kViewCalendarPermission = 0x10000011;

}  // namespace

CWmipHolidayMapper::CWmipHolidayMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    // The calendar is only read through the provider: writes carry id 0.
    SetPermissions(kViewCalendarPermission, 0, 0, 0);
}
