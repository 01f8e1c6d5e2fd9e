// CLinkageServerHostWorkstationJoinSet: the linkage servers of the installation's databases
// (table LINKAGE_SERVER) joined with the workstation each runs on (table WRKSTATION), for the
// host name under which a linkage server is reached.
//
// Owned by its caller on a database that outlives it; used on one thread (see
// CMultiFilterRecordset). Database failures are thrown as CDBException.
#pragma once

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

class CLinkageServerHostWorkstationJoinSet : public CMultiFilterRecordset
{
public:
    explicit CLinkageServerHostWorkstationJoinSet(CBntDatabase* database);

    // Only the linkage servers of the database with (comparison) this id; before Open.
    void AddDBIDFilter(LONG databaseId, int comparison = Equal);
    // Only the workstation of the same database as its linkage server; before Open.
    void AppendJoinFilter();

    // The current row's values (NULL reads as 0 or an empty text).
    LONG GetLinkageServerID() const { return GetLong(0); }
    CString GetHostName() const { return GetText(1); }
};
