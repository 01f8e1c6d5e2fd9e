// One argument of CString::Format or CString::FormatMessage, captured with its type so that
// the formatter can check it against the specifier that consumes it.
//
// A small value that refers to the caller's text without copying it: it lives only for the
// length of one Format call, while the caller's arguments are alive. No state is shared.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

namespace mfc_detail {

struct FormatArgument
{
    enum class Kind
    {
        Signed,
        Unsigned,
        Floating,
        Wide,
        Narrow,
        Pointer
    };

    Kind kind = Kind::Signed;
    // Signed and Unsigned: the value's bits (sign-extended for Signed); Pointer: the address.
    std::uint64_t bits = 0;
    double floating = 0.0;
    std::wstring_view wide;
    std::string_view narrow;
    // A null text pointer (printed as "(null)").
    bool isNull = false;
};

template <typename>
inline constexpr bool kAlwaysFalse = false;

// Captures one argument. Integers, enumerations, floating-point numbers, wide and narrow text
// (pointers, arrays, std::wstring/std::string and their views, and any class that converts
// to const wchar_t*, such as CString) and other pointers are accepted; anything else is a
// compile-time error, so a class object never travels where text is expected.
template <typename T>
FormatArgument MakeFormatArgument(const T& value)
{
    using Plain = std::remove_cvref_t<T>;
    FormatArgument argument;
    if constexpr (std::is_enum_v<Plain>)
    {
        return MakeFormatArgument(static_cast<std::underlying_type_t<Plain>>(value));
    }
    else if constexpr (std::is_integral_v<Plain> && std::is_signed_v<Plain>)
    {
        argument.kind = FormatArgument::Kind::Signed;
        argument.bits = static_cast<std::uint64_t>(static_cast<std::int64_t>(value));
    }
    else if constexpr (std::is_integral_v<Plain>)
    {
        argument.kind = FormatArgument::Kind::Unsigned;
        argument.bits = static_cast<std::uint64_t>(value);
    }
    else if constexpr (std::is_floating_point_v<Plain>)
    {
        argument.kind = FormatArgument::Kind::Floating;
        argument.floating = static_cast<double>(value);
    }
    else if constexpr (std::is_same_v<Plain, std::wstring> || std::is_same_v<Plain, std::wstring_view>)
    {
        argument.kind = FormatArgument::Kind::Wide;
        argument.wide = value;
    }
    else if constexpr (std::is_same_v<Plain, std::string> || std::is_same_v<Plain, std::string_view>)
    {
        argument.kind = FormatArgument::Kind::Narrow;
        argument.narrow = value;
    }
    else if constexpr (std::is_convertible_v<const T&, const wchar_t*>)
    {
        const wchar_t* text = static_cast<const wchar_t*>(value);
        argument.kind = FormatArgument::Kind::Wide;
        argument.isNull = text == nullptr;
        argument.wide = text == nullptr ? std::wstring_view() : std::wstring_view(text);
    }
    else if constexpr (std::is_convertible_v<const T&, const char*> && !std::is_class_v<Plain>)
    {
        const char* text = value;
        argument.kind = FormatArgument::Kind::Narrow;
        argument.isNull = text == nullptr;
        argument.narrow = text == nullptr ? std::string_view() : std::string_view(text);
    }
    else if constexpr (std::is_pointer_v<Plain> || std::is_null_pointer_v<Plain>)
    {
        argument.kind = FormatArgument::Kind::Pointer;
        argument.bits = reinterpret_cast<std::uintptr_t>(static_cast<const volatile void*>(value));
    }
    else
    {
        static_assert(kAlwaysFalse<T>, "this type cannot be formatted: pass a number, a pointer or text");
    }
    return argument;
}

}  // namespace mfc_detail
