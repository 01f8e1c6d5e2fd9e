#include "framework/associations/CWmipAssocReaderExitsAreaMapper.h"

CWmipAssocReaderExitsAreaMapper::CWmipAssocReaderExitsAreaMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName, L"AREALEAVE")
{
}
