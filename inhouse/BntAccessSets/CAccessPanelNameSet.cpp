#include "inhouse/BntAccessSets/CAccessPanelNameSet.h"

CAccessPanelNameSet::CAccessPanelNameSet(CBntDatabase* database) : CDynamicRecordset(database)
{
    SetTable(L"ACCESSPANE");
    AddColumnToSet(L"PANELID");
    AddColumnToSet(L"NAME");
    AddColumnToSet(L"PANELTYPE");
    AddColumnToSet(L"DOWNLOAD_REQUIRED");
}
