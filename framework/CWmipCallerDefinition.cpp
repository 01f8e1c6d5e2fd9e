#include "framework/CWmipCallerDefinition.h"

#include "platform/com/CimTypes.h"

bool CWmipCallerDefinition::HasProperty(IWbemClassObject* definition, const CString& property)
{
    return definition != nullptr && SUCCEEDED(definition->Get(property, 0, nullptr, nullptr, nullptr));
}

CIMTYPE CWmipCallerDefinition::PropertyType(IWbemClassObject* definition, const CString& property)
{
    CIMTYPE type = CIM_EMPTY;
    if (definition == nullptr || FAILED(definition->Get(property, 0, nullptr, &type, nullptr)))
        return CIM_EMPTY;
    return type & ~CIM_FLAG_ARRAY;
}
