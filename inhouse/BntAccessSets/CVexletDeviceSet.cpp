#include "inhouse/BntAccessSets/CVexletDeviceSet.h"

#include <string>
#include <vector>

CVexletDeviceSet::CVexletDeviceSet(CBntDatabase* database) : CBntRowSet(database) {}

void CVexletDeviceSet::SetPanelIDFilter(LONG panelId)
{
    m_panelId = panelId;
}

void CVexletDeviceSet::SetVexletDeviceIDFilter(LONG deviceId)
{
    m_deviceId = deviceId;
}

void CVexletDeviceSet::SetSubDeviceIDFilter(LONG subDeviceId)
{
    m_subDeviceId = subDeviceId;
}

void CVexletDeviceSet::SetNameFilter(const CString& name)
{
    m_name = name;
}

void CVexletDeviceSet::Open()
{
    std::string sql = "SELECT PANELID, VEXLET_DEVICEID, SUB_DEVICEID, NAME FROM VEXLET_DEVICE WHERE 1 = 1";
    std::vector<CDBValue> params;
    if (m_panelId)
    {
        sql += " AND PANELID = ?";
        params.emplace_back(*m_panelId);
    }
    if (m_deviceId)
    {
        sql += " AND VEXLET_DEVICEID = ?";
        params.emplace_back(*m_deviceId);
    }
    if (m_subDeviceId)
    {
        sql += " AND SUB_DEVICEID = ?";
        params.emplace_back(*m_subDeviceId);
    }
    if (m_name)
    {
        sql += " AND NAME = ?";
        params.emplace_back(*m_name);
    }
    OpenQuery(sql + " ORDER BY VEXLET_DEVICEID, SUB_DEVICEID", params);
}
