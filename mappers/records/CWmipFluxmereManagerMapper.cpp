#include "mappers/records/CWmipFluxmereManagerMapper.h"

CWmipFluxmereManagerMapper::CWmipFluxmereManagerMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}
