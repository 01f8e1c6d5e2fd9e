// Security identifiers: the binary SID layout and its "S-1-..." text form.
//
// Binary layout (as on Windows): revision (1 byte, always 1), sub-authority count (1 byte,
// at most 15), identifier authority (6 bytes, big-endian), then the sub-authorities (4 bytes
// each, little-endian). `SidCodec` converts between the two forms; it is stateless and
// thread-safe. The Win32 functions below hand out LocalAlloc blocks that the caller releases
// with LocalFree.
#pragma once

#include "platform/win32/WinTypes.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

using PSID = void*;

constexpr BYTE SID_REVISION = 1;
constexpr BYTE SID_MAX_SUB_AUTHORITIES = 15;

class SidCodec
{
public:
    static constexpr std::size_t kHeaderBytes = 8;
    static constexpr std::size_t kMaxBytes = kHeaderBytes + 4 * SID_MAX_SUB_AUTHORITIES;

    // The length of the SID that starts the bytes, or nothing when the bytes do not start
    // with a valid SID (short header, revision other than 1, more than 15 sub-authorities,
    // or fewer bytes than the header promises). Bytes after the SID are allowed.
    static std::optional<std::size_t> Length(std::span<const BYTE> bytes);

    // "S-1-<authority>-<sub>-..." for a valid SID; nothing otherwise. An authority of 2^32 or
    // more is written as 0x and 12 hexadecimal digits, as Windows writes it.
    static std::optional<std::wstring> ToText(std::span<const BYTE> bytes);

    // The binary SID for a text in exactly that form ("S" or "s", revision 1, a decimal or 0x
    // hexadecimal 48-bit authority, 0 to 15 decimal 32-bit sub-authorities, nothing else);
    // nothing for any other text.
    static std::optional<std::vector<BYTE>> FromText(std::wstring_view text);
};

// Writes the text form of the SID to a new LocalAlloc block in *text. The pointer form
// trusts the SID's own header for its length, as Windows does; the span form also checks the
// SID against the length of the buffer. TRUE on success; FALSE with ERROR_INVALID_SID for an
// invalid SID, ERROR_INVALID_PARAMETER for a null argument. *text is null on failure.
BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text);
BOOL ConvertSidToStringSidW(std::span<const BYTE> sid, LPWSTR* text);

// Writes the binary SID for the text to a new LocalAlloc block in *sid. TRUE on success;
// FALSE with ERROR_INVALID_SID for a text that is not a SID, ERROR_INVALID_PARAMETER for a
// null argument. *sid is null on failure.
BOOL ConvertStringSidToSidW(LPCWSTR text, PSID* sid);
