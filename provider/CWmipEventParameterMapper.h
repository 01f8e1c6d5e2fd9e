// CWmipEventParameterMapper: the read-only mapper of Bnt_EventParameter, the event parameters
// (EVENT_PARAM). A table-backed mapper of the registered class with nothing of its own: the
// framework's generic recordset, WQL translation, enumeration and instance building serve it.
// Viewing needs permission 0x10000017; adding, modifying and deleting are not supported (permission
// id 0). The mapper registry's name chain (GetMapper) constructs it directly; it joins the chain
// while the library loads.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipEventParameterMapper : public CWmipDynamicClassMapper
{
public:
    // The mapper on the database of user (the pooled connection, which must outlive the mapper),
    // with its permission ids set.
    CWmipEventParameterMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipEventParameterMapper() override;

    // The WMI class the mapper serves: "Bnt_EventParameter".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
