#include "mappers/devices/CWmipVideoLayoutSourceMapper.h"

CWmipVideoLayoutSourceMapper::CWmipVideoLayoutSourceMapper(const CAcsUser* user, IWbemContext* context,
                                                           IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}
