#include "inhouse/BntAccessSets/CPanelTypeSet.h"

CPanelTypeSet::CPanelTypeSet(CBntDatabase* database) : CBntRowSet(database) {}

void CPanelTypeSet::OpenByName(const CString& name)
{
    if (name.GetLength() > kMaxNameLength)
    {
        Close();
        return;
    }
    OpenQuery("SELECT PANELTYPEID, PANELCLASS FROM PANELTYPE WHERE NAME = ? COLLATE NOCASE ORDER BY PANELTYPEID",
              {CDBValue(name)});
}
