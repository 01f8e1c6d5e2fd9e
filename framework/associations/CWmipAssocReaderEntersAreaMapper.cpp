#include "framework/associations/CWmipAssocReaderEntersAreaMapper.h"

CWmipAssocReaderEntersAreaMapper::CWmipAssocReaderEntersAreaMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, L"AREAENTER")
{
}
