#include "framework/CWmipStoredValueRefusal.h"

#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/WbemConstants.h"

namespace {

CString NamedValue(const CDBValue& stored)
{
    CString text;
    switch (stored.GetKind())
    {
    case CDBValue::Kind::Null:
        return L"NULL";
    case CDBValue::Kind::Blob:
        text.Format(L"of %d bytes", static_cast<int>(stored.GetBytes().size()));
        return text;
    case CDBValue::Kind::Integer:
    case CDBValue::Kind::Real:
        return stored.AsText();
    case CDBValue::Kind::Text:
        break;
    }
    text = stored.AsText();
    if (text.GetLength() > CWmipStoredValueRefusal::kMaxNamedValueLength)
        text = text.Left(CWmipStoredValueRefusal::kMaxNamedValueLength) + L"...";
    return L"'" + text + L"'";
}

CString Text(const CString& path, const CString& property, const CDBValue& stored, const CString& reason)
{
    CString text;
    text.Format(CWmipMessages::kStoredValueUnservable, NamedValue(stored).GetString(), property.GetString(),
                path.GetString(), reason.GetString());
    return text;
}

}  // namespace

CWmipStoredValueRefusal::CWmipStoredValueRefusal(const wchar_t* sourceFile, int line, const CString& path,
                                                 const CString& property, const CDBValue& stored, const CString& reason)
    : CWMIException(sourceFile, line, WBEM_E_FAILED, Text(path, property, stored, reason).GetString())
{
}
