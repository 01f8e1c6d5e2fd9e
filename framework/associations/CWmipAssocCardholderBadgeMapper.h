// CWmipAssocCardholderBadgeMapper: the mapper of Bnt_CardholderBadge, the badges of cardholders
// (CWmipAssocBadgeOwnerMapper for EMP.VISITOR 0).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocBadgeOwnerMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocCardholderBadgeMapper
    : public CWmipMapperSkeleton<CWmipAssocCardholderBadgeMapper, CWmipAssocBadgeOwnerMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_CardholderBadge";

    CWmipAssocCardholderBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
