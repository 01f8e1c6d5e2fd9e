#include "mappers/records/CWmipDirectoryMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "platform/com/WbemConstants.h"

namespace {

bool IsPortColumn(const CString& column, const CString& table)
{
    return table.CompareNoCase(L"BNT_DIRECTORY") == 0 && column.CompareNoCase(L"DIR_PORT") == 0;
}

}  // namespace

CWmipDirectoryMapper::CWmipDirectoryMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewDirectories, 0, 0, 0);
}

void CWmipDirectoryMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset != nullptr)
        recordset->AddFilterLong(L"BNT_DIRECTORY.DIR_ISTEMPLATE", 0);
}

WMIHelper::ProcessMethod CWmipDirectoryMapper::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    return IsPortColumn(column, table) ? WMIHelper::kProcessByMapper
                                       : CWmipDynamicClassMapper::GetPropertyProcessMethod(column, table);
}

HRESULT CWmipDirectoryMapper::ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                                      const CString& table)
{
    if (!IsPortColumn(column, table))
        return CWmipDynamicClassMapper::ProcessInstanceProperty(instance, column, table);
    const CMultiFilterRecordset* row = GetInstanceRecordset();
    if (instance == nullptr || *instance == nullptr || row == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const LONG type = row->GetLong(L"BNT_DIRECTORY.DIR_TYPE");
    // Windows domains and local accounts are not reached over a port.
    if (type == brontel::directories::DirectoryDBManager::kNtDomain ||
        type == brontel::directories::DirectoryDBManager::kLocalAccounts)
        return S_OK;
    return WMIHelper::PutNumber(*instance, L"Port", row->GetLong(L"BNT_DIRECTORY.DIR_PORT"));
}
