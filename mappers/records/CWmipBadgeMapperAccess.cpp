// CWmipBadgeMapper::AssignAccessLevel: links a badge to further access levels under the
// per-segment limits of its segment units. The read of the badge as the caller, the permission
// step, the checks and the links run in the write frame, one transaction of the mapper's
// connection: a badge moved out of the caller's segments before it is not found, a level that
// breaks a limit fails the whole call before anything is written, and two concurrent calls
// cannot both pass a limit.
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "mappers/records/CWmipBadgeMapper.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "framework/IWmipUserEntry.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kBadgeMapperAccessSourceFile = L"wpBadgeMapper.cpp";
// Most levels one call may name.
constexpr LONG kMaxLevelsPerCall = 4096;

[[noreturn]] void RefuseAccess(int line, const wchar_t* message)
{
    throw CWMIException(kBadgeMapperAccessSourceFile, line, WBEM_E_FAILED, message);
}

// The level IDs of LevelIn, in array order; empty for a null or empty array. Anything other
// than a one-dimensional array of integers is refused with 0x80041008 naming LevelIn.
std::vector<LONG> LevelsOf(const VARIANT& value)
{
    std::vector<LONG> levels;
    if (value.vt == VT_EMPTY || value.vt == VT_NULL)
        return levels;
    const VARTYPE element = value.vt & ~VT_ARRAY;
    const bool integers = element == VT_I4 || element == VT_UI4 || element == VT_INT || element == VT_UINT;
    if ((value.vt & VT_ARRAY) == 0 || !integers || value.parray == nullptr || SafeArrayGetDim(value.parray) != 1)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"LevelIn");
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(value.parray, 1, &lower);
    SafeArrayGetUBound(value.parray, 1, &upper);
    if (upper >= lower && static_cast<LONGLONG>(upper) - lower + 1 > kMaxLevelsPerCall)
        CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"LevelIn");
    for (LONG index = lower; index <= upper; ++index)
    {
        LONG level = 0;
        if (FAILED(SafeArrayGetElement(value.parray, &index, &level)))
            CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                          CWmipMessages::kInvalidProperty, L"LevelIn");
        levels.push_back(level);
    }
    return levels;
}

bool ManagesLevel(CBntDatabase* database, LONG userId, LONG level)
{
    CDynamicRecordset rows(database);
    rows.SetTable(L"USERS_ACCESSLEVEL_LINK");
    rows.AddColumnToSet(L"USERID", L"USERS_ACCESSLEVEL_LINK");
    rows.AddFilterLong(L"USERS_ACCESSLEVEL_LINK.USERID", userId);
    rows.AddFilterLong(L"USERS_ACCESSLEVEL_LINK.ACCESSLVID", level);
    rows.AddFilterLong(L"USERS_ACCESSLEVEL_LINK.HAS_AAM_VIEWONLY_ACCESS", 0);
    CRowCountSet count(database);
    count.SetRecordset(rows);
    return count.GetRowCount() > 0;
}

std::optional<LONG> SegmentOfLevel(CBntDatabase* database, LONG level)
{
    CDynamicRecordset row(database);
    row.SetTable(L"ACCESSLVL");
    row.AddColumnToSet(L"SEGMENTID", L"ACCESSLVL");
    row.AddFilterLong(L"ACCESSLVL.ACCESSLVID", level);
    row.OpenForwardOnly();
    if (row.IsEOF())
        return std::nullopt;
    return row.GetLong(0);
}

}  // namespace

HRESULT CWmipBadgeMapper::AssignAccessLevel(CWmipObjectPath* path, IWbemClassObject* inParams, IWbemObjectSink*)
{
    bool mayAssignAny = false;
    const CBntAcsDBMgrCardholder manager(GetDatabaseUser());
    return CWmipWriteFrame::RunMethod(
        *this, path, L"AssignAccessLevel", inParams,
        [&](IWbemClassObject* instance) {
            const HRESULT anyLevel = CanPerformOperation(Permission::kAssignAccessLevels, instance);
            if (FAILED(anyLevel) && anyLevel != WBEM_E_ACCESS_DENIED)
                throw CWMIException(kBadgeMapperAccessSourceFile, __LINE__, anyLevel);
            mayAssignAny = SUCCEEDED(anyLevel);
        },
        [&](IWbemClassObject* instance, CBntDatabase&) {
            CAcsUser* user = RequireUser();
            LONG badgeKey = 0;
            LONG personId = 0;
            LONGLONG id = 0;
            LONG type = 0;
            LONG issueCode = 0;
            WMIHelper::GetNumber(instance, L"BADGEKEY", badgeKey);
            WMIHelper::GetNumber(instance, L"PERSONID", personId);
            WMIHelper::GetNumber64(instance, L"ID", id);
            WMIHelper::GetNumber(instance, L"TYPE", type);
            WMIHelper::GetNumber(instance, L"ISSUECODE", issueCode);

            if (manager.BadgeTypeIsDisposable(type))
                RefuseAccess(__LINE__, CWmipMessages::kDisposableBadge);
            CBntAssignedAcLvlList list;
            manager.GetAccessLevelsForBadge(list, badgeKey, false, false);
            if (inParams == nullptr)
                CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                              CWmipMessages::kInvalidProperty, L"LevelIn");
            _variant_t levelIn;
            if (FAILED(inParams->Get(L"LevelIn", 0, &levelIn, nullptr, nullptr)))
                CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                              CWmipMessages::kInvalidProperty, L"LevelIn");
            const std::vector<LONG> levels = LevelsOf(levelIn);
            int added = 0;
            for (const LONG level : levels)
            {
                if (!mayAssignAny && !ManagesLevel(GetDatabase(), user->GetUserID(), level))
                    throw CWMIException(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_FAILED,
                                        CWmipMessages::kAccessDenied);
                // The level is looked up as the caller: one it may not see is one that is not there.
                const std::optional<LONG> segment = CallerCanSee(L"Bnt_AccessLevel", {{L"ID", level}})
                                                        ? SegmentOfLevel(GetDatabase(), level)
                                                        : std::nullopt;
                if (!segment)
                    CWmipRecordChecks::ThrowNamed(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                                  CWmipMessages::kInvalidProperty, L"AccessLevelID");
                bool duplicate = false;
                LONG standard = 0;
                LONG temporary = 0;
                for (const CBntAssignedAcLvlList::Entry& entry : list.GetEntries())
                {
                    if (entry.segmentId != *segment)
                        continue;
                    duplicate = duplicate || entry.levelId == level;
                    (entry.IsTemporary() ? temporary : standard) += 1;
                }
                if (duplicate)
                {
                    CString line;
                    line.Format(L"The specified access level assignment with access level ID %d already exists.",
                                level);
                    CWMIDebugLog::LogError(kBadgeMapperAccessSourceFile, __LINE__, line);
                    continue;
                }
                const CSegmentUnit* unit = FindSegmentUnit(*segment);
                if (unit == nullptr)
                    RefuseAccess(__LINE__, CWmipMessages::kNoSegmentUnit);
                const CWmipAccessRules::SegmentLimit broken = CWmipAccessRules::BrokenLimit(
                    *unit, id,
                    CWmipAccessRules::SegmentLevels{standard, temporary, CWmipAccessRules::NewLevel::kStandard});
                if (broken != CWmipAccessRules::SegmentLimit::kNone)
                    RefuseAccess(__LINE__, CWmipAccessRules::LimitMessage(broken));
                if (IWmipUserEntry* entry = GetUserEntry();
                    entry != nullptr && !entry->CanOnityILSLevelBeAssigned(list, level))
                {
                    CString line;
                    line.Format(CWmipMessages::kReaderOverlap, level, badgeKey);
                    CWMIDebugLog::LogError(kBadgeMapperAccessSourceFile, __LINE__, line);
                    continue;
                }
                list.AddStandard(level, *segment);
                ++added;
            }
            if (added == 0)
                return S_OK;
            CPerson person(personId, nullptr, -9999, 101);
            person.Read(GetDatabaseUser(), -1);
            person.ReadSegmentAssignments(GetDatabaseUser());
            if (!manager.AssignAccessLevelsToBadge(CBntBadgeKey(badgeKey, id, issueCode), type, list, person))
                RefuseAccess(__LINE__, CWmipMessages::kLevelsNotAssigned);
            if (user->GetSystemOptions().ServerType() != 0)
            {
                CBntCardholderTrans replication(CBntCardholderTrans::kModified, ReplicationObject::kAccessAssignment,
                                                nullptr);
                replication.SetTime(COleDateTime::GetCurrentTime());
                replication.SetUserID(user->GetUserID());
                SetupReplTransaction(replication, Operation::Add, instance);
                LogReplication(replication);
            }
            // An unaudited assignment must not stand: the throw rolls the whole of it back.
            if (!user->LogTransToDB(Operation::Modify, AuditObject::kAccessAssignment,
                                    GetTransactionValues(Operation::Add, instance), GetDatabase()))
                throw CWMIException(kBadgeMapperAccessSourceFile, __LINE__, WBEM_E_FAILED,
                                    CWmipMessages::kAuditNotRecorded);
            CWmipBadgeRecord::DownloadBadgeToPanel(id, CWmipBadgeRecord::kChanged, CWmipBadgeRecord::kNoUseLimit);
            return S_OK;
        });
}
