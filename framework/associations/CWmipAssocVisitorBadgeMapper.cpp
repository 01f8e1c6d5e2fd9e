#include "framework/associations/CWmipAssocVisitorBadgeMapper.h"

CWmipAssocVisitorBadgeMapper::CWmipAssocVisitorBadgeMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, true)
{
}
