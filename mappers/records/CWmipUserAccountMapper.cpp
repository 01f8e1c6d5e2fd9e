#include "mappers/records/CWmipUserAccountMapper.h"

#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/helpers/CWmipAccessRules.h"
#include "mappers/records/helpers/CWmipRecordChecks.h"
#include "mappers/records/helpers/CWmipUserRules.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kUserAccountMapperSourceFile = L"wpUserAccountMapper.cpp";

}  // namespace

CWmipUserAccountMapper::CWmipUserAccountMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services,
                                               Door door)
    : CWmipMapperSkeleton(user, context, services)
{
    SetDoor(door);
    CWmipUserRules::SetUserPermissions(*this);
}

void CWmipUserAccountMapper::BeforeWriteInstance(brontel::UserTranOperation::UserTransactionOperation,
                                                 IWbemClassObject* instance)
{
    const CAcsUser* caller = RequireUser();
    const LONG userId = CWmipAccessRules::NumberOr(instance, L"UserID", 0);
    if (userId == CWmipUserRules::kAllRightsUser || userId == caller->GetUserID() ||
        !CWmipUserRules::CanManageUser(*caller, *GetDatabase(), userId))
        throw CWMIException(kUserAccountMapperSourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kAccessDenied);
}
