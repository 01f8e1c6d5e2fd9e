// CWmipVideoLayoutMapper: the mapper of Bnt_VideoLayout, the video layouts; viewing needs no right. Served by the
// framework from the schema registrations; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipVideoLayoutMapper : public CWmipDynamicClassMapper
{
public:
    CWmipVideoLayoutMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipVideoLayoutMapper() override;

    // The WMI class the mapper serves: "Bnt_VideoLayout".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
