#include "platform/wmi/CimValue.h"

#include "platform/com/BstrOwner.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemName.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cwchar>
#include <limits>
#include <optional>
#include <string>

namespace {
// An integer read from any integral VARIANT form, with the ranges it fits.
struct Integer
{
    bool negative = false;
    std::uint64_t magnitude = 0;

    bool FitsSigned(std::int64_t low, std::int64_t high) const
    {
        if (negative)
            return low < 0 && magnitude <= static_cast<std::uint64_t>(-(low + 1)) + 1u;
        return high >= 0 && magnitude <= static_cast<std::uint64_t>(high);
    }
    std::int64_t AsSigned() const
    {
        return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
    }
};

Integer FromSigned(std::int64_t value)
{
    Integer result;
    result.negative = value < 0;
    result.magnitude = value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    return result;
}

Integer FromUnsigned(std::uint64_t value)
{
    Integer result;
    result.magnitude = value;
    return result;
}

// Decimal text "-?[0-9]+" read whole; anything else is not an integer.
std::optional<Integer> ParseDecimal(const wchar_t* text, UINT length)
{
    constexpr UINT kMaxLength = 24;
    if (text == nullptr || length == 0 || length > kMaxLength)
        return std::nullopt;
    // Every 64-bit value a reader puts comes here: the digits are narrowed on the stack.
    std::array<char, kMaxLength> narrow;
    for (UINT i = 0; i < length; ++i)
    {
        const wchar_t c = text[i];
        if (!((c >= L'0' && c <= L'9') || (c == L'-' && i == 0)))
            return std::nullopt;
        narrow[i] = static_cast<char>(c);
    }
    Integer result;
    const char* begin = narrow.data();
    if (*begin == '-')
    {
        result.negative = true;
        ++begin;
    }
    const char* end = narrow.data() + length;
    const auto [stop, error] = std::from_chars(begin, end, result.magnitude);
    if (error != std::errc() || stop != end || begin == end)
        return std::nullopt;
    if (result.magnitude == 0)
        result.negative = false;
    return result;
}

std::optional<Integer> ReadInteger(const VARIANT& value)
{
    switch (value.vt)
    {
    case VT_I1:
        return FromSigned(value.cVal);
    case VT_I2:
        return FromSigned(value.iVal);
    case VT_I4:
        return FromSigned(value.lVal);
    case VT_INT:
        return FromSigned(value.intVal);
    case VT_I8:
        return FromSigned(value.llVal);
    case VT_UI1:
        return FromUnsigned(value.bVal);
    case VT_UI2:
        return FromUnsigned(value.uiVal);
    case VT_UI4:
        return FromUnsigned(value.ulVal);
    case VT_UINT:
        return FromUnsigned(value.uintVal);
    case VT_UI8:
        return FromUnsigned(value.ullVal);
    case VT_BSTR:
        return ParseDecimal(value.bstrVal, SysStringLen(value.bstrVal));
    default:
        return std::nullopt;
    }
}

std::optional<double> ReadReal(const VARIANT& value)
{
    if (value.vt == VT_R4)
        return static_cast<double>(value.fltVal);
    if (value.vt == VT_R8)
        return value.dblVal;
    if (value.vt == VT_BSTR)
        return std::nullopt;
    if (const auto integer = ReadInteger(value))
    {
        const double magnitude = static_cast<double>(integer->magnitude);
        return integer->negative ? -magnitude : magnitude;
    }
    return std::nullopt;
}

HRESULT SetText(VARIANT* result, const std::wstring& text)
{
    BSTR copy = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (copy == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    result->vt = VT_BSTR;
    result->bstrVal = copy;
    return WBEM_S_NO_ERROR;
}

std::wstring DecimalText(const Integer& value)
{
    std::wstring text = std::to_wstring(value.magnitude);
    return value.negative ? L"-" + text : text;
}

bool IsDmtfBstr(BSTR text)
{
    return CimValue::IsDmtfText(std::wstring_view(text == nullptr ? L"" : text, SysStringLen(text)));
}

// The value of a 64-bit property of `type` (CIM_SINT64 or CIM_UINT64); nullopt when the value
// is no integer or does not fit.
std::optional<Integer> Read64(CIMTYPE type, const VARIANT& value)
{
    const auto integer = ReadInteger(value);
    if (!integer || (type == CIM_SINT64 ? !integer->FitsSigned(INT64_MIN, INT64_MAX) : integer->negative))
        return std::nullopt;
    return integer;
}

// True when a 64-bit property of `type` holds this text as it stands: what CoerceScalar makes of
// it (DecimalText) is the same text, without a leading zero or a "-0".
bool IsHeld64Text(CIMTYPE type, const VARIANT& value)
{
    if (!Read64(type, value))
        return false;
    const std::size_t digits = value.bstrVal[0] == L'-' ? 1 : 0;
    return value.bstrVal[digits] != L'0' || SysStringLen(value.bstrVal) == 1;
}

// Converts one non-null scalar into the form of the element type `type`.
HRESULT CoerceScalar(CIMTYPE type, const VARIANT& value, VARIANT* result)
{
    switch (type)
    {
    case CIM_SINT8:
    case CIM_SINT16:
    case CIM_UINT8:
    case CIM_UINT16:
    case CIM_SINT32:
    case CIM_UINT32:
    case CIM_CHAR16: {
        // sint32 is held in VT_I4, and uint32 travels in it: a VT_I4 value is taken bit for bit.
        if ((type == CIM_SINT32 || type == CIM_UINT32) && value.vt == VT_I4)
        {
            result->vt = VT_I4;
            result->lVal = value.lVal;
            return WBEM_S_NO_ERROR;
        }
        const auto integer = ReadInteger(value);
        std::int64_t low = 0;
        std::int64_t high = 0;
        if (!integer || !CimValue::IntegerRange(type, &low, &high) || !integer->FitsSigned(low, high))
            return WBEM_E_TYPE_MISMATCH;
        const std::int64_t number = integer->AsSigned();
        result->vt = CimValue::VarTypeOf(type);
        if (result->vt == VT_UI1)
            result->bVal = static_cast<BYTE>(number);
        else if (result->vt == VT_I2)
            result->iVal = static_cast<SHORT>(static_cast<USHORT>(number));
        else
            result->lVal = static_cast<LONG>(static_cast<std::uint32_t>(number));
        return WBEM_S_NO_ERROR;
    }
    case CIM_SINT64:
    case CIM_UINT64: {
        const auto integer = Read64(type, value);
        if (!integer)
            return WBEM_E_TYPE_MISMATCH;
        return SetText(result, DecimalText(*integer));
    }
    case CIM_REAL32:
    case CIM_REAL64: {
        const auto real = ReadReal(value);
        if (!real)
            return WBEM_E_TYPE_MISMATCH;
        if (type == CIM_REAL64)
        {
            result->vt = VT_R8;
            result->dblVal = *real;
            return WBEM_S_NO_ERROR;
        }
        if (std::isfinite(*real) && std::fabs(*real) > std::numeric_limits<float>::max())
            return WBEM_E_TYPE_MISMATCH;
        result->vt = VT_R4;
        result->fltVal = static_cast<float>(*real);
        return WBEM_S_NO_ERROR;
    }
    case CIM_BOOLEAN: {
        bool flag = false;
        if (value.vt == VT_BOOL)
            flag = value.boolVal != VARIANT_FALSE;
        else if (value.vt != VT_BSTR && ReadInteger(value))
            flag = ReadInteger(value)->magnitude != 0;
        else
            return WBEM_E_TYPE_MISMATCH;
        result->vt = VT_BOOL;
        result->boolVal = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return WBEM_S_NO_ERROR;
    }
    case CIM_STRING:
    case CIM_REFERENCE:
    case CIM_DATETIME: {
        if (value.vt != VT_BSTR)
            return WBEM_E_TYPE_MISMATCH;
        if (type == CIM_DATETIME && !IsDmtfBstr(value.bstrVal))
            return WBEM_E_TYPE_MISMATCH;
        // A null BSTR gives the empty text.
        BSTR copy = SysAllocStringLen(value.bstrVal, SysStringLen(value.bstrVal));
        if (copy == nullptr)
            return WBEM_E_OUT_OF_MEMORY;
        result->vt = VT_BSTR;
        result->bstrVal = copy;
        return WBEM_S_NO_ERROR;
    }
    case CIM_OBJECT: {
        if ((value.vt != VT_UNKNOWN && value.vt != VT_DISPATCH) || value.punkVal == nullptr)
            return WBEM_E_TYPE_MISMATCH;
        void* raw = nullptr;
        if (FAILED(value.punkVal->QueryInterface(IWbemClassObject::kIID, &raw)) || raw == nullptr)
            return WBEM_E_TYPE_MISMATCH;
        result->vt = VT_UNKNOWN;
        result->punkVal = static_cast<IWbemClassObject*>(raw);
        return WBEM_S_NO_ERROR;
    }
    default:
        return WBEM_E_TYPE_MISMATCH;
    }
}

// Reads element `index` of a one-dimensional array as a VARIANT the caller clears.
HRESULT ReadElement(SAFEARRAY* array, VARTYPE elementType, LONG index, VARIANT* element)
{
    VariantInit(element);
    if (elementType == VT_VARIANT)
        return SafeArrayGetElement(array, &index, element);
    const HRESULT hr = SafeArrayGetElement(array, &index, &element->llVal);
    if (SUCCEEDED(hr))
        element->vt = elementType;
    return hr;
}

HRESULT WriteElement(SAFEARRAY* array, LONG index, VARIANT& element)
{
    if (element.vt == VT_BSTR)
        return SafeArrayPutElement(array, &index, element.bstrVal);
    if (element.vt == VT_UNKNOWN)
        return SafeArrayPutElement(array, &index, element.punkVal);
    return SafeArrayPutElement(array, &index, &element.llVal);
}

struct ArrayShape
{
    SAFEARRAY* array = nullptr;
    VARTYPE elementType = VT_EMPTY;
    LONG lower = 0;
    LONG count = 0;
};

std::optional<ArrayShape> ShapeOf(const VARIANT& value)
{
    if ((value.vt & VT_ARRAY) == 0 || (value.vt & VT_BYREF) != 0 || value.parray == nullptr ||
        SafeArrayGetDim(value.parray) != 1)
        return std::nullopt;
    ArrayShape shape;
    shape.array = value.parray;
    LONG upper = 0;
    if (FAILED(SafeArrayGetVartype(shape.array, &shape.elementType)) ||
        FAILED(SafeArrayGetLBound(shape.array, 1, &shape.lower)) || FAILED(SafeArrayGetUBound(shape.array, 1, &upper)))
        return std::nullopt;
    shape.count = upper - shape.lower + 1;
    if (shape.count < 0)
        return std::nullopt;
    return shape;
}

// Applies `convert` (element in, fresh element out) to every element of a one-dimensional
// array into a new array of `targetElementType` with lower bound 0.
template <class Convert>
HRESULT MapArray(const ArrayShape& shape, VARTYPE targetElementType, VARIANT* result, Convert convert)
{
    SAFEARRAY* target = SafeArrayCreateVector(targetElementType, 0, static_cast<ULONG>(shape.count));
    if (target == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    for (LONG i = 0; i < shape.count; ++i)
    {
        VARIANT element;
        HRESULT hr = ReadElement(shape.array, shape.elementType, shape.lower + i, &element);
        VARIANT converted;
        VariantInit(&converted);
        if (SUCCEEDED(hr))
            hr = convert(element, &converted);
        if (SUCCEEDED(hr))
            hr = WriteElement(target, i, converted) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
        VariantClear(&element);
        VariantClear(&converted);
        if (FAILED(hr))
        {
            SafeArrayDestroy(target);
            return hr == E_OUTOFMEMORY ? WBEM_E_OUT_OF_MEMORY : hr;
        }
    }
    result->vt = static_cast<VARTYPE>(VT_ARRAY | targetElementType);
    result->parray = target;
    return WBEM_S_NO_ERROR;
}

// A MOF string literal. Line breaks and other control characters are escaped, so that a stored
// value can never end the literal's line and print as text of its own (a forged instance).
std::wstring Quoted(const std::wstring& text)
{
    std::wstring result = L"\"";
    for (const wchar_t c : text)
    {
        switch (c)
        {
        case L'"':
        case L'\\':
            result.push_back(L'\\');
            result.push_back(c);
            break;
        case L'\n':
            result += L"\\n";
            break;
        case L'\r':
            result += L"\\r";
            break;
        case L'\t':
            result += L"\\t";
            break;
        default:
            if ((c >= 0 && c < 0x20) || c == 0x7F || c == 0x2028 || c == 0x2029 || (c >= 0x80 && c < 0xA0))
            {
                wchar_t escape[8];
                std::swprintf(escape, 8, L"\\x%04X", static_cast<unsigned>(c));
                result += escape;
            }
            else
            {
                result.push_back(c);
            }
        }
    }
    result.push_back(L'"');
    return result;
}

std::wstring RealText(double value)
{
    char buffer[64];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof(buffer), value);
    if (error != std::errc())
        return L"0";
    return std::wstring(buffer, end);
}

std::wstring BstrText(BSTR text)
{
    return std::wstring(text == nullptr ? L"" : text, SysStringLen(text));
}

// One scalar as text; with mof set an embedded object is written out as its object text.
std::wstring ScalarText(CIMTYPE type, const VARIANT& value, bool mof)
{
    switch (value.vt)
    {
    case VT_EMPTY:
    case VT_NULL:
        return L"NULL";
    case VT_BOOL:
        return value.boolVal != VARIANT_FALSE ? L"TRUE" : L"FALSE";
    case VT_R4:
        return RealText(value.fltVal);
    case VT_R8:
        return RealText(value.dblVal);
    case VT_UI1:
        return std::to_wstring(value.bVal);
    case VT_I2:
        return type == CIM_CHAR16 ? std::to_wstring(static_cast<USHORT>(value.iVal)) : std::to_wstring(value.iVal);
    case VT_I4:
        return type == CIM_UINT32 ? std::to_wstring(static_cast<std::uint32_t>(value.lVal))
                                  : std::to_wstring(value.lVal);
    case VT_BSTR:
        if (type == CIM_SINT64 || type == CIM_UINT64)
            return BstrText(value.bstrVal);
        return Quoted(BstrText(value.bstrVal));
    case VT_UNKNOWN: {
        if (!mof || value.punkVal == nullptr)
            return L"NULL";
        ComPtr<IUnknown> unknown(value.punkVal);
        ComPtr<IWbemClassObject> object = unknown.As<IWbemClassObject>();
        BstrOwner text;
        if (object == nullptr || FAILED(object->GetObjectText(0, text.Receive())))
            return L"NULL";
        std::wstring result = text.Text();
        while (!result.empty() && (result.back() == L'\n' || result.back() == L';'))
            result.pop_back();
        return result;
    }
    default: {
        VARIANT copy;
        VariantInit(&copy);
        if (FAILED(VariantChangeType(&copy, &value, 0, VT_BSTR)))
            return L"NULL";
        std::wstring result = BstrText(copy.bstrVal);
        VariantClear(&copy);
        return result;
    }
    }
}
}  // namespace

bool CimValue::IsValidType(CIMTYPE type)
{
    const CIMTYPE element = type & ~CIM_FLAG_ARRAY;
    if (IsIntegerCimType(element))
    {
        return (type & ~(CIM_FLAG_ARRAY | 0xFFF)) == 0;
    }
    switch (element)
    {
    case CIM_REAL32:
    case CIM_REAL64:
    case CIM_BOOLEAN:
    case CIM_STRING:
    case CIM_DATETIME:
    case CIM_REFERENCE:
    case CIM_CHAR16:
    case CIM_OBJECT:
        return (type & ~(CIM_FLAG_ARRAY | 0xFFF)) == 0;
    default:
        return false;
    }
}

VARTYPE CimValue::VarTypeOf(CIMTYPE type)
{
    const VARTYPE arrayBit = (type & CIM_FLAG_ARRAY) != 0 ? VT_ARRAY : 0;
    VARTYPE element = VT_EMPTY;
    switch (type & ~CIM_FLAG_ARRAY)
    {
    case CIM_SINT8:
    case CIM_SINT16:
    case CIM_CHAR16:
        element = VT_I2;
        break;
    case CIM_UINT8:
        element = VT_UI1;
        break;
    case CIM_UINT16:
    case CIM_SINT32:
    case CIM_UINT32:
        element = VT_I4;
        break;
    case CIM_REAL32:
        element = VT_R4;
        break;
    case CIM_REAL64:
        element = VT_R8;
        break;
    case CIM_BOOLEAN:
        element = VT_BOOL;
        break;
    case CIM_SINT64:
    case CIM_UINT64:
    case CIM_STRING:
    case CIM_DATETIME:
    case CIM_REFERENCE:
        element = VT_BSTR;
        break;
    case CIM_OBJECT:
        element = VT_UNKNOWN;
        break;
    default:
        return VT_EMPTY;
    }
    return static_cast<VARTYPE>(arrayBit | element);
}

HRESULT CimValue::InferType(const VARIANT& value, CIMTYPE* type)
{
    const bool isArray = (value.vt & VT_ARRAY) != 0;
    CIMTYPE element = CIM_EMPTY;
    switch (value.vt & VT_TYPEMASK)
    {
    case VT_I1:
        element = CIM_SINT8;
        break;
    case VT_I2:
        element = CIM_SINT16;
        break;
    case VT_I4:
        element = CIM_SINT32;
        break;
    case VT_UI1:
        element = CIM_UINT8;
        break;
    case VT_R4:
        element = CIM_REAL32;
        break;
    case VT_R8:
        element = CIM_REAL64;
        break;
    case VT_BOOL:
        element = CIM_BOOLEAN;
        break;
    case VT_BSTR:
        element = CIM_STRING;
        break;
    case VT_UNKNOWN:
        element = CIM_OBJECT;
        break;
    default:
        return WBEM_E_TYPE_MISMATCH;
    }
    *type = isArray ? (element | CIM_FLAG_ARRAY) : element;
    return WBEM_S_NO_ERROR;
}

HRESULT CimValue::Coerce(CIMTYPE type, const VARIANT* value, VARIANT* result)
{
    if (!IsValidType(type))
        return WBEM_E_TYPE_MISMATCH;
    if (value == nullptr || IsNull(*value))
    {
        result->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    const CIMTYPE elementType = type & ~CIM_FLAG_ARRAY;
    if ((type & CIM_FLAG_ARRAY) == 0)
    {
        if ((value->vt & (VT_ARRAY | VT_BYREF)) != 0)
            return WBEM_E_TYPE_MISMATCH;
        return CoerceScalar(elementType, *value, result);
    }
    const auto shape = ShapeOf(*value);
    if (!shape)
        return WBEM_E_TYPE_MISMATCH;
    return MapArray(*shape, VarTypeOf(elementType), result, [elementType](const VARIANT& element, VARIANT* converted) {
        // An array holds values, never gaps.
        if (IsNull(element))
            return WBEM_E_TYPE_MISMATCH;
        return CoerceScalar(elementType, element, converted);
    });
}

HRESULT CimValue::CoerceTaking(CIMTYPE type, VARIANT* value, VARIANT* result)
{
    // A 32-bit integer for a 32-bit property is the most frequent put of all and is taken
    // bit for bit, as CoerceScalar would.
    if ((type == CIM_SINT32 || type == CIM_UINT32) && value != nullptr && value->vt == VT_I4)
    {
        result->vt = VT_I4;
        result->lVal = value->lVal;
        return WBEM_S_NO_ERROR;
    }
    // So is a boolean already in the form CoerceScalar gives it.
    if (type == CIM_BOOLEAN && value != nullptr && value->vt == VT_BOOL &&
        (value->boolVal == VARIANT_TRUE || value->boolVal == VARIANT_FALSE))
    {
        result->vt = VT_BOOL;
        result->boolVal = value->boolVal;
        return WBEM_S_NO_ERROR;
    }
    // A byte array already in the one form it is held in is taken whole: a binary value of
    // megabytes is not copied on its way into an object.
    LONG lower = -1;
    if (type == (CIM_UINT8 | CIM_FLAG_ARRAY) && value != nullptr && value->vt == (VT_ARRAY | VT_UI1) &&
        value->parray != nullptr && SafeArrayGetDim(value->parray) == 1 &&
        SUCCEEDED(SafeArrayGetLBound(value->parray, 1, &lower)) && lower == 0)
    {
        *result = *value;
        value->vt = VT_EMPTY;
        value->parray = nullptr;
        return WBEM_S_NO_ERROR;
    }
    const bool text = type == CIM_STRING || type == CIM_REFERENCE || type == CIM_DATETIME;
    const bool number64 = type == CIM_SINT64 || type == CIM_UINT64;
    if ((!text && !number64) || value == nullptr || value->vt != VT_BSTR || value->bstrVal == nullptr)
        return Coerce(type, value, result);
    if (type == CIM_DATETIME && !IsDmtfBstr(value->bstrVal))
        return WBEM_E_TYPE_MISMATCH;
    // A 64-bit number's text is taken when it is the very text the conversion would make.
    if (number64 && !IsHeld64Text(type, *value))
        return Coerce(type, value, result);
    *result = *value;
    value->vt = VT_EMPTY;
    value->bstrVal = nullptr;
    return WBEM_S_NO_ERROR;
}

bool CimValue::IsNull(const VARIANT& value)
{
    return value.vt == VT_EMPTY || value.vt == VT_NULL;
}

HRESULT CimValue::DeepCopy(const VARIANT& source, VARIANT* target)
{
    if (source.vt == VT_UNKNOWN && source.punkVal != nullptr)
    {
        ComPtr<IUnknown> unknown(source.punkVal);
        ComPtr<IWbemClassObject> object = unknown.As<IWbemClassObject>();
        if (object == nullptr)
            return VariantCopy(target, &source) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
        IWbemClassObject* copy = nullptr;
        const HRESULT hr = object->Clone(&copy);
        if (FAILED(hr))
            return hr;
        target->vt = VT_UNKNOWN;
        target->punkVal = copy;
        return WBEM_S_NO_ERROR;
    }
    if (source.vt == (VT_ARRAY | VT_UNKNOWN))
    {
        const auto shape = ShapeOf(source);
        if (!shape)
            return WBEM_E_TYPE_MISMATCH;
        return MapArray(*shape, VT_UNKNOWN, target,
                        [](const VARIANT& element, VARIANT* copy) { return DeepCopy(element, copy); });
    }
    return VariantCopy(target, &source) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
}

std::wstring CimValue::ToMofLiteral(CIMTYPE type, const VARIANT& value)
{
    std::wstring result;
    WriteMofLiteral(type, value, [&](std::wstring_view piece) { result += piece; });
    return result;
}

void CimValue::WriteMofLiteral(CIMTYPE type, const VARIANT& value, const TextSink& write)
{
    const CIMTYPE elementType = type & ~CIM_FLAG_ARRAY;
    if ((value.vt & VT_ARRAY) == 0)
    {
        write(ScalarText(elementType, value, true));
        return;
    }
    const auto shape = ShapeOf(value);
    if (!shape)
    {
        write(L"NULL");
        return;
    }
    void* data = nullptr;
    if (shape->elementType == VT_UI1 && SUCCEEDED(SafeArrayAccessData(shape->array, &data)))
    {
        // A byte array's numbers are written from its bytes, a piece at a time: no VARIANT or
        // text per byte, and never the whole text at once.
        const auto* bytes = static_cast<const unsigned char*>(data);
        std::array<wchar_t, 16 * 1024> piece{};
        std::size_t used = 0;
        piece[used++] = L'{';
        for (LONG i = 0; i < shape->count; ++i)
        {
            // Room for ", " and three digits.
            if (used + 5 > piece.size())
            {
                write(std::wstring_view(piece.data(), used));
                used = 0;
            }
            if (i > 0)
            {
                piece[used++] = L',';
                piece[used++] = L' ';
            }
            char digits[4];
            const char* end = std::to_chars(digits, digits + sizeof(digits), bytes[i]).ptr;
            for (const char* digit = digits; digit != end; ++digit)
                piece[used++] = static_cast<wchar_t>(*digit);
        }
        SafeArrayUnaccessData(shape->array);
        piece[used++] = L'}';
        write(std::wstring_view(piece.data(), used));
        return;
    }
    write(L"{");
    for (LONG i = 0; i < shape->count; ++i)
    {
        VARIANT element;
        if (FAILED(ReadElement(shape->array, shape->elementType, shape->lower + i, &element)))
            continue;
        if (i > 0)
            write(L", ");
        write(ScalarText(elementType, element, true));
        VariantClear(&element);
    }
    write(L"}");
}

std::wstring CimValue::ToKeyText(CIMTYPE type, const VARIANT& value)
{
    return ScalarText(type & ~CIM_FLAG_ARRAY, value, false);
}

std::wstring CimValue::TypeName(CIMTYPE type)
{
    switch (type & ~CIM_FLAG_ARRAY)
    {
    case CIM_SINT8:
        return L"sint8";
    case CIM_UINT8:
        return L"uint8";
    case CIM_SINT16:
        return L"sint16";
    case CIM_UINT16:
        return L"uint16";
    case CIM_SINT32:
        return L"sint32";
    case CIM_UINT32:
        return L"uint32";
    case CIM_SINT64:
        return L"sint64";
    case CIM_UINT64:
        return L"uint64";
    case CIM_REAL32:
        return L"real32";
    case CIM_REAL64:
        return L"real64";
    case CIM_BOOLEAN:
        return L"boolean";
    case CIM_STRING:
        return L"string";
    case CIM_DATETIME:
        return L"datetime";
    case CIM_REFERENCE:
        return L"ref";
    case CIM_CHAR16:
        return L"char16";
    case CIM_OBJECT:
        return L"object";
    default:
        return L"unknown";
    }
}

bool CimValue::IntegerRange(CIMTYPE type, std::int64_t* low, std::int64_t* high)
{
    switch (type)
    {
    case CIM_SINT8:
        *low = INT8_MIN;
        *high = INT8_MAX;
        return true;
    case CIM_UINT8:
        *low = 0;
        *high = UINT8_MAX;
        return true;
    case CIM_SINT16:
        *low = INT16_MIN;
        *high = INT16_MAX;
        return true;
    case CIM_UINT16:
    case CIM_CHAR16:
        *low = 0;
        *high = UINT16_MAX;
        return true;
    case CIM_SINT32:
        *low = INT32_MIN;
        *high = INT32_MAX;
        return true;
    case CIM_UINT32:
        *low = 0;
        *high = UINT32_MAX;
        return true;
    default:
        return false;
    }
}

bool CimValue::Equal(const VARIANT& left, const VARIANT& right, bool ignoreCase, LONG compareFlags)
{
    if (IsNull(left) || IsNull(right))
        return IsNull(left) && IsNull(right);
    if (left.vt != right.vt)
        return false;
    if ((left.vt & VT_ARRAY) != 0)
    {
        const auto a = ShapeOf(left);
        const auto b = ShapeOf(right);
        if (!a || !b || a->count != b->count)
            return false;
        for (LONG i = 0; i < a->count; ++i)
        {
            VARIANT x;
            VARIANT y;
            const bool read = SUCCEEDED(ReadElement(a->array, a->elementType, a->lower + i, &x)) &&
                              SUCCEEDED(ReadElement(b->array, b->elementType, b->lower + i, &y));
            const bool same = read && Equal(x, y, ignoreCase, compareFlags);
            VariantClear(&x);
            VariantClear(&y);
            if (!same)
                return false;
        }
        return true;
    }
    switch (left.vt)
    {
    case VT_BOOL:
        return (left.boolVal != VARIANT_FALSE) == (right.boolVal != VARIANT_FALSE);
    case VT_UI1:
        return left.bVal == right.bVal;
    case VT_I2:
        return left.iVal == right.iVal;
    case VT_I4:
        return left.lVal == right.lVal;
    case VT_R4:
        return left.fltVal == right.fltVal;
    case VT_R8:
        return left.dblVal == right.dblVal;
    case VT_BSTR: {
        const std::wstring a = BstrText(left.bstrVal);
        const std::wstring b = BstrText(right.bstrVal);
        return ignoreCase ? WbemName::Equal(a, b) : a == b;
    }
    case VT_UNKNOWN: {
        if (left.punkVal == right.punkVal)
            return true;
        if (left.punkVal == nullptr || right.punkVal == nullptr)
            return false;
        ComPtr<IUnknown> a(left.punkVal);
        ComPtr<IUnknown> b(right.punkVal);
        ComPtr<IWbemClassObject> objectA = a.As<IWbemClassObject>();
        ComPtr<IWbemClassObject> objectB = b.As<IWbemClassObject>();
        return objectA != nullptr && objectB != nullptr &&
               objectA->CompareTo(compareFlags, objectB.Get()) == WBEM_S_SAME;
    }
    default: {
        VARIANT a;
        VARIANT b;
        VariantInit(&a);
        VariantInit(&b);
        const bool same = SUCCEEDED(VariantChangeType(&a, &left, 0, VT_BSTR)) &&
                          SUCCEEDED(VariantChangeType(&b, &right, 0, VT_BSTR)) &&
                          BstrText(a.bstrVal) == BstrText(b.bstrVal);
        VariantClear(&a);
        VariantClear(&b);
        return same;
    }
    }
}

bool CimValue::IsDmtfText(std::wstring_view text)
{
    if (text.size() != 25 || text[14] != L'.')
        return false;
    const auto digitOrStar = [&text](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i)
        {
            if (!((text[i] >= L'0' && text[i] <= L'9') || text[i] == L'*'))
                return false;
        }
        return true;
    };
    if (!digitOrStar(0, 14) || !digitOrStar(15, 21))
        return false;
    if (text[21] == L':')
        return text.compare(22, 3, L"000") == 0;
    return (text[21] == L'+' || text[21] == L'-') && digitOrStar(22, 25);
}
