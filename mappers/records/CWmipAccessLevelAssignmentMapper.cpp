#include "mappers/records/CWmipAccessLevelAssignmentMapper.h"
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"

#include <string>

#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "framework/IWmipUserEntry.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kAccessLevelAssignmentMapperSourceFile = L"wpAccessLevelAssignmentMapper.cpp";

constexpr auto NumberOr = &CWmipAccessRules::NumberOr;
void RefuseAssignment(int line, const wchar_t* message)
{
    throw CWMIException(kAccessLevelAssignmentMapperSourceFile, line, WBEM_E_FAILED, message);
}

}  // namespace

CWmipAccessLevelAssignmentMapper::CWmipAccessLevelAssignmentMapper(const CAcsUser* user, IWbemContext* context,
                                                                   IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
}

void CWmipAccessLevelAssignmentMapper::CanAdd(IWbemClassObject* instance)
{
    const LONG levelId = NumberOr(instance, L"AccessLevelID", 0);
    if (CanPerformOperation(Permission::kAssignAccessLevels, instance) == S_OK)
        return;
    const CAcsUser* user = RequireUser();
    CDynamicRecordset managed(GetDatabase());
    managed.SetTable(L"USERS_ACCESSLEVEL_LINK");
    managed.AddColumnToSet(L"ACCESSLVID");
    managed.AddFilterLong(L"USERID", user->GetUserID());
    managed.AddFilterLong(L"ACCESSLVID", levelId);
    managed.AddFilterLong(L"HAS_AAM_VIEWONLY_ACCESS", 0);
    managed.OpenForwardOnly();
    if (managed.IsEOF())
        RefuseAssignment(__LINE__, CWmipMessages::kAccessDenied);
}

COleDateTime CWmipAccessLevelAssignmentMapper::ReadDate(IWbemClassObject* instance, const wchar_t* property)
{
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    CString text;
    if (FAILED(WMIHelper::GetString(instance, property, text)) || text.IsEmpty())
        return none;
    const COleDateTime utc = WMIHelper::ToDateTimeUTC(text, GetDoor());
    // A date that cannot be read would otherwise make the assignment permanent.
    if (utc.GetStatus() != COleDateTime::valid)
        CWmipRecordChecks::ThrowNamed(kAccessLevelAssignmentMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, property);
    return IsUseUTC() ? utc : WMIHelper::UtcToLocal(utc);
}

HRESULT CWmipAccessLevelAssignmentMapper::PutInstance(IWbemClassObject* instance, LONG flags, CString& path)
{
    CWmipAccessRules::Badge badge;
    try
    {
        OpenOwnPut(instance, flags, OwnPutOpening::kPermissionWithInstance, [&](CBntDatabase&) {
            const CAcsUser* user = RequireUser();
            CWMIDebugLog::LogInfo(kAccessLevelAssignmentMapperSourceFile, __LINE__,
                                  L"Passed all authorization checks.");
            badge = Assign(instance, *user);
            LogTransaction(Operation::Modify, instance);
            CWMIDebugLog::LogInfo(kAccessLevelAssignmentMapperSourceFile, __LINE__,
                                  L"PutInstance: AfterWriteInstance.");
            AfterWriteInstance(Operation::Add, instance);
        });
    }
    catch (const CDBException& e)
    {
        CWmipWriteFrame::ThrowNotWritten(kAccessLevelAssignmentMapperSourceFile, __LINE__,
                                         L"CWmipAccessLevelAssignmentMapper::PutInstance failed.", e,
                                         CWmipMessages::kInstanceNotWritten);
    }
    // The panels learn of the badge only once its new level is stored.
    CWmipAccessRules::SendBadgeDownloadNotice(badge.id);
    CWmipObjectPath written(GetClassName());
    written.AddKey(L"AccessLevelID", NumberOr(instance, L"AccessLevelID", 0));
    written.AddKey(L"BadgeKey", badge.key);
    written.GetPath(path);
    return S_OK;
}

CWmipAccessRules::Badge CWmipAccessLevelAssignmentMapper::Assign(IWbemClassObject* instance, const CAcsUser& user)
{
    CBntDatabase& database = *GetDatabase();
    const CAcsUser& connection = *GetDatabaseUser();
    const LONG levelId =
        CWmipRecordChecks::RequireNumber(kAccessLevelAssignmentMapperSourceFile, instance, L"AccessLevelID");
    const LONG badgeKey =
        CWmipRecordChecks::RequireNumber(kAccessLevelAssignmentMapperSourceFile, instance, L"BadgeKey");
    // The level and the badge are looked up as the caller: one it may not see is one that is not
    // there, and holds no assignment to count.
    const bool levelSeen = CallerCanSee(L"Bnt_AccessLevel", {{L"ID", levelId}});
    if (levelSeen && CallerCanSee(L"Bnt_Badge", {{L"BADGEKEY", badgeKey}}) &&
        CWmipRecordChecks::HasRow(database, L"BADGELINK", {{L"ACCLVLID", levelId}, {L"BADGEKEY", badgeKey}}))
        RefuseAssignment(__LINE__, CWmipMessages::kLevelAssignmentExists);

    CBntAssignedAcLvlList::Entry added;
    added.levelId = levelId;
    added.activate = ReadDate(instance, L"Activate");
    added.deactivate = ReadDate(instance, L"Deactivate");
    if (added.activate.GetStatus() == COleDateTime::valid && added.deactivate.GetStatus() == COleDateTime::valid &&
        !(added.activate < added.deactivate))
        RefuseAssignment(__LINE__, CWmipMessages::kLevelAssignmentDateOrder);

    const CWmipAccessRules::Badge badge = CWmipAccessRules::ReadAssignableBadge(*this, badgeKey);
    CDynamicRecordset level(&database);
    level.SetTable(L"ACCESSLVL");
    level.AddColumnToSet(L"SEGMENTID");
    level.AddFilterLong(L"ACCESSLVID", levelId);
    level.OpenForwardOnly();
    if (!levelSeen || level.IsEOF())
        CWmipRecordChecks::ThrowNamed(kAccessLevelAssignmentMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"AccessLevelID");
    added.segmentId = level.GetLong(0);
    level.Close();

    CBntAssignedAcLvlList levels;
    CBntAcsDBMgrCardholder(&connection).GetAccessLevelsForBadge(levels, badgeKey, false, false);
    LONG temporary = 0;
    LONG standard = 0;
    for (const CBntAssignedAcLvlList::Entry& held : levels.GetEntries())
    {
        if (held.segmentId != added.segmentId)
            continue;
        if (held.levelId == levelId)
            RefuseAssignment(__LINE__, CWmipMessages::kLevelAlreadyAssigned);
        ++(held.IsTemporary() ? temporary : standard);
    }
    const CSegmentUnit* unit = CWmipAccessRules::FindSegmentUnit(user, added.segmentId);
    if (unit == nullptr)
        RefuseAssignment(__LINE__, CWmipMessages::kNoSegmentUnit);
    // A single assignment leaves room under the standard limit even for a temporary level.
    const CWmipAccessRules::SegmentLevels counted{standard, temporary,
                                                  added.IsTemporary()
                                                      ? CWmipAccessRules::NewLevel::kTemporaryAndStandard
                                                      : CWmipAccessRules::NewLevel::kStandard};
    const CWmipAccessRules::SegmentLimit broken = CWmipAccessRules::BrokenLimit(*unit, badge.id, counted);
    if (broken != CWmipAccessRules::SegmentLimit::kNone)
        RefuseAssignment(__LINE__, CWmipAccessRules::LimitMessage(broken));
    IWmipUserEntry* entry = GetUserEntry();
    if (entry != nullptr && !entry->CanOnityILSLevelBeAssigned(levels, levelId))
    {
        CString message;
        message.Format(CWmipMessages::kReaderOverlap, levelId, badgeKey);
        RefuseAssignment(__LINE__, message);
    }
    levels.Add(added);
    CWmipAccessRules::AssignLevels(connection, badge, levels);
    return badge;
}
