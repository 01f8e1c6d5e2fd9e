#include "mappers/records/CWmipAssocDirectoryAccountMapper.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "mappers/records/CWmipRecordChecks.h"

namespace {

constexpr DWORD kViewDirectories = 0x100000BB;
constexpr DWORD kViewAccounts = 0x20000049;

}  // namespace

CWmipAssocDirectoryAccountMapper::CWmipAssocDirectoryAccountMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    AddJoin(L"CARDHOLDER_ACCOUNT", L"BNT_DIRECTORYID", L"BNT_DIRECTORY", L"BNT_DIRECTORYID");
}

HRESULT CWmipAssocDirectoryAccountMapper::CanView()
{
    return CWmipRecordChecks::HoldsAll(*RequireUser(), {kViewDirectories, kViewAccounts});
}

void CWmipAssocDirectoryAccountMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        RequireUser()->AddLinkedSegmentFilter(*recordset, L"CARDHOLDER_ACCOUNT.EMPID", L"EMP", L"ID");
}
