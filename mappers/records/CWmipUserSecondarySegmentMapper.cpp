#include "mappers/records/CWmipUserSecondarySegmentMapper.h"

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntUserDb/CUserDBSet.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kUserSecondarySegmentMapperSourceFile = L"wpUserSecondarySegmentMapper.cpp";

void RefuseRule(int line, const wchar_t* message)
{
    throw CWMIException(kUserSecondarySegmentMapperSourceFile, line, WBEM_E_FAILED, message);
}

}  // namespace

CWmipUserSecondarySegmentMapper::CWmipUserSecondarySegmentMapper(const CAcsUser* user, IWbemContext* context,
                                                                 IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewUsers, Permission::kAddUsers, 0, Permission::kDeleteUsers);
    SetTransactionObject(AuditObject::kUser);
    SetReplTransactionObject(ReplicationObject::kUser);
}

void CWmipUserSecondarySegmentMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanAdd(instance);
    if (instance != nullptr)
        CheckSegmentAssignment(true, instance);
}

void CWmipUserSecondarySegmentMapper::CanDelete(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanDelete(instance);
    if (instance != nullptr)
        CheckSegmentAssignment(false, instance);
}

void CWmipUserSecondarySegmentMapper::CheckSegmentAssignment(bool adding, IWbemClassObject* instance)
{
    const CAcsUser* caller = RequireUser();
    const LONG userId = CWmipRecordChecks::RequireNumber(kUserSecondarySegmentMapperSourceFile, instance, L"UserID");
    const LONG segmentId =
        CWmipRecordChecks::RequireNumber(kUserSecondarySegmentMapperSourceFile, instance, L"SegmentID");
    CUserDBSet user(GetDatabase());
    user.AddFilterUserID(userId);
    user.OpenForwardOnly();
    if (user.IsEOF())
        CWmipRecordChecks::ThrowNamed(kUserSecondarySegmentMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"UserID");
    const LONG primarySegment = user.GetLong(L"SEGMENTID");
    user.Close();
    if (caller->GetSystemOptions().GetSegment(segmentId) == nullptr)
        CWmipRecordChecks::ThrowNamed(kUserSecondarySegmentMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"SegmentID");
    if (!caller->HasSegmentAccess(primarySegment, CAcsUser::kWriteSegmentAccess) ||
        !caller->HasSegmentAccess(segmentId, CAcsUser::kWriteSegmentAccess))
        throw CWMIException(kUserSecondarySegmentMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kSegmentAccessDenied);
    if (!adding)
        return;
    CSQLStatement link;
    link.SetFrom(L"USER_SEGMENT_LINK");
    link.AddToWhere(CString(), L"USERID", CDBValue(userId));
    link.AddToWhere(CString(), L"SEGMENTID", CDBValue(segmentId));
    CRowCountSet links(GetDatabase());
    links.SetSQL(link);
    if (segmentId == primarySegment || links.GetRowCount() > 0)
        RefuseRule(__LINE__, CWmipMessages::kSegmentAlreadyAssigned);
    if (segmentId == CAcsUser::kAllSegments
            ? !caller->IsAllSegmentsUser()
            : !caller->GetSystemOptions().GetSegmentationUtility().ShouldDisplaySegmentInSelectionUI(segmentId))
        RefuseRule(__LINE__, CWmipMessages::kSegmentRulesRefused);
}

void CWmipUserSecondarySegmentMapper::LogTransaction(Operation, IWbemClassObject* instance)
{
    CWmipMapperSkeleton::LogTransaction(Operation::Modify, instance);
}

CString CWmipUserSecondarySegmentMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    const LONG userId = CWmipAccessRules::NumberOr(instance, L"UserID", 0);
    CUserDBSet user(GetDatabase());
    user.AddFilterUserID(userId);
    user.OpenForwardOnly();
    CString text;
    if (!user.IsEOF())
        text.FormatMessage(L"%1(%2!ld!)", user.GetText(L"FIRSTNAME") + L" " + user.GetText(L"LASTNAME"), userId);
    return text;
}

void CWmipUserSecondarySegmentMapper::SetupReplTransaction(CBntCardholderTrans& transaction, Operation,
                                                           IWbemClassObject* instance)
{
    transaction.SetRecordID(CWmipAccessRules::NumberOr(instance, L"UserID", 0));
}

void CWmipUserSecondarySegmentMapper::AfterWriteInstance(Operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kUserSecondarySegmentMapperSourceFile, __LINE__,
                          L"CWmipUserSecondarySegmentMapper::AfterWriteInstance. Begin.");
    CUserDBSet user(GetDatabase());
    user.AddFilterUserID(CWmipAccessRules::NumberOr(instance, L"UserID", 0));
    user.Open();
    if (!user.IsEOF())
    {
        user.Edit();
        user.SetDateTime(L"LASTCHANGED", COleDateTime::GetCurrentTime());
        user.Update();
    }
    CWMIDebugLog::LogInfo(kUserSecondarySegmentMapperSourceFile, __LINE__,
                          L"CWmipUserSecondarySegmentMapper::AfterWriteInstance. Done.");
}
