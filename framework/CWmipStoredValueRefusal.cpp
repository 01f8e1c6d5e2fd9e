#include "framework/CWmipStoredValueRefusal.h"

#include "common/StringHelpers.h"
#include "framework/CWmipMessages.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "platform/com/WbemConstants.h"
#include "platform/win32/UnicodeConversion.h"

#include <algorithm>
#include <string>

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
    if (!UnicodeConversion::IsWellFormedUtf8(stored.GetUtf8()))
    {
        // Bytes that are no text are named by their bytes, in the form SQL writes them.
        const std::string& bytes = stored.GetUtf8();
        const std::size_t shown = std::min<std::size_t>(bytes.size(), CWmipStoredValueRefusal::kMaxNamedValueLength);
        text = L"X'" + BytesToHexString(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<int>(shown));
        return text + (shown < bytes.size() ? L"'..." : L"'");
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
