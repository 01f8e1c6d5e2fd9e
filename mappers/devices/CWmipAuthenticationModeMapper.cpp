#include "mappers/devices/CWmipAuthenticationModeMapper.h"

#include "common/AccessCodes.h"
#include "inhouse/BntCoreDb/CMultiFilterRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"

CWmipAuthenticationModeMapper::CWmipAuthenticationModeMapper(const CAcsUser* user, IWbemContext* context,
                                                             IWbemServices* services)
    : CWmipMapperSkeleton(user, context, services), m_user(user)
{
    SetPermissions(Permission::kViewAuthenticationModes, 0, 0, 0);
}

void CWmipAuthenticationModeMapper::FilterInstanceRecordset(CMultiFilterRecordset* recordset)
{
    recordset->AddFilterLong(L"PIV_AUTHENTICATION_MODE.BNT_DBID", m_user != nullptr ? m_user->GetDatabaseID() : 0);
}
