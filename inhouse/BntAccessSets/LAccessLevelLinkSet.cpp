#include "inhouse/BntAccessSets/LAccessLevelLinkSet.h"

LAccessLevelLinkSet::LAccessLevelLinkSet(CBntDatabase* database) : CBntRowSet(database) {}

void LAccessLevelLinkSet::Open()
{
    OpenQuery("SELECT PANELID, READERID, TZID FROM ACCLVLINK WHERE ACCESSLVID = ? ORDER BY PANELID, READERID",
              {CDBValue(m_levelId)});
}
