#include "inhouse/BntPanelModel/CBntAcDBTrigger.h"

#include <stdexcept>

#include "inhouse/BntCoreDb/CBntDatabase.h"

namespace {

// The tables whose rows name a panel in PANELID.
constexpr const wchar_t* kPanelTables[] = {
    L"ACCLVLINK",
    L"READER",
    L"ALARMINPUT",
    L"RELAYOUTPT",
    L"ALARMPANEL",
    L"CCTVDEVICE",
    L"INTRUSION_DEVICE",
    L"ACCOUNT_AREA",
    L"ELEVATOR_KEYPAD_TERMINAL",
    L"ACCESSPANE_CONNECTION",
    L"DEVICE_GROUP_LINK",
    L"MONDEVLINK",
};

CBntDatabase& Database(CBntDatabase* database)
{
    if (database == nullptr)
        throw std::invalid_argument("no database for the delete triggers");
    return *database;
}

}  // namespace

CBntAcDBTrigger::CBntAcDBTrigger(CBntDatabase* database) : m_database(database) {}

void CBntAcDBTrigger::AccessPanelDelete(LONG panelId)
{
    CBntDatabase& database = Database(m_database);
    for (const wchar_t* table : kPanelTables)
        database.ExecuteSQL(CString(L"DELETE FROM ") + table + L" WHERE PANELID = ?", {CDBValue(panelId)});
}

void CBntAcDBTrigger::DeleteVexletDevices(LONG panelId)
{
    Database(m_database).ExecuteSQL(L"DELETE FROM VEXLET_DEVICE WHERE PANELID = ?", {CDBValue(panelId)});
}

void CBntAcDBTrigger::VexletDeviceDelete(LONG panelId, LONG deviceId)
{
    CBntDatabase& database = Database(m_database);
    database.ExecuteSQL(L"DELETE FROM VEXLET_DEVICE WHERE PANELID = ? AND VEXLET_DEVICEID = ? AND SUB_DEVICEID <> 0",
                        {CDBValue(panelId), CDBValue(deviceId)});
    database.ExecuteSQL(L"DELETE FROM DEVICE_GROUP_LINK WHERE PANELID = ? AND DEVICEID = ?",
                        {CDBValue(panelId), CDBValue(deviceId)});
    database.ExecuteSQL(L"DELETE FROM MONDEVLINK WHERE PANELID = ? AND DEVICEID = ?",
                        {CDBValue(panelId), CDBValue(deviceId)});
}

void CBntAcDBTrigger::VexletSubDeviceDelete(LONG panelId, LONG deviceId, LONG subDeviceId)
{
    Database(m_database)
        .ExecuteSQL(L"DELETE FROM MONDEVLINK WHERE PANELID = ? AND DEVICEID = ? AND INPUTOUTPUTID = ?",
                    {CDBValue(panelId), CDBValue(deviceId), CDBValue(subDeviceId)});
}
