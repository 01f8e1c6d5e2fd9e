#include "framework/CWmipCallerDefinition.h"

bool CWmipCallerDefinition::HasProperty(IWbemClassObject* definition, const CString& property)
{
    return definition != nullptr && SUCCEEDED(definition->Get(property, 0, nullptr, nullptr, nullptr));
}
