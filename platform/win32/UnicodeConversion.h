// UnicodeConversion: the process's one codec between wide text (wchar_t, one code point each;
// 32 bits here) and the UTF-8 and UTF-16 encodings used at the edges (narrow text, files,
// byte layouts). The string classes, the registry files and the in-house conversions all call
// it, so the same bytes become the same text everywhere, malformed bytes included.
//
// Stateless; every function is pure and safe from any thread. Every decoder takes a view,
// never reads past it, and never fails: what is not Unicode becomes U+FFFD. No result is
// longer than four code units per input element, so nothing is allocated beyond the input's
// own size.
#pragma once

#include <string>
#include <string_view>

class UnicodeConversion
{
public:
    UnicodeConversion() = delete;

    static constexpr wchar_t kReplacementCharacter = 0xFFFD;

    // UTF-8 to wide text: one wchar_t per code point. Each maximal ill-formed part (a stray
    // continuation byte, a byte that never starts a sequence, or the valid beginning of a
    // sequence cut short) becomes one U+FFFD. Overlong forms, encoded surrogates and values
    // above U+10FFFF are ill-formed from the byte that makes them so.
    static std::wstring DecodeUtf8(std::string_view text);

    // Whether DecodeUtf8 finds no ill-formed part in the text: a text a client wrote and means
    // to get back is refused rather than stored as other characters.
    static bool IsWellFormedUtf8(std::string_view text);

    // Wide text to UTF-8. A high surrogate directly followed by a low surrogate (UTF-16 data
    // widened unit by unit) is joined into one character; any other surrogate and any value
    // above U+10FFFF (negative wchar_t included) becomes U+FFFD.
    static std::string EncodeUtf8(std::wstring_view text);

    // UTF-16 to wide text: a surrogate pair becomes one character, an unpaired surrogate U+FFFD.
    static std::wstring DecodeUtf16(std::u16string_view text);

    // Wide text to UTF-16: characters above U+FFFF become surrogate pairs, a pair already
    // split in the wide text passes through, and anything else that is not a Unicode scalar
    // value becomes U+FFFD.
    static std::u16string EncodeUtf16(std::wstring_view text);
};
