#include "mappers/records/CWmipAssocDirectoryAccountMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"

CWmipAssocDirectoryAccountMapper::CWmipAssocDirectoryAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"CARDHOLDER_ACCOUNT", L"BNT_DIRECTORYID", L"BNT_DIRECTORY", L"BNT_DIRECTORYID");
}

HRESULT CWmipAssocDirectoryAccountMapper::CanView()
{
    return CWmipRecordChecks::HoldsAll(*RequireUser(), {Permission::kViewDirectories, Permission::kViewAccounts});
}
