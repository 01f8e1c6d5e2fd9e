#include "platform/registry/EnvironmentStrings.h"

#include "platform/registry/WideText.h"
#include "platform/win32/SystemInfo.h"

#include <cstdlib>

std::wstring EnvironmentStrings::Expand(std::wstring_view text)
{
    std::wstring out;
    std::size_t at = 0;
    // Stops once past the limit, so hostile text cannot grow the result without bound.
    while (at < text.size() && out.size() <= kMaxChars)
    {
        const std::size_t open = text.find(L'%', at);
        if (open == std::wstring_view::npos)
        {
            out.append(text.substr(at));
            break;
        }
        out.append(text.substr(at, open - at));
        const std::size_t close = text.find(L'%', open + 1);
        if (close == std::wstring_view::npos)
        {
            out.append(text.substr(open));
            break;
        }
        const char* value = nullptr;
        if (close > open + 1)
            value = std::getenv(WideText::ToUtf8(text.substr(open + 1, close - open - 1)).c_str());
        if (value == nullptr)
        {
            out.append(text.substr(open, close + 1 - open));
            at = close + 1;
            continue;
        }
        out.append(WideText::FromUtf8(value));
        at = close + 1;
    }
    return out;
}

DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size)
{
    if (source == nullptr)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::wstring expanded = EnvironmentStrings::Expand(source);
    if (expanded.size() > EnvironmentStrings::kMaxChars)
    {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const auto needed = static_cast<DWORD>(expanded.size() + 1);
    if (destination != nullptr && size >= needed)
    {
        expanded.copy(destination, expanded.size());
        destination[expanded.size()] = L'\0';
    }
    return needed;
}
