#include "mappers/records/CWmipDirectoryMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"

namespace {

}  // namespace

CWmipDirectoryMapper::CWmipDirectoryMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewDirectories, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"BNT_DIRECTORY", L"DIR_PORT", Reader<&CWmipDirectoryMapper::ReadPort>},
    };
    SetColumnHooks(kHooks);
}

void CWmipDirectoryMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        recordset->AddFilterLong(L"BNT_DIRECTORY.DIR_ISTEMPLATE", 0);
}

HRESULT CWmipDirectoryMapper::ReadPort(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                       const CString& /*column*/)
{
    const LONG type = row.GetLong(L"BNT_DIRECTORY.DIR_TYPE");
    // Windows domains and local accounts are not reached over a port.
    if (type == brontel::directories::DirectoryDBManager::kNtDomain ||
        type == brontel::directories::DirectoryDBManager::kLocalAccounts)
        return S_OK;
    return WMIHelper::PutNumber(&instance, L"Port", row.GetLong(L"BNT_DIRECTORY.DIR_PORT"));
}
