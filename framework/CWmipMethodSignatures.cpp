#include "framework/CWmipMethodSignatures.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"

#include <memory>

namespace {
// An empty "__PARAMETERS" class of the same implementation as the definition.
HRESULT NewSignature(IWbemClassObject* definition, ComPtr<IWbemClassObject>& signature)
{
    if (dynamic_cast<CCorvessaClassObject*>(definition) != nullptr)
    {
        signature.Attach(std::make_unique<CCorvessaClassObject>(CString(L"__PARAMETERS")).release());
        return S_OK;
    }
    return CreateWbemClass(L"__PARAMETERS", nullptr, &signature);
}

HRESULT PutMethodQualifier(IWbemQualifierSet* qualifiers, const wchar_t* name, _variant_t value)
{
    return qualifiers != nullptr ? qualifiers->Put(name, &value, 0) : WBEM_E_FAILED;
}
}  // namespace

HRESULT CWmipMethodSignatures::AddTo(const std::map<CString, CCorvessaMethodDescriptor>& methods,
                                     IWbemClassObject* definition)
{
    if (definition == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    for (const auto& [name, descriptor] : methods)
    {
        if (SUCCEEDED(definition->GetMethod(name, 0, nullptr, nullptr)))
            continue;
        // WMI numbers the real parameters only, without gaps: the out "ReturnValue" carries no
        // ID, and a name listed again (in and out) keeps the ID it was given first.
        std::map<CString, LONG, CStringNoCaseLess> ids;
        ComPtr<IWbemClassObject> signatures[2];
        const CCorvessaMethodDescriptor::ParameterList* lists[2] = {&descriptor.InParameters(),
                                                                    &descriptor.OutParameters()};
        for (int side = 0; side < 2; ++side)
        {
            HRESULT hr = NewSignature(definition, signatures[side]);
            if (FAILED(hr))
                return hr;
            for (const auto& [parameter, cimType] : *lists[side])
            {
                hr = signatures[side]->Put(parameter, 0, nullptr, cimType);
                if (FAILED(hr))
                    return hr;
                if (side == 1 && parameter.CompareNoCase(L"ReturnValue") == 0)
                    continue;
                ComPtr<IWbemQualifierSet> qualifiers;
                hr = signatures[side]->GetPropertyQualifierSet(parameter, &qualifiers);
                const LONG nextId = static_cast<LONG>(ids.size());
                const LONG id = ids.try_emplace(parameter, nextId).first->second;
                if (SUCCEEDED(hr))
                    hr = PutMethodQualifier(qualifiers.Get(), L"ID", _variant_t(id));
                if (SUCCEEDED(hr) && side == 0 && descriptor.InParametersAreKeys())
                    hr = PutMethodQualifier(qualifiers.Get(), L"key", _variant_t(true));
                if (FAILED(hr))
                    return hr;
            }
        }
        HRESULT hr = definition->PutMethod(name, 0, signatures[0].Get(), signatures[1].Get());
        if (FAILED(hr))
            return hr;
        ComPtr<IWbemQualifierSet> qualifiers;
        hr = definition->GetMethodQualifierSet(name, &qualifiers);
        if (SUCCEEDED(hr))
            hr = PutMethodQualifier(qualifiers.Get(), L"implemented", _variant_t(true));
        if (FAILED(hr))
            return hr;
    }
    return S_OK;
}
