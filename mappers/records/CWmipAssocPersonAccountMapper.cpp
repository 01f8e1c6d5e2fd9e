#include "mappers/records/CWmipAssocPersonAccountMapper.h"

#include "common/AccessCodes.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

CWmipAssocPersonAccountMapper::CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipAssocPersonAccountMapper(user, context, services, kWMIClassName, kAnyPerson)
{
}

CWmipAssocPersonAccountMapper::CWmipAssocPersonAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services, const wchar_t* className,
                                                             int visitor)
    : CWmipMapperSkeleton(user, context, services, className, L"CARDHOLDER_ACCOUNT", visitor)
{
}

HRESULT CWmipAssocPersonAccountMapper::CanView()
{
    if (GetPersonKind() == kAnyPerson)
        return CWmipAssociationMapper::CanView();
    if (GetPersonKind() == 0)
        return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewAccounts, Permission::kViewCardholders,
                                                            Permission::kViewCardholdersSecond});
    return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewAccounts, Permission::kViewVisitors});
}
