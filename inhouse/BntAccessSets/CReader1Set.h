// CReader1Set: the readers (READER) of one panel, ordered by reader id.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CReader1Set : public CBntRowSet
{
public:
    explicit CReader1Set(CBntDatabase* database);

    // Opens the readers of the panel.
    void OpenForPanel(LONG panelId);
    // The current row's READERID (0 past the end).
    LONG GetReaderID() const { return Long(0); }
};
