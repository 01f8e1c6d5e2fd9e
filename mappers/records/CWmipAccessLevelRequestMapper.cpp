#include "mappers/records/CWmipAccessLevelRequestMapper.h"

#include "framework/WMIHelper.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "mappers/records/CWmipRecordChecks.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;
using Operation = brontel::UserTranOperation::UserTransactionOperation;

namespace {

constexpr const wchar_t* kSourceFile = L"wpAccessLevelRequestMapper.cpp";
constexpr DWORD kAssignLevels = 0x20000002;
constexpr LONG kAccessLevelRequestType = 1;
constexpr LONG kAllRightsUser = -1;

}  // namespace

CWmipAccessLevelRequestMapper::CWmipAccessLevelRequestMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services, kWMIClassName)
{
    AddForeignKeyPropertyMapping(L"ID", L"ID", L"ACCESS_REQUEST");
    AddJoin(L"ACCESSLVL", L"ACCESSLVID", L"ACCESS_REQUEST", L"ACCESSLVID");
}

CString CWmipAccessLevelRequestMapper::GetSuperclassName()
{
    return L"Bnt_AccessRequest";
}

bool CWmipAccessLevelRequestMapper::HasSuperclass()
{
    return true;
}

bool CWmipAccessLevelRequestMapper::IsAbstractClass()
{
    return false;
}

bool CWmipAccessLevelRequestMapper::ManagesWithFullRights(const CAcsUser& user, LONG levelId)
{
    CDynamicRecordset links(GetDatabase());
    links.SetTable(L"USERS_ACCESSLEVEL_LINK");
    links.AddColumnToSet(L"ACCESSLVID");
    links.AddFilterLong(L"USERID", user.GetUserID());
    links.AddFilterLong(L"HAS_AAM_VIEWONLY_ACCESS", 0);
    if (levelId != 0)
        links.AddFilterLong(L"ACCESSLVID", levelId);
    links.OpenForwardOnly();
    return !links.IsEOF();
}

HRESULT CWmipAccessLevelRequestMapper::CanView()
{
    const CAcsUser* user = RequireUser();
    if (user->GetUserID() == kAllRightsUser)
        return S_OK;
    m_isManager = ManagesWithFullRights(*user, 0);
    return m_isManager || user->HasPermission(kAssignLevels) ? S_OK : WBEM_E_ACCESS_DENIED;
}

void CWmipAccessLevelRequestMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    const CAcsUser* user = RequireUser();
    if (recordset == nullptr || user->GetUserID() == kAllRightsUser || !m_isManager)
        return;
    auto* dynamic = dynamic_cast<CDynamicRecordset*>(recordset);
    if (dynamic == nullptr)
        return;
    dynamic->AddJoin(L"USERS_ACCESSLEVEL_LINK", L"ACCESSLVID", L"ACCESS_REQUEST", L"ACCESSLVID");
    recordset->AddFilterLong(L"USERS_ACCESSLEVEL_LINK.USERID", user->GetUserID());
    recordset->AddFilterLong(L"USERS_ACCESSLEVEL_LINK.HAS_AAM_VIEWONLY_ACCESS", 0);
}

void CWmipAccessLevelRequestMapper::BeforeWriteInstance(Operation, IWbemClassObject* instance)
{
    WMIHelper::PutNumber(instance, L"Type", kAccessLevelRequestType);
}

void CWmipAccessLevelRequestMapper::CanChangeStage(IWbemClassObject* instance)
{
    // The methods act only on requests the caller could list: the view rule, then for a
    // manager the request's own level.
    if (CanView() != S_OK)
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipRecordChecks::kPermissionMessage);
    const CAcsUser* user = RequireUser();
    if (user->GetUserID() == kAllRightsUser || !m_isManager)
        return;
    LONG levelId = 0;
    WMIHelper::GetNumber(instance, L"AccessLevelID", levelId);
    if (levelId == 0 || !ManagesWithFullRights(*user, levelId))
        throw CWMIException(kSourceFile, __LINE__, WBEM_E_ACCESS_DENIED, CWmipRecordChecks::kPermissionMessage);
}
