#include "mappers/records/CWmipAccessLevelMapper.h"
#include "common/AccessCodes.h"
#include "framework/CWmipMessages.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntAccessSets/CAccessPanelNameSet.h"
#include "inhouse/BntAccessSets/CReaderNameSet.h"
#include "inhouse/BntAccessSets/LAccessLevelLinkSet.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntCoreDb/CRowCountSet.h"
#include "inhouse/BntCoreDb/CSQLStatement.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "inhouse/BntLogin/CSegmentUnit.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipBadgeRecord.h"
#include "platform/com/WbemConstants.h"
#include "framework/WmipHostServices.h"
#include "hardware/CfgMessage.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kAccessLevelMapperSourceFile = L"wpAccessLevelMapper.cpp";
constexpr const wchar_t* kLevelAuditText = L"Access level %1 (%2!d!)";

// The notice of a deleted level (code 8 to the communication server) and the badge notices.
constexpr int kLevelDeleteCode = 8;
constexpr LONG kLevelRemoved = 3;
constexpr std::size_t kLevelOffset = 44;
constexpr std::size_t kBadgeKeyOffset = 132;

// Lock panels whose readers keep their own copy of the level: they must be marked for download.
constexpr LONG kLockPanelTypes[] = {18, 67, 73};
constexpr LONG kLevelActiveBadge = 1;

// The tables that name a level beside ACCESSLVL: reader links, group links, badge links and
// the users who manage it, with the level's column in each.
struct LevelLink
{
    const wchar_t* table;
    const wchar_t* column;
};
constexpr LevelLink kLevelLinks[] = {
    {L"ACCLVLINK", L"ACCESSLVID"},      {L"ACCGPLINK", L"ACCESSLVID"},
    {L"BADGELINK", L"ACCLVLID"},        {L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID"},
    {L"ACCESS_REQUEST", L"ACCESSLVID"},
};

constexpr auto LevelNumberOr = &CWmipAccessRules::NumberOr;

bool IsLockPanelType(LONG panelType)
{
    for (LONG type : kLockPanelTypes)
        if (type == panelType)
            return true;
    return false;
}

}  // namespace

CWmipAccessLevelMapper::CWmipAccessLevelMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewAccessLevels, Permission::kAddAccessLevels, Permission::kModifyAccessLevels,
                   Permission::kDeleteAccessLevels);
    SetTransactionObject(AuditObject::kAccessLevel);
}

void CWmipAccessLevelMapper::CanAdd(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanAdd(instance);
    if (instance != nullptr)
        ValidateLevel(instance, ValidationKind::Add);
}

void CWmipAccessLevelMapper::CanModify(IWbemClassObject* instance)
{
    CWmipMapperSkeleton::CanModify(instance);
    if (instance != nullptr)
        ValidateLevel(instance, ValidationKind::Modify);
}

void CWmipAccessLevelMapper::ValidateLevel(IWbemClassObject* instance, ValidationKind kind)
{
    CAcsUser* user = RequireUser();
    CBntDatabase* database = GetDatabase();
    if (database == nullptr)
        throw CWMIException(kAccessLevelMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoConnection);
    try
    {
        CString name;
        WMIHelper::GetString(instance, L"Name", name);
        const LONG segmentId = LevelNumberOr(instance, L"SegmentID", -1);
        CDynamicRecordset levels(database);
        levels.SetTable(L"ACCESSLVL");
        levels.AddColumnToSet(L"ACCESSLVID");
        levels.AddFilterText(L"DESCRIPT", name);
        // Names need only be unique within a segment.
        if (CBntAcsSystemOptions::SegmentsInUse(database))
            levels.AddFilterLong(L"SEGMENTID", segmentId);
        if (kind == ValidationKind::Modify)
            levels.AddFilterLong(L"ACCESSLVID", LevelNumberOr(instance, L"ID", 0), CMultiFilterRecordset::NotEqual);
        levels.OpenForwardOnly();
        const bool taken = !levels.IsEOF();
        levels.Close();
        if (taken)
            throw CWMIException(kAccessLevelMapperSourceFile, __LINE__, WBEM_E_FAILED,
                                CWmipMessages::kAccessLevelNameTaken);
        if (kind == ValidationKind::Add)
            CheckLevelCount(*user, segmentId);
    }
    catch (const CWMIException&)
    {
        throw;
    }
    catch (const CException&)
    {
        throw;
    }
    catch (...)
    {
        throw CWMIException(kAccessLevelMapperSourceFile, __LINE__, WBEM_E_FAILED);
    }
}

void CWmipAccessLevelMapper::CheckLevelCount(const CAcsUser& user, LONG segmentId)
{
    const CSegmentUnit* unit = CWmipAccessRules::FindSegmentUnit(user, segmentId);
    if (unit == nullptr)
        throw CWMIException(kAccessLevelMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kNoSegmentUnit);
    CRowCountSet count(GetDatabase());
    if (user.GetSystemOptions().SegmentsInUse())
    {
        CSQLStatement where;
        where.SetFrom(L"ACCESSLVL");
        where.AddToWhere(L"ACCESSLVL", L"SEGMENTID", CDBValue(segmentId));
        count.SetSQL(where);
    }
    else
    {
        count.SetTable(L"ACCESSLVL");
    }
    // The count runs inside the write's transaction, so two adds cannot both take the last place.
    if (CWmipAccessRules::LimitReached(count.GetRowCount(), unit->GetMaxAccessLevelRecords()))
        throw CWMIException(kAccessLevelMapperSourceFile, __LINE__, WBEM_E_FAILED,
                            CWmipMessages::kAccessLevelsAllowedLimit);
}

CString CWmipAccessLevelMapper::GetTransactionValues(Operation, IWbemClassObject* instance)
{
    CString name;
    WMIHelper::GetString(instance, L"Name", name);
    CString text;
    text.FormatMessage(kLevelAuditText, name, LevelNumberOr(instance, L"ID", 0));
    return text;
}

void CWmipAccessLevelMapper::BeforeWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kAccessLevelMapperSourceFile, __LINE__,
                          L"CWmipAccessLevelMapper::BeforeWriteInstance. Begin.");
    if (operation != Operation::Delete)
        return;
    const LONG levelId = LevelNumberOr(instance, L"ID", 0);
    m_badgeDownloadList.clear();
    m_readerLinks.clear();
    LAccessLevelLinkSet readers(GetDatabase());
    readers.SetAccessLevelIDFilter(levelId);
    readers.Open();
    for (; !readers.IsEOF(); readers.MoveNext())
        m_readerLinks.push_back(ReaderLink{readers.GetPanelID(), readers.GetReaderID()});
    CDynamicRecordset badges(GetDatabase());
    badges.SetTable(L"BADGELINK");
    badges.AddJoin(L"BADGELINK", L"BADGEKEY", L"BADGE", L"BADGEKEY");
    badges.AddColumnToSet(L"BADGEKEY", L"BADGELINK");
    badges.AddColumnToSet(L"ACCLVLID", L"BADGELINK");
    badges.AddColumnToSet(L"ID", L"BADGE");
    badges.AddFilterLong(L"BADGELINK.ACCLVLID", levelId);
    badges.AddFilterLong(L"BADGE.STATUS", kLevelActiveBadge);
    badges.Open(CMultiFilterRecordset::kReadOnly);
    for (; !badges.IsEOF(); badges.MoveNext())
        m_badgeDownloadList.push_back(badges.GetLong(0));
    badges.Close();
    // Every link of the level goes in the delete's own transaction: a failure fails the delete
    // and leaves the level whole, rather than leaving links that name a level that is gone.
    for (const LevelLink& link : kLevelLinks)
    {
        CSQLStatement remove;
        remove.SetFrom(link.table);
        remove.AddToWhere(CString(), link.column, CDBValue(levelId));
        GetDatabase()->ExecuteSQL(remove, CSQLStatement::Kind::Delete);
    }
    CWMIDebugLog::LogInfo(kAccessLevelMapperSourceFile, __LINE__,
                          L"CWmipAccessLevelMapper::BeforeWriteInstance. Done.");
}

void CWmipAccessLevelMapper::AfterWriteInstance(Operation operation, IWbemClassObject* instance)
{
    CWMIDebugLog::LogInfo(kAccessLevelMapperSourceFile, __LINE__,
                          L"CWmipAccessLevelMapper::AfterWriteInstance. Begin.");
    if (operation != Operation::Delete)
        return;
    const LONG levelId = LevelNumberOr(instance, L"ID", 0);
    const LONG segmentId = LevelNumberOr(instance, L"SegmentID", 0);
    MarkLockHardwareForDownload();

    CfgMessage message(0, 0, 0);
    message.SetLong(CfgMessage::kSecondOffset, kLevelRemoved);
    message.SetLong(kLevelOffset, levelId);
    message.SetLong(CfgMessage::kThirdOffset, segmentId);
    WmipHostServices::UpdateCommServer(kLevelDeleteCode, message);

    message.SetLong(CfgMessage::kThirdOffset, 0);
    message.SetLong(CfgMessage::kSecondOffset, CWmipBadgeRecord::kChanged);
    for (LONG badgeKey : m_badgeDownloadList)
    {
        message.SetLong(kBadgeKeyOffset, badgeKey);
        WmipHostServices::UpdateCommServer(CWmipBadgeRecord::kDownloadCode, message);
    }
    CWMIDebugLog::LogInfo(kAccessLevelMapperSourceFile, __LINE__, L"CWmipAccessLevelMapper::AfterWriteInstance. Done.");
}

void CWmipAccessLevelMapper::MarkLockHardwareForDownload()
{
    for (const ReaderLink& link : m_readerLinks)
    {
        CAccessPanelNameSet panel(GetDatabase());
        panel.AddPanelIDFilter(link.panelId);
        panel.Open();
        if (panel.IsEOF() || !IsLockPanelType(panel.GetPanelType()))
            continue;
        if (!panel.IsDownloadRequired())
        {
            panel.Edit();
            panel.SetDownloadRequired(true);
            panel.Update();
        }
        panel.Close();
        CReaderNameSet reader(GetDatabase());
        reader.AddPanelIDFilter(link.panelId);
        reader.AddReaderIDFilter(link.readerId);
        reader.AddRequireDownloadFilter(true, CMultiFilterRecordset::NotEqual);
        reader.Open();
        if (!reader.IsEOF())
        {
            reader.Edit();
            reader.SetRequireDownload(true);
            reader.Update();
        }
    }
}
