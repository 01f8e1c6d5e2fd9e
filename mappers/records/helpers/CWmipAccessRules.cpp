#include "mappers/records/helpers/CWmipAccessRules.h"

#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"
#include "inhouse/BntUserDb/CPerson.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kAccessRulesSourceFile = L"wpAccessRules.cpp";
constexpr LONG kActiveBadge = 1;
constexpr const wchar_t* kBadgeAuditText = L"Badge %1 (issue code %2!d!) of person %3!d! %4";

}  // namespace

const CSegmentUnit* CWmipAccessRules::FindSegmentUnit(const CAcsUser& user, LONG segmentId)
{
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    const CSegmentUnit* unit =
        options.SegmentsInUse() ? options.GetSegmentUnit(segmentId) : options.GetSystemSegmentUnit();
    if (unit == nullptr)
        unit = options.GetHiddenSegmentUnit(segmentId);
    return unit;
}

CWmipAccessRules::SegmentLimit CWmipAccessRules::BrokenLimit(const CSegmentUnit& unit, std::optional<LONGLONG> badgeId,
                                                             const std::optional<SegmentLevels>& levels)
{
    const LONG maxDigits = unit.GetMaxBadgeNumberLength();
    if (badgeId && CBntBadgeKey::GetNumDigits(*badgeId) > maxDigits)
        return SegmentLimit::kBadgeIdDigits;
    if (!levels)
        return SegmentLimit::kNone;
    if (LimitReached(levels->standard + levels->temporary, unit.GetMaxAccessLevels()))
        return SegmentLimit::kLevels;
    if (levels->added != NewLevel::kStandard && LimitReached(levels->temporary, unit.GetMaxTemporaryAccessLevels()))
        return SegmentLimit::kTemporaryLevels;
    if (levels->added != NewLevel::kTemporary && LimitReached(levels->standard, unit.GetMaxStandardAccessLevels()))
        return SegmentLimit::kStandardLevels;
    return SegmentLimit::kNone;
}

const wchar_t* CWmipAccessRules::LimitMessage(SegmentLimit limit)
{
    switch (limit)
    {
    case SegmentLimit::kBadgeIdDigits:
        return CWmipMessages::kBadgeIdTooLong;
    case SegmentLimit::kLevels:
        return CWmipMessages::kLevelsLimit;
    case SegmentLimit::kTemporaryLevels:
        return CWmipMessages::kTemporaryLevelsLimit;
    case SegmentLimit::kStandardLevels:
        return CWmipMessages::kStandardLevelsLimit;
    case SegmentLimit::kNone:
        break;
    }
    return nullptr;
}

LONG CWmipAccessRules::NumberOr(IWbemClassObject* instance, const wchar_t* property, LONG fallback)
{
    LONG value = fallback;
    WMIHelper::GetNumber(instance, property, value);
    return value;
}

ComPtr<IWbemClassObject> CWmipAccessRules::RequireInstance(CWmipClassMapper& mapper, CWmipObjectPath* path)
{
    ComPtr<IWbemClassObject> instance;
    instance.Attach(mapper.GetCurrentInstance(path));
    if (!instance)
        throw CWMIException(kAccessRulesSourceFile, __LINE__, WBEM_E_NOT_FOUND, CWmipMessages::kNotFound);
    return instance;
}

void CWmipAccessRules::RequireVisible(CWmipClassMapper& mapper, const wchar_t* className,
                                      std::initializer_list<std::pair<const wchar_t*, LONG>> keys,
                                      const wchar_t* property)
{
    if (!mapper.CallerCanSee(className, keys))
        CWmipRecordChecks::ThrowNamed(kAccessRulesSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, property);
}

bool CWmipAccessRules::ReadBadge(CBntDatabase& database, LONG badgeKey, Badge& badge, LONG& status)
{
    CDynamicRecordset row(&database);
    row.SetTable(L"BADGE");
    row.AddAllColumnsToSet(L"BADGE");
    row.AddFilterLong(L"BADGEKEY", badgeKey);
    row.OpenForwardOnly();
    if (row.IsEOF())
        return false;
    badge.key = badgeKey;
    badge.id = row.IsFieldNull(L"ID") ? 0 : row.GetLongLong(L"ID");
    badge.issueCode = row.IsFieldNull(L"ISSUECODE") ? 0 : row.GetLong(L"ISSUECODE");
    badge.type = row.IsFieldNull(L"TYPE") ? 0 : row.GetLong(L"TYPE");
    badge.personId = row.IsFieldNull(L"EMPID") ? 0 : row.GetLong(L"EMPID");
    status = row.IsFieldNull(L"STATUS") ? 0 : row.GetLong(L"STATUS");
    return true;
}

CWmipAccessRules::Badge CWmipAccessRules::ReadAssignableBadge(CWmipClassMapper& mapper, LONG badgeKey)
{
    const Badge badge = ReadActiveBadge(mapper, badgeKey);
    RequireNotDisposable(mapper, badge);
    return badge;
}

CWmipAccessRules::Badge CWmipAccessRules::ReadActiveBadge(CWmipClassMapper& mapper, LONG badgeKey)
{
    const CAcsUser& user = *mapper.GetDatabaseUser();
    Badge badge;
    LONG status = 0;
    if (!mapper.CallerCanSee(L"Bnt_Badge", {{L"BADGEKEY", badgeKey}}) ||
        !ReadBadge(*user.GetDatabase(), badgeKey, badge, status))
        CWmipRecordChecks::ThrowNamed(kAccessRulesSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipMessages::kInvalidProperty, L"BadgeKey");
    if (status != kActiveBadge)
        throw CWMIException(kAccessRulesSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kInactiveBadge);
    return badge;
}

void CWmipAccessRules::RequireNotDisposable(CWmipClassMapper& mapper, const Badge& badge)
{
    if (CBntAcsDBMgrCardholder(mapper.GetDatabaseUser()).BadgeTypeIsDisposable(badge.type))
        throw CWMIException(kAccessRulesSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kDisposableBadge);
}

void CWmipAccessRules::AssignLevels(const CAcsUser& user, const Badge& badge, const CBntAssignedAcLvlList& levels)
{
    CPerson person(badge.personId, nullptr, -9999, 101);
    person.Read(&user, -1);
    person.ReadSegmentAssignments(&user);
    if (!CBntAcsDBMgrCardholder(&user).AssignAccessLevelsToBadge(CBntBadgeKey(badge.key, badge.id, badge.issueCode),
                                                                 badge.type, levels, person))
        throw CWMIException(kAccessRulesSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kLevelsNotAssigned);
    LONGLONG id = 0;
    TouchBadge(*user.GetDatabase(), badge.key, id);
}

bool CWmipAccessRules::TouchBadge(CBntDatabase& database, LONG badgeKey, LONGLONG& id)
{
    CDynamicRecordset row(&database);
    row.SetTable(L"BADGE");
    row.AddColumnToSet(L"BADGEKEY");
    row.AddColumnToSet(L"ID");
    row.AddColumnToSet(L"LASTCHANGED");
    row.AddFilterLong(L"BADGEKEY", badgeKey);
    row.Open();
    if (row.IsEOF())
        return false;
    id = row.IsFieldNull(1) ? 0 : row.GetLongLong(1);
    row.Edit();
    row.SetDateTime(L"LASTCHANGED", COleDateTime::GetCurrentTime());
    row.Update();
    return true;
}

CString CWmipAccessRules::BadgeAuditText(CBntDatabase& database, LONG badgeKey)
{
    Badge badge;
    LONG status = 0;
    CString text;
    if (ReadBadge(database, badgeKey, badge, status))
        text.FormatMessage(kBadgeAuditText, CWmipBadgeRecord::IdText(badge.id), badge.issueCode, badge.personId,
                           CWmipBadgeRecord::OwnerName(database, badge.personId));
    return text;
}

void CWmipAccessRules::SetupBadgeReplication(CBntDatabase& database, CBntCardholderTrans& transaction, LONG badgeKey)
{
    Badge badge;
    LONG status = 0;
    if (ReadBadge(database, badgeKey, badge, status))
    {
        transaction.SetPersonID(badge.personId);
        transaction.SetBadge(badge.key, badge.id, badge.issueCode);
    }
    transaction.SetKind(CBntCardholderTrans::kModified);
}

void CWmipAccessRules::SendBadgeDownloadNotice(LONGLONG badgeId)
{
    // The write stands even when the server does not take the notice at once; it is logged.
    CWmipBadgeRecord::DownloadBadgeToPanel(badgeId, CWmipBadgeRecord::kChanged, CWmipBadgeRecord::kNoUseLimit);
}
