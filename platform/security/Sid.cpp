#include "platform/security/Sid.h"

#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"

#include <charconv>
#include <cstring>

namespace {

constexpr std::size_t kAuthorityBytes = 6;
constexpr std::size_t kSubAuthorityBytes = 4;
constexpr std::uint64_t kMaxAuthority = (std::uint64_t{1} << 48) - 1;
constexpr std::uint64_t kDecimalAuthorityLimit = std::uint64_t{1} << 32;
constexpr std::size_t kAuthorityHexDigits = 12;

// ASCII text of a SID component; nothing when the text holds any other character.
std::optional<std::string> Narrow(std::wstring_view text)
{
    std::string narrow;
    narrow.reserve(text.size());
    for (const wchar_t c : text)
    {
        if (c <= 0 || c >= 0x80)
            return std::nullopt;
        narrow.push_back(static_cast<char>(c));
    }
    return narrow;
}

// An unsigned number that is the whole text and at most `limit`.
std::optional<std::uint64_t> ParseNumber(std::string_view text, int base, std::uint64_t limit)
{
    std::uint64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end || value > limit)
        return std::nullopt;
    return value;
}

std::optional<std::uint64_t> ParseAuthority(std::string_view text)
{
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
    {
        const std::string_view digits = text.substr(2);
        if (digits.size() > kAuthorityHexDigits)
            return std::nullopt;
        return ParseNumber(digits, 16, kMaxAuthority);
    }
    return ParseNumber(text, 10, kMaxAuthority);
}

std::wstring AuthorityText(std::uint64_t authority)
{
    if (authority < kDecimalAuthorityLimit)
        return std::to_wstring(authority);
    static constexpr wchar_t kHex[] = L"0123456789ABCDEF";
    std::wstring text = L"0x";
    for (int shift = 44; shift >= 0; shift -= 4)
        text.push_back(kHex[(authority >> shift) & 0xF]);
    return text;
}

// Copies the bytes into a new LocalAlloc block; null (last error set) when none was had.
HLOCAL CopyToLocal(const void* bytes, std::size_t count)
{
    HLOCAL block = LocalAlloc(LMEM_FIXED, count);
    if (block != nullptr)
        std::memcpy(block, bytes, count);
    return block;
}

BOOL FailWithError(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

}  // namespace

std::optional<std::size_t> SidCodec::Length(std::span<const BYTE> bytes)
{
    if (bytes.size() < kHeaderBytes || bytes[0] != SID_REVISION || bytes[1] > SID_MAX_SUB_AUTHORITIES)
        return std::nullopt;
    const std::size_t length = kHeaderBytes + kSubAuthorityBytes * bytes[1];
    if (bytes.size() < length)
        return std::nullopt;
    return length;
}

std::optional<std::wstring> SidCodec::ToText(std::span<const BYTE> bytes)
{
    if (!Length(bytes))
        return std::nullopt;
    std::uint64_t authority = 0;
    for (std::size_t index = 0; index < kAuthorityBytes; ++index)
        authority = (authority << 8) | bytes[2 + index];
    std::wstring text = L"S-1-" + AuthorityText(authority);
    for (std::size_t sub = 0; sub < bytes[1]; ++sub)
    {
        const std::size_t at = kHeaderBytes + kSubAuthorityBytes * sub;
        const std::uint32_t value = std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
                                    (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24);
        text += L'-';
        text += std::to_wstring(value);
    }
    return text;
}

std::optional<std::vector<BYTE>> SidCodec::FromText(std::wstring_view text)
{
    const std::optional<std::string> narrow = Narrow(text);
    if (!narrow || narrow->size() < 4 || ((*narrow)[0] != 'S' && (*narrow)[0] != 's') ||
        narrow->compare(1, 3, "-1-") != 0)
        return std::nullopt;

    std::vector<std::string_view> parts;
    std::string_view rest = std::string_view(*narrow).substr(4);
    for (;;)
    {
        // One authority plus at most 15 sub-authorities; stop before splitting any further.
        if (parts.size() > SID_MAX_SUB_AUTHORITIES)
            return std::nullopt;
        const std::size_t dash = rest.find('-');
        parts.push_back(rest.substr(0, dash));
        if (dash == std::string_view::npos)
            break;
        rest.remove_prefix(dash + 1);
    }

    const std::optional<std::uint64_t> authority = ParseAuthority(parts[0]);
    if (!authority)
        return std::nullopt;
    std::vector<BYTE> sid;
    sid.reserve(kHeaderBytes + kSubAuthorityBytes * (parts.size() - 1));
    sid.push_back(SID_REVISION);
    sid.push_back(static_cast<BYTE>(parts.size() - 1));
    for (int shift = 40; shift >= 0; shift -= 8)
        sid.push_back(static_cast<BYTE>(*authority >> shift));
    for (std::size_t index = 1; index < parts.size(); ++index)
    {
        const std::optional<std::uint64_t> value = ParseNumber(parts[index], 10, 0xFFFFFFFFu);
        if (!value)
            return std::nullopt;
        for (int shift = 0; shift < 32; shift += 8)
            sid.push_back(static_cast<BYTE>(*value >> shift));
    }
    return sid;
}

BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text)
{
    if (sid == nullptr)
    {
        if (text != nullptr)
            *text = nullptr;
        return FailWithError(ERROR_INVALID_SID);
    }
    // The header says how long the SID is; read only that much beyond it.
    const auto* bytes = static_cast<const BYTE*>(sid);
    const std::size_t length = bytes[1] <= SID_MAX_SUB_AUTHORITIES
                                   ? SidCodec::kHeaderBytes + kSubAuthorityBytes * bytes[1]
                                   : SidCodec::kHeaderBytes;
    return ConvertSidToStringSidW(std::span<const BYTE>(bytes, length), text);
}

BOOL ConvertSidToStringSidW(std::span<const BYTE> sid, LPWSTR* text)
{
    if (text == nullptr)
        return FailWithError(ERROR_INVALID_PARAMETER);
    *text = nullptr;
    const std::optional<std::wstring> converted = SidCodec::ToText(sid);
    if (!converted)
        return FailWithError(ERROR_INVALID_SID);
    HLOCAL block = CopyToLocal(converted->c_str(), (converted->size() + 1) * sizeof(wchar_t));
    if (block == nullptr)
        return FALSE;
    *text = static_cast<LPWSTR>(block);
    return TRUE;
}

BOOL ConvertStringSidToSidW(LPCWSTR text, PSID* sid)
{
    if (sid == nullptr)
        return FailWithError(ERROR_INVALID_PARAMETER);
    *sid = nullptr;
    if (text == nullptr)
        return FailWithError(ERROR_INVALID_PARAMETER);
    const std::optional<std::vector<BYTE>> converted = SidCodec::FromText(text);
    if (!converted)
        return FailWithError(ERROR_INVALID_SID);
    HLOCAL block = CopyToLocal(converted->data(), converted->size());
    if (block == nullptr)
        return FALSE;
    *sid = block;
    return TRUE;
}
