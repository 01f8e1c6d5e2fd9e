#include "framework/CWmipRowLookup.h"

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

bool CWmipRowLookup::HasRow(CBntDatabase& database, const wchar_t* table,
                            const std::function<void(CDynamicRecordset& rows)>& filter)
{
    CDynamicRecordset rows(&database);
    rows.SetTable(table);
    filter(rows);
    rows.OpenForwardOnly();
    return !rows.IsEOF();
}
