#include "platform/com/Bstr.h"

#include "platform/com/Unknown.h"

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace {

// The byte length sits in a UINT just before the characters.
constexpr std::size_t kPrefixSize = sizeof(UINT);
static_assert(alignof(OLECHAR) <= kPrefixSize, "characters must stay aligned after the prefix");

std::byte* BlockOf(BSTR text)
{
    return reinterpret_cast<std::byte*>(text) - kPrefixSize;
}

}  // namespace

BSTR SysAllocString(LPCOLESTR text)
{
    if (text == nullptr)
        return nullptr;
    const std::size_t length = std::wcslen(text);
    if (length > kMaxBstrLength)
        return nullptr;
    return SysAllocStringLen(text, static_cast<UINT>(length));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length)
{
    if (length > kMaxBstrLength)
        return nullptr;
    const std::size_t textBytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    auto* block = static_cast<std::byte*>(CoTaskMemAlloc(kPrefixSize + textBytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return nullptr;
    const UINT byteLength = static_cast<UINT>(textBytes);
    std::memcpy(block, &byteLength, kPrefixSize);
    auto* characters = reinterpret_cast<OLECHAR*>(block + kPrefixSize);
    // Without a source the text is zeroed rather than left as stale heap bytes.
    if (text != nullptr)
        std::memcpy(characters, text, textBytes);
    else
        std::memset(characters, 0, textBytes);
    characters[length] = L'\0';
    return characters;
}

UINT SysStringByteLen(BSTR text)
{
    if (text == nullptr)
        return 0;
    UINT byteLength = 0;
    std::memcpy(&byteLength, BlockOf(text), kPrefixSize);
    return byteLength;
}

UINT SysStringLen(BSTR text)
{
    return SysStringByteLen(text) / sizeof(OLECHAR);
}

INT SysReAllocString(BSTR* target, LPCOLESTR text)
{
    if (target == nullptr)
        return FALSE;
    BSTR replacement = nullptr;
    if (text != nullptr)
    {
        replacement = SysAllocString(text);
        if (replacement == nullptr)
            return FALSE;
    }
    SysFreeString(*target);
    *target = replacement;
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text != nullptr)
        CoTaskMemFree(BlockOf(text));
}
