#include "mappers/devices/CWmipWorkStationMapper.h"

CWmipWorkStationMapper::CWmipWorkStationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}
