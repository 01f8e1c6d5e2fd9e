#include "framework/CWmipValueForm.h"

#include "framework/CWmipMessages.h"
#include "framework/WMIHelper.h"
#include "platform/mfc/COleDateTime.h"

#include <cwchar>

CString CWmipValueForm::Fault(CIMTYPE type, LONG limit, const VARIANT& value, Door door)
{
    CString fault;
    if (value.vt != VT_BSTR || value.bstrVal == nullptr)
        return fault;
    const UINT length = SysStringLen(value.bstrVal);
    if (limit > 0 && length > static_cast<UINT>(limit))
        fault.Format(CWmipMessages::kValueTooLong, static_cast<int>(length), static_cast<int>(limit));
    // A NUL would have the stored text end before the text that was sent.
    else if (std::wmemchr(value.bstrVal, L'\0', length) != nullptr)
        fault = CWmipMessages::kValueHoldsNul;
    else if ((type & ~CIM_FLAG_ARRAY) == CIM_DATETIME && length > 0 &&
             WMIHelper::ToDateTimeUTC(CString(value.bstrVal, static_cast<int>(length)), door).GetStatus() !=
                 COleDateTime::valid)
        fault.Format(CWmipMessages::kValueNotADate,
                     door == Door::kBus ? CWmipMessages::kIsoDateForm : CWmipMessages::kDmtfDateForm);
    return fault;
}
