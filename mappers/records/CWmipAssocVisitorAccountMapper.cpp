#include "mappers/records/CWmipAssocVisitorAccountMapper.h"

CWmipAssocVisitorAccountMapper::CWmipAssocVisitorAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                               IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, 1)
{
}
