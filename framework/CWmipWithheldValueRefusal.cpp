#include "framework/CWmipWithheldValueRefusal.h"

#include "framework/CWmipMessages.h"
#include "platform/com/WbemConstants.h"

namespace {

CString RefusalText(const CString& property, CWmipWithheldValueRefusal::Use use)
{
    CString text;
    text.Format(CWmipMessages::kWithheldValue, property.GetString(),
                use == CWmipWithheldValueRefusal::Use::Where ? L"a WHERE clause or filter" : L"an order");
    return text;
}

}  // namespace

CWmipWithheldValueRefusal::CWmipWithheldValueRefusal(const wchar_t* sourceFile, int line, const CString& property,
                                                     Use use)
    : CWMIException(sourceFile, line, WBEM_E_INVALID_QUERY, RefusalText(property, use).GetString())
{
}
