// CWmipEventSubtypeDefinitionMapper: the read-only mapper of Bnt_EventSubtypeDefinition, the event
// subtype definitions (EVENT). A table-backed mapper of the registered class with nothing of its
// own: the framework's generic recordset, WQL translation, enumeration and instance building serve
// it. Viewing needs permission 0x10000017; adding, modifying and deleting are not supported
// (permission id 0).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipEventSubtypeDefinitionMapper : public CWmipMapperSkeleton<CWmipEventSubtypeDefinitionMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_EventSubtypeDefinition";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipEventSubtypeDefinitionMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
