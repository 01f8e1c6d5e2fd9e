#include "platform/registry/WideText.h"

#include <cwctype>

#include "platform/win32/UnicodeConversion.h"

std::string WideText::ToUtf8(std::wstring_view text)
{
    return UnicodeConversion::EncodeUtf8(text);
}

std::wstring WideText::FromUtf8(std::string_view bytes)
{
    return UnicodeConversion::DecodeUtf8(bytes);
}

std::vector<std::wstring> WideText::Lines(std::string_view bytes)
{
    if (bytes.starts_with("\xEF\xBB\xBF"))
        bytes.remove_prefix(3);
    const std::wstring text = FromUtf8(bytes);
    std::vector<std::wstring> lines;
    std::wstring_view rest(text);
    while (!rest.empty())
    {
        const std::size_t end = rest.find(L'\n');
        std::wstring_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::wstring_view::npos ? rest.size() : end + 1);
        if (line.ends_with(L'\r'))
            line.remove_suffix(1);
        lines.emplace_back(line);
    }
    return lines;
}

std::wstring WideText::Upper(std::wstring_view text)
{
    std::wstring out(text);
    for (wchar_t& c : out)
        c = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(c)));
    return out;
}

bool WideText::EqualNoCase(std::wstring_view left, std::wstring_view right)
{
    if (left.size() != right.size())
        return false;
    for (std::size_t index = 0; index < left.size(); ++index)
    {
        if (std::towupper(static_cast<std::wint_t>(left[index])) !=
            std::towupper(static_cast<std::wint_t>(right[index])))
            return false;
    }
    return true;
}
