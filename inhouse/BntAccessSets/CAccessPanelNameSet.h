// CAccessPanelNameSet: panels (ACCESSPANE) by id with their name, type and download-required
// flag, editable so that the flag can be set.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

class CAccessPanelNameSet : public CDynamicRecordset
{
public:
    explicit CAccessPanelNameSet(CBntDatabase* database);

    void AddPanelIDFilter(LONG panelId) { AddFilterLong(L"PANELID", panelId); }
    // The current row's panel type (0 when NULL) and download-required flag.
    LONG GetPanelType() const { return IsFieldNull(L"PANELTYPE") ? 0 : GetLong(L"PANELTYPE"); }
    bool IsDownloadRequired() const { return GetLong(L"DOWNLOAD_REQUIRED") != 0; }
    // Sets the flag of the row being edited.
    void SetDownloadRequired(bool required) { SetValue(L"DOWNLOAD_REQUIRED", CDBValue(required ? 1 : 0)); }
};
