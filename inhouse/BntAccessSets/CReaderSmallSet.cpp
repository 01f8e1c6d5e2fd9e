#include "inhouse/BntAccessSets/CReaderSmallSet.h"

CReaderSmallSet::CReaderSmallSet(CBntDatabase* database) : CBntRowSet(database) {}

void CReaderSmallSet::OpenForPanelAndName(LONG panelId, const CString& name)
{
    OpenQuery("SELECT READERID FROM READER WHERE PANELID = ? AND READERDESC = ? ORDER BY READERID",
              {CDBValue(panelId), CDBValue(name)});
}
