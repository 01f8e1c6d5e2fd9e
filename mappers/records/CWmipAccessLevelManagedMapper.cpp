#include "mappers/records/CWmipAccessLevelManagedMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

CWmipAccessLevelManagedMapper::CWmipAccessLevelManagedMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewAccessLevels, 0, 0, 0);
}

void CWmipAccessLevelManagedMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    if (recordset == nullptr)
        return;
    CString managed;
    managed.Format(L"%s in (SELECT DISTINCT %s FROM %s)", L"ACCESSLVL.ACCESSLVID", L"ACCESSLVID",
                   L"USERS_ACCESSLEVEL_LINK");
    // The filter set so far keeps its own grouping, so an OR in it cannot swallow this term.
    CString filter = recordset->GetFilter();
    if (!filter.IsEmpty())
        filter = L"(" + filter + L") AND ";
    recordset->SetFilter(filter + managed, recordset->GetFilterValues());
}
