// CWmipEventAlarmLinkMapper: the read-only mapper of Bnt_EventAlarmDefinitionLink, the links from
// hardware events to the alarm definitions they raise (EVTALMLINK). A table-backed mapper of the
// registered class with nothing of its own: the framework's generic recordset, WQL translation,
// enumeration and instance building serve it. Viewing needs permission 0x10000017; adding,
// modifying and deleting are not supported (permission id 0).
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipEventAlarmLinkMapper : public CWmipMapperSkeleton<CWmipEventAlarmLinkMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_EventAlarmDefinitionLink";

    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipEventAlarmLinkMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
