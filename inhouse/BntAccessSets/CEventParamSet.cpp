#include "inhouse/BntAccessSets/CEventParamSet.h"

CEventParamSet::CEventParamSet(CBntDatabase* database) : CMultiFilterRecordset(database)
{
    SetTable(L"EVENT_PARAM");
    AddColumnToSet(L"EVENT_PARAMID", L"EVENT_PARAM");
    AddColumnToSet(L"PARAMVALUE", L"EVENT_PARAM");
    AddColumnToSet(L"DESCRIPTION", L"EVENT_PARAM");
}
