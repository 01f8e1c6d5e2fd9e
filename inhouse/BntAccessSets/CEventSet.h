// CEventSet: the hardware event definitions (table EVENT): per event type and subtype, the
// event's identifier and description.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class CEventSet : public CMultiFilterRecordset
{
public:
    explicit CEventSet(CBntDatabase* database);

    // The current row's values (NULL reads as 0 or an empty text).
    LONG GetEventType() const { return GetLong(0); }
    LONG GetEventSubtype() const { return GetLong(1); }
    LONG GetEventID() const { return GetLong(2); }
    CString GetDescription() const { return GetText(3); }
};
