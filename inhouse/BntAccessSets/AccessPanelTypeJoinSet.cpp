#include "inhouse/BntAccessSets/AccessPanelTypeJoinSet.h"

#include <string>
#include <vector>

AccessPanelTypeJoinSet::AccessPanelTypeJoinSet(CBntDatabase* database) : CBntRowSet(database) {}

void AccessPanelTypeJoinSet::SetPanelClassFilter(LONG panelClass)
{
    m_panelClass = panelClass;
}

void AccessPanelTypeJoinSet::SetPanelIDFilter(LONG panelId)
{
    m_panelId = panelId;
}

void AccessPanelTypeJoinSet::SetPanelTypeFilter(LONG panelType)
{
    m_panelType = panelType;
}

void AccessPanelTypeJoinSet::SetNameFilter(const CString& name)
{
    m_name = name;
}

void AccessPanelTypeJoinSet::Open()
{
    std::string sql = "SELECT A.PANELID, T.PANELCLASS, A.LOGIN_USER, A.LOGIN_PASSWORD FROM ACCESSPANE A JOIN PANELTYPE "
                      "T ON T.PANELTYPEID = A.PANELTYPE "
                      "WHERE 1 = 1";
    std::vector<CDBValue> params;
    if (m_panelClass)
    {
        sql += " AND T.PANELCLASS = ?";
        params.emplace_back(*m_panelClass);
    }
    if (m_panelId)
    {
        sql += " AND A.PANELID = ?";
        params.emplace_back(*m_panelId);
    }
    if (m_panelType)
    {
        sql += " AND A.PANELTYPE = ?";
        params.emplace_back(*m_panelType);
    }
    if (m_name)
    {
        sql += " AND A.NAME = ?";
        params.emplace_back(*m_name);
    }
    OpenQuery(sql + " ORDER BY A.PANELID", params);
}
