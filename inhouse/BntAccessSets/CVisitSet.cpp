#include "inhouse/BntAccessSets/CVisitSet.h"

CString CVisitSet::BuildDeleteSingleVisitsEventsForVisitorQuery(LONG visitorId, std::vector<CDBValue>& values)
{
    values = {CDBValue(visitorId), CDBValue(visitorId)};
    return L"DELETE FROM VISIT_EVENT WHERE VISIT_EVENTID IN (SELECT VISIT_EVENTID FROM VISIT WHERE VISITORID = ?) "
           L"AND VISIT_EVENTID NOT IN (SELECT VISIT_EVENTID FROM VISIT WHERE VISITORID <> ? "
           L"AND VISIT_EVENTID IS NOT NULL)";
}
