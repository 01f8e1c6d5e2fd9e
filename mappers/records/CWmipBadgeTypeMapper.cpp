#include "mappers/records/CWmipBadgeTypeMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/com/WbemConstants.h"

namespace {

// Stored classes that WMI shows shifted by one; any other shows as 0.
constexpr LONG kHighestShiftedClass = 3;

}  // namespace

CWmipBadgeTypeMapper::CWmipBadgeTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewBadgeTypes, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"BADGETYP", L"BADGE_CLASS", Reader<&CWmipBadgeTypeMapper::ReadBadgeClass>},
    };
    SetColumnHooks(kHooks);
}

HRESULT CWmipBadgeTypeMapper::ReadBadgeClass(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                             const CString& /*column*/)
{
    if (row.IsFieldNull(L"BADGETYP.BADGE_CLASS"))
        return S_OK;
    const LONG stored = row.GetLong(L"BADGETYP.BADGE_CLASS");
    LONG shown = stored;
    if (!IsBusDoor())
        shown = stored >= 0 && stored <= kHighestShiftedClass ? stored + 1 : 0;
    return WMIHelper::PutNumber(&instance, L"BadgeTypeClass", shown);
}
