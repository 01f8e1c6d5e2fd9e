// CWmipAssocReaderExitsAreaMapper: the mapper of Bnt_ReaderExitsArea, the area an access
// granted at a reader leaves (CWmipAssocReaderAreaAccessMapper on READER.AREALEAVE).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocReaderAreaAccessMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocReaderExitsAreaMapper
    : public CWmipMapperSkeleton<CWmipAssocReaderExitsAreaMapper, CWmipAssocReaderAreaAccessMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_ReaderExitsArea";

    CWmipAssocReaderExitsAreaMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
