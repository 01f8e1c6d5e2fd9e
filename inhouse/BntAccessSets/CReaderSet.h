// CReaderSet: readers (READER) chosen by panel and by the reader they are the logical slave of
// (READER.SLAVEID), ordered by reader id; serves the partner-reader lookup of a two-reader door.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <optional>

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CReaderSet : public CBntRowSet
{
public:
    explicit CReaderSet(CBntDatabase* database);

    // Equality filters, set before Open; a filter not set selects every value.
    void SetPanelIDFilter(LONG panelId);
    void SetSlaveIDFilter(LONG slaveId);
    // Reads the readers the filters select and stands on the first.
    void Open();
    // The current row's READERID (0 past the end).
    LONG GetReaderID() const { return Long(0); }

private:
    std::optional<LONG> m_panelId;
    std::optional<LONG> m_slaveId;
};
