// CWmipVideoLayoutSourceMapper: the mapper of Bnt_VideoLayoutSource, the video sources of the layouts' cells; viewing
// needs no right. Served by the framework from the schema registrations; the class cannot be written and has no
// methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipVideoLayoutSourceMapper : public CWmipDynamicClassMapper
{
public:
    CWmipVideoLayoutSourceMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipVideoLayoutSourceMapper() override;

    // The WMI class the mapper serves: "Bnt_VideoLayoutSource".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
