// CWmipClassMapper: instances filled from the XML text of a software event.
#include "framework/CWmipClassMapper.h"

#include "framework/WMIHelper.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

HRESULT CWmipClassMapper::CreateInstanceFromXML(IWbemClassObject** instance, const XmlNode& node, bool isVisitor)
{
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (*instance == nullptr)
    {
        ComPtr<IWbemClassObject> classObject;
        HRESULT hr = GetHeldClass(classObject, TRUE);
        if (FAILED(hr))
            return hr;
        hr = classObject->SpawnInstance(0, instance);
        if (FAILED(hr))
            return hr;
        if (*instance == nullptr)
            return WBEM_E_FAILED;
    }
    // A value no read serves (a password hash, a PIN's stored cipher) is carried by no event
    // either, whatever element of the text names it: its property is never filled.
    const auto names = [this](const CString& column, const CString& table) {
        if (GetPropertyProcessMethod(column, table) == WMIHelper::kProcessSkip)
            return CString();
        const CString property = GetPropertyName(column, table);
        return IsSecretProperty(property) ? CString() : property;
    };
    return WMIHelper::CreateInstanceFromXML(*instance, node, isVisitor, IsUseUTC(), names);
}
