// CAccessPanelConnectionSet: the connection settings of a panel (ACCESSPANE_CONNECTION):
// its web ports and the connection key that its own software hands out (recorders).
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <vector>

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CAccessPanelConnectionSet : public CBntRowSet
{
public:
    explicit CAccessPanelConnectionSet(CBntDatabase* database);

    // Reads the panel's connection row and stands on it (IsEOF when there is none).
    void OpenForPanel(LONG panelId);
    // The key's bytes; empty past the end or when the row holds none.
    std::vector<BYTE> GetPanelConnectionKey() const { return Bytes(1); }
};
