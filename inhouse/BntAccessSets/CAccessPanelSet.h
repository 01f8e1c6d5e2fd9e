// CAccessPanelSet: access panels (ACCESSPANE) chosen by equality filters on panel id, panel
// type and name, ordered by panel id; the id filter may also exclude a panel.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <optional>

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CAccessPanelSet : public CBntRowSet
{
public:
    explicit CAccessPanelSet(CBntDatabase* database);

    // Filters, set before Open; a filter not set selects every value. `equal` false selects
    // every panel but that one.
    void SetPanelIDFilter(LONG panelId, bool equal = true);
    void SetPanelTypeFilter(LONG panelType);
    void SetNameFilter(const CString& name);
    // Reads the panels the filters select and stands on the first.
    void Open();

    // The current row's values (0 or empty past the end).
    LONG GetPanelID() const { return Long(0); }
    LONG GetPanelType() const { return Long(1); }
    LONG GetSegmentID() const { return Long(2); }
    // The host of the panel's communication server (TERMINALNA).
    CString GetTerminalName() const { return Text(3); }
    CString GetName() const { return Text(4); }

private:
    std::optional<LONG> m_panelId;
    bool m_panelIdEqual = true;
    std::optional<LONG> m_panelType;
    std::optional<CString> m_name;
};
