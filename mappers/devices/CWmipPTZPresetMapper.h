// CWmipPTZPresetMapper: the mapper of Bnt_PTZPreset, the preset positions of the PTZ cameras; viewing needs 0x30000026.
// Served by the framework from the schema registrations; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipPTZPresetMapper : public CWmipDynamicClassMapper
{
public:
    CWmipPTZPresetMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipPTZPresetMapper() override;

    // The WMI class the mapper serves: "Bnt_PTZPreset".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
