// CWmipUserPermissionGroupMapper: the read-only mapper of Bnt_UserPermissionGroup (USER_PERM),
// the system, cardholder and monitoring permission groups. A system group also shows whether it
// lets its users log in; a monitoring group shows its video rights and its camera-control
// priority (USER_PTZ_PRIORITY). Viewing needs permission 0x10000031.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserPermissionGroupMapper : public CWmipMapperSkeleton<CWmipUserPermissionGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserPermissionGroup";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipUserPermissionGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The group type column is processed here: it fills Type and the computed rights.
    WMIHelper::ProcessMethod GetPropertyProcessMethod(const CString& column, const CString& table) override;
    HRESULT ProcessInstanceProperty(IWbemClassObject** instance, const CString& column, const CString& table) override;

    // The camera-control priority of the group; 0 when it has none. Throws CWMIException
    // 0x80041001 for a database failure.
    static LONG GetPTZPriority(const CAcsUser& user, LONG groupId);
};
