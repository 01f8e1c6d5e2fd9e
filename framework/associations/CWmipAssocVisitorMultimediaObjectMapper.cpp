#include "framework/associations/CWmipAssocVisitorMultimediaObjectMapper.h"

CWmipAssocVisitorMultimediaObjectMapper::CWmipAssocVisitorMultimediaObjectMapper(const CAcsUser* user,
                                                                                 IWbemContext* context,
                                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, true)
{
}
