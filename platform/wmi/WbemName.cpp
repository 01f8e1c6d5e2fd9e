#include "platform/wmi/WbemName.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>

wchar_t WbemName::UpperNonAscii(wchar_t c)
{
    return static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
}

bool WbemName::Equal(std::wstring_view left, std::wstring_view right)
{
    if (left.size() != right.size())
        return false;
    // Callers mostly spell a name as it was defined.
    if (left == right)
        return true;
    return std::equal(left.begin(), left.end(), right.begin(),
                      [](wchar_t a, wchar_t b) { return UpperChar(a) == UpperChar(b); });
}

bool WbemName::Less(std::wstring_view left, std::wstring_view right)
{
    return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                        [](wchar_t a, wchar_t b) { return UpperChar(a) < UpperChar(b); });
}

std::wstring WbemName::Upper(std::wstring_view name)
{
    std::wstring result(name);
    std::transform(result.begin(), result.end(), result.begin(), UpperChar);
    return result;
}

std::size_t WbemName::Hash(std::wstring_view name)
{
    // FNV-1a over the upper-cased characters.
    std::uint64_t hash = 14695981039346656037ull;
    for (const wchar_t c : name)
    {
        hash ^= static_cast<std::uint32_t>(UpperChar(c));
        hash *= 1099511628211ull;
    }
    return static_cast<std::size_t>(hash);
}

bool WbemName::IsSystemName(std::wstring_view name)
{
    return name.size() >= 2 && name[0] == L'_' && name[1] == L'_';
}

bool WbemName::IsValidIdentifier(std::wstring_view name)
{
    if (name.empty() || name.size() > kMaxNameLength)
        return false;
    const auto isWordChar = [](wchar_t c) { return c == L'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0; };
    if (std::iswdigit(static_cast<std::wint_t>(name[0])) != 0)
        return false;
    return std::all_of(name.begin(), name.end(), isWordChar);
}

std::wstring_view WbemName::View(LPCWSTR name)
{
    return name == nullptr ? std::wstring_view() : std::wstring_view(name);
}
