#include "inhouse/BntAccessSets/VisitEventSet.h"

VisitEventSet::VisitEventSet(CBntDatabase* database, int) : CMultiFilterRecordset(database)
{
    SetTable(L"VISIT_EVENT");
    AddAllColumnsToSet(L"VISIT_EVENT");
}

void VisitEventSet::AddEventIDFilter(LONG eventId)
{
    AddFilterLong(L"VISIT_EVENT.VISIT_EVENTID", eventId);
}
