#include "mappers/records/CWmipBadgeTypeMapper.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/com/WbemConstants.h"

namespace {

constexpr DWORD kViewBadgeTypes = 0x20000013;
// Stored classes that WMI shows shifted by one; any other shows as 0.
constexpr LONG kHighestShiftedClass = 3;

}  // namespace

CWmipBadgeTypeMapper::CWmipBadgeTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(kViewBadgeTypes, 0, 0, 0);
}

void CWmipBadgeTypeMapper::FilterInstanceRecordsetBySegment(CMultiFilterRecordset* recordset)
{
    const CAcsUser* user = RequireUser();
    if (recordset == nullptr || user->IsAllSegmentsUser() || !user->GetSystemOptions().IsBadgeTypeSegmentationEnabled())
        return;
    CString filter = L"(BADGETYP.SEGMENTID = -1";
    std::vector<CDBValue> values;
    for (const LONG segment : user->GetSegmentIDs())
    {
        filter += L" OR BADGETYP.SEGMENTID = ?";
        values.emplace_back(segment);
    }
    recordset->AppendFilter(filter + L")", values);
}

WMIHelper::ProcessMethod CWmipBadgeTypeMapper::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"BADGETYP") == 0 && column.CompareNoCase(L"BADGE_CLASS") == 0)
        return WMIHelper::kProcessByMapper;
    return CWmipMapperSkeleton::GetPropertyProcessMethod(column, table);
}

HRESULT CWmipBadgeTypeMapper::ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                                      const CString& table)
{
    if (table.CompareNoCase(L"BADGETYP") != 0 || column.CompareNoCase(L"BADGE_CLASS") != 0)
        return CWmipMapperSkeleton::ProcessInstanceProperty(instance, column, table);
    CMultiFilterRecordset* row = GetInstanceRecordset();
    if (row == nullptr || instance == nullptr || *instance == nullptr || row->IsFieldNull(L"BADGETYP.BADGE_CLASS"))
        return S_OK;
    const LONG stored = row->GetLong(L"BADGETYP.BADGE_CLASS");
    LONG shown = stored;
    if (!WMIHelper::IsCorvessaApplication())
        shown = stored >= 0 && stored <= kHighestShiftedClass ? stored + 1 : 0;
    return WMIHelper::PutNumber(*instance, L"BadgeTypeClass", shown);
}
