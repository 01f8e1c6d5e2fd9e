#include "mappers/devices/CWmipVideoTemplateMapper.h"

CWmipVideoTemplateMapper::CWmipVideoTemplateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}
