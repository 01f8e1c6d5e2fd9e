#include "framework/associations/CWmipAssocMultimediaObjectMapper.h"

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

CWmipAssocMultimediaObjectMapper::CWmipAssocMultimediaObjectMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services, const wchar_t* className,
                                                                   bool visitors)
    : CWmipAssociationMapper(user, context, services, className), m_visitors(visitors)
{
    AddJoin(L"MMOBJS", L"EMPID", L"EMP", L"ID");
}

void CWmipAssocMultimediaObjectMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    recordset->AddFilterInt(L"EMP.VISITOR", m_visitors ? 1 : 0);
    AddAdditionalPersonFilter(*recordset);
}
