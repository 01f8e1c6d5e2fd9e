// CWmipAssocReaderEntersAreaMapper: the mapper of Bnt_ReaderEntersArea, the area an access
// granted at a reader enters (CWmipAssocReaderAreaAccessMapper on READER.AREAENTER).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocReaderAreaAccessMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocReaderEntersAreaMapper
    : public CWmipMapperSkeleton<CWmipAssocReaderEntersAreaMapper, CWmipAssocReaderAreaAccessMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderEntersArea";

    CWmipAssocReaderEntersAreaMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
