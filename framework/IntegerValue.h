// IntegerValue: the one reader of integers, from integer VARIANTs and from decimal text. Every
// reader of an integer property, method argument or bus value comes here; the callers differ
// in the text they accept (a write's value, a bus map's text, WMI's decimal text of a 64-bit
// property), so the text rule is a parameter rather than a second parser.
//
// Static functions only; any thread.
#pragma once

#include "platform/com/Variant.h"
#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <optional>
#include <string_view>

class IntegerValue
{
public:
    IntegerValue() = delete;

    static constexpr std::size_t kMaxWmiDigits = 20;

    // How decimal text is read.
    enum class TextRule
    {
        // An optional '-' and decimal digits, nothing else (no blanks, no '+'); a value outside
        // the range is refused.
        Exact,
        // Exact, once the white space around the text is removed (as CString::Trim removes it).
        Trimmed,
        // WMI's decimal text of a 64-bit property: Exact with at most kMaxWmiDigits digits (the
        // most a 64-bit value needs), so that a padded text is refused before it is read.
        WmiDecimal,
        // As the run-time library's wide 64-bit conversion reads it: leading blanks, an optional
        // sign, the digits up to the first other character; 0 without digits; the largest or
        // smallest signed value on overflow. Never refuses.
        Leading,
    };

    // The text's integer under the rule. With unsignedRange (all rules but Leading) a
    // non-negative value may use the whole unsigned 64-bit range and keeps its bits above the
    // signed range. Empty when the text is not a number under the rule or is out of range.
    static std::optional<LONGLONG> FromText(std::wstring_view text, TextRule rule, bool unsignedRange = false);

    // The value of an integer VARIANT: VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT,
    // VT_UINT and VT_BOOL (-1 for true), unsigned kinds zero-extended; with wide also VT_I8 and
    // VT_UI8 (its bits kept). Empty for any other type, text included.
    static std::optional<LONGLONG> FromVariant(const VARIANT& value, bool wide = true);
};
