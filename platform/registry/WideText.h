// Conversions and comparisons of the registry layer's wide text.
//
// Files are UTF-8 on disk; wide text is wchar_t (UTF-32 here). The conversions are the
// process's one codec (platform/win32/UnicodeConversion.h): malformed UTF-8 and wide values
// that are not Unicode scalar values become U+FFFD rather than failing, so a hostile byte
// never stops a read. Case-insensitive comparison upper-cases each character with the
// C library (ASCII letters in the default locale). Stateless; thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class WideText
{
public:
    static std::string ToUtf8(std::wstring_view text);
    static std::wstring FromUtf8(std::string_view bytes);
    // The lines of a UTF-8 file's content (a leading byte-order mark dropped), each without its
    // "\n" or "\r\n"; a last line without a line end is kept, an empty content has none.
    static std::vector<std::wstring> Lines(std::string_view bytes);
    static std::wstring Upper(std::wstring_view text);
    static bool EqualNoCase(std::wstring_view left, std::wstring_view right);
};
