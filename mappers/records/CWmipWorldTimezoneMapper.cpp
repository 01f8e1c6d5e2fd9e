#include "mappers/records/CWmipWorldTimezoneMapper.h"

CWmipWorldTimezoneMapper::CWmipWorldTimezoneMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    // World time zones are reference data that every user may read; writes carry id 0.
    SetPermissions(kNoPermissionCheck, 0, 0, 0);
}
