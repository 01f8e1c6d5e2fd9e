#include "platform/wmi/WbemContext.h"

#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemName.h"

#include <algorithm>

ComPtr<WbemContext> WbemContext::Create()
{
    return MakeComObject<WbemContext>();
}

std::vector<std::pair<std::wstring, _variant_t>>::iterator WbemContext::Find(LPCWSTR name)
{
    return std::find_if(m_values.begin(), m_values.end(),
                        [name](const auto& entry) { return WbemName::Equal(entry.first, name); });
}

HRESULT WbemContext::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid != IUnknown::kIID && iid != IWbemContext::kIID)
        return E_NOINTERFACE;
    *object = static_cast<IWbemContext*>(this);
    AddRef();
    return S_OK;
}

HRESULT WbemContext::Clone(IWbemContext** copy)
{
    if (copy == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *copy = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<WbemContext> clone = Create();
        clone->m_values = m_values;
        *copy = clone.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemContext::GetNames(LONG, SAFEARRAY** names)
{
    if (names == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *names = nullptr;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(m_values.size()));
    if (array == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    for (LONG i = 0; i < static_cast<LONG>(m_values.size()); ++i)
    {
        BSTR name = SysAllocString(m_values[static_cast<std::size_t>(i)].first.c_str());
        const HRESULT hr = name == nullptr ? E_OUTOFMEMORY : SafeArrayPutElement(array, &i, name);
        SysFreeString(name);
        if (FAILED(hr))
        {
            SafeArrayDestroy(array);
            return WBEM_E_OUT_OF_MEMORY;
        }
    }
    *names = array;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemContext::BeginEnumeration(LONG)
{
    return WbemCall::Run([&]() -> HRESULT {
        std::vector<std::wstring> names;
        for (const auto& entry : m_values)
            names.push_back(entry.first);
        m_enumNames = std::move(names);
        m_enumPosition = 0;
        m_enumerating = true;
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemContext::Next(LONG, BSTR* name, VARIANT* value)
{
    if (!m_enumerating)
        return WBEM_E_UNEXPECTED;
    return WbemCall::Run([&]() -> HRESULT {
        while (m_enumPosition < m_enumNames.size())
        {
            const std::wstring& current = m_enumNames[m_enumPosition++];
            const auto entry = Find(current.c_str());
            // A value deleted since BeginEnumeration is passed over.
            if (entry == m_values.end())
                continue;
            _variant_t copy(entry->second);
            if (name != nullptr)
            {
                *name = SysAllocString(current.c_str());
                if (*name == nullptr)
                    return WBEM_E_OUT_OF_MEMORY;
            }
            if (value != nullptr)
            {
                VariantInit(value);
                *value = copy.Detach();
            }
            return WBEM_S_NO_ERROR;
        }
        return WBEM_S_NO_MORE_DATA;
    });
}

HRESULT WbemContext::EndEnumeration()
{
    m_enumerating = false;
    m_enumNames.clear();
    m_enumPosition = 0;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemContext::SetValue(LPCWSTR name, LONG, VARIANT* value)
{
    const std::wstring_view text = WbemName::View(name);
    if (text.empty() || text.size() > WbemName::kMaxNameLength || value == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        _variant_t copy(*value);
        const auto entry = Find(name);
        if (entry != m_values.end())
            entry->second = std::move(copy);
        else
            m_values.emplace_back(std::wstring(text), std::move(copy));
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemContext::GetValue(LPCWSTR name, LONG, VARIANT* value)
{
    if (name == nullptr || value == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const auto entry = Find(name);
        if (entry == m_values.end())
            return WBEM_E_NOT_FOUND;
        VariantInit(value);
        return VariantCopy(value, &entry->second) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
    });
}

HRESULT WbemContext::DeleteValue(LPCWSTR name, LONG)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const auto entry = Find(name);
    if (entry == m_values.end())
        return WBEM_E_NOT_FOUND;
    m_values.erase(entry);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemContext::DeleteAll()
{
    m_values.clear();
    return WBEM_S_NO_ERROR;
}
