// WbemClassObject: the methods of a class, their signatures and qualifiers.
#include "platform/wmi/WbemClassObject.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObjectSupport.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemSignature.h"

#include <algorithm>

namespace {

template <class Object>
void GiveObject(const ComPtr<Object>& object, IWbemClassObject** out)
{
    if (out != nullptr)
        *out = object == nullptr ? nullptr : ComPtr<Object>(object).Detach();
}

ComPtr<WbemClassObject> CloneSignature(const ComPtr<WbemClassObject>& signature)
{
    if (signature == nullptr)
        return nullptr;
    IWbemClassObject* copy = nullptr;
    const HRESULT hr = signature->Clone(&copy);
    if (FAILED(hr))
        _com_issue_error(hr);
    ComPtr<WbemClassObject> result;
    result.Attach(static_cast<WbemClassObject*>(copy));
    return result;
}
}  // namespace

HRESULT WbemClassObject::GetMethod(LPCWSTR name, LONG, IWbemClassObject** inSignature, IWbemClassObject** outSignature)
{
    if (inSignature != nullptr)
        *inSignature = nullptr;
    if (outSignature != nullptr)
        *outSignature = nullptr;
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* method = FindMethod(name);
        if (method == nullptr)
            return WBEM_E_NOT_FOUND;
        // Both copies are made before either is handed out, so a failure leaks nothing.
        ComPtr<WbemClassObject> in = inSignature != nullptr ? CloneSignature(method->inSignature) : nullptr;
        ComPtr<WbemClassObject> out = outSignature != nullptr ? CloneSignature(method->outSignature) : nullptr;
        GiveObject(in, inSignature);
        GiveObject(out, outSignature);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::PutMethod(LPCWSTR name, LONG, IWbemClassObject* inSignature, IWbemClassObject* outSignature)
{
    if (!WbemName::IsValidIdentifier(WbemName::View(name)))
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass())
        return WBEM_E_ILLEGAL_OPERATION;
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<WbemClassObject> in;
        ComPtr<WbemClassObject> out;
        const HRESULT hr = WbemSignature::Prepare(inSignature, outSignature, std::addressof(in), std::addressof(out));
        if (FAILED(hr))
            return hr;
        auto existing = std::find_if(m_methods.begin(), m_methods.end(),
                                     [name](const MethodDef& m) { return WbemName::Equal(m.name, name); });
        if (existing != m_methods.end())
        {
            if (existing->inherited)
                return WBEM_E_PROPAGATED_METHOD;
            existing->inSignature = in;
            existing->outSignature = out;
            return WBEM_S_NO_ERROR;
        }
        MethodDef method;
        method.name = name;
        method.inSignature = in;
        method.outSignature = out;
        method.qualifiers = WbemQualifierSet::Create();
        m_methods.push_back(std::move(method));
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::DeleteMethod(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass())
        return WBEM_E_ILLEGAL_OPERATION;
    const auto found = std::find_if(m_methods.begin(), m_methods.end(),
                                    [name](const MethodDef& m) { return WbemName::Equal(m.name, name); });
    if (found == m_methods.end())
        return WBEM_E_NOT_FOUND;
    if (found->inherited)
        return WBEM_E_PROPAGATED_METHOD;
    m_methods.erase(found);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::BeginMethodEnumeration(LONG enumFlags)
{
    if (enumFlags != 0 && enumFlags != WBEM_FLAG_LOCAL_ONLY && enumFlags != WBEM_FLAG_PROPAGATED_ONLY)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        Cursor cursor{true, {}, 0};
        for (const auto& method : Definition().m_methods)
        {
            if ((enumFlags == WBEM_FLAG_LOCAL_ONLY && method.inherited) ||
                (enumFlags == WBEM_FLAG_PROPAGATED_ONLY && !method.inherited))
                continue;
            cursor.names.push_back(method.name);
        }
        m_methodCursor = std::move(cursor);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::NextMethod(LONG, BSTR* name, IWbemClassObject** inSignature, IWbemClassObject** outSignature)
{
    if (name != nullptr)
        *name = nullptr;
    if (inSignature != nullptr)
        *inSignature = nullptr;
    if (outSignature != nullptr)
        *outSignature = nullptr;
    if (!m_methodCursor.active)
        return WBEM_E_UNEXPECTED;
    return WbemCall::Run([&]() -> HRESULT {
        while (m_methodCursor.position < m_methodCursor.names.size())
        {
            const std::wstring& current = m_methodCursor.names[m_methodCursor.position++];
            const MethodDef* method = FindMethod(current);
            if (method == nullptr)
                continue;
            ComPtr<WbemClassObject> in = inSignature != nullptr ? CloneSignature(method->inSignature) : nullptr;
            ComPtr<WbemClassObject> out = outSignature != nullptr ? CloneSignature(method->outSignature) : nullptr;
            if (name != nullptr)
            {
                const HRESULT hr = GiveWbemText(current, name);
                if (FAILED(hr))
                    return hr;
            }
            GiveObject(in, inSignature);
            GiveObject(out, outSignature);
            return WBEM_S_NO_ERROR;
        }
        return WBEM_S_NO_MORE_DATA;
    });
}

HRESULT WbemClassObject::EndMethodEnumeration()
{
    m_methodCursor = Cursor{};
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers)
{
    if (method == nullptr || qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *qualifiers = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* found = FindMethod(method);
        if (found == nullptr)
            return WBEM_E_NOT_FOUND;
        ComPtr<WbemQualifierSet> set =
            IsClass() ? found->qualifiers
                      : InstanceView(m_methodQualifiers[WbemName::Upper(found->name)], found->qualifiers);
        *qualifiers = set.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::GetMethodOrigin(LPCWSTR methodName, BSTR* className)
{
    if (methodName == nullptr || className == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *className = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* method = FindMethod(methodName);
        if (method == nullptr)
            return WBEM_E_NOT_FOUND;
        return GiveWbemText(method->origin.empty() ? ClassName() : method->origin, className);
    });
}
