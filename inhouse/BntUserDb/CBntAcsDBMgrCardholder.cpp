#include "inhouse/BntUserDb/CBntAcsDBMgrCardholder.h"

#include "inhouse/BntCommon/CBntBadgeKey.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

namespace {

CDBValue DateValue(const COleDateTime& date)
{
    if (date.GetStatus() != COleDateTime::valid)
        return CDBValue();
    CString text;
    text.Format(L"%04d-%02d-%02d %02d:%02d:%02d", date.GetYear(), date.GetMonth(), date.GetDay(), date.GetHour(),
                date.GetMinute(), date.GetSecond());
    return CDBValue(text);
}

COleDateTime DateOf(const CDBValue& value)
{
    COleDateTime date;
    if (value.IsNull() || !date.ParseDateTime(value.AsText()))
        date.SetStatus(COleDateTime::null);
    return date;
}

}  // namespace

bool CBntAcsDBMgrCardholder::BadgeTypeIsDisposable(LONG badgeTypeId) const
{
    CBntDatabase* database = m_user != nullptr ? m_user->GetDatabase() : nullptr;
    if (database == nullptr)
        return false;
    const auto row = CLoginQuery::FirstRow(*database, "SELECT DISPOSABLE FROM BADGETYP WHERE ID = ?", {badgeTypeId});
    return row && CLoginQuery::Integer(*row, 0) != 0;
}

bool CBntAcsDBMgrCardholder::GetAccessLevelsForBadge(CBntAssignedAcLvlList& list, LONG badgeKey, bool, bool) const
{
    return ReadLevels(list,
                      "SELECT L.ACCLVLID, A.SEGMENTID, L.ACTIVATE, L.DEACTIVATE FROM BADGELINK L "
                      "JOIN ACCESSLVL A ON A.ACCESSLVID = L.ACCLVLID WHERE L.BADGEKEY = ? ORDER BY L.ACCLVLID",
                      badgeKey);
}

bool CBntAcsDBMgrCardholder::GetAccessLevelsForGroup(CBntAssignedAcLvlList& list, LONG groupId) const
{
    return ReadLevels(list,
                      "SELECT L.ACCESSLVID, A.SEGMENTID, L.ACTIVATE, L.DEACTIVATE FROM ACCGPLINK L "
                      "JOIN ACCESSLVL A ON A.ACCESSLVID = L.ACCESSLVID WHERE L.ACCESSGPID = ? ORDER BY L.rowid",
                      groupId);
}

bool CBntAcsDBMgrCardholder::ReadLevels(CBntAssignedAcLvlList& list, const char* sql, LONG holder) const
{
    list.Clear();
    CBntDatabase* database = m_user != nullptr ? m_user->GetDatabase() : nullptr;
    if (database == nullptr)
        return false;
    for (const auto& row : CLoginQuery::Rows(*database, sql, {holder}))
    {
        CBntAssignedAcLvlList::Entry entry;
        entry.levelId = static_cast<LONG>(CLoginQuery::Integer(row, 0));
        entry.segmentId = static_cast<LONG>(CLoginQuery::Integer(row, 1));
        entry.activate = DateOf(row[2]);
        entry.deactivate = DateOf(row[3]);
        list.Add(entry);
    }
    return true;
}

bool CBntAcsDBMgrCardholder::AssignAccessLevelsToBadge(const CBntBadgeKey& badge, LONG,
                                                       const CBntAssignedAcLvlList& list, const CPerson&) const
{
    CBntDatabase* database = m_user != nullptr ? m_user->GetDatabase() : nullptr;
    if (database == nullptr)
        return false;
    try
    {
        for (const CBntAssignedAcLvlList::Entry& entry : list.GetEntries())
            database->ExecuteSQL(L"INSERT OR IGNORE INTO BADGELINK (ACCLVLID, BADGEKEY, ACTIVATE, DEACTIVATE) "
                                 L"VALUES (?, ?, ?, ?)",
                                 {CDBValue(entry.levelId), CDBValue(badge.GetBadgeKey()), DateValue(entry.activate),
                                  DateValue(entry.deactivate)});
    }
    catch (const CDBException& e)
    {
        CWMIDebugLog::LogError(L"CBntAcsDBMgrCardholder", __LINE__, L"Unable to assign the access levels.", E_FAIL, &e);
        return false;
    }
    return true;
}
