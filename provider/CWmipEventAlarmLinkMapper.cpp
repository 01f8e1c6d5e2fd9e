#include "provider/CWmipEventAlarmLinkMapper.h"

namespace {

// The right to view the event configuration.
constexpr DWORD kViewEventConfigurationPermission = 0x10000017;

}  // namespace

CWmipEventAlarmLinkMapper::CWmipEventAlarmLinkMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(kViewEventConfigurationPermission, 0, 0, 0);
}
