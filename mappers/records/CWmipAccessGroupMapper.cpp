#include "mappers/records/CWmipAccessGroupMapper.h"

#include <algorithm>
#include <map>

#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipObjectPath.h"
#include "framework/CWmipWriteFrame.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "framework/IWmipUserEntry.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Level = CBntAssignedAcLvlList::Entry;

namespace {

constexpr const wchar_t* kAccessGroupMapperSourceFile = L"wpAccessGroupMapper.cpp";
constexpr const wchar_t* kMethodName = L"AssignGroup";
// The operation word of a group assignment's replication entry.
constexpr LONG kAssignGroupReplicationOperation = 8;
constexpr LONG kNoSegmentsKey = -1;

// The running counts of one segment while the levels are selected.
struct Tally
{
    const CSegmentUnit* unit = nullptr;
    LONG standard = 0;
    LONG temporary = 0;
};

void LogDropped(const wchar_t* message, const CSegmentUnit& unit, LONG levelId)
{
    CString text;
    text.Format(CString(message) + L" Segment: %d, AccessLevel: %d.", static_cast<LONG>(unit.GetSegmentID()), levelId);
    CWMIDebugLog::LogError(kAccessGroupMapperSourceFile, __LINE__, text);
}

}  // namespace

std::vector<Level> CWmipAccessGroupMapper::SelectLevels(const std::vector<Level>& group,
                                                        const std::vector<Level>& badge,
                                                        const std::function<const CSegmentUnit*(LONG)>& unitOf)
{
    // One tally per key; the key that files a tally is the key that finds it again.
    std::map<LONG, Tally> tallies;
    const auto tallyOf = [&](LONG key) -> Tally* {
        auto found = tallies.find(key);
        if (found == tallies.end())
        {
            const CSegmentUnit* unit = unitOf(key);
            if (unit == nullptr)
                return nullptr;
            found = tallies.emplace(key, Tally{unit}).first;
        }
        return &found->second;
    };
    std::map<LONG, const Level*> candidates;
    for (const Level& level : group)
        candidates.emplace(level.levelId, &level);
    for (const Level& held : badge)
    {
        if (Tally* tally = tallyOf(held.segmentId))
            ++(held.IsTemporary() ? tally->temporary : tally->standard);
        candidates.erase(held.levelId);
    }
    std::vector<Level> added;
    for (const Level& level : group)
    {
        const auto candidate = candidates.find(level.levelId);
        if (candidate == candidates.end() || candidate->second != &level)
            continue;
        candidates.erase(candidate);
        Tally* tally = tallyOf(level.segmentId);
        if (tally == nullptr)
        {
            CWMIDebugLog::LogError(kAccessGroupMapperSourceFile, __LINE__, CWmipMessages::kNoSegmentUnit);
            continue;
        }
        // A level that is left out uses up no limit, so the levels after it still see the room.
        const CWmipAccessRules::SegmentLimit broken = CWmipAccessRules::BrokenLimit(
            *tally->unit, std::nullopt,
            CWmipAccessRules::SegmentLevels{tally->standard, tally->temporary,
                                            level.IsTemporary() ? CWmipAccessRules::NewLevel::kTemporary
                                                                : CWmipAccessRules::NewLevel::kStandard});
        if (broken != CWmipAccessRules::SegmentLimit::kNone)
        {
            LogDropped(CWmipAccessRules::LimitMessage(broken), *tally->unit, level.levelId);
            continue;
        }
        ++(level.IsTemporary() ? tally->temporary : tally->standard);
        added.push_back(level);
    }
    std::sort(added.begin(), added.end(), [](const Level& a, const Level& b) { return a.levelId < b.levelId; });
    std::vector<Level> levels = badge;
    levels.insert(levels.end(), added.begin(), added.end());
    return levels;
}

CWmipAccessGroupMapper::CWmipAccessGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewAccessLevels, 0, 0, 0);
}

HRESULT CWmipAccessGroupMapper::ExecuteMethod(CWmipObjectPath* path, const wchar_t* methodName, LONG, IWbemContext*,
                                              IWbemClassObject* inParams, IWbemObjectSink*)
{
    if (path == nullptr || CString(methodName != nullptr ? methodName : L"").CompareNoCase(kMethodName) != 0)
    {
        CWmipAccessRules::RequireInstance(*this, path);
        return WBEM_E_METHOD_NOT_IMPLEMENTED;
    }
    return AssignGroup(path, inParams);
}

HRESULT CWmipAccessGroupMapper::AssignGroup(CWmipObjectPath* path, IWbemClassObject* inParams)
{
    CWmipAccessRules::Badge badge;
    // The group is read, the limits are counted and the levels written in the write frame's
    // one transaction, so a concurrent assignment to the same badge cannot slip past them,
    // nor a badge or group leave the caller's segments before they are written.
    const HRESULT written = CWmipWriteFrame::RunMethod(
        *this, path, kMethodName, inParams,
        [&](IWbemClassObject* group) { RequirePermission(Permission::kAssignAccessLevels, group); },
        [&](IWbemClassObject* group, CBntDatabase&) -> HRESULT {
            CAcsUser* user = RequireUser();
            const LONG groupId = CWmipAccessRules::NumberOr(group, L"ID", 0);
            const LONG badgeKey = CWmipAccessRules::NumberOr(inParams, L"BadgeKey", 0);
            const bool segmented = user->GetSystemOptions().SegmentsInUse();
            const CAcsUser& connection = *GetDatabaseUser();
            badge = CWmipAccessRules::ReadAssignableBadge(*this, badgeKey);
            CBntAssignedAcLvlList groupList;
            CBntAssignedAcLvlList badgeList;
            const CBntAcsDBMgrCardholder manager(&connection);
            if (!manager.GetAccessLevelsForGroup(groupList, groupId) ||
                !manager.GetAccessLevelsForBadge(badgeList, badgeKey, false, false))
                CWmipRecordChecks::ThrowNamed(kAccessGroupMapperSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                              CWmipMessages::kInvalidProperty, L"ID");
            std::vector<Level> groupLevels = groupList.GetEntries();
            for (const Level& level : groupLevels)
                CWmipAccessRules::RequireVisible(*this, L"Bnt_AccessLevel", {{L"ID", level.levelId}}, L"ID");
            std::vector<Level> badgeLevels = badgeList.GetEntries();
            if (!segmented)
            {
                // Without segments every level falls under the one system-wide tally.
                for (Level& level : groupLevels)
                    level.segmentId = kNoSegmentsKey;
                for (Level& level : badgeLevels)
                    level.segmentId = kNoSegmentsKey;
            }
            const std::vector<Level> levels = SelectLevels(
                groupLevels, badgeLevels, [&](LONG key) { return CWmipAccessRules::FindSegmentUnit(*user, key); });
            // The answer names no reason: the log holds it.
            if (levels.empty())
            {
                CString text;
                if (groupLevels.empty())
                    text.Format(L"CWmipAccessGroupMapper::AssignGroup - The access group %d holds no access "
                                L"level, and the badge %d none: there is nothing to assign.",
                                groupId, badgeKey);
                else
                    text.Format(L"CWmipAccessGroupMapper::AssignGroup - None of the %d access levels of the "
                                L"access group %d fits the limits of the badge %d (each is logged above).",
                                static_cast<int>(groupLevels.size()), groupId, badgeKey);
                CWMIDebugLog::LogError(kAccessGroupMapperSourceFile, __LINE__, text, WBEM_E_FAILED);
                return WBEM_E_FAILED;
            }
            // Only the levels being added are checked against the badge's: a group level the badge
            // already holds does not overlap with itself.
            CBntAssignedAcLvlList added;
            for (std::size_t i = badgeLevels.size(); i < levels.size(); ++i)
                added.Add(levels[i]);
            if (IWmipUserEntry* entry = GetUserEntry();
                entry != nullptr && !entry->CanOnityILSLevelBeAssigned(badgeList, added))
                throw CWMIException(kAccessGroupMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                    CWmipMessages::kGroupReaderOverlap);
            CBntAssignedAcLvlList newList;
            for (const Level& level : levels)
                newList.Add(level);
            CWmipAccessRules::AssignLevels(connection, badge, newList);
            if (user->GetSystemOptions().ServerType() != 0)
            {
                const COleDateTime now = COleDateTime::GetCurrentTime();
                CBntCardholderTrans replication(CBntCardholderTrans::kModified, 0, &now);
                replication.SetOperation(kAssignGroupReplicationOperation);
                replication.SetPersonID(badge.personId);
                replication.SetBadge(badge.key, badge.id, badge.issueCode);
                LogReplication(replication);
            }
            CString name;
            WMIHelper::GetString(group, L"Name", name);
            CString text;
            text.FormatMessage(L"Fluxmere: request to assign access group %1 to badgekey %2!d!", name, badgeKey);
            if (!user->LogTransToDB(AuditOperation::kAssignAccessGroup, AuditObject::kAccessGroupAssignment, text,
                                    GetDatabase()))
                throw CWMIException(kAccessGroupMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                    CWmipMessages::kAuditNotWritten);
            return S_OK;
        });
    if (FAILED(written))
        return written;
    CWmipAccessRules::SendBadgeDownloadNotice(badge.id);
    return S_OK;
}
