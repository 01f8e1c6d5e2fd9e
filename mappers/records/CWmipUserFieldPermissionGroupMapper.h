// CWmipUserFieldPermissionGroupMapper: the read-only mapper of Bnt_UserFieldPermissionGroup, the
// field permission groups (USER_PERM_UDF). Viewing needs permission 0x10000031; adding, modifying
// and deleting are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserFieldPermissionGroupMapper : public CWmipMapperSkeleton<CWmipUserFieldPermissionGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserFieldPermissionGroup";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipUserFieldPermissionGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
