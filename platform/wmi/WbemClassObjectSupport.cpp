#include "platform/wmi/WbemClassObjectSupport.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"

const WbemSystemProperty* FindWbemSystemProperty(std::wstring_view name)
{
    for (const auto& property : kWbemSystemProperties)
    {
        if (WbemName::Equal(property.name, name))
            return &property;
    }
    return nullptr;
}

HRESULT GiveWbemText(const std::wstring& text, BSTR* out)
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out == nullptr ? WBEM_E_OUT_OF_MEMORY : WBEM_S_NO_ERROR;
}
