#include "mappers/records/helpers/CWmipMethodParameters.h"

#include "framework/WMIHelper.h"

LONG CWmipMethodParameters::Number(IWbemClassObject* object, const wchar_t* name)
{
    LONG value = 0;
    if (object != nullptr)
        WMIHelper::GetNumber(object, name, value);
    return value;
}

LONGLONG CWmipMethodParameters::Number64(IWbemClassObject* object, const wchar_t* name)
{
    LONGLONG value = 0;
    if (object != nullptr)
        WMIHelper::GetNumber64(object, name, value);
    return value;
}

CString CWmipMethodParameters::Text(IWbemClassObject* object, const wchar_t* name)
{
    CString value;
    if (object != nullptr)
        WMIHelper::GetString(object, name, value);
    return value;
}

bool CWmipMethodParameters::IsTrue(IWbemClassObject* object, const wchar_t* name)
{
    int value = 0;
    return object != nullptr && SUCCEEDED(WMIHelper::GetBool(object, name, value)) && value != 0;
}
