#include "mappers/records/CWmipVisitEmailRecipientMapper.h"

#include "common/AccessCodes.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kVisitEmailRecipientMapperSourceFile[] = L"CWmipVisitEmailRecipientMapper.cpp";
}  // namespace

CWmipVisitEmailRecipientMapper::CWmipVisitEmailRecipientMapper(const CAcsUser* user, IWbemContext* context,
                                                               IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services)
{
    SetPermissions(Permission::kViewVisits, 0, 0, 0);
    static constexpr ColumnHook kHooks[] = {
        {L"VISIT_EMAIL_LINK", L"SEGMENTID", Reader<&CWmipVisitEmailRecipientMapper::ReadSegment>},
    };
    SetColumnHooks(kHooks);
}

HRESULT CWmipVisitEmailRecipientMapper::ReadSegment(IWbemClassObject& instance, const CMultiFilterRecordset& row,
                                                    const CString& column)
{
    const LONG segment = row.GetLong(column);
    if (segment == kNoDefaultRecipients)
        return WMIHelper::PutBool(&instance, L"IncludeDefaultRecipients", false);
    const HRESULT hr = WMIHelper::PutNumber(&instance, L"SegmentID", segment);
    if (FAILED(hr))
        throw CWMIException(kVisitEmailRecipientMapperSourceFile, __LINE__, hr);
    return WMIHelper::PutBool(&instance, L"IncludeDefaultRecipients", true);
}
