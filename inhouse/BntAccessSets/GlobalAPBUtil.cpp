#include "inhouse/BntAccessSets/GlobalAPBUtil.h"

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntLogin/CAcsUser.h"

GlobalAPBUtil::GlobalAPBUtil(CBntDatabase* database, const CAcsUser* user, bool fromReplication)
    : m_database(database), m_user(user), m_fromReplication(fromReplication)
{
}

bool GlobalAPBUtil::MoveBadgeToAreaViaGrant(LONGLONG badgeId, LONG segmentId, LONG areaId, LONG panelId, LONG readerId,
                                            const COleDateTime& timeUtc)
{
    if (m_database == nullptr || timeUtc.GetStatus() != COleDateTime::valid)
        return false;
    try
    {
        m_database->ExecuteSQL(
            L"INSERT OR REPLACE INTO APB_BADGE_LOCATION (BADGEID, SEGMENTID, AREAAPBID, PANELID, READERID, "
            L"MOVED_UTC, MOVED_BY, IS_FROMREPLICATION) VALUES (?, ?, ?, ?, ?, ?, ?, ?)",
            {CDBValue(badgeId), CDBValue(segmentId), CDBValue(areaId), CDBValue(panelId), CDBValue(readerId),
             CDBValue(timeUtc.Format(L"%Y-%m-%d %H:%M:%S")), CDBValue(m_user != nullptr ? m_user->GetUserID() : 0),
             CDBValue(m_fromReplication ? 1 : 0)});
        return true;
    }
    catch (const CDBException&)
    {
        return false;
    }
}
