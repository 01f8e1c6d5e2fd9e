#include "framework/CWmipCallerDefinition.h"

#include "framework/CWmipMapper.h"

ComPtr<IWbemClassObject> CWmipCallerDefinition::Of(CWmipMapper& mapper)
{
    ComPtr<IWbemClassObject> held;
    if (FAILED(mapper.GetHeldClass(held, FALSE)))
        return {};
    return held;
}

bool CWmipCallerDefinition::HasProperty(IWbemClassObject* definition, const CString& property)
{
    return definition != nullptr && SUCCEEDED(definition->Get(property, 0, nullptr, nullptr, nullptr));
}
