#include "inhouse/BntAccessSets/CEventSet.h"

CEventSet::CEventSet(CBntDatabase* database) : CMultiFilterRecordset(database)
{
    SetTable(L"EVENT");
    AddColumnToSet(L"EVTYPEID", L"EVENT");
    AddColumnToSet(L"EVID", L"EVENT");
    AddColumnToSet(L"EVENTID", L"EVENT");
    AddColumnToSet(L"EVDESCR", L"EVENT");
}
