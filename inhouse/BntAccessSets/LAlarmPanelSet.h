// LAlarmPanelSet: the alarm panels (ALARMPANEL) of one access panel, ordered by alarm panel id.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntAccessSets/CBntRowSet.h"

class LAlarmPanelSet : public CBntRowSet
{
public:
    explicit LAlarmPanelSet(CBntDatabase* database);

    // Opens the alarm panels of the access panel.
    void OpenForAccessPanel(LONG panelId);
    // The current row's ALARMPID (0 past the end).
    LONG GetAlarmPanelID() const { return Long(0); }
};
