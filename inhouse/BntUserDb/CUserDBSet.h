// CUserDBSet: a recordset over the system users (USERS) with the filters the user checks use.
//
// Owned by the scope that opens it; one thread. The database must outlive it.
#pragma once

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

class CUserDBSet : public CDynamicRecordset
{
public:
    // A set over every column of USERS, not yet open.
    explicit CUserDBSet(CBntDatabase* database);

    void AddFilterUserID(LONG userId, int comparison = Equal) { AddFilterLong(L"USERID", userId, comparison); }
    // Compares without regard to case: logon ids are unique that way.
    void AddFilterLogonID(const CString& logonId);
};
