#include "framework/CWmipMessages.h"

#include <cstdint>

#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"

const wchar_t* CWmipMessages::ForResult(HRESULT result, bool reasonLogged)
{
    switch (result)
    {
    case WBEM_E_ACCESS_DENIED:
        return kAccessDenied;
    case WBEM_E_NOT_FOUND:
        return kNotFound;
    case WBEM_E_NOT_SUPPORTED:
    case WBEM_E_INVALID_OPERATION:
        return kNotSupported;
    case WBEM_E_INVALID_CLASS:
        return kInvalidClass;
    case WBEM_E_INVALID_PARAMETER:
        return kInvalidParameter;
    case WBEM_E_INVALID_OBJECT_PATH:
        return kInvalidObjectPath;
    case WBEM_E_PROVIDER_NOT_CAPABLE:
        return kSelectOnly;
    case WBEM_E_METHOD_NOT_IMPLEMENTED:
        return kMethodNotImplemented;
    default:
        return reasonLogged ? kFailed : kRequestFailed;
    }
}

std::wstring CWmipMessages::NumberForm(CIMTYPE type)
{
    std::wstring range;
    std::int64_t low = 0;
    std::int64_t high = 0;
    if (CimValue::IntegerRange(type, &low, &high))
        range = std::to_wstring(low) + L" to " + std::to_wstring(high);
    else if (type == CIM_SINT64)
        range = std::to_wstring(INT64_MIN) + L" to " + std::to_wstring(INT64_MAX);
    else if (type == CIM_UINT64)
        range = L"0 to " + std::to_wstring(UINT64_MAX);
    else
        return std::wstring();
    return L"a " + CimValue::TypeName(type) + L" number from " + range;
}
