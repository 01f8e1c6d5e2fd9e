#include "inhouse/BntCore/CBadgeIDConfig.h"

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CLoginQuery.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"

using brontel::utility::CWMIDebugLog;

bool CBadgeIDConfig::ReadRanges(CBntDatabase* database, LONG badgeTypeId)
{
    m_rangesRead = false;
    m_ranges.clear();
    m_badgeTypeId = badgeTypeId;
    if (database == nullptr)
        return false;
    try
    {
        for (const auto& row : CLoginQuery::Rows(*database,
                                                 "SELECT BADGEID_RANGEID, RANGE_START, RANGE_END FROM BADGEID_RANGE "
                                                 "WHERE BADGETYPEID = ? ORDER BY RANGE_START",
                                                 {badgeTypeId}))
            m_ranges.push_back(Range{static_cast<LONG>(CLoginQuery::Integer(row, 0)), CLoginQuery::Integer(row, 1),
                                     CLoginQuery::Integer(row, 2)});
    }
    catch (const CDBException& e)
    {
        m_ranges.clear();
        CWMIDebugLog::LogError(L"CBadgeIDConfig", __LINE__, L"Unable to read the badge ID ranges.", E_FAIL, &e);
        return false;
    }
    m_rangesRead = true;
    return true;
}

bool CBadgeIDConfig::Allows(LONGLONG badgeId) const
{
    if (m_ranges.empty())
        return true;
    for (const Range& range : m_ranges)
    {
        if (badgeId >= range.start && badgeId <= range.end)
            return true;
    }
    return false;
}
