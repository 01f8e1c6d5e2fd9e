#include "framework/associations/CWmipAssocCardholderBadgeMapper.h"

CWmipAssocCardholderBadgeMapper::CWmipAssocCardholderBadgeMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, false)
{
}
