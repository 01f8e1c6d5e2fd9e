#include "mappers/records/CWmipEventParameterMapper.h"

#include "common/AccessCodes.h"

CWmipEventParameterMapper::CWmipEventParameterMapper(const CAcsUser* user, IWbemContext* context,
                                                     IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    // The event configuration is only read through the provider: writes carry id 0.
    SetPermissions(Permission::kViewEventConfiguration, 0, 0, 0);
}
