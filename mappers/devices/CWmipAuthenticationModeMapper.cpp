#include "mappers/devices/CWmipAuthenticationModeMapper.h"

#include <memory>

#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"

namespace {

constexpr DWORD kViewPermission = 0x1000002A;

}  // namespace

CWmipAuthenticationModeMapper::CWmipAuthenticationModeMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipDynamicClassMapper(user, context, services, GetWMIClassName()), m_user(user)
{
    SetPermissions(kViewPermission, 0, 0, 0);
}

CWmipAuthenticationModeMapper::~CWmipAuthenticationModeMapper() = default;

const wchar_t* CWmipAuthenticationModeMapper::GetWMIClassName()
{
    return L"Bnt_AuthenticationMode";
}

CWmipClassMapper* CWmipAuthenticationModeMapper::CreateMapper(const CAcsUser* user, IWbemContext* context,
                                                              IWbemServices* services)
{
    return std::make_unique<CWmipAuthenticationModeMapper>(user, context, services).release();
}

void CWmipAuthenticationModeMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"PIV_AUTHENTICATION_MODE.BNT_DBID", m_user != nullptr ? m_user->GetDatabaseID() : 0);
}
