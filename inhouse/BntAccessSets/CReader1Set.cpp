#include "inhouse/BntAccessSets/CReader1Set.h"

CReader1Set::CReader1Set(CBntDatabase* database) : CBntRowSet(database) {}

void CReader1Set::OpenForPanel(LONG panelId)
{
    OpenQuery("SELECT READERID FROM READER WHERE PANELID = ? ORDER BY READERID", {CDBValue(panelId)});
}
