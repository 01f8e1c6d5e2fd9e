#include "inhouse/BntAccessSets/LAcsEventAlarmLinkRecSet.h"

LAcsEventAlarmLinkRecSet::LAcsEventAlarmLinkRecSet(CBntDatabase* database) : CMultiFilterRecordset(database)
{
    SetTable(L"EVTALMLINK");
    for (const wchar_t* column :
         {L"PANELID", L"DEVICEID", L"INPUTDEVID", L"EVTYPEID", L"EVID", L"ALID", L"EVENT_PARAMID", L"TEXTID"})
    {
        AddColumnToSet(column, L"EVTALMLINK");
    }
}
