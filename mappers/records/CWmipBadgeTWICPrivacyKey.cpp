#include "mappers/records/CWmipBadgeTWICPrivacyKey.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"

WMIHelper::ProcessMethod CWmipBadgeTWICPrivacyKey::GetPropertyProcessMethod(const CString& column, const CString& table)
{
    if (table.CompareNoCase(L"BADGE_FIPS201") == 0 && column.CompareNoCase(L"FASCN") == 0)
        return WMIHelper::kProcessByMapper;
    return CWmipMapperSkeleton::GetPropertyProcessMethod(column, table);
}

HRESULT CWmipBadgeTWICPrivacyKey::ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                                          const CString& table)
{
    if (table.CompareNoCase(L"BADGE_FIPS201") != 0 || column.CompareNoCase(L"FASCN") != 0)
        return CWmipMapperSkeleton::ProcessInstanceProperty(instance, column, table);
    CMultiFilterRecordset* row = GetInstanceRecordset();
    if (row == nullptr || instance == nullptr || *instance == nullptr || row->IsFieldNull(L"BADGE_FIPS201.FASCN"))
        return S_OK;
    return WMIHelper::PutByteArray(*instance, L"FASCN", row->GetBytes(L"BADGE_FIPS201.FASCN"));
}
