// CWmipAssocCardholderMultimediaObjectMapper: the mapper of Bnt_CardholderMultimediaObject, the links of
// cardholders to their multimedia objects (CWmipAssocMultimediaObjectMapper).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocMultimediaObjectMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocCardholderMultimediaObjectMapper
    : public CWmipMapperSkeleton<CWmipAssocCardholderMultimediaObjectMapper, CWmipAssocMultimediaObjectMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_CardholderMultimediaObject";

    CWmipAssocCardholderMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
