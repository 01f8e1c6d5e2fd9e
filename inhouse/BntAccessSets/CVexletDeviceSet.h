// CVexletDeviceSet: logical devices and sub-devices (VEXLET_DEVICE) chosen by equality filters
// on the source panel, the device id, the sub-device id and the name, ordered by device and
// sub-device id. A device row has sub-device id 0.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include <optional>

#include "inhouse/BntAccessSets/CBntRowSet.h"

class CVexletDeviceSet : public CBntRowSet
{
public:
    explicit CVexletDeviceSet(CBntDatabase* database);

    // Filters, set before Open; a filter not set selects every value.
    void SetPanelIDFilter(LONG panelId);
    void SetVexletDeviceIDFilter(LONG deviceId);
    void SetSubDeviceIDFilter(LONG subDeviceId);
    void SetNameFilter(const CString& name);
    // Reads the rows the filters select and stands on the first.
    void Open();

    // The current row's values (0 or empty past the end).
    LONG GetPanelID() const { return Long(0); }
    LONG GetVexletDeviceID() const { return Long(1); }
    LONG GetSubDeviceID() const { return Long(2); }
    CString GetName() const { return Text(3); }

private:
    std::optional<LONG> m_panelId;
    std::optional<LONG> m_deviceId;
    std::optional<LONG> m_subDeviceId;
    std::optional<CString> m_name;
};
