// BSTR: the length-prefixed wide text of OLE automation.
//
// A BSTR points at the first character; the text's byte length sits in a UINT just in front of
// it and a terminating NUL just after it, so a BSTR may hold embedded NULs and still be passed
// where a C string is expected. The caller that allocates a BSTR owns it and frees it with
// SysFreeString. A null BSTR is a valid value and stands for the empty text. The functions
// keep no shared state and are safe on any thread (a single BSTR is not).
#pragma once

#include "platform/win32/WinTypes.h"

using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;

// The longest BSTR in characters: its byte length fits a positive 32-bit INT, as on Windows.
constexpr UINT kMaxBstrLength = (0x7FFFFFFFu - 16u) / sizeof(OLECHAR);

// A new BSTR holding a copy of the NUL-terminated text; null for null text or when memory is
// short (or the text is longer than kMaxBstrLength).
BSTR SysAllocString(LPCOLESTR text);

// A new BSTR of exactly `length` characters copied from `text` (which may contain NULs); with
// null text the characters are zero. Null when length exceeds kMaxBstrLength or memory is short.
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);

// The length in characters, embedded NULs included; 0 for a null BSTR.
UINT SysStringLen(BSTR text);

// The length in bytes (characters times sizeof(OLECHAR)); 0 for a null BSTR.
UINT SysStringByteLen(BSTR text);

// Replaces *target with a new copy of `text` (which may point into *target) and frees the old
// value. TRUE on success (null text leaves *target null); FALSE with *target unchanged when
// target is null or memory is short.
INT SysReAllocString(BSTR* target, LPCOLESTR text);

// Makes *target hold exactly `length` characters copied from `text` (zeros for null text),
// resizing its block where it can rather than allocating another. TRUE on success; FALSE with
// *target unchanged when target is null, length exceeds kMaxBstrLength or memory is short.
INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length);

// Frees a BSTR; null is ignored.
void SysFreeString(BSTR text);
