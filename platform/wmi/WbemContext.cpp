#include "platform/wmi/WbemContext.h"

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

std::vector<std::wstring> WbemContext::Names() const
{
    std::vector<std::wstring> names;
    names.reserve(m_values.size());
    for (const auto& entry : m_values)
        names.push_back(entry.first);
    return names;
}

HRESULT WbemContext::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemContext>(this, iid, object);
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
    return WbemCall::Run([&]() { return WbemNameCursor::NamesToArray(Names(), names); });
}

HRESULT WbemContext::BeginEnumeration(LONG)
{
    return WbemCall::Run([&]() -> HRESULT {
        m_cursor.Begin(Names());
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemContext::Next(LONG, BSTR* name, VARIANT* value)
{
    _variant_t copy;
    const HRESULT hr = m_cursor.Next(name, [&](const std::wstring& current) {
        const auto entry = Find(current.c_str());
        if (entry == m_values.end())
            return false;
        copy = entry->second;
        return true;
    });
    if (hr == WBEM_S_NO_ERROR && value != nullptr)
    {
        VariantInit(value);
        *value = copy.Detach();
    }
    return hr;
}

HRESULT WbemContext::EndEnumeration()
{
    m_cursor.End();
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
