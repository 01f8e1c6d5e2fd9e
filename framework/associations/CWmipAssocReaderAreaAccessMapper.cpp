#include "framework/associations/CWmipAssocReaderAreaAccessMapper.h"

CWmipAssocReaderAreaAccessMapper::CWmipAssocReaderAreaAccessMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services, const wchar_t* className,
                                                                   const wchar_t* areaColumn)
    : CWmipAssociationMapper(user, context, services, className)
{
    AddJoin(L"READER", areaColumn, L"AREAAPB", L"AREAAPBID");
}
