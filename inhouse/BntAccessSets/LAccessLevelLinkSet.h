// LAccessLevelLinkSet: the reader links of one access level (ACCLVLINK): panel, reader and the
// timezone in force, ordered by panel and reader.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntAccessSets/CBntRowSet.h"

class LAccessLevelLinkSet : public CBntRowSet
{
public:
    explicit LAccessLevelLinkSet(CBntDatabase* database);

    // The level whose links Open reads.
    void SetAccessLevelIDFilter(LONG levelId) { m_levelId = levelId; }
    // Reads the level's links and stands on the first.
    void Open();
    // The current link (0 past the end).
    LONG GetPanelID() const { return Long(0); }
    LONG GetReaderID() const { return Long(1); }
    LONG GetTimezoneID() const { return Long(2); }

private:
    LONG m_levelId = 0;
};
