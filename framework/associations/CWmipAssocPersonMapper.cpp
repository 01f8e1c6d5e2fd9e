#include "framework/associations/CWmipAssocPersonMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

CWmipAssocPersonMapper::CWmipAssocPersonMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                               const wchar_t* className, const wchar_t* table, int visitor)
    : CWmipAssociationMapper(user, context, services, className), m_visitor(visitor)
{
    AddJoin(table, L"EMPID", L"EMP", L"ID");
}

void CWmipAssocPersonMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    if (m_visitor != kAnyPerson)
        recordset->AddFilterInt(L"EMP.VISITOR", m_visitor);
    AddAdditionalPersonFilter(*recordset);
}
