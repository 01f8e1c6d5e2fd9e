// CWmipPermissionDeviceGroupLinkMapper: the read-only mapper of Bnt_UserPermissionDeviceGroupLink,
// the device groups of the permission groups (USER_PERM_DEVICE_GROUP_LINK). Viewing needs
// permission 0x1000000E; adding, modifying and deleting are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipPermissionDeviceGroupLinkMapper : public CWmipMapperSkeleton<CWmipPermissionDeviceGroupLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserPermissionDeviceGroupLink";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipPermissionDeviceGroupLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
