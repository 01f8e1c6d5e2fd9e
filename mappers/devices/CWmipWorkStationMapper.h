// CWmipWorkStationMapper: the mapper of Bnt_WorkStation, the workstations; viewing needs no right. Served by the
// framework from the schema registrations; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipWorkStationMapper : public CWmipDynamicClassMapper
{
public:
    CWmipWorkStationMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipWorkStationMapper() override;

    // The WMI class the mapper serves: "Bnt_WorkStation".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
