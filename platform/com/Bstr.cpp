#include "platform/com/Bstr.h"

#include "platform/com/Unknown.h"

#include <cstddef>
#include <cstring>
#include <cwchar>
#include <functional>

namespace {

// The byte length sits in a UINT just before the characters.
constexpr std::size_t kPrefixSize = sizeof(UINT);
static_assert(alignof(OLECHAR) <= kPrefixSize, "characters must stay aligned after the prefix");

std::byte* BlockOf(BSTR text)
{
    return reinterpret_cast<std::byte*>(text) - kPrefixSize;
}

// Writes the prefix, the text and the terminating NUL into a block of the right size: the BSTR.
BSTR Fill(std::byte* block, const OLECHAR* text, UINT length)
{
    const std::size_t textBytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
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
    return Fill(block, text, length);
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

INT SysReAllocStringLen(BSTR* target, const OLECHAR* text, UINT length)
{
    if (target == nullptr || length > kMaxBstrLength)
        return FALSE;
    const std::size_t textBytes = static_cast<std::size_t>(length) * sizeof(OLECHAR);
    const std::less<const OLECHAR*> before;
    const bool fromItself = *target != nullptr && text != nullptr && !before(text, *target) &&
                            !before(*target + SysStringLen(*target), text);
    if (*target == nullptr || fromItself)
    {
        // A text inside the old value must be copied before the old block can move.
        BSTR replacement = SysAllocStringLen(text, length);
        if (replacement == nullptr)
            return FALSE;
        SysFreeString(*target);
        *target = replacement;
        return TRUE;
    }
    auto* block =
        static_cast<std::byte*>(CoTaskMemRealloc(BlockOf(*target), kPrefixSize + textBytes + sizeof(OLECHAR)));
    if (block == nullptr)
        return FALSE;
    *target = Fill(block, text, length);
    return TRUE;
}

void SysFreeString(BSTR text)
{
    if (text != nullptr)
        CoTaskMemFree(BlockOf(text));
}
