#include "inhouse/BntAccessSets/CReaderNameSet.h"

CReaderNameSet::CReaderNameSet(CBntDatabase* database) : CDynamicRecordset(database)
{
    SetTable(L"READER");
    AddColumnToSet(L"PANELID");
    AddColumnToSet(L"READERID");
    AddColumnToSet(L"READERDESC");
    AddColumnToSet(L"REQUIRE_DOWNLOAD");
}
