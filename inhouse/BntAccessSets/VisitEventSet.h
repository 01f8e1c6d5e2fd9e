// VisitEventSet: the event rows of visits (VISIT_EVENT), every column, for the visit mapper's
// reads and writes of one event row.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class VisitEventSet : public CMultiFilterRecordset
{
public:
    // Only the event row with this id (-1: none, for adding one). The second argument is the
    // original library's option.
    VisitEventSet(CBntDatabase* database, int);
    void AddEventIDFilter(LONG eventId);
};
