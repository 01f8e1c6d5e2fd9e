// CCorvessaHelper: the conversions between bus values and the mappers' values.
#include "bus/CCorvessaHelper.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <string_view>
#include <utility>

#include "Libraries/OstrumCore/Source/IO/Base64Decoder.h"
#include "Libraries/OstrumCore/Source/Utils/Exception.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "bus/CCorvessaException.h"
#include "bus/GenericException.h"
#include "framework/CWmipInstanceWriter.h"
#include "framework/CWmipMessages.h"
#include "framework/IntegerValue.h"
#include "framework/WMIHelper.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/ComError.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/qpid/Exception.h"

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;
using qpid::types::Variant;

namespace {

constexpr wchar_t kHelperSource[] = L"CorvessaHelper";

// A value the property's type cannot take; a number is told the range its type takes, in the
// words the WMI door's refusal uses.
[[noreturn]] void ThrowInvalidValue(const CString& propertyName, long cimType = CIM_EMPTY)
{
    const std::string name = brontel::utility::ConvertCStringToUtf8(propertyName);
    if (cimType == CIM_STRING || cimType == CIM_REFERENCE)
    {
        throw CCorvessaException::IllFormedText(name);
    }
    const std::wstring form = CWmipMessages::NumberForm(static_cast<CIMTYPE>(cimType & ~CIM_FLAG_ARRAY));
    throw CCorvessaException::InvalidRequestItem(
        name, form.empty() ? std::string()
                           : "It takes " + brontel::utility::ConvertCStringToUtf8(CString(form.c_str())) + ".");
}

[[noreturn]] void ThrowGeneric(const wchar_t* format, long value)
{
    CString message;
    message.Format(format, value);
    throw GenericException(message);
}

[[noreturn]] void ThrowNotConvertible(const CString& propertyName, long cimType)
{
    CString message;
    message.Format(L"CCorvessaHelper::ConvertToQpidVariant - The value of property %s does not convert to type %ld.",
                   propertyName.GetString(), cimType);
    throw GenericException(message);
}

// Whether nothing but fill and the blanks the reader skips follows the text's first fill: the
// reader stops at the fill, so data after it would be taken and then lost.
bool OnlyFillAfterFill(std::string_view text)
{
    const std::size_t fill = text.find('=');
    return fill == std::string_view::npos ||
           std::all_of(text.begin() + static_cast<std::ptrdiff_t>(fill), text.end(), [](char c) {
               return c == '=' || ostrum::io::Base64Decoder::IsSkipped(static_cast<unsigned char>(c));
           });
}

// Logs an exception passing through a conversion and lets it go on unchanged.
template <typename Work>
auto LogPassingExceptions(const wchar_t* operation, int line, Work work) -> decltype(work())
{
    try
    {
        return work();
    }
    catch (const CException& failure)
    {
        CWMIDebugLog::LogError(kHelperSource, line, L"", 0, &failure);
        throw;
    }
    catch (...)
    {
        CString text;
        text.Format(L"%s: Unexpected exception.", operation);
        CWMIDebugLog::LogError(kHelperSource, line, text);
        throw;
    }
}

// The value as the VARIANT member type asks, after VariantChangeType when it is of another type.
_variant_t Coerced(const _variant_t& value, VARTYPE type, const CString& propertyName, long cimType)
{
    _variant_t converted;
    if (FAILED(VariantChangeType(&converted, &value, 0, type)))
    {
        ThrowNotConvertible(propertyName, cimType);
    }
    return converted;
}

// An integer of any integer VARIANT type; any other type as VariantChangeType makes it one.
std::int64_t IntegerOf(const _variant_t& value, const CString& propertyName, long cimType)
{
    if (const std::optional<LONGLONG> number = IntegerValue::FromVariant(value))
    {
        return *number;
    }
    return Coerced(value, VT_I8, propertyName, cimType).llVal;
}

double RealOf(const _variant_t& value, const CString& propertyName, long cimType)
{
    switch (value.vt)
    {
    case VT_R4:
        return value.fltVal;
    case VT_R8:
        return value.dblVal;
    default:
        return Coerced(value, VT_R8, propertyName, cimType).dblVal;
    }
}

std::wstring TextOf(const _variant_t& value, const CString& propertyName, long cimType)
{
    if (value.vt != VT_BSTR)
    {
        return TextOf(Coerced(value, VT_BSTR, propertyName, cimType), propertyName, cimType);
    }
    return value.bstrVal == nullptr ? std::wstring() : std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

// Decimal text read as the run-time library's wide 64-bit conversion reads it.
std::int64_t WideToInt64(std::wstring_view text)
{
    return *IntegerValue::FromText(text, IntegerValue::TextRule::Leading);
}

// The 32-bit reading of the same text (saturating at the 32-bit limits).
LONG WideToLong(std::wstring_view text)
{
    const std::int64_t value = WideToInt64(text);
    if (value > std::numeric_limits<LONG>::max())
    {
        return std::numeric_limits<LONG>::max();
    }
    if (value < std::numeric_limits<LONG>::min())
    {
        return std::numeric_limits<LONG>::min();
    }
    return static_cast<LONG>(value);
}

// A real read from the leading part of the text that forms a number; 0 when none does.
double WideToDouble(const CString& text)
{
    wchar_t* end = nullptr;
    const double value = std::wcstod(text.GetString(), &end);
    return end == text.GetString() ? 0.0 : value;
}

// A real from validated text ("-?digits*[.]?digits"); a value beyond the type's range is invalid.
template <typename Real>
Real RealFromText(const std::string& text, const CString& propertyName)
{
    Real value{};
    const auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (status != std::errc() || end != text.data() + text.size())
    {
        ThrowInvalidValue(propertyName);
    }
    return value;
}

// The VARIANT type that an element of an array of elementType becomes.
VARTYPE ElementVarType(long elementType)
{
    switch (elementType)
    {
    case CIM_SINT32:
    case CIM_UINT32:
        return VT_I4;
    case CIM_UINT8:
        return VT_UI1;
    case CIM_BOOLEAN:
        return VT_BOOL;
    case CIM_REAL32:
        return VT_R4;
    case CIM_REAL64:
        return VT_R8;
    default:
        return VT_BSTR;
    }
}

// A one-dimensional array owned by the returned value.
_variant_t NewArrayVariant(VARTYPE elementType, std::size_t count)
{
    if (count > kMaxSafeArrayElements)
    {
        _com_issue_error(E_OUTOFMEMORY);
    }
    SAFEARRAY* array = SafeArrayCreateVector(elementType, 0, static_cast<ULONG>(count));
    if (array == nullptr)
    {
        _com_issue_error(E_OUTOFMEMORY);
    }
    _variant_t result;
    result.vt = static_cast<VARTYPE>(VT_ARRAY | elementType);
    result.parray = array;
    return result;
}

// Writes the elements between SafeArrayAccessData and SafeArrayUnaccessData.
template <typename Element, typename Fill>
void FillArray(SAFEARRAY* array, Fill fill)
{
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
    {
        return;
    }
    fill(static_cast<Element*>(data));
    SafeArrayUnaccessData(array);
}

// The elements of a one-dimensional array of one of the accepted element types, read in order
// into a Container of them.
template <typename Element, typename Container, typename Convert>
Container ReadArray(SAFEARRAY* array, std::initializer_list<VARTYPE> accepted, const wchar_t* operation,
                    Convert convert)
{
    Container result;
    if (array == nullptr)
    {
        return result;
    }
    VARTYPE type = VT_EMPTY;
    bool known = false;
    if (SUCCEEDED(SafeArrayGetVartype(array, &type)))
    {
        for (const VARTYPE candidate : accepted)
        {
            known = known || candidate == type;
        }
    }
    // Reading elements of another size or kind would run past the storage or misread it.
    if (!known || SafeArrayGetDim(array) != 1)
    {
        CString message;
        message.Format(L"%s - Unexpected array of element type %ld.", operation, static_cast<long>(type));
        throw GenericException(message);
    }
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    {
        return result;
    }
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data)))
    {
        return result;
    }
    const auto count = static_cast<std::int64_t>(upper) - lower + 1;
    const auto* elements = static_cast<const Element*>(data);
    result.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
    for (std::int64_t i = 0; i < count; ++i)
    {
        result.push_back(convert(elements[i]));
    }
    SafeArrayUnaccessData(array);
    return result;
}

}  // namespace

// --- Values --------------------------------------------------------------------------------

bool CCorvessaHelper::IsVariantEmpty(const _variant_t& value)
{
    return value.vt == VT_EMPTY || value.vt == VT_NULL;
}

_variant_t CCorvessaHelper::GetNullVariant()
{
    _variant_t value;
    value.vt = VT_NULL;
    return value;
}

bool CCorvessaHelper::IsCIMTypeConsideredBinary(const long& cimType)
{
    return (cimType & CIM_FLAG_ARRAY) != 0 && (cimType & 0x01) != 0 && (cimType & 0x10) != 0;
}

_variant_t CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(const CString& propertyName, const Variant& value,
                                                               long cimType, bool isBase64)
{
    // A text is read where it stands: a binary value's Base64 runs to megabytes.
    const bool isText = value.getType() == qpid::types::VAR_STRING;
    const std::string converted = isText ? std::string() : value.asString();
    const std::string& text = isText ? value.getString() : converted;
    if (text.empty())
    {
        return GetNullVariant();
    }
    if (!IsValidValue(value, cimType))
    {
        ThrowInvalidValue(propertyName, cimType);
    }
    // A value the bus library cannot read as the type (out of range, a list for a scalar) is the
    // client's invalid value, not a failure of the front end.
    try
    {
        if ((cimType & CIM_FLAG_ARRAY) != 0)
        {
            const long elementType = cimType & ~CIM_FLAG_ARRAY;
            // A binary value's size is checked once, on the bytes it decodes to (blanks the
            // decoding skips do not count); past the limit it is the client's invalid value.
            if (elementType == CIM_UINT8 && isText)
            {
                try
                {
                    return CreateSafeArrayVariantFromBinaryString(text, isBase64);
                }
                catch (const CWMIException& refusal)
                {
                    if (refusal.GetHResult() != WBEM_E_INVALID_PARAMETER)
                    {
                        throw;
                    }
                    // Named with its limit, in the words the write's own refusal uses, and logged.
                    CString limit;
                    limit.Format(CWmipMessages::kBinaryTooLarge, propertyName.GetString());
                    CWMIDebugLog::LogError(kHelperSource, __LINE__, limit, WBEM_E_INVALID_PARAMETER);
                    throw CCorvessaException::InvalidRequestItem(brontel::utility::ConvertCStringToUtf8(propertyName),
                                                                 brontel::utility::ConvertCStringToUtf8(limit));
                }
            }
            if (value.asList().size() > kMaxSafeArrayElements)
            {
                ThrowInvalidValue(propertyName);
            }
            std::vector<_variant_t> items;
            for (const Variant& element : value.asList())
            {
                _variant_t item = ConvertFromQpidVariantToWMIVariant(propertyName, element, elementType, false);
                // An empty element has no number to carry in an integer array.
                if (IsVariantEmpty(item))
                {
                    ThrowInvalidValue(propertyName);
                }
                items.push_back(std::move(item));
            }
            // The element type comes from the property, whatever the elements turned into.
            return CreateSafeArraryVariantFromVariantVector(items, ElementVarType(elementType));
        }
        switch (cimType)
        {
        case CIM_STRING: {
            // The whole text, a NUL inside it included: the write refuses it rather than
            // storing the part before the NUL.
            VARIANT whole;
            VariantInit(&whole);
            whole.vt = VT_BSTR;
            whole.bstrVal = brontel::utility::ConvertUtf8ToCString(text).AllocSysString();
            _variant_t result;
            result.Attach(whole);
            return result;
        }
        case CIM_DATETIME:
        case CIM_REFERENCE:
            return _variant_t(brontel::utility::ConvertToCString(text).GetString());
        case CIM_BOOLEAN:
            return _variant_t(value.asBool());
        case CIM_SINT32:
            return _variant_t(static_cast<LONG>(value.asInt32()));
        case CIM_UINT32:
            // Unsigned 32-bit values travel in the signed member, as the mappers read them.
            return _variant_t(static_cast<LONG>(static_cast<std::int32_t>(value.asUint32())));
        case CIM_REAL32:
            return _variant_t(RealFromText<float>(text, propertyName));
        case CIM_REAL64:
            return _variant_t(RealFromText<double>(text, propertyName));
        case CIM_SINT64:
        case CIM_UINT64:
            return _variant_t(brontel::utility::ConvertToCString(std::to_string(value.asInt64())).GetString());
        case CIM_UINT8:
            return _variant_t(static_cast<BYTE>(value.asUint8()));
        default:
            ThrowGeneric(L"CCorvessaHelper::ConvertFromQpidVariantToWMIVariant doesn't support type %ld", cimType);
        }
    }
    catch (const qpid::types::Exception&)
    {
        ThrowInvalidValue(propertyName, cimType);
    }
}

_variant_t CCorvessaHelper::CreateSafeArraryVariantFromVariantVector(const std::vector<_variant_t>& items,
                                                                     VARTYPE elementType)
{
    if (items.empty() || elementType == VT_NULL)
    {
        return GetNullVariant();
    }
    switch (elementType)
    {
    case VT_I4:
        return CreateNumericSafeArrayVariantFromVariantVector(items);
    case VT_UI1:
        return CreateByteSafeArrayVariantFromVariantVector(items);
    default:
        ThrowGeneric(L"CCorvessaHelper::CreateSafeArraryVariantFromVariantVector doesn't support type %ld",
                     elementType);
    }
}

_variant_t CCorvessaHelper::CreateNumericSafeArrayVariantFromVariantVector(const std::vector<_variant_t>& items)
{
    return LogPassingExceptions(L"CCorvessaHelper::CreateNumericSafeArrayVariantFromVariantVector", __LINE__, [&] {
        for (const _variant_t& item : items)
        {
            if (item.vt != VT_I4)
            {
                ThrowGeneric(L"CCorvessaHelper::CreateSafeArraryVariantFromVariantVector doesn't support type %ld",
                             item.vt);
            }
        }
        _variant_t result = NewArrayVariant(VT_I4, items.size());
        FillArray<LONG>(result.parray, [&](LONG* data) {
            for (std::size_t i = 0; i < items.size(); ++i)
            {
                data[i] = items[i].lVal;
            }
        });
        return result;
    });
}

_variant_t CCorvessaHelper::CreateByteSafeArrayVariantFromVariantVector(const std::vector<_variant_t>& items)
{
    return LogPassingExceptions(L"CCorvessaHelper::CreateByteSafeArrayVariantFromVariantVector", __LINE__, [&] {
        for (const _variant_t& item : items)
        {
            if (item.vt != VT_UI1)
            {
                ThrowGeneric(L"CCorvessaHelper::CreateSafeArraryVariantFromVariantVector doesn't support type %ld",
                             item.vt);
            }
        }
        _variant_t result = NewArrayVariant(VT_UI1, items.size());
        FillArray<BYTE>(result.parray, [&](BYTE* data) {
            for (std::size_t i = 0; i < items.size(); ++i)
            {
                data[i] = items[i].bVal;
            }
        });
        return result;
    });
}

_variant_t CCorvessaHelper::CreateSafeArrayVariantFromBinaryString(const std::string& text, bool isBase64)
{
    return LogPassingExceptions(L"CCorvessaHelper::CreateSafeArrayVariantFromBinaryString", __LINE__, [&] {
        // Base64 text is read twice: measured (and checked) first, then decoded straight into
        // the array made for it.
        int length = -1;
        if (isBase64)
        {
            // A character Base64 text may not hold is the same client error as text that does
            // not decode.
            try
            {
                length = ostrum::utils::StringUtils::base64DecodedSize(text);
            }
            catch (const ostrum::Exception&)
            {
            }
            if (length < 0 || !OnlyFillAfterFill(text))
            {
                throw CWMIException(kHelperSource, __LINE__, corvessa::kDecodingFailed,
                                    L"CCorvessaHelper::CreateSafeArrayVariantFromBinaryString: Failed to decode binary "
                                    L"string.");
            }
        }
        const std::size_t size = isBase64 ? static_cast<std::size_t>(length) : text.size();
        if (size > CWmipInstanceWriter::kMaxBinaryBytes)
        {
            throw CWMIException(kHelperSource, __LINE__, WBEM_E_INVALID_PARAMETER,
                                L"CCorvessaHelper::CreateSafeArrayVariantFromBinaryString: The binary value is larger "
                                L"than a binary property may hold (16 MiB).");
        }
        _variant_t result = NewArrayVariant(VT_UI1, size);
        FillArray<unsigned char>(result.parray, [&](unsigned char* data) {
            if (!isBase64)
                std::copy(text.begin(), text.end(), data);
            else if (size > 0)
                ostrum::utils::StringUtils::base64DecodeInto(text, data, length);
        });
        return result;
    });
}

Variant CCorvessaHelper::ConvertToQpidVariant(const CString& className, const CString& propertyName,
                                              const _variant_t& value, const long& cimType)
{
    if ((cimType & CIM_FLAG_ARRAY) != 0)
    {
        return BuildQpidListFromVariantArray(className, propertyName, value, cimType);
    }
    if (IsVariantEmpty(value))
    {
        return Variant();
    }
    switch (cimType)
    {
    case CIM_SINT32:
        return Variant(static_cast<std::int32_t>(IntegerOf(value, propertyName, cimType)));
    case CIM_UINT32:
        return Variant(static_cast<std::uint32_t>(IntegerOf(value, propertyName, cimType)));
    case CIM_REAL32:
        return Variant(static_cast<float>(RealOf(value, propertyName, cimType)));
    case CIM_REAL64:
        return Variant(RealOf(value, propertyName, cimType));
    case CIM_STRING:
        return Variant(brontel::utility::ConvertUtf16ToUtf8(TextOf(value, propertyName, cimType)));
    case CIM_BOOLEAN:
        // Only the all-ones value is true, as the automation boolean defines it.
        if (value.vt == VT_BOOL)
        {
            return Variant(value.boolVal == VARIANT_TRUE);
        }
        return Variant((IntegerOf(value, propertyName, cimType) & 0xFFFF) == 0xFFFF);
    case CIM_UINT8:
        return Variant(static_cast<std::uint8_t>(IntegerOf(value, propertyName, cimType)));
    case CIM_SINT64:
    case CIM_UINT64:
        if (value.vt == VT_BSTR)
        {
            return Variant(WideToInt64(TextOf(value, propertyName, cimType)));
        }
        return Variant(IntegerOf(value, propertyName, cimType));
    case CIM_DATETIME:
        return Variant(WMIHelper::ConvertToStdString(TextOf(value, propertyName, cimType).c_str()));
    case CIM_REFERENCE:
        return RemoveExtraQuotesFromReferenceString(
            WMIHelper::ConvertToStdString(TextOf(value, propertyName, cimType).c_str()));
    default:
        ThrowGeneric(L"CCorvessaHelper::ConvertToQpidVariant doesn't support type %ld", cimType);
    }
}

Variant CCorvessaHelper::ConvertToQpidVariant(const CString& className, const CString& propertyName,
                                              const CString& text, const long& cimType)
{
    if (text.IsEmpty())
    {
        return Variant();
    }
    switch (cimType)
    {
    case CIM_SINT32:
    case CIM_UINT32:
    case CIM_BOOLEAN:
        return ConvertToQpidVariant(className, propertyName, _variant_t(WideToLong(text.GetWString())), cimType);
    case CIM_REAL32:
    case CIM_REAL64:
        return ConvertToQpidVariant(className, propertyName, _variant_t(WideToDouble(text)), cimType);
    case CIM_STRING:
    case CIM_DATETIME:
    case CIM_REFERENCE:
        return ConvertToQpidVariant(className, propertyName, _variant_t(text.GetString()), cimType);
    case CIM_SINT64:
    case CIM_UINT64:
        return Variant(WideToInt64(text.GetWString()));
    default:
        ThrowGeneric(L"CCorvessaHelper::ConvertToQpidVariant doesn't support type %ld", cimType);
    }
}

Variant CCorvessaHelper::BuildQpidListFromVariantArray(const CString& className, const CString& propertyName,
                                                       const _variant_t& value, const long& cimType)
{
    const long elementType = cimType & ~CIM_FLAG_ARRAY;
    const bool empty = IsVariantEmpty(value);
    if (!empty && (value.vt & VT_ARRAY) == 0)
    {
        ThrowNotConvertible(propertyName, cimType);
    }
    SAFEARRAY* array = empty ? nullptr : value.parray;
    switch (elementType)
    {
    case CIM_SINT32: {
        Variant::List list;
        for (const long number : GetLongsFromSafeArray(array))
        {
            list.push_back(
                ConvertToQpidVariant(className, propertyName, _variant_t(static_cast<LONG>(number)), CIM_SINT32));
        }
        return Variant(list);
    }
    case CIM_STRING: {
        Variant::List list;
        for (const CString& text : GetStringsFromSafeArray(array))
        {
            list.push_back(ConvertToQpidVariant(className, propertyName, _variant_t(text.GetString()), CIM_STRING));
        }
        return Variant(list);
    }
    case CIM_UINT8: {
        // The bytes are read once into the text the bus carries them in, and moved from there on.
        std::string data = GetBytesFromSafeArray(array);
        // An empty binary value is none, as the installation stores it and the WMI door reads it.
        if (data.empty())
        {
            return Variant();
        }
        Variant::Map binary;
        binary["content_type"] = Variant(GetContentTypeForProperty(className, propertyName, data));
        binary["data"] = Variant(std::move(data));
        return Variant(std::move(binary));
    }
    default:
        ThrowGeneric(L"CCorvessaHelper::BuildQpidListFromVariantArray does not handle array type %ld.", elementType);
    }
}

Variant CCorvessaHelper::RemoveExtraQuotesFromReferenceString(const std::string& text)
{
    std::string unquoted;
    unquoted.reserve(text.size());
    for (const char c : text)
    {
        if (c != '"')
        {
            unquoted.push_back(c);
        }
    }
    return Variant(unquoted);
}

std::vector<long> CCorvessaHelper::GetLongsFromSafeArray(SAFEARRAY* array)
{
    return LogPassingExceptions(L"CCorvessaHelper::GetLongsFromSafeArray", __LINE__, [&] {
        return ReadArray<LONG, std::vector<long>>(array, {VT_I4, VT_UI4, VT_INT, VT_UINT},
                                                  L"CCorvessaHelper::GetLongsFromSafeArray",
                                                  [](LONG element) { return static_cast<long>(element); });
    });
}

std::string CCorvessaHelper::GetBytesFromSafeArray(SAFEARRAY* array)
{
    return LogPassingExceptions(L"CCorvessaHelper::GetBytesFromSafeArray", __LINE__, [&] {
        return ReadArray<BYTE, std::string>(array, {VT_UI1, VT_I1}, L"CCorvessaHelper::GetBytesFromSafeArray",
                                            [](BYTE element) { return static_cast<char>(element); });
    });
}

std::vector<CString> CCorvessaHelper::GetStringsFromSafeArray(SAFEARRAY* array)
{
    return LogPassingExceptions(L"CCorvessaHelper::GetStringsFromSafeArray", __LINE__, [&] {
        return ReadArray<BSTR, std::vector<CString>>(
            array, {VT_BSTR}, L"CCorvessaHelper::GetStringsFromSafeArray", [](BSTR element) {
                return element == nullptr ? CString() : CString(element, static_cast<int>(SysStringLen(element)));
            });
    });
}

std::map<std::string, Variant> CCorvessaHelper::ConvertToQpidMap(const std::map<CString, CString>& texts)
{
    std::map<std::string, Variant> result;
    for (const auto& [key, text] : texts)
    {
        result[brontel::utility::ConvertCStringToUtf8(key)] = Variant(brontel::utility::ConvertCStringToUtf8(text));
    }
    return result;
}
