#include "mappers/records/CWmipAssocCardholderAccountMapper.h"

CWmipAssocCardholderAccountMapper::CWmipAssocCardholderAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                                     IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, 0)
{
}
