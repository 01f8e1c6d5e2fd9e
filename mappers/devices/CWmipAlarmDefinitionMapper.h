// CWmipAlarmDefinitionMapper: the mapper of Bnt_AlarmDefinition, the configured alarms (ALARM)
// with their instruction texts (TEXTOBJ); served by the framework alone. Viewing needs
// 0x10000017; the class cannot be written and has no methods.
//
// Built per request by its factory; the caller owns it. One request on one thread: no lock.
#pragma once

#include "framework/CWmipMapperSkeleton.h"

class CWmipAlarmDefinitionMapper : public CWmipMapperSkeleton<CWmipAlarmDefinitionMapper>
{
public:
    static constexpr const wchar_t* kWMIClassName = L"Bnt_AlarmDefinition";

    CWmipAlarmDefinitionMapper(const CAcsUser* user, IWbemContext* context, IWbemServices* services);
};
