// CEventParamSet: the event parameters (table EVENT_PARAM): identifier, value and
// description.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class CEventParamSet : public CMultiFilterRecordset
{
public:
    explicit CEventParamSet(CBntDatabase* database);

    // Only the parameter with (comparison) this identifier; before Open.
    void SetParamIDFilter(LONG id, int comparison = Equal)
    {
        AddFilterLong(L"EVENT_PARAM.EVENT_PARAMID", id, comparison);
    }

    // The current row's values (NULL reads as 0 or an empty text).
    LONG GetID() const { return GetLong(0); }
    LONG GetVAL() const { return GetLong(1); }
    CString GetDESC() const { return GetText(2); }
};
