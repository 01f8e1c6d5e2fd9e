#include "inhouse/BntAccessSets/LAlarmPanelSet.h"

LAlarmPanelSet::LAlarmPanelSet(CBntDatabase* database) : CBntRowSet(database) {}

void LAlarmPanelSet::OpenForAccessPanel(LONG panelId)
{
    OpenQuery("SELECT ALARMPID FROM ALARMPANEL WHERE PANELID = ? ORDER BY ALARMPID", {CDBValue(panelId)});
}
