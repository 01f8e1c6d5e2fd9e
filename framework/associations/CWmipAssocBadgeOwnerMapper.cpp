#include "framework/associations/CWmipAssocBadgeOwnerMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUserDb/CPerson.h"

CWmipAssocBadgeOwnerMapper::CWmipAssocBadgeOwnerMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services, const wchar_t* className, bool visitors)
    : CWmipAssocPersonMapper(user, context, services, className, L"BADGE", visitors ? 1 : 0)
{
}

void CWmipAssocBadgeOwnerMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        CPerson::AddVisiblePersonFilter(*RequireUser(), *recordset, L"BADGE.EMPID");
}
