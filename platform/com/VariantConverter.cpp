#include "platform/com/VariantConverter.h"

#include "platform/com/SafeArray.h"
#include "platform/win32/Calendar.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <utility>

namespace {

// The DATE range: 0100-01-01 00:00:00 up to (not including) 10000-01-01.
constexpr double kMinDate = -657434.0;
constexpr double kMaxDateExclusive = 2958466.0;
using calendar::kSecondsPerDay;

bool IsPlainValueType(VARTYPE type)
{
    switch (type)
    {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I2:
    case VT_I4:
    case VT_R4:
    case VT_R8:
    case VT_DATE:
    case VT_BSTR:
    case VT_DISPATCH:
    case VT_ERROR:
    case VT_BOOL:
    case VT_UNKNOWN:
    case VT_I1:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
        return true;
    default:
        return false;
    }
}

// A value read as a number, before it is fitted to the target type.
struct Number
{
    enum class Kind
    {
        Signed,
        Unsigned,
        Real
    };
    Kind kind = Kind::Signed;
    std::int64_t signedValue = 0;
    std::uint64_t unsignedValue = 0;
    double realValue = 0.0;
    // VARIANT_TRUE: -1 as a signed number, all bits set in an unsigned one.
    bool isTrue = false;
};

Number SignedNumber(std::int64_t value)
{
    Number number;
    number.signedValue = value;
    return number;
}

Number UnsignedNumber(std::uint64_t value)
{
    Number number;
    number.kind = Number::Kind::Unsigned;
    number.unsignedValue = value;
    return number;
}

Number RealNumber(double value)
{
    Number number;
    number.kind = Number::Kind::Real;
    number.realValue = value;
    return number;
}

Number BoolNumber(VARIANT_BOOL value)
{
    Number number = SignedNumber(value != VARIANT_FALSE ? -1 : 0);
    number.isTrue = value != VARIANT_FALSE;
    return number;
}

double AsDouble(const Number& number)
{
    switch (number.kind)
    {
    case Number::Kind::Signed:
        return static_cast<double>(number.signedValue);
    case Number::Kind::Unsigned:
        return static_cast<double>(number.unsignedValue);
    case Number::Kind::Real:
        break;
    }
    return number.realValue;
}

bool IsNonZero(const Number& number)
{
    switch (number.kind)
    {
    case Number::Kind::Signed:
        return number.signedValue != 0;
    case Number::Kind::Unsigned:
        return number.unsignedValue != 0;
    case Number::Kind::Real:
        break;
    }
    return number.realValue != 0.0;
}

// Rounds half to even, as automation does when a fraction meets an integer type.
double RoundHalfEven(double value)
{
    const double floor = std::floor(value);
    const double rest = value - floor;
    if (rest > 0.5)
        return floor + 1.0;
    if (rest < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <class T>
HRESULT FitInteger(const Number& number, T& result)
{
    if constexpr (std::is_unsigned_v<T>)
    {
        if (number.isTrue)
        {
            result = std::numeric_limits<T>::max();
            return S_OK;
        }
    }
    switch (number.kind)
    {
    case Number::Kind::Signed:
        if (!std::in_range<T>(number.signedValue))
            return DISP_E_OVERFLOW;
        result = static_cast<T>(number.signedValue);
        return S_OK;
    case Number::Kind::Unsigned:
        if (!std::in_range<T>(number.unsignedValue))
            return DISP_E_OVERFLOW;
        result = static_cast<T>(number.unsignedValue);
        return S_OK;
    case Number::Kind::Real:
        break;
    }
    // Compared in double against the exact powers of two that bound T (NaN fails both tests).
    const double rounded = RoundHalfEven(number.realValue);
    const double high = std::ldexp(1.0, std::numeric_limits<T>::digits);
    const double low = std::is_signed_v<T> ? -high : 0.0;
    if (!(rounded >= low && rounded < high))
        return DISP_E_OVERFLOW;
    result = static_cast<T>(rounded);
    return S_OK;
}

std::wstring_view TrimBlanks(std::wstring_view text)
{
    const auto isBlank = [](wchar_t c) { return c == L' ' || c == L'\t'; };
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

bool EqualsIgnoreCase(std::wstring_view text, std::wstring_view lowerAscii)
{
    if (text.size() != lowerAscii.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        wchar_t c = text[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != lowerAscii[i])
            return false;
    }
    return true;
}

// Reads number text: [blanks][sign]digits[.digits][(e|E)[sign]digits][blanks], at least one
// mantissa digit. Plain integers stay exact up to 64 bits. S_OK, DISP_E_TYPEMISMATCH for text
// that is not a number, DISP_E_OVERFLOW for one beyond double.
HRESULT ParseNumber(std::wstring_view text, Number& result)
{
    text = TrimBlanks(text);
    std::string narrow;
    narrow.reserve(text.size());
    std::size_t i = 0;
    if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
    {
        if (text[i] == L'-')
            narrow.push_back('-');
        ++i;
    }
    std::size_t mantissaDigits = 0;
    bool isInteger = true;
    while (i < text.size() && IsDigit(text[i]))
    {
        narrow.push_back(static_cast<char>(text[i++]));
        ++mantissaDigits;
    }
    if (i < text.size() && text[i] == L'.')
    {
        isInteger = false;
        narrow.push_back('.');
        ++i;
        while (i < text.size() && IsDigit(text[i]))
        {
            narrow.push_back(static_cast<char>(text[i++]));
            ++mantissaDigits;
        }
    }
    if (mantissaDigits == 0)
        return DISP_E_TYPEMISMATCH;
    if (i < text.size() && (text[i] == L'e' || text[i] == L'E'))
    {
        isInteger = false;
        narrow.push_back('e');
        ++i;
        if (i < text.size() && (text[i] == L'+' || text[i] == L'-'))
            narrow.push_back(static_cast<char>(text[i++]));
        std::size_t exponentDigits = 0;
        while (i < text.size() && IsDigit(text[i]))
        {
            narrow.push_back(static_cast<char>(text[i++]));
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return DISP_E_TYPEMISMATCH;
    }
    if (i != text.size())
        return DISP_E_TYPEMISMATCH;

    const char* first = narrow.data();
    const char* last = narrow.data() + narrow.size();
    if (isInteger)
    {
        std::int64_t signedValue = 0;
        if (std::from_chars(first, last, signedValue).ec == std::errc())
        {
            result = SignedNumber(signedValue);
            return S_OK;
        }
        std::uint64_t unsignedValue = 0;
        if (narrow.front() != '-' && std::from_chars(first, last, unsignedValue).ec == std::errc())
        {
            result = UnsignedNumber(unsignedValue);
            return S_OK;
        }
    }
    double realValue = 0.0;
    const std::from_chars_result parsed = std::from_chars(first, last, realValue);
    if (parsed.ec == std::errc::result_out_of_range)
        return DISP_E_OVERFLOW;
    if (parsed.ec != std::errc() || parsed.ptr != last)
        return DISP_E_TYPEMISMATCH;
    result = RealNumber(realValue);
    return S_OK;
}

constexpr std::int64_t kDateEpochDays = calendar::DaysFromCivil(1899, 12, 30);

// Reads `count` digits at text[position]; false when any is not a digit.
bool ReadDigits(std::wstring_view text, std::size_t position, std::size_t count, unsigned& value)
{
    value = 0;
    for (std::size_t i = 0; i < count; ++i)
    {
        if (!IsDigit(text[position + i]))
            return false;
        value = value * 10 + static_cast<unsigned>(text[position + i] - L'0');
    }
    return true;
}

// Reads "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS" (surrounding blanks allowed) as a DATE; false
// for any other text or a day or time that does not exist.
bool ParseDateText(std::wstring_view text, DATE& result)
{
    text = TrimBlanks(text);
    if (text.size() != 10 && text.size() != 19)
        return false;
    unsigned year = 0;
    unsigned month = 0;
    unsigned day = 0;
    unsigned hour = 0;
    unsigned minute = 0;
    unsigned second = 0;
    if (!ReadDigits(text, 0, 4, year) || text[4] != L'-' || !ReadDigits(text, 5, 2, month) || text[7] != L'-' ||
        !ReadDigits(text, 8, 2, day))
        return false;
    if (text.size() == 19 && (text[10] != L' ' || !ReadDigits(text, 11, 2, hour) || text[13] != L':' ||
                              !ReadDigits(text, 14, 2, minute) || text[16] != L':' || !ReadDigits(text, 17, 2, second)))
        return false;
    if (year < 100 || !calendar::IsValidDate(year, static_cast<int>(month), static_cast<int>(day)) || hour > 23 ||
        minute > 59 || second > 59)
        return false;
    const auto days = static_cast<double>(
        calendar::DaysFromCivil(year, static_cast<int>(month), static_cast<int>(day)) - kDateEpochDays);
    const double time = static_cast<double>(hour * 3600 + minute * 60 + second) / kSecondsPerDay;
    // Before the epoch the day counts down while the time of day still counts up.
    result = days >= 0 ? days + time : days - time;
    return true;
}

std::wstring Widen(std::string_view text)
{
    return std::wstring(text.begin(), text.end());
}

// "YYYY-MM-DD HH:MM:SS", rounded to the nearest second; E_INVALIDARG outside the DATE range.
HRESULT FormatDate(DATE value, std::wstring& text)
{
    if (!(value >= kMinDate && value < kMaxDateExclusive))
        return E_INVALIDARG;
    const double wholeDays = std::trunc(value);
    auto days = static_cast<std::int64_t>(wholeDays);
    auto seconds = static_cast<std::int64_t>(std::llround(std::fabs(value - wholeDays) * kSecondsPerDay));
    if (seconds >= kSecondsPerDay)
    {
        seconds -= kSecondsPerDay;
        ++days;
    }
    const calendar::CivilDate date = calendar::CivilFromDays(days + kDateEpochDays);
    if (date.year > 9999)
        return E_INVALIDARG;
    char buffer[96];
    std::snprintf(buffer, sizeof(buffer), "%04lld-%02d-%02d %02lld:%02lld:%02lld", static_cast<long long>(date.year),
                  date.month, date.day, static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    text = Widen(buffer);
    return S_OK;
}

template <class T>
std::wstring IntegerText(T value)
{
    char buffer[24];
    const std::to_chars_result written = std::to_chars(buffer, buffer + sizeof(buffer), value);
    return Widen(std::string_view(buffer, static_cast<std::size_t>(written.ptr - buffer)));
}

// Real numbers as automation writes them: `digits` significant digits, no trailing zeros,
// exponent form for very large or small values.
std::wstring RealText(double value, int digits)
{
    if (value == 0.0)
        return L"0";
    char buffer[48];
    std::snprintf(buffer, sizeof(buffer), "%.*G", digits, value);
    return Widen(buffer);
}

HRESULT StoreText(const std::wstring& text, VARIANT& result)
{
    BSTR value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (value == nullptr)
        return E_OUTOFMEMORY;
    result.vt = VT_BSTR;
    result.bstrVal = value;
    return S_OK;
}

HRESULT ToText(const VARIANT& value, USHORT flags, VARIANT& result)
{
    std::wstring text;
    switch (value.vt)
    {
    case VT_EMPTY:
        break;
    case VT_I1:
        text = IntegerText(static_cast<int>(value.cVal));
        break;
    case VT_I2:
        text = IntegerText(value.iVal);
        break;
    case VT_I4:
        text = IntegerText(value.lVal);
        break;
    case VT_INT:
        text = IntegerText(value.intVal);
        break;
    case VT_I8:
        text = IntegerText(value.llVal);
        break;
    case VT_UI1:
        text = IntegerText(static_cast<unsigned>(value.bVal));
        break;
    case VT_UI2:
        text = IntegerText(value.uiVal);
        break;
    case VT_UI4:
        text = IntegerText(value.ulVal);
        break;
    case VT_UINT:
        text = IntegerText(value.uintVal);
        break;
    case VT_UI8:
        text = IntegerText(value.ullVal);
        break;
    case VT_R4:
        text = RealText(value.fltVal, 7);
        break;
    case VT_R8:
        text = RealText(value.dblVal, 15);
        break;
    case VT_BOOL:
        if ((flags & VARIANT_ALPHABOOL) != 0)
            text = value.boolVal != VARIANT_FALSE ? L"True" : L"False";
        else
            text = value.boolVal != VARIANT_FALSE ? L"-1" : L"0";
        break;
    case VT_DATE: {
        const HRESULT hr = FormatDate(value.date, text);
        if (FAILED(hr))
            return hr;
        break;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
    return StoreText(text, result);
}

std::wstring_view TextView(BSTR text)
{
    return text == nullptr ? std::wstring_view() : std::wstring_view(text, SysStringLen(text));
}

// Reads a scalar value as a number for a numeric, boolean or date target.
HRESULT ReadNumber(const VARIANT& value, VARTYPE target, Number& result)
{
    switch (value.vt)
    {
    case VT_EMPTY:
        result = SignedNumber(0);
        return S_OK;
    case VT_I1:
        result = SignedNumber(value.cVal);
        return S_OK;
    case VT_I2:
        result = SignedNumber(value.iVal);
        return S_OK;
    case VT_I4:
        result = SignedNumber(value.lVal);
        return S_OK;
    case VT_INT:
        result = SignedNumber(value.intVal);
        return S_OK;
    case VT_I8:
        result = SignedNumber(value.llVal);
        return S_OK;
    case VT_UI1:
        result = UnsignedNumber(value.bVal);
        return S_OK;
    case VT_UI2:
        result = UnsignedNumber(value.uiVal);
        return S_OK;
    case VT_UI4:
        result = UnsignedNumber(value.ulVal);
        return S_OK;
    case VT_UINT:
        result = UnsignedNumber(value.uintVal);
        return S_OK;
    case VT_UI8:
        result = UnsignedNumber(value.ullVal);
        return S_OK;
    case VT_R4:
        result = RealNumber(value.fltVal);
        return S_OK;
    case VT_R8:
        result = RealNumber(value.dblVal);
        return S_OK;
    case VT_DATE:
        result = RealNumber(value.date);
        return S_OK;
    case VT_BOOL:
        result = BoolNumber(value.boolVal);
        return S_OK;
    case VT_BSTR:
        break;
    default:
        return DISP_E_TYPEMISMATCH;
    }
    const std::wstring_view text = TextView(value.bstrVal);
    if (target == VT_BOOL)
    {
        const std::wstring_view word = TrimBlanks(text);
        if (EqualsIgnoreCase(word, L"true") || EqualsIgnoreCase(word, L"false"))
        {
            result = BoolNumber(EqualsIgnoreCase(word, L"true") ? VARIANT_TRUE : VARIANT_FALSE);
            return S_OK;
        }
    }
    if (target == VT_DATE)
    {
        DATE date = 0.0;
        if (!ParseDateText(text, date))
            return DISP_E_TYPEMISMATCH;
        result = RealNumber(date);
        return S_OK;
    }
    return ParseNumber(text, result);
}

template <class T, class Member>
HRESULT StoreInteger(const Number& number, VARTYPE type, VARIANT& result, Member VARIANT::*member)
{
    T value{};
    const HRESULT hr = FitInteger(number, value);
    if (FAILED(hr))
        return hr;
    result.vt = type;
    result.*member = static_cast<Member>(value);
    return S_OK;
}

HRESULT StoreNumber(const Number& number, VARTYPE type, VARIANT& result)
{
    switch (type)
    {
    case VT_I1:
        return StoreInteger<std::int8_t>(number, type, result, &VARIANT::cVal);
    case VT_I2:
        return StoreInteger<std::int16_t>(number, type, result, &VARIANT::iVal);
    case VT_I4:
        return StoreInteger<std::int32_t>(number, type, result, &VARIANT::lVal);
    case VT_INT:
        return StoreInteger<std::int32_t>(number, type, result, &VARIANT::intVal);
    case VT_I8:
        return StoreInteger<std::int64_t>(number, type, result, &VARIANT::llVal);
    case VT_UI1:
        return StoreInteger<std::uint8_t>(number, type, result, &VARIANT::bVal);
    case VT_UI2:
        return StoreInteger<std::uint16_t>(number, type, result, &VARIANT::uiVal);
    case VT_UI4:
        return StoreInteger<std::uint32_t>(number, type, result, &VARIANT::ulVal);
    case VT_UINT:
        return StoreInteger<std::uint32_t>(number, type, result, &VARIANT::uintVal);
    case VT_UI8:
        return StoreInteger<std::uint64_t>(number, type, result, &VARIANT::ullVal);
    case VT_R4: {
        const double value = AsDouble(number);
        if (std::fabs(value) > FLT_MAX)
            return DISP_E_OVERFLOW;
        result.vt = VT_R4;
        result.fltVal = static_cast<float>(value);
        return S_OK;
    }
    case VT_R8:
        result.vt = VT_R8;
        result.dblVal = AsDouble(number);
        return S_OK;
    case VT_DATE: {
        const double value = AsDouble(number);
        if (!(value >= kMinDate && value < kMaxDateExclusive))
            return DISP_E_OVERFLOW;
        result.vt = VT_DATE;
        result.date = value;
        return S_OK;
    }
    case VT_BOOL:
        result.vt = VT_BOOL;
        result.boolVal = IsNonZero(number) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

// A non-owning view of the value a VT_BYREF variant points at; other variants are viewed as
// they stand.
HRESULT Dereference(const VARIANT& source, VARIANT& view)
{
    view = source;
    if ((source.vt & VT_BYREF) == 0)
        return S_OK;
    if (source.byref == nullptr)
        return E_INVALIDARG;
    const auto type = static_cast<VARTYPE>(source.vt & ~VT_BYREF);
    if (type == VT_VARIANT)
    {
        const VARIANT& inner = *source.pvarVal;
        if ((inner.vt & VT_BYREF) != 0 || !VariantConverter::IsValidVariantType(inner.vt))
            return DISP_E_BADVARTYPE;
        view = inner;
        return S_OK;
    }
    view.vt = type;
    view.llVal = 0;
    if ((type & VT_ARRAY) != 0)
    {
        view.parray = *source.pparray;
        return S_OK;
    }
    switch (type)
    {
    case VT_I1:
        view.cVal = *source.pcVal;
        break;
    case VT_I2:
        view.iVal = *source.piVal;
        break;
    case VT_I4:
        view.lVal = *source.plVal;
        break;
    case VT_INT:
        view.intVal = *source.pintVal;
        break;
    case VT_I8:
        view.llVal = *source.pllVal;
        break;
    case VT_UI1:
        view.bVal = *source.pbVal;
        break;
    case VT_UI2:
        view.uiVal = *source.puiVal;
        break;
    case VT_UI4:
        view.ulVal = *source.pulVal;
        break;
    case VT_UINT:
        view.uintVal = *source.puintVal;
        break;
    case VT_UI8:
        view.ullVal = *source.pullVal;
        break;
    case VT_R4:
        view.fltVal = *source.pfltVal;
        break;
    case VT_R8:
        view.dblVal = *source.pdblVal;
        break;
    case VT_DATE:
        view.date = *source.pdate;
        break;
    case VT_BOOL:
        view.boolVal = *source.pboolVal;
        break;
    case VT_ERROR:
        view.scode = *source.pscode;
        break;
    case VT_BSTR:
        view.bstrVal = *source.pbstrVal;
        break;
    case VT_UNKNOWN:
    case VT_DISPATCH:
        view.punkVal = *source.ppunkVal;
        break;
    default:
        return DISP_E_BADVARTYPE;
    }
    return S_OK;
}

// A dispatch value as a plain IUnknown (a null pointer stays null).
HRESULT ToUnknown(const VARIANT& value, VARIANT& result)
{
    IUnknown* object = nullptr;
    if (value.punkVal != nullptr)
    {
        void* raw = nullptr;
        if (FAILED(value.punkVal->QueryInterface(IID_IUnknown, &raw)) || raw == nullptr)
            return DISP_E_TYPEMISMATCH;
        object = static_cast<IUnknown*>(raw);
    }
    result.vt = VT_UNKNOWN;
    result.punkVal = object;
    return S_OK;
}

}  // namespace

bool VariantConverter::IsValidVariantType(VARTYPE type)
{
    const auto base = static_cast<VARTYPE>(type & ~VT_BYREF);
    if ((base & VT_ARRAY) != 0)
        return SafeArrayElementSize(static_cast<VARTYPE>(base & ~VT_ARRAY)) != 0;
    if ((type & VT_BYREF) != 0)
        return base == VT_VARIANT || (IsPlainValueType(base) && base != VT_EMPTY && base != VT_NULL);
    return IsPlainValueType(base);
}

HRESULT VariantConverter::Convert(const VARIANT& source, VARTYPE type, USHORT flags, VARIANT& result)
{
    if (!IsValidVariantType(source.vt) || (type & VT_BYREF) != 0 || !IsValidVariantType(type))
        return DISP_E_BADVARTYPE;
    VARIANT value;
    const HRESULT hr = Dereference(source, value);
    if (FAILED(hr))
        return hr;
    if (value.vt == type)
        return VariantCopy(&result, &value);
    if ((value.vt & VT_ARRAY) != 0 || (type & VT_ARRAY) != 0 || value.vt == VT_NULL)
        return DISP_E_TYPEMISMATCH;
    switch (type)
    {
    case VT_NULL:
        if (value.vt != VT_EMPTY)
            return DISP_E_TYPEMISMATCH;
        result.vt = VT_NULL;
        return S_OK;
    case VT_EMPTY:
        result.vt = VT_EMPTY;
        return S_OK;
    case VT_BSTR:
        return ToText(value, flags, result);
    case VT_UNKNOWN:
        return value.vt == VT_DISPATCH ? ToUnknown(value, result) : DISP_E_TYPEMISMATCH;
    case VT_DISPATCH:
    case VT_ERROR:
        return DISP_E_TYPEMISMATCH;
    default:
        break;
    }
    Number number;
    const HRESULT read = ReadNumber(value, type, number);
    if (FAILED(read))
        return read;
    return StoreNumber(number, type, result);
}
