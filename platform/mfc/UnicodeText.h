// The string classes' names for the process's one Unicode codec (platform/win32/
// UnicodeConversion.h), so CString, its formatter and their callers convert exactly as the
// rest of the platform does. Pure functions; safe from any thread. See UnicodeConversion for
// how malformed input is replaced.
#pragma once

#include <string>
#include <string_view>

#include "platform/win32/UnicodeConversion.h"

namespace mfc_detail {

constexpr wchar_t kReplacementCharacter = UnicodeConversion::kReplacementCharacter;

inline std::wstring DecodeUtf8(std::string_view text)
{
    return UnicodeConversion::DecodeUtf8(text);
}
inline std::string EncodeUtf8(std::wstring_view text)
{
    return UnicodeConversion::EncodeUtf8(text);
}
inline std::wstring DecodeUtf16(std::u16string_view text)
{
    return UnicodeConversion::DecodeUtf16(text);
}
inline std::u16string EncodeUtf16(std::wstring_view text)
{
    return UnicodeConversion::EncodeUtf16(text);
}

}  // namespace mfc_detail
