// CReaderSmallSet: the readers (READER) of a panel chosen by their name (READERDESC), ordered
// by reader id.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CReaderSmallSet : public CBntRowSet
{
public:
    explicit CReaderSmallSet(CBntDatabase* database);

    // Reads the readers of the panel with that name and stands on the first.
    void OpenForPanelAndName(LONG panelId, const CString& name);
    // The current row's READERID (0 past the end).
    LONG GetReaderID() const { return Long(0); }
};
