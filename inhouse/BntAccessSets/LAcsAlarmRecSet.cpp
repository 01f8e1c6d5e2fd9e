#include "inhouse/BntAccessSets/LAcsAlarmRecSet.h"

LAcsAlarmRecSet::LAcsAlarmRecSet(CBntDatabase* database) : CMultiFilterRecordset(database)
{
    SetTable(L"ALARM");
    for (const wchar_t* column :
         {L"ALID", L"ALDESCR", L"ALPRIORITY", L"NOTIFTYPE", L"AUDIONOTIFID", L"AUDNOTREPEATFREQ", L"TEXTINSTRID",
          L"AUDIOINSTRID", L"CCTVCONTROLID", L"VIEWPASSWORD", L"ACKPASSWORD", L"ACKACTIONTIMELIMIT",
          L"ACKFAILURETIMEOUT", L"ACKFAILUREACTION"})
    {
        AddColumnToSet(column, L"ALARM");
    }
}
