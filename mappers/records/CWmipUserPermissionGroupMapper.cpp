#include "mappers/records/CWmipUserPermissionGroupMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CPermission.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kUserPermissionGroupMapperSourceFile = L"wpUserPermissionGroupMapper.cpp";
constexpr LONG kSystemGroup = 1;
constexpr LONG kMonitoringGroup = 3;

// The rights a group of a type shows as computed properties.
struct ComputedRight
{
    LONG groupType;
    DWORD permissionId;
    const wchar_t* property;
};
constexpr ComputedRight kComputedRights[] = {
    {kSystemGroup, Permission::kUseProvider, L"CanLoginToFluxmere"},
    {kMonitoringGroup, Permission::kViewLiveVideo, L"CanViewLiveVideo"},
    {kMonitoringGroup, Permission::kViewRecordedVideo, L"CanViewRecordedVideo"},
    {kMonitoringGroup, Permission::kSearchVideo, L"CanSearchVideo"},
};

}  // namespace

CWmipUserPermissionGroupMapper::CWmipUserPermissionGroupMapper(const CAcsUser* user, IWbemContext* context,
                                                               IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewPermissionGroups, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"USER_PERM", L"TYPE", Reader<&CWmipUserPermissionGroupMapper::ReadType>},
    };
    SetColumnHooks(kHooks);
}

HRESULT CWmipUserPermissionGroupMapper::ReadType(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                                 const CString& /*column*/)
{
    const LONG type = row.IsFieldNull(L"TYPE") ? 0 : row.GetLong(L"TYPE");
    const LONG groupId = row.GetLong(L"USER_PERMID");
    if (type == kSystemGroup || type == kMonitoringGroup)
    {
        const CAcsUser* user = RequireUser();
        CPermission permission(type);
        // A group whose permissions cannot be read shows none of its rights.
        const bool read =
            user->GetDatabase() != nullptr && permission.ReadPermissionLevel(*user->GetDatabase(), groupId);
        for (const ComputedRight& right : kComputedRights)
            if (right.groupType == type)
                WMIHelper::PutBool(&instance, right.property, read && permission.HasPermission(right.permissionId));
        if (type == kMonitoringGroup)
            WMIHelper::PutNumber(&instance, L"PTZPriority", GetPTZPriority(*user, groupId));
    }
    return WMIHelper::PutNumber(&instance, L"Type", type);
}

LONG CWmipUserPermissionGroupMapper::GetPTZPriority(const CAcsUser& user, LONG groupId)
{
    try
    {
        CDynamicRecordset priority(user.GetDatabase());
        priority.SetTable(L"USER_PTZ_PRIORITY");
        priority.AddColumnToSet(L"USER_PERMID");
        priority.AddColumnToSet(L"PRIORITY");
        priority.AddFilterLong(L"USER_PERMID", groupId);
        priority.Open(CMultiFilterRecordset::kReadOnly);
        return priority.IsEOF() || priority.IsFieldNull(1) ? 0 : priority.GetLong(1);
    }
    catch (const CDBException& e)
    {
        throw CWMIException(kUserPermissionGroupMapperSourceFile, __LINE__, WBEM_E_FAILED, &e);
    }
}
