// CWmipAssocCardholderAccountMapper: the mapper of Bnt_CardholderAccount, the directory accounts of
// cardholders (CWmipAssocPersonAccountMapper for EMP.VISITOR 0).
//
// Built per request by its factory; the caller owns it. One request on one thread.
#pragma once

#include "mappers/records/CWmipAssocPersonAccountMapper.h"

class CWmipAssocCardholderAccountMapper
    : public CWmipMapperSkeleton<CWmipAssocCardholderAccountMapper, CWmipAssocPersonAccountMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_CardholderAccount";

    CWmipAssocCardholderAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
