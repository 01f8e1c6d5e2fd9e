// LAcsEventAlarmLinkRecSet: the links from hardware events to alarm definitions (table
// EVTALMLINK): panel, device and input, event type and subtype, event parameter, text and the
// alarm raised.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class LAcsEventAlarmLinkRecSet : public CMultiFilterRecordset
{
public:
    explicit LAcsEventAlarmLinkRecSet(CBntDatabase* database);

    // The current row's values (NULL reads as 0).
    LONG GetAccessPanelID() const { return GetLong(0); }
    LONG GetAuxDevID() const { return GetLong(1); }
    LONG GetAlarmInputID() const { return GetLong(2); }
    LONG GetEventTypeID() const { return GetLong(3); }
    LONG GetEventID() const { return GetLong(4); }
    LONG GetAlarmID() const { return GetLong(5); }
    LONG GetEventParamID() const { return GetLong(6); }
    LONG GetTextID() const { return GetLong(7); }
};
