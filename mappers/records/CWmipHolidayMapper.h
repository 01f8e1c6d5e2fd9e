// CWmipHolidayMapper: the read-only mapper of Bnt_Holiday, the holidays (HOLIDAYS). A table-backed
// mapper of the registered class with nothing of its own: the framework's generic recordset, WQL
// translation, enumeration and instance building serve it. Viewing needs permission 0x10000011;
// adding, modifying and deleting are not supported (permission id 0).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipHolidayMapper : public CWmipMapperSkeleton<CWmipHolidayMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_Holiday";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipHolidayMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
