#include "inhouse/BntAccessSets/CLinkageServerHostWorkstationJoinSet.h"

CLinkageServerHostWorkstationJoinSet::CLinkageServerHostWorkstationJoinSet(CBntDatabase* database)
    : CMultiFilterRecordset(database)
{
    SetupJoin(L"LINKAGE_SERVER", L"WRKSTATIONID", L"WRKSTATION", L"ID");
    AddColumnToSet(L"LINKAGE_SERVERID", L"LINKAGE_SERVER");
    AddColumnToSet(L"NAME", L"WRKSTATION");
}

void CLinkageServerHostWorkstationJoinSet::AddDBIDFilter(LONG databaseId, int comparison)
{
    AddFilterLong(L"LINKAGE_SERVER.BNT_DBID", databaseId, comparison);
}

void CLinkageServerHostWorkstationJoinSet::AppendJoinFilter()
{
    AppendFilter(L"WRKSTATION.BNT_DBID = LINKAGE_SERVER.BNT_DBID");
}
