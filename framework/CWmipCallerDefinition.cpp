#include "framework/CWmipCallerDefinition.h"

#include "framework/CWmipMapper.h"

ComPtr<IWbemClassObject> CWmipCallerDefinition::Of(CWmipMapper& mapper)
{
    IWbemClassObject* definition = nullptr;
    if (FAILED(mapper.GetClass(&definition, FALSE)) || definition == nullptr)
        return {};
    ComPtr<IWbemClassObject> held;
    if (mapper.WMIStoresClassDefinition())
        held = definition;
    else
        held.Attach(definition);
    return held;
}

bool CWmipCallerDefinition::HasProperty(IWbemClassObject* definition, const CString& property)
{
    return definition != nullptr && SUCCEEDED(definition->Get(property, 0, nullptr, nullptr, nullptr));
}
