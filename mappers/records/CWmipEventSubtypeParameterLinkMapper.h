// CWmipEventSubtypeParameterLinkMapper: the read-only mapper of Bnt_EventSubtypeParameterLink, the
// links of event subtypes to the parameters they support (EVENT_TO_EVENT_PARAM_LINK). A table-
// backed mapper of the registered class with nothing of its own: the framework's generic recordset,
// WQL translation, enumeration and instance building serve it. Viewing needs permission 0x10000017;
// adding, modifying and deleting are not supported (permission id 0). Reached only through its
// registered factory: it is not in GetMapper's name chain.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipEventSubtypeParameterLinkMapper : public CWmipMapperSkeleton<CWmipEventSubtypeParameterLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_EventSubtypeParameterLink";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipEventSubtypeParameterLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
