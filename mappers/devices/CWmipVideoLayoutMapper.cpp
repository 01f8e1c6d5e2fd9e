#include "mappers/devices/CWmipVideoLayoutMapper.h"

CWmipVideoLayoutMapper::CWmipVideoLayoutMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}
