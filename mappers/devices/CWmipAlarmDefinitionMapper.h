// CWmipAlarmDefinitionMapper: the mapper of Bnt_AlarmDefinition, the configured alarms (ALARM)
// with their instruction texts (TEXTOBJ); served by the framework alone. Viewing needs
// 0x10000017; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipDynamicClassMapper.h"

class CWmipAlarmDefinitionMapper : public CWmipDynamicClassMapper
{
public:
    CWmipAlarmDefinitionMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
    ~CWmipAlarmDefinitionMapper() override;

    // The WMI class the mapper serves: "Bnt_AlarmDefinition".
    static const wchar_t* GetWMIClassName();
    // The MapperFactory of the class: a new mapper that the caller owns; never null.
    static CWmipClassMapper* CreateMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
