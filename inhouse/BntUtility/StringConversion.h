// Text conversions between the WMI side's wide text (CString, wchar_t) and the bus side's
// 8-bit std::string, which is UTF-8 throughout ("the ANSI code page" is UTF-8 here).
//
// Stateless free functions; safe to call from any thread. Malformed input never fails:
// each maximal ill-formed part of a UTF-8 text, and each unpaired surrogate, becomes U+FFFD,
// so hostile text can be converted and logged without loss of the rest.
#pragma once

#include <string>
#include <string_view>

#include "platform/mfc/CString.h"

namespace brontel::utility {

// UTF-8 text to wide text: one wchar_t per code point (wchar_t is 32 bits here).
std::wstring Utf8ToWide(std::string_view text);
// Wide text to UTF-8. A surrogate pair held in two wchar_t (UTF-16 data widened unit by
// unit) is joined into one code point; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view text);
// UTF-16 code units to UTF-8 and back, for the edges where a UTF-16 byte layout is fixed.
std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// UTF-8 text to a CString.
CString ConvertUtf8ToCString(const std::string& text);
// CString to UTF-8 text.
std::string ConvertCStringToUtf8(const CString& text);
// Wide text (UTF-16 data in wchar_t) to UTF-8; a null pointer gives empty text.
std::string ConvertUtf16ToUtf8(const std::wstring& text);
std::string ConvertUtf16ToUtf8(const wchar_t* text);
// The plain 8-bit conversions; the 8-bit code page is UTF-8, so they equal the two above.
CString ConvertToCString(const std::string& text);
std::string ConvertToStdString(const CString& text);

}  // namespace brontel::utility
