#include "platform/wmi/WbemSignature.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemName.h"

#include <map>
#include <memory>
#include <set>

namespace {
// Parameter IDs by upper-cased parameter name, gathered over both signatures.
struct IdTable
{
    std::map<std::wstring, LONG> byName;
    std::map<LONG, std::wstring> byId;
};

HRESULT CollectIds(WbemClassObject& signature, bool isOut, IdTable& table)
{
    for (const auto& parameter : signature.Properties())
    {
        IWbemQualifierSet* raw = nullptr;
        if (FAILED(signature.GetPropertyQualifierSet(parameter.name.c_str(), &raw)))
            return WBEM_E_INVALID_PARAMETER;
        ComPtr<IWbemQualifierSet> qualifiers;
        qualifiers.Attach(raw);
        _variant_t id;
        const bool hasId = qualifiers->Get(L"ID", 0, &id, nullptr) == WBEM_S_NO_ERROR;
        if (isOut && WbemName::Equal(parameter.name, L"ReturnValue"))
        {
            if (hasId)
                return WBEM_E_PARAMETER_ID_ON_RETVAL;
            continue;
        }
        if (!hasId)
            return WBEM_E_MISSING_PARAMETER_ID;
        if (id.vt != VT_I4 || id.lVal < 0)
            return WBEM_E_INVALID_PARAMETER_ID;
        const std::wstring key = WbemName::Upper(parameter.name);
        const auto byName = table.byName.find(key);
        if (byName != table.byName.end() && byName->second != id.lVal)
            return WBEM_E_INVALID_PARAMETER_ID;
        const auto byId = table.byId.find(id.lVal);
        if (byId != table.byId.end() && byId->second != key)
            return WBEM_E_INVALID_PARAMETER_ID;
        table.byName[key] = id.lVal;
        table.byId[id.lVal] = key;
    }
    return WBEM_S_NO_ERROR;
}

HRESULT CopyOf(IWbemClassObject* signature, ComPtr<WbemClassObject>* copy)
{
    WbemClassObject* object = WbemClassObject::FromInterface(signature);
    if (object == nullptr || !object->IsClass())
        return WBEM_E_INVALID_PARAMETER;
    IWbemClassObject* raw = nullptr;
    const HRESULT hr = object->Clone(&raw);
    if (FAILED(hr))
        return hr;
    copy->Attach(static_cast<WbemClassObject*>(raw));
    return WBEM_S_NO_ERROR;
}

HRESULT MarkDirection(WbemClassObject& signature, const wchar_t* direction)
{
    for (const auto& parameter : signature.Properties())
    {
        IWbemQualifierSet* raw = nullptr;
        HRESULT hr = signature.GetPropertyQualifierSet(parameter.name.c_str(), &raw);
        if (FAILED(hr))
            return hr;
        ComPtr<IWbemQualifierSet> qualifiers;
        qualifiers.Attach(raw);
        if (qualifiers->Get(direction, 0, nullptr, nullptr) == WBEM_S_NO_ERROR)
            continue;
        _variant_t flag(true);
        hr = qualifiers->Put(direction, &flag, 0);
        if (FAILED(hr))
            return hr;
    }
    return WBEM_S_NO_ERROR;
}
}  // namespace

HRESULT WbemSignature::Prepare(IWbemClassObject* inSignature, IWbemClassObject* outSignature,
                               ComPtr<WbemClassObject>* inCopy, ComPtr<WbemClassObject>* outCopy)
{
    ComPtr<WbemClassObject> in;
    ComPtr<WbemClassObject> out;
    HRESULT hr = WBEM_S_NO_ERROR;
    if (inSignature != nullptr)
        hr = CopyOf(inSignature, std::addressof(in));
    if (SUCCEEDED(hr) && outSignature != nullptr)
        hr = CopyOf(outSignature, std::addressof(out));
    IdTable ids;
    if (SUCCEEDED(hr) && in != nullptr)
        hr = CollectIds(*in, false, ids);
    if (SUCCEEDED(hr) && out != nullptr)
        hr = CollectIds(*out, true, ids);
    if (FAILED(hr))
        return hr;
    LONG expected = 0;
    for (const auto& [id, name] : ids.byId)
    {
        if (id != expected++)
            return WBEM_E_NONCONSECUTIVE_PARAMETER_IDS;
    }
    if (in != nullptr && FAILED(hr = MarkDirection(*in, L"in")))
        return hr;
    if (out != nullptr && FAILED(hr = MarkDirection(*out, L"out")))
        return hr;
    *inCopy = std::move(in);
    *outCopy = std::move(out);
    return WBEM_S_NO_ERROR;
}
