// CWmipWorldTimezoneMapper: the read-only mapper of Bnt_WorldTimezone, the world time zones
// (WORLDTZ). A table-backed mapper of the registered class with nothing of its own: the framework's
// generic recordset, WQL translation, enumeration and instance building serve it. Every user may
// view it (no permission check); adding, modifying and deleting are not supported (permission id
// 0).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipWorldTimezoneMapper : public CWmipMapperSkeleton<CWmipWorldTimezoneMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_WorldTimezone";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipWorldTimezoneMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
