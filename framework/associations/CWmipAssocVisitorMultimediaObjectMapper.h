// CWmipAssocVisitorMultimediaObjectMapper: the mapper of Bnt_VisitorMultimediaObject, the links of
// visitors to their multimedia objects (CWmipAssocMultimediaObjectMapper).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocMultimediaObjectMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocVisitorMultimediaObjectMapper
    : public CWmipMapperSkeleton<CWmipAssocVisitorMultimediaObjectMapper, CWmipAssocMultimediaObjectMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitorMultimediaObject";

    CWmipAssocVisitorMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
