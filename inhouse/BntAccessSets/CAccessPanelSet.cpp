#include "inhouse/BntAccessSets/CAccessPanelSet.h"

#include <string>
#include <vector>

CAccessPanelSet::CAccessPanelSet(CBntDatabase* database) : CBntRowSet(database) {}

void CAccessPanelSet::SetPanelIDFilter(LONG panelId, bool equal)
{
    m_panelId = panelId;
    m_panelIdEqual = equal;
}

void CAccessPanelSet::SetPanelTypeFilter(LONG panelType)
{
    m_panelType = panelType;
}

void CAccessPanelSet::SetNameFilter(const CString& name)
{
    m_name = name;
}

void CAccessPanelSet::Open()
{
    std::string sql = "SELECT PANELID, PANELTYPE, SEGMENTID, TERMINALNA, NAME FROM ACCESSPANE WHERE 1 = 1";
    std::vector<CDBValue> params;
    if (m_panelId)
    {
        sql += m_panelIdEqual ? " AND PANELID = ?" : " AND PANELID <> ?";
        params.emplace_back(*m_panelId);
    }
    if (m_panelType)
    {
        sql += " AND PANELTYPE = ?";
        params.emplace_back(*m_panelType);
    }
    if (m_name)
    {
        sql += " AND NAME = ?";
        params.emplace_back(*m_name);
    }
    OpenQuery(sql + " ORDER BY PANELID", params);
}
