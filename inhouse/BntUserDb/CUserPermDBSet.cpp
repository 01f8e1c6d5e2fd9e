#include "inhouse/BntUserDb/CUserPermDBSet.h"

CUserPermDBSet::CUserPermDBSet(CBntDatabase* database) : CDynamicRecordset(database)
{
    SetTable(L"USER_PERM");
    AddAllColumnsToSet(L"USER_PERM");
}
