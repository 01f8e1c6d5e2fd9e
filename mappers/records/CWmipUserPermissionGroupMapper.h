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
    // Hooks USER_PERM.TYPE (ReadType).
    CWmipUserPermissionGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // The camera-control priority of the group; 0 when it has none. Throws CWMIException
    // 0x80041001 for a database failure.
    static LONG GetPTZPriority(const CAcsUser& user, LONG groupId);

private:
    // The group type column fills Type and the computed rights of the group's type.
    HRESULT ReadType(IWbemClassObject& instance, const CMultiFilterRecordset& row, const CString& column);
};
