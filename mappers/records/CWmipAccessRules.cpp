#include "mappers/records/CWmipAccessRules.h"

#include <string>

#include "framework/CWmipClassMapper.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "provider/CWmipApp.h"
#include "provider/CfgMessage.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kSourceFile = L"wpAccessRules.cpp";
constexpr LONG kActiveBadge = 1;
constexpr LONG kBadgeReplicationKind = 3;
constexpr const wchar_t* kBadgeAuditText = L"Badge %1 (issue code %2!d!) of person %3!d! %4";

// The badge download notice: message type and code -11, action 2 (badge changed), the 64-bit
// badge id at byte 72.
constexpr int kBadgeDownloadCode = -11;
constexpr int kBadgeChanged = 2;
constexpr std::size_t kBadgeIdOffset = 72;

// A table linking levels to their holders: its level column, its holder column, and whether the
// levels are read in level order (a group's are read in the order they were linked).
struct LevelLinkTable
{
    const wchar_t* table;
    const wchar_t* levelColumn;
    const wchar_t* holderColumn;
    bool byLevel;
};
constexpr LevelLinkTable kBadgeLinks{L"BADGELINK", L"ACCLVLID", L"BADGEKEY", true};
constexpr LevelLinkTable kGroupLinks{L"ACCGPLINK", L"ACCESSLVID", L"ACCESSGPID", false};

std::vector<CWmipAccessRules::AssignedLevel> ReadLinkedLevels(CBntDatabase& database, const LevelLinkTable& links,
                                                              LONG holder)
{
    CDynamicRecordset rows(&database);
    rows.SetTable(links.table);
    rows.AddJoin(links.table, links.levelColumn, L"ACCESSLVL", L"ACCESSLVID");
    rows.AddColumnToSet(links.levelColumn, links.table);
    rows.AddColumnToSet(L"ACTIVATE", links.table);
    rows.AddColumnToSet(L"DEACTIVATE", links.table);
    rows.AddColumnToSet(L"SEGMENTID", L"ACCESSLVL");
    rows.AddFilterLong(CString(links.table) + L"." + links.holderColumn, holder);
    if (links.byLevel)
        rows.AddOrderBy(links.levelColumn, links.table);
    rows.Open(CMultiFilterRecordset::kReadOnly);
    std::vector<CWmipAccessRules::AssignedLevel> levels;
    for (; !rows.IsEOF(); rows.MoveNext())
    {
        CWmipAccessRules::AssignedLevel level;
        level.levelId = rows.GetLong(0);
        level.activate = CWmipAccessRules::ReadDate(rows, 1);
        level.deactivate = CWmipAccessRules::ReadDate(rows, 2);
        level.segmentId = rows.GetLong(3);
        levels.push_back(level);
    }
    return levels;
}

}  // namespace

COleDateTime CWmipAccessRules::ReadDate(const CMultiFilterRecordset& recordset, int index)
{
    if (!recordset.IsFieldNull(index))
        return recordset.GetDateTime(index);
    COleDateTime none;
    none.SetStatus(COleDateTime::null);
    return none;
}

bool CWmipAccessRules::AssignedLevel::IsTemporary() const
{
    return activate.GetStatus() == COleDateTime::valid || deactivate.GetStatus() == COleDateTime::valid;
}

const CSegmentUnit* CWmipAccessRules::FindSegmentUnit(const CAcsUser& user, LONG segmentId)
{
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    const CSegmentUnit* unit =
        options.SegmentsInUse() ? options.GetSegmentUnit(segmentId) : options.GetSystemSegmentUnit();
    if (unit == nullptr)
        unit = options.GetHiddenSegmentUnit(segmentId);
    return unit;
}

std::vector<CWmipAccessRules::AssignedLevel> CWmipAccessRules::ReadBadgeLevels(CBntDatabase& database, LONG badgeKey)
{
    return ReadLinkedLevels(database, kBadgeLinks, badgeKey);
}

std::vector<CWmipAccessRules::AssignedLevel> CWmipAccessRules::ReadGroupLevels(CBntDatabase& database, LONG groupId)
{
    return ReadLinkedLevels(database, kGroupLinks, groupId);
}

ComPtr<IWbemClassObject> CWmipAccessRules::RequireInstance(CWmipClassMapper& mapper, CWmipObjectPath* path)
{
    ComPtr<IWbemClassObject> instance;
    instance.Attach(mapper.GetCurrentInstance(path));
    if (!instance)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_NOT_FOUND,
                            L"The requested instance could not be retrieved or does not exist.");
    return instance;
}

void CWmipAccessRules::SendBadgeDownloadNotice(LONGLONG badgeId)
{
    if (badgeId <= 0)
        return;
    CfgMessage message(kBadgeDownloadCode, kBadgeChanged, 0);
    message.SetLongLong(kBadgeIdOffset, badgeId);
    CWmipApp::UpdateCommServer(kBadgeDownloadCode, message);
}

LONG CWmipAccessRules::NumberOr(IWbemClassObject* instance, const wchar_t* property, LONG fallback)
{
    LONG value = fallback;
    WMIHelper::GetNumber(instance, property, value);
    return value;
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

CWmipAccessRules::Badge CWmipAccessRules::ReadAssignableBadge(CBntDatabase& database, LONG badgeKey)
{
    Badge badge;
    LONG status = 0;
    if (!ReadBadge(database, badgeKey, badge, status))
        CWmipRecordChecks::ThrowNamed(kSourceFile, __LINE__, WBEM_E_INVALID_PARAMETER,
                                      CWmipRecordChecks::kInvalidValueMessage, L"BadgeKey");
    if (status != kActiveBadge)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED,
                            L"Access level assignments can only be made to active badges.");
    CDynamicRecordset type(&database);
    type.SetTable(L"BADGETYP");
    type.AddColumnToSet(L"DISPOSABLE");
    type.AddFilterLong(L"ID", badge.type);
    type.OpenForwardOnly();
    if (!type.IsEOF() && !type.IsFieldNull(0) && type.GetLong(0) != 0)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_FAILED,
                            L"Access level assignments can only be made to badges that are not disposable.");
    return badge;
}

void CWmipAccessRules::WriteBadgeLevels(CBntDatabase& database, const Badge& badge,
                                        const std::vector<AssignedLevel>& levels)
{
    const std::vector<AssignedLevel> held = ReadBadgeLevels(database, badge.key);
    for (const AssignedLevel& level : levels)
    {
        bool alreadyHeld = false;
        for (const AssignedLevel& current : held)
            alreadyHeld = alreadyHeld || current.levelId == level.levelId;
        if (alreadyHeld)
            continue;
        CDynamicRecordset link(&database);
        link.SetTable(L"BADGELINK");
        link.AddAllColumnsToSet(L"BADGELINK");
        link.AddFilterLong(L"BADGEKEY", badge.key);
        link.AddFilterLong(L"ACCLVLID", level.levelId);
        link.Open();
        link.AddNew();
        link.SetValue(L"ACCLVLID", CDBValue(level.levelId));
        link.SetValue(L"BADGEKEY", CDBValue(badge.key));
        link.SetDateTime(L"ACTIVATE", level.activate);
        link.SetDateTime(L"DEACTIVATE", level.deactivate);
        link.Update();
    }
    LONGLONG id = 0;
    TouchBadge(database, badge.key, id);
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
    CDynamicRecordset badge(&database);
    badge.SetTable(L"EMP");
    badge.AddJoin(L"EMP", L"ID", L"BADGE", L"EMPID");
    badge.AddColumnToSet(L"ID", L"BADGE");
    badge.AddColumnToSet(L"ISSUECODE", L"BADGE");
    badge.AddColumnToSet(L"EMPID", L"BADGE");
    badge.AddColumnToSet(L"LASTNAME", L"EMP");
    badge.AddColumnToSet(L"FIRSTNAME", L"EMP");
    badge.AddFilterLong(L"BADGE.BADGEKEY", badgeKey);
    badge.OpenForwardOnly();
    CString text;
    if (badge.IsEOF())
        return text;
    const CString badgeId(std::to_wstring(badge.GetLongLong(0)).c_str());
    text.FormatMessage(kBadgeAuditText, badgeId, badge.GetLong(1), badge.GetLong(2),
                       badge.GetText(3) + L", " + badge.GetText(4));
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
    transaction.SetKind(kBadgeReplicationKind);
}
