// AccessPanelTypeJoinSet: access panels (ACCESSPANE) joined to their panel type (PANELTYPE),
// chosen by panel class, panel id, panel type and name, with their login, ordered by panel id.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <optional>

#include "inhouse/BntAccessSets/CBntRowSet.h"

class AccessPanelTypeJoinSet : public CBntRowSet
{
public:
    explicit AccessPanelTypeJoinSet(CBntDatabase* database);

    // Filters, set before Open; a filter not set selects every value.
    void SetPanelClassFilter(LONG panelClass);
    void SetPanelIDFilter(LONG panelId);
    void SetPanelTypeFilter(LONG panelType);
    void SetNameFilter(const CString& name);
    // Reads the panels the filters select and stands on the first.
    void Open();

    // The current row's values (0 past the end).
    LONG GetPanelID() const { return Long(0); }
    LONG GetPanelClass() const { return Long(1); }
    // The login the panel's own software takes (recorders).
    CString GetUserName() const { return Text(2); }
    CString GetPassword() const { return Text(3); }

private:
    std::optional<LONG> m_panelClass;
    std::optional<LONG> m_panelId;
    std::optional<LONG> m_panelType;
    std::optional<CString> m_name;
};
