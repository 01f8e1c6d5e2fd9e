// WbemName: how WMI compares and checks the names of classes, properties, methods, qualifiers
// and context values.
//
// Names compare by their upper-cased characters: ASCII letters by the ASCII rule (the same in
// every locale), other characters by the C library's simple case mapping.
// Stateless; every function is safe on any thread.
#pragma once

#include "platform/win32/WinTypes.h"

#include <string>
#include <string_view>

class WbemName
{
public:
    WbemName() = delete;

    // True when both names are equal without regard to case.
    static bool Equal(std::wstring_view left, std::wstring_view right);
    // True when left orders before right without regard to case.
    static bool Less(std::wstring_view left, std::wstring_view right);
    // The name upper-cased, the form names are looked up by.
    static std::wstring Upper(std::wstring_view name);
    // One character upper-cased as Equal and Upper compare it.
    static wchar_t UpperChar(wchar_t c)
    {
        if (c < 0x80)
            return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - (L'a' - L'A')) : c;
        return UpperNonAscii(c);
    }
    // A hash of the name that is equal for names Equal finds equal.
    static std::size_t Hash(std::wstring_view name);
    // True for a name beginning with two underscores (a system property or system class).
    static bool IsSystemName(std::wstring_view name);
    // True for a name a caller may give a class, property or method: a letter or underscore
    // followed by letters, digits and underscores, at most kMaxNameLength characters.
    static bool IsValidIdentifier(std::wstring_view name);
    // The name as a view; an empty view for a null pointer.
    static std::wstring_view View(LPCWSTR name);

    // Longer names are refused: they come from outside and are kept per object.
    static constexpr std::size_t kMaxNameLength = 1024;

private:
    static wchar_t UpperNonAscii(wchar_t c);
};
