#include "mappers/records/CWmipAssocPersonAccountMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

CWmipAssocPersonAccountMapper::CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipAssocPersonAccountMapper(user, context, services, kWMIClassName, -1)
{
}

CWmipAssocPersonAccountMapper::CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services, const wchar_t* className,
                                                             int visitor)
    : CWmipMapperSkeleton(user, context, services, className), m_visitor(visitor)
{
    AddJoin(L"CARDHOLDER_ACCOUNT", L"EMPID", L"EMP", L"ID");
}

void CWmipAssocPersonAccountMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    AddAdditionalPersonFilter(*recordset);
    if (m_visitor >= 0)
        recordset->AddFilterInt(L"EMP.VISITOR", m_visitor);
}

HRESULT CWmipAssocPersonAccountMapper::CanView()
{
    if (m_visitor < 0)
        return CWmipAssociationMapper::CanView();
    if (m_visitor == 0)
        return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewAccounts, Permission::kViewCardholders,
                                                            Permission::kViewCardholdersSecond});
    return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewAccounts, Permission::kViewVisitors});
}
