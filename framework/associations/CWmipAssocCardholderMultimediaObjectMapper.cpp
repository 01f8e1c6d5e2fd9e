#include "framework/associations/CWmipAssocCardholderMultimediaObjectMapper.h"

CWmipAssocCardholderMultimediaObjectMapper::CWmipAssocCardholderMultimediaObjectMapper(const CAcsUser* user,
                                                                                       IWbemContext* context,
                                                                                       IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, false)
{
}
