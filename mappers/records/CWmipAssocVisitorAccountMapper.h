// CWmipAssocVisitorAccountMapper: the mapper of Bnt_VisitorAccount, the directory accounts of
// visitors (CWmipAssocPersonAccountMapper for EMP.VISITOR 1).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "mappers/records/CWmipAssocPersonAccountMapper.h"

class CWmipAssocVisitorAccountMapper
    : public CWmipMapperSkeleton<CWmipAssocVisitorAccountMapper, CWmipAssocPersonAccountMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_VisitorAccount";

    CWmipAssocVisitorAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
