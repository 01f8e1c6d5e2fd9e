// CWmipAccessLevelManagedMapper: the read-only mapper of Bnt_AccessLevelManaged, the access levels
// that at least one system user manages (named in USERS_ACCESSLEVEL_LINK). Viewing needs
// permission 0x1000000B; writes are not supported.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAccessLevelManagedMapper : public CWmipMapperSkeleton<CWmipAccessLevelManagedMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AccessLevelManaged";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper).
    CWmipAccessLevelManagedMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);

    // Restricts the rows to the managed levels, after any filter already set.
    void FilterInstanceRecordset(CMultiFilterRecordset* recordset) override;
};
