#include "mappers/records/CWmipAccessLevelRequestMapper.h"

#include "framework/CWmipMessages.h"
#include "mappers/records/helpers/CWmipAccessRules.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kAccessLevelRequestMapperSourceFile = L"wpAccessLevelRequestMapper.cpp";
constexpr LONG kAccessLevelRequestType = 1;

}  // namespace

CWmipAccessLevelRequestMapper::CWmipAccessLevelRequestMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"ACCESS_REQUEST");
    AddJoin(L"ACCESSLVL", L"ACCESSLVID", L"ACCESS_REQUEST", L"ACCESSLVID");
}

void CWmipAccessLevelRequestMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    CDynamicRecordset* dynamic = ManagerRecordset(recordset);
    if (dynamic == nullptr)
        return;
    dynamic->AddJoin(L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID", L"ACCESS_REQUEST", L"ACCESSLVID");
    AddManagerFilters(*dynamic);
}

void CWmipAccessLevelRequestMapper::BeforeWriteInstance(Operation /*operation*/, IWbemClassObject* instance)
{
    WMIHelper::PutNumber(instance, L"Type", kAccessLevelRequestType);
}

void CWmipAccessLevelRequestMapper::CanChangeStage(IWbemClassObject* instance)
{
    // The methods act only on requests the caller could list: the view rule, then for a
    // manager the request's own level.
    if (CanView() != S_OK)
        throw CWMIException(kAccessLevelRequestMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kAccessDenied);
    const CAcsUser* user = RequireUser();
    if (user->GetUserID() == kAllRightsUser || !m_isManager)
        return;
    LONG levelId = 0;
    WMIHelper::GetNumber(instance, L"AccessLevelID", levelId);
    if (levelId == 0 || !ManagesWithFullRights(*user, levelId))
        throw CWMIException(kAccessLevelRequestMapperSourceFile, __LINE__, WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kAccessDenied);
}
