// CWmipEventTypeMapper: the read-only mapper of Bnt_EventType, the event types (EVENTYPE). A table-
// backed mapper of the registered class with nothing of its own: the framework's generic recordset,
// WQL translation, enumeration and instance building serve it. Viewing needs permission 0x10000017;
// adding, modifying and deleting are not supported (permission id 0).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipEventTypeMapper : public CWmipMapperSkeleton<CWmipEventTypeMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_EventType";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipEventTypeMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
