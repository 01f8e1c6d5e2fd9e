#include "framework/associations/CWmipAssocBadgeOwnerMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUserDb/CPerson.h"

CWmipAssocBadgeOwnerMapper::CWmipAssocBadgeOwnerMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services, const wchar_t* className, bool visitors)
    : CWmipAssociationMapper(user, context, services, className), m_visitors(visitors)
{
    AddJoin(L"BADGE", L"EMPID", L"EMP", L"ID");
}

void CWmipAssocBadgeOwnerMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->AddFilterInt(L"EMP.VISITOR", m_visitors ? 1 : 0);
    AddAdditionalPersonFilter(*recordset);
}
