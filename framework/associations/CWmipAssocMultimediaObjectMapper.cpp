#include "framework/associations/CWmipAssocMultimediaObjectMapper.h"

CWmipAssocMultimediaObjectMapper::CWmipAssocMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services, const wchar_t* className,
                                                                   bool visitors)
    : CWmipAssocPersonMapper(user, context, services, className, L"MMOBJS", visitors ? 1 : 0)
{
}
