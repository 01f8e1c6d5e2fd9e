#include "mappers/records/helpers/CWmipUserRules.h"

#include "common/AccessCodes.h"
#include "framework/CWmipClassMapper.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CBaseUser.h"
#include "inhouse/BntUserDb/CPermission.h"
#include "inhouse/BntUserDb/CUserDBSet.h"

#include <optional>

void CWmipUserRules::SetUserPermissions(CWmipClassMapper& mapper)
{
    if (mapper.IsBusDoor())
        mapper.SetPermissions(Permission::kViewUsers, 0, 0, 0);
    else
        mapper.SetPermissions(Permission::kViewUsers, Permission::kAddUsers, Permission::kModifyUsers,
                              Permission::kDeleteUsers);
}

bool CWmipUserRules::CanGrantPermissionGroup(const CAcsUser& caller, CBntDatabase& database, LONG type, LONG groupId,
                                             LONG userId)
{
    if (userId == kAllRightsUser || userId == caller.GetUserID())
        return false;
    if (caller.GetUserID() == kAllRightsUser)
        return true;
    // A group looked up under another type, or not at all, was once found nowhere and so asked
    // nothing: a card group given as the system group passed with every right it grants.
    if (!PermissionGroupExists(database, type, groupId))
        return false;
    switch (type)
    {
    case System:
    case Cardholder:
    case Monitoring: {
        CPermission group(type);
        if (!group.ReadPermissionLevel(database, groupId))
            return groupId == 0;
        CPermission own(type);
        own.ReadUserPermissions(caller);
        return own >= group;
    }
    case Field:
        return CBaseUser::HasUDFAuthority(&database, caller.GetFieldPermissionGroupID(), groupId);
    case Report:
        return CBaseUser::HasReportAuthority(&database, caller.GetReportPermissionGroupID(), groupId);
    default:
        return true;
    }
}

namespace {
constexpr LONG kAllFieldsGroup = -1;

// The segment of the group's row under the type; none when the type holds no such row.
std::optional<LONG> GroupSegment(CBntDatabase& database, LONG type, LONG groupId)
{
    CDynamicRecordset rows(&database);
    switch (type)
    {
    case CWmipUserRules::System:
    case CWmipUserRules::Cardholder:
    case CWmipUserRules::Monitoring:
        rows.SetTable(L"USER_PERM");
        rows.AddFilterLong(L"USER_PERMID", groupId);
        rows.AddFilterLong(L"TYPE", type);
        break;
    case CWmipUserRules::Report:
        rows.SetTable(L"USER_PERM_REPORT");
        rows.AddFilterLong(L"USER_PERM_REPORTID", groupId);
        break;
    case CWmipUserRules::Field:
        rows.SetTable(L"USER_PERM_UDF");
        rows.AddFilterLong(L"USER_PERM_UDFID", groupId);
        break;
    default:
        return std::nullopt;
    }
    rows.AddColumnToSet(L"SEGMENTID");
    rows.OpenForwardOnly();
    if (rows.IsEOF())
        return std::nullopt;
    return rows.GetLong(L"SEGMENTID");
}
}  // namespace

bool CWmipUserRules::PermissionGroupExists(CBntDatabase& database, LONG type, LONG groupId)
{
    if (groupId == 0 || (type == Field && groupId == kAllFieldsGroup))
        return true;
    return GroupSegment(database, type, groupId).has_value();
}

bool CWmipUserRules::PermissionGroupServesEverySegment(CBntDatabase& database, LONG type, LONG groupId)
{
    if (groupId == 0 || (type == Field && groupId == kAllFieldsGroup))
        return true;
    return GroupSegment(database, type, groupId) == CAcsUser::kAllSegments;
}

bool CWmipUserRules::CanManageUser(const CAcsUser& caller, CBntDatabase& database, LONG userId)
{
    CUserDBSet target(&database);
    target.AddFilterUserID(userId);
    target.OpenForwardOnly();
    if (target.IsEOF())
        return false;
    const LONG groups[][2] = {{System, target.GetLong(L"SYSTEM_USER_PERMID")},
                              {Cardholder, target.GetLong(L"CARD_USER_PERMID")},
                              {Monitoring, target.GetLong(L"MONITOR_USER_PERMID")},
                              {Report, target.GetLong(L"REPORT_USER_PERMID")},
                              {Field, target.GetLong(L"USER_PERM_UDFID")}};
    const LONG segmentId = target.GetLong(L"SEGMENTID");
    target.Close();
    for (const auto& [type, groupId] : groups)
        if (!CanGrantPermissionGroup(caller, database, type, groupId, userId))
            return false;
    if (!caller.HasSegmentAccess(segmentId, CAcsUser::kWriteSegmentAccess))
        return false;
    // A user reaches its secondary segments as well: a caller that cannot write one of them
    // would, by managing the user, act in a segment it has no access to.
    CDynamicRecordset links(&database);
    links.SetTable(L"USER_SEGMENT_LINK");
    links.AddColumnToSet(L"SEGMENTID");
    links.AddFilterLong(L"USERID", userId);
    links.Open(CMultiFilterRecordset::kReadOnly);
    for (; !links.IsEOF(); links.MoveNext())
        if (!caller.HasSegmentAccess(links.GetLong(L"SEGMENTID"), CAcsUser::kWriteSegmentAccess))
            return false;
    return true;
}
