// CUserPermDBSet: a recordset over the system, cardholder and monitoring permission groups
// (USER_PERM) with the filters the permission checks use.
//
// Owned by the scope that opens it; one thread. The database must outlive it.
#pragma once

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

class CUserPermDBSet : public CDynamicRecordset
{
public:
    // A set over every column of USER_PERM, not yet open.
    explicit CUserPermDBSet(CBntDatabase* database);

    void SetIDFilter(LONG groupId, int comparison = Equal) { AddFilterLong(L"USER_PERMID", groupId, comparison); }
    void SetTypeFilter(LONG type, int comparison = Equal) { AddFilterLong(L"TYPE", type, comparison); }
};
