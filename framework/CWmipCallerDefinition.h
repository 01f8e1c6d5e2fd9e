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

    // The caller's class definition as mapper.GetHeldClass lends it, held for as long as the
    // result lives, for reading only; null when it cannot be built.
    static ComPtr<IWbemClassObject> Of(CWmipMapper& mapper);

    // Whether the definition (null: none could be built) has the property.
    static bool HasProperty(IWbemClassObject* definition, const CString& property);
};
