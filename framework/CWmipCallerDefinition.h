// CWmipCallerDefinition: the look-up of a name in the class definition a mapper hands its caller
// (CWmipMapper::GetCallerDefinition), as the mapper's query and property checks make it. It names
// no mapper, so that the mapper's own checks use it from above. Stateless; safe on any thread
// the mapper is used on.
#pragma once

#include "platform/mfc/CString.h"
#include "platform/wmi/IWbemClassObject.h"

class CWmipCallerDefinition
{
public:
    CWmipCallerDefinition() = delete;

    // Whether the definition (null: none could be built) has the property.
    static bool HasProperty(IWbemClassObject* definition, const CString& property);
    // The CIM type (without the array flag) the definition declares the property with; CIM_EMPTY
    // when it has no such property (or there is no definition).
    static CIMTYPE PropertyType(IWbemClassObject* definition, const CString& property);
};
