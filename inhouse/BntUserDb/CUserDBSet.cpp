#include "inhouse/BntUserDb/CUserDBSet.h"

CUserDBSet::CUserDBSet(CBntDatabase* database) : CDynamicRecordset(database)
{
    SetTable(L"USERS");
    AddAllColumnsToSet(L"USERS");
}

void CUserDBSet::AddFilterLogonID(const CString& logonId)
{
    CString upper(logonId);
    upper.MakeUpper();
    AppendFilter(L"UPPER(USERS.LOGONID) = ?", {CDBValue(upper)});
}
