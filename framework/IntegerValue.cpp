#include "framework/IntegerValue.h"

#include "platform/mfc/CString.h"

#include <cstdint>
#include <cwctype>
#include <limits>
#include <string>

namespace {

constexpr auto kMaxSigned = static_cast<std::uint64_t>(std::numeric_limits<LONGLONG>::max());

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Adds one digit to the magnitude; false when the result would not fit 64 bits.
bool AddDigit(std::uint64_t& magnitude, wchar_t digit)
{
    const auto value = static_cast<std::uint64_t>(digit - L'0');
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - value) / 10)
        return false;
    magnitude = magnitude * 10 + value;
    return true;
}

std::optional<LONGLONG> FromExactText(std::wstring_view text, bool unsignedRange)
{
    const bool negative = !text.empty() && text.front() == L'-';
    if (negative)
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    std::uint64_t magnitude = 0;
    for (const wchar_t c : text)
    {
        if (!IsDigit(c) || !AddDigit(magnitude, c))
            return std::nullopt;
    }
    if (negative)
    {
        if (magnitude > kMaxSigned + 1)
            return std::nullopt;
        return static_cast<LONGLONG>(0 - magnitude);
    }
    if (!unsignedRange && magnitude > kMaxSigned)
        return std::nullopt;
    return static_cast<LONGLONG>(magnitude);
}

LONGLONG FromLeadingText(std::wstring_view text)
{
    std::size_t i = 0;
    while (i < text.size() && std::iswspace(static_cast<wint_t>(text[i])))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
    {
        negative = text[i] == L'-';
        ++i;
    }
    std::uint64_t magnitude = 0;
    bool overflow = false;
    for (; i < text.size() && IsDigit(text[i]) && !overflow; ++i)
        overflow = !AddDigit(magnitude, text[i]);
    if (negative)
    {
        return overflow || magnitude > kMaxSigned + 1 ? std::numeric_limits<LONGLONG>::min()
                                                      : static_cast<LONGLONG>(0 - magnitude);
    }
    return overflow || magnitude > kMaxSigned ? std::numeric_limits<LONGLONG>::max() : static_cast<LONGLONG>(magnitude);
}

}  // namespace

std::optional<LONGLONG> IntegerValue::FromText(std::wstring_view text, TextRule rule, bool unsignedRange)
{
    switch (rule)
    {
    case TextRule::Exact:
        return FromExactText(text, unsignedRange);
    case TextRule::Trimmed: {
        CString trimmed(text.data(), static_cast<int>(text.size()));
        trimmed.Trim();
        return FromExactText(std::wstring_view(trimmed.GetString(), static_cast<std::size_t>(trimmed.GetLength())),
                             unsignedRange);
    }
    case TextRule::WmiDecimal: {
        const std::size_t sign = !text.empty() && text.front() == L'-' ? 1 : 0;
        if (text.size() - sign > kMaxWmiDigits)
            return std::nullopt;
        return FromExactText(text, unsignedRange);
    }
    case TextRule::Leading:
        return FromLeadingText(text);
    }
    return std::nullopt;
}

std::optional<LONGLONG> IntegerValue::FromVariant(const VARIANT& value, bool wide)
{
    switch (value.vt)
    {
    case VT_I1:
        return static_cast<signed char>(value.cVal);
    case VT_UI1:
        return value.bVal;
    case VT_I2:
        return value.iVal;
    case VT_UI2:
        return value.uiVal;
    case VT_BOOL:
        return value.boolVal;
    case VT_I4:
        return value.lVal;
    case VT_UI4:
        return value.ulVal;
    case VT_INT:
        return value.intVal;
    case VT_UINT:
        return value.uintVal;
    case VT_I8:
        return wide ? std::optional<LONGLONG>(value.llVal) : std::nullopt;
    case VT_UI8:
        return wide ? std::optional<LONGLONG>(static_cast<LONGLONG>(value.ullVal)) : std::nullopt;
    default:
        return std::nullopt;
    }
}
