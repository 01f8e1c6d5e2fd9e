// CPanelTypeSet: the panel types (PANELTYPE) by name: id and panel class of each row.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntAccessSets/CBntRowSet.h"
#include "platform/mfc/CString.h"

class CPanelTypeSet : public CBntRowSet
{
public:
    // Longest name the text filter takes, in characters.
    static constexpr int kMaxNameLength = 255;
    // Panel classes with a meaning of their own.
    static constexpr LONG kIntrusionPanelClass = 7;
    static constexpr LONG kElevatorDispatchingPanelClass = 20;

    explicit CPanelTypeSet(CBntDatabase* database);

    // Opens the rows whose NAME equals name (without regard to case, as the database compares
    // names), ordered by id; a longer name than kMaxNameLength matches nothing.
    void OpenByName(const CString& name);
    // The current row's PANELTYPEID and PANELCLASS (0 past the end).
    LONG GetPanelTypeID() const { return Long(0); }
    LONG GetPanelClass() const { return Long(1); }
};
