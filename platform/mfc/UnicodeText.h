// Conversions between the process's wide text (wchar_t holding code points) and the UTF-8 and
// UTF-16 encodings used at the edges (narrow text, byte layouts).
//
// Pure functions; safe from any thread. Every decoder takes a view, never reads past it and
// replaces malformed input with U+FFFD instead of failing.
#pragma once

#include <string>
#include <string_view>

namespace mfc_detail {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

// UTF-8 to wide text. An invalid or truncated sequence gives one U+FFFD for each maximal
// ill-formed part (overlong forms, surrogates and values above U+10FFFF are ill-formed).
std::wstring DecodeUtf8(std::string_view text);

// Wide text to UTF-8. A high surrogate directly followed by a low surrogate is taken as one
// character; any other surrogate or a value above U+10FFFF becomes U+FFFD.
std::string EncodeUtf8(std::wstring_view text);

// UTF-16 to wide text; surrogate pairs become one character, an unpaired surrogate U+FFFD.
std::wstring DecodeUtf16(std::u16string_view text);

// Wide text to UTF-16; characters above U+FFFF become surrogate pairs, a pair already split
// in the wide text passes through, and an unpaired surrogate or a value above U+10FFFF
// becomes U+FFFD.
std::u16string EncodeUtf16(std::wstring_view text);

} // namespace mfc_detail
