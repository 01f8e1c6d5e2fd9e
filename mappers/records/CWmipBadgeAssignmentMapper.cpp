#include "mappers/records/CWmipBadgeAssignmentMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

using brontel::utility::CWMIDebugLog;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kBadgeAssignmentMapperSourceFile = L"wpAccessLevelAssignmentMapper.cpp";

LONG BadgeKeyOf(IWbemClassObject* instance)
{
    return CWmipAccessRules::NumberOr(instance, L"BadgeKey", 0);
}

}  // namespace

CWmipBadgeAssignmentMapper::CWmipBadgeAssignmentMapper(const CAcsUser* user, IWbemContext* context,
                                                       IWbemServices* services, const wchar_t* className)
    : CWmipDynamicClassMapper(user, context, services, className)
{
    SetPermissions(Permission::kViewAccessLevelAssignments, Permission::kAssignAccessLevels, 0,
                   Permission::kAssignAccessLevels);
    SetTransactionObject(AuditObject::kAccessAssignment);
    SetReplTransactionObject(ReplicationObject::kAccessAssignment);
}

CString CWmipBadgeAssignmentMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    return CWmipAccessRules::BadgeAuditText(*GetDatabase(), BadgeKeyOf(instance));
}

void CWmipBadgeAssignmentMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation,
                                                      IWbemClassObject* instance)
{
    CWmipAccessRules::SetupBadgeReplication(*GetDatabase(), transaction, BadgeKeyOf(instance));
}

void CWmipBadgeAssignmentMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    if (operation != Operation::Delete)
        return;
    CWMIDebugLog::LogInfo(kBadgeAssignmentMapperSourceFile, __LINE__,
                          L"CWmipAccessLevelAssignmentMapper::AfterWriteInstance. Begin.");
    const LONG badgeKey = BadgeKeyOf(instance);
    LONGLONG badgeId = 0;
    if (CWmipAccessRules::TouchBadge(*GetDatabase(), badgeKey, badgeId))
    {
        CWmipAccessRules::SendBadgeDownloadNotice(badgeId);
        AfterBadgeNotice(badgeKey);
        CWMIDebugLog::LogInfo(kBadgeAssignmentMapperSourceFile, __LINE__,
                              L"CWmipAccessLevelAssignmentMapper::AfterWriteInstance. Done.");
    }
}

void CWmipBadgeAssignmentMapper::AfterBadgeNotice(LONG /*badgeKey*/) {}
