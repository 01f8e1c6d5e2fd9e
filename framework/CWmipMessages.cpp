#include "framework/CWmipMessages.h"

#include "platform/com/WbemConstants.h"

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
