#include "framework/associations/CWmipAssocBadgeOwnerMapper.h"

CWmipAssocBadgeOwnerMapper::CWmipAssocBadgeOwnerMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services, const wchar_t* className, bool visitors)
    : CWmipAssocPersonMapper(user, context, services, className, L"BADGE", visitors ? 1 : 0)
{
}
