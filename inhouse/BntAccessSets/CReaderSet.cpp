#include "inhouse/BntAccessSets/CReaderSet.h"

#include <string>
#include <vector>

CReaderSet::CReaderSet(CBntDatabase* database) : CBntRowSet(database) {}

void CReaderSet::SetPanelIDFilter(LONG panelId)
{
    m_panelId = panelId;
}

void CReaderSet::SetSlaveIDFilter(LONG slaveId)
{
    m_slaveId = slaveId;
}

void CReaderSet::Open()
{
    std::string sql = "SELECT READERID FROM READER WHERE 1 = 1";
    std::vector<CDBValue> params;
    if (m_panelId)
    {
        sql += " AND PANELID = ?";
        params.emplace_back(*m_panelId);
    }
    if (m_slaveId)
    {
        sql += " AND SLAVEID = ?";
        params.emplace_back(*m_slaveId);
    }
    OpenQuery(sql + " ORDER BY READERID", params);
}
