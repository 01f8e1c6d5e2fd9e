// CWmipUserReportPermissionGroupMapper: the read-only mapper of Bnt_UserReportPermissionGroup, the
// report permission groups (USER_PERM_REPORT). Viewing needs permission 0x10000031; adding,
// modifying and deleting are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipUserReportPermissionGroupMapper : public CWmipMapperSkeleton<CWmipUserReportPermissionGroupMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_UserReportPermissionGroup";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipUserReportPermissionGroupMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
