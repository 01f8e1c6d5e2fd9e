// CReaderNameSet: readers (READER) by panel and reader id with their name and require-download
// flag, editable so that the flag can be set.
//
// A per-call object over a database it does not own; not shared between threads. Database
// failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

class CReaderNameSet : public CDynamicRecordset
{
public:
    explicit CReaderNameSet(CBntDatabase* database);

    void AddPanelIDFilter(LONG panelId) { AddFilterLong(L"PANELID", panelId); }
    void AddReaderIDFilter(LONG readerId) { AddFilterLong(L"READERID", readerId); }
    // Readers whose flag compares with required as the operator says (NotEqual: those that do
    // not yet require a download when required is true).
    void AddRequireDownloadFilter(bool required, int comparison = Equal)
    {
        AddFilterLong(L"REQUIRE_DOWNLOAD", required ? 1 : 0, comparison);
    }
    // Sets the flag of the row being edited.
    void SetRequireDownload(bool required) { SetValue(L"REQUIRE_DOWNLOAD", CDBValue(required ? 1 : 0)); }
};
