#include "inhouse/BntAccessSets/CAccessPanelConnectionSet.h"

CAccessPanelConnectionSet::CAccessPanelConnectionSet(CBntDatabase* database) : CBntRowSet(database) {}

void CAccessPanelConnectionSet::OpenForPanel(LONG panelId)
{
    OpenQuery("SELECT PANELID, CONNECTION_KEY FROM ACCESSPANE_CONNECTION WHERE PANELID = ?", {CDBValue(panelId)});
}
