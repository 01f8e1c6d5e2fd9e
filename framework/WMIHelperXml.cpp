// WMIHelper: filling an instance from the XML text of a software event.
#include "framework/WMIHelper.h"

#include <charconv>
#include <limits>
#include <string>

#include "common/Crypto.h"
#include "common/StringHelpers.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/CimTypes.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/xml/XmlNode.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

constexpr wchar_t kWMIHelperXmlSource[] = L"WMIHelper.cpp";

// A whole decimal number of the type's range, nothing else around it.
template <class Number>
bool ParseWhole(const CString& text, Number& value)
{
    const std::string utf8 = CStringToUtf8(text);
    const auto [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), value);
    return !utf8.empty() && error == std::errc() && end == utf8.data() + utf8.size();
}

bool ParseReal(const CString& text, double& value)
{
    const std::string utf8 = CStringToUtf8(text);
    const auto [end, error] = std::from_chars(utf8.data(), utf8.data() + utf8.size(), value);
    return !utf8.empty() && error == std::errc() && end == utf8.data() + utf8.size();
}

bool ParseBool(const CString& text, bool& value)
{
    if (text == L"1" || text.CompareNoCase(L"true") == 0)
        value = true;
    else if (text == L"0" || text.CompareNoCase(L"false") == 0)
        value = false;
    else
        return false;
    return true;
}

bool IsNullColumn(const XmlNode& column)
{
    std::optional<CString> marker = column.GetAttribute(L"N");
    if (!marker)
        marker = column.GetAttribute(L"n");
    bool isNull = false;
    return marker && ParseBool(marker->Trim(), isNull) && isNull;
}

bool IsEncrypted(IWbemClassObject* instance, const CString& property)
{
    IWbemQualifierSet* raw = nullptr;
    if (FAILED(instance->GetPropertyQualifierSet(property, &raw)) || raw == nullptr)
        return false;
    ComPtr<IWbemQualifierSet> qualifiers;
    qualifiers.Attach(raw);
    _variant_t value;
    if (FAILED(qualifiers->Get(L"EncryptedTextField", 0, &value, nullptr)))
        return false;
    const VARIANT& flag = value;
    return flag.vt != VT_BOOL || flag.boolVal != VARIANT_FALSE;
}

// One property from its text; false when the text does not convert. Unhandled types are
// logged and left alone.
bool PutFromText(IWbemClassObject* instance, const CString& property, CIMTYPE type, const CString& text, bool useUTC)
{
    if (type == (CIM_UINT8 | CIM_FLAG_ARRAY))
    {
        CByteArray bytes;
        return HexStringToBytes(text.GetWString(), bytes) &&
               SUCCEEDED(WMIHelper::PutByteArray(instance, property, bytes));
    }
    switch (type)
    {
    case CIM_BOOLEAN: {
        bool value = false;
        return ParseBool(text, value) && SUCCEEDED(WMIHelper::PutBool(instance, property, value));
    }
    case CIM_SINT8:
    case CIM_UINT8:
    case CIM_SINT16:
    case CIM_UINT16:
    case CIM_SINT32: {
        LONG value = 0;
        return ParseWhole(text, value) && SUCCEEDED(WMIHelper::PutNumber(instance, property, value));
    }
    case CIM_UINT32: {
        ULONG value = 0;
        return ParseWhole(text, value) && SUCCEEDED(WMIHelper::PutUnsignedNumber(instance, property, value));
    }
    case CIM_SINT64:
    case CIM_UINT64: {
        LONGLONG value = 0;
        return ParseWhole(text, value) && SUCCEEDED(WMIHelper::PutNumber64(instance, property, value));
    }
    case CIM_REAL32:
    case CIM_REAL64: {
        double value = 0;
        if (!ParseReal(text, value))
            return false;
        _variant_t variant(value);
        return SUCCEEDED(WMIHelper::PutVariant(instance, property, &variant, 0));
    }
    case CIM_DATETIME: {
        // The column's text, read as a get reads it from the row, so that a change carries the
        // value a get serves, fraction included.
        TIMESTAMP_STRUCT stored{};
        try
        {
            stored = CDBValue(text).AsTimestamp();
        }
        catch (const CDBException&)
        {
            return false;
        }
        // A software event's record goes out through the WMI door alone.
        return SUCCEEDED(WMIHelper::PutStoredDateTime(instance, property, stored, !useUTC, false));
    }
    case CIM_STRING: {
        if (!IsEncrypted(instance, property))
            return SUCCEEDED(WMIHelper::PutString(instance, property, text, CIM_STRING));
        CByteArray cipher;
        CString plain;
        return HexStringToBytes(text.GetWString(), cipher) && brontel::crypto::Crypto().DecryptString(cipher, plain) &&
               SUCCEEDED(WMIHelper::PutString(instance, property, plain, CIM_STRING));
    }
    case CIM_OBJECT:
        CWMIDebugLog::LogInfo(kWMIHelperXmlSource, __LINE__, L"Embedded objects not implemented, skipping...");
        return true;
    default: {
        CString message;
        message.Format(L"Property %s has a type that is not handled, skipping...", property.GetString());
        CWMIDebugLog::LogInfo(kWMIHelperXmlSource, __LINE__, message);
        return true;
    }
    }
}

}  // namespace

HRESULT WMIHelper::CreateInstanceFromXML(IWbemClassObject* instance, const XmlNode& node, bool isVisitor, bool useUTC,
                                         const XmlPropertyNames& names)
{
    if (instance == nullptr)
    {
        CWMIDebugLog::LogError(kWMIHelperXmlSource, __LINE__,
                               L"Invalid class object passed to WMIHelper::CreateInstanceFromXML",
                               WBEM_E_INVALID_PARAMETER);
        return WBEM_E_INVALID_PARAMETER;
    }
    if (node.IsNull())
        throw _com_error(E_POINTER);

    for (const XmlNode& tableElement : node.GetChildElements())
    {
        const CString table = tableElement.GetName();
        for (const XmlNode& columnElement : tableElement.GetChildElements())
        {
            const CString column = columnElement.GetName();
            CString property;
            if (names)
                property = names(column, table);
            else if (GetPropertyProcessMethod(column, table, isVisitor) != kProcessSkip)
                property = column;
            CIMTYPE type = 0;
            _variant_t current;
            // A column the class shows no property for (a join key, a kind marker) is not set.
            if (property.IsEmpty() || FAILED(instance->Get(property, 0, &current, &type, nullptr)))
                continue;

            bool stored = false;
            if (IsNullColumn(columnElement))
            {
                stored = SUCCEEDED(PutVariant(instance, property, nullptr, 0));
            }
            else
            {
                CString text = columnElement.GetText();
                text.Trim();
                stored = PutFromText(instance, property, type, text, useUTC);
            }
            if (!stored)
            {
                CString message;
                message.Format(L"An error occurred while processing the property %s.", property.GetString());
                throw CWMIException(kWMIHelperXmlSource, __LINE__, WBEM_E_INVALID_PARAMETER, message);
            }
        }
    }
    return S_OK;
}
