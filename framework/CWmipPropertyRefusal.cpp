#include "framework/CWmipPropertyRefusal.h"

#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CString.h"

LONG CWmipPropertyRefusal::RequireNumber(const wchar_t* sourceFile, IWbemClassObject* instance, const wchar_t* property)
{
    LONG value = 0;
    if (FAILED(WMIHelper::GetNumber(instance, property, value)))
        ThrowNamed(sourceFile, __LINE__, WBEM_E_ILLEGAL_NULL, CWmipMessages::kRequiredProperty, property);
    return value;
}

void CWmipPropertyRefusal::ThrowNamed(const wchar_t* sourceFile, int line, HRESULT hr, const wchar_t* format,
                                      const wchar_t* property)
{
    CString text;
    text.Format(format, property);
    throw brontel::utility::CWMIException(sourceFile, line, hr, text);
}
