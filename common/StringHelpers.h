// Small text helpers of the common support classes.
//
// Pure functions; safe from any thread.
#pragma once

#include <string_view>
#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

// Two upper-case hexadecimal digits per byte, in byte order ("0A1BFF"). Empty for a count of 0
// or less, or for null data.
CString BytesToHexString(const BYTE* data, int count);

// The bytes of text of two hexadecimal digits per byte, either case ("0a1BFF"), in text order;
// an empty text gives none. False for an odd length or any other character (bytes then holds
// no useful value).
bool HexStringToBytes(std::wstring_view text, std::vector<BYTE>& bytes);

// The pieces of a list separated by `separator`, each trimmed of white space; empty pieces are
// left out ("a; ;b" -> "a", "b").
std::vector<CString> SplitTrimmedList(const CString& list, wchar_t separator);
