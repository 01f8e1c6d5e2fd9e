#include "framework/CWmipQueryRefusal.h"

#include "framework/CWmipMessages.h"
#include "platform/com/WbemConstants.h"

CWmipQueryRefusal::CWmipQueryRefusal(const wchar_t* sourceFile, int line, const CString& text)
    : CWMIException(sourceFile, line, WBEM_E_INVALID_QUERY, text.GetString())
{
}

CWmipQueryRefusal CWmipQueryRefusal::Withheld(const wchar_t* sourceFile, int line, const CString& property, Use use)
{
    CString text;
    text.Format(CWmipMessages::kWithheldValue, property.GetString(),
                use == Use::Where ? L"a WHERE clause or filter" : L"an order");
    return CWmipQueryRefusal(sourceFile, line, text);
}

CWmipQueryRefusal CWmipQueryRefusal::NotADate(const wchar_t* sourceFile, int line, const CString& property,
                                              const CString& literal, bool iso)
{
    CString text;
    text.Format(CWmipMessages::kNotADate, literal.GetString(), property.GetString(),
                iso ? CWmipMessages::kIsoDateForm : CWmipMessages::kDmtfDateForm);
    return CWmipQueryRefusal(sourceFile, line, text);
}

CWmipQueryRefusal CWmipQueryRefusal::NotANumber(const wchar_t* sourceFile, int line, const CString& property,
                                                const CString& literal)
{
    CString text;
    text.Format(CWmipMessages::kNotANumber, literal.GetString(), property.GetString());
    return CWmipQueryRefusal(sourceFile, line, text);
}
