#include "mappers/records/CWmipBadgeTWICPrivacyKey.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

HRESULT CWmipBadgeTWICPrivacyKey::ReadFascn(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                            const CString& /*column*/)
{
    if (row.IsFieldNull(L"BADGE_FIPS201.FASCN"))
        return S_OK;
    return WMIHelper::PutByteArray(&instance, L"FASCN", row.GetBytes(L"BADGE_FIPS201.FASCN"));
}
