// CWmipAssocVisitorBadgeMapper: the mapper of Bnt_VisitorBadge, the badges of visitors
// (CWmipAssocBadgeOwnerMapper for EMP.VISITOR 1).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "framework/associations/CWmipAssocBadgeOwnerMapper.h"
#include "framework/CWmipMapperSkeleton.h"

class CWmipAssocVisitorBadgeMapper
    : public CWmipMapperSkeleton<CWmipAssocVisitorBadgeMapper, CWmipAssocBadgeOwnerMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitorBadge";

    CWmipAssocVisitorBadgeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
