#include "mappers/records/CWmipVisitEmailRecipientMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kSourceFile[] = L"CWmipVisitEmailRecipientMapper.cpp";

bool IsSegmentColumn(const CString& column, const CString& table)
{
    return table.CompareNoCase(L"VISIT_EMAIL_LINK") == 0 && column.CompareNoCase(L"SEGMENTID") == 0;
}
}  // namespace

CWmipVisitEmailRecipientMapper::CWmipVisitEmailRecipientMapper(const CAcsUser* user, IWbemContext* context,
                                                               IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewVisits, 0, 0, 0);
}

WMIHelper::ProcessMethod CWmipVisitEmailRecipientMapper::GetPropertyProcessMethod(const CString& column,
                                                                                  const CString& table)
{
    if (IsSegmentColumn(column, table))
        return WMIHelper::kProcessByMapper;
    return CWmipMapperSkeleton::GetPropertyProcessMethod(column, table);
}

HRESULT CWmipVisitEmailRecipientMapper::ProcessInstanceProperty(IWbemClassObject** instance, const CString& column,
                                                                const CString& table)
{
    const CMultiFilterRecordset* recordset = GetInstanceRecordset();
    if (!IsSegmentColumn(column, table) || recordset == nullptr || instance == nullptr)
        return CWmipMapperSkeleton::ProcessInstanceProperty(instance, column, table);
    const LONG segment = recordset->GetLong(column);
    if (segment == kNoDefaultRecipients)
        return WMIHelper::PutBool(*instance, L"IncludeDefaultRecipients", false);
    const HRESULT hr = WMIHelper::PutNumber(*instance, L"SegmentID", segment);
    if (FAILED(hr))
        throw CWMIException(kSourceFile, __LINE__, hr);
    return WMIHelper::PutBool(*instance, L"IncludeDefaultRecipients", true);
}
