#include "inhouse/BntUserDb/CBntAssignedAcLvlList.h"

void CBntAssignedAcLvlList::AddStandard(LONG levelId, LONG segmentId)
{
    Entry entry;
    entry.levelId = levelId;
    entry.segmentId = segmentId;
    entry.activate.SetStatus(COleDateTime::null);
    entry.deactivate.SetStatus(COleDateTime::null);
    m_entries.push_back(entry);
}
