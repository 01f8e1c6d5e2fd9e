#include "platform/wmi/WbemNameCursor.h"

#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"

#include <utility>

void WbemNameCursor::Begin(std::vector<std::wstring> names) noexcept
{
    m_names = std::move(names);
    m_position = 0;
    m_active = true;
}

HRESULT WbemNameCursor::Next(BSTR* name, const Fetch& fetch)
{
    if (!m_active)
        return WBEM_E_UNEXPECTED;
    return WbemCall::Run([&]() -> HRESULT {
        while (m_position < m_names.size())
        {
            const std::wstring& current = m_names[m_position++];
            if (!fetch(current))
                continue;
            if (name != nullptr)
            {
                *name = SysAllocString(current.c_str());
                if (*name == nullptr)
                    return WBEM_E_OUT_OF_MEMORY;
            }
            return WBEM_S_NO_ERROR;
        }
        return WBEM_S_NO_MORE_DATA;
    });
}

void WbemNameCursor::End() noexcept
{
    m_active = false;
    m_names.clear();
    m_position = 0;
}

HRESULT WbemNameCursor::NamesToArray(const std::vector<std::wstring>& names, SAFEARRAY** result)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(names.size()));
    if (array == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    for (LONG i = 0; i < static_cast<LONG>(names.size()); ++i)
    {
        const BstrOwner name = BstrOwner::Copy(names[static_cast<std::size_t>(i)].c_str());
        const HRESULT hr = !name ? E_OUTOFMEMORY : SafeArrayPutElement(array, &i, name.Get());
        if (FAILED(hr))
        {
            SafeArrayDestroy(array);
            return WBEM_E_OUT_OF_MEMORY;
        }
    }
    *result = array;
    return WBEM_S_NO_ERROR;
}
