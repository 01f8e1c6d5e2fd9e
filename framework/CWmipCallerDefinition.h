// CWmipCallerDefinition: the class definition a mapper hands its caller, as the mapper's query
// and property checks look names up in it. Stateless; safe on any thread the mapper is used on.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/mfc/CString.h"
#include "platform/wmi/IWbemClassObject.h"

class CWmipMapper;

class CWmipCallerDefinition
{
public:
    CWmipCallerDefinition() = delete;

    // The caller's class definition as mapper.GetClass hands it out, held for as long as the
    // result lives; null when it cannot be built. A definition WMI stores stays the mapper's (the
    // reference taken here is the holder's own); any other is handed to the caller.
    static ComPtr<IWbemClassObject> Of(CWmipMapper& mapper);

    // Whether the definition (null: none could be built) has the property.
    static bool HasProperty(IWbemClassObject* definition, const CString& property);
};
