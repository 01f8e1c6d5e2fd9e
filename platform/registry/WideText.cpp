#include "platform/registry/WideText.h"

#include <cwctype>

namespace
{

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kMaxScalar = 0x10FFFF;

bool IsScalar(char32_t c)
{
    return c <= kMaxScalar && (c < 0xD800 || c > 0xDFFF);
}

void Append(std::string& out, char32_t c)
{
    if (c < 0x80)
    {
        out.push_back(static_cast<char>(c));
    }
    else if (c < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else if (c < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

} // namespace

std::string WideText::ToUtf8(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const wchar_t w : text)
    {
        const auto c = static_cast<char32_t>(w);
        Append(out, IsScalar(c) ? c : kReplacement);
    }
    return out;
}

std::wstring WideText::FromUtf8(std::string_view bytes)
{
    std::wstring out;
    out.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size())
    {
        const auto lead = static_cast<unsigned char>(bytes[at]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80)
        {
            length = 1;
            c = lead;
        }
        else if ((lead & 0xE0) == 0xC0)
        {
            length = 2;
            c = lead & 0x1F;
            minimum = 0x80;
        }
        else if ((lead & 0xF0) == 0xE0)
        {
            length = 3;
            c = lead & 0x0F;
            minimum = 0x800;
        }
        else if ((lead & 0xF8) == 0xF0)
        {
            length = 4;
            c = lead & 0x07;
            minimum = 0x10000;
        }
        bool valid = length != 0 && at + length <= bytes.size();
        for (std::size_t index = 1; valid && index < length; ++index)
        {
            const auto next = static_cast<unsigned char>(bytes[at + index]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        // Overlong forms and surrogates are refused like any other malformed sequence.
        if (!valid || c < minimum || !IsScalar(c))
        {
            out.push_back(static_cast<wchar_t>(kReplacement));
            ++at;
            continue;
        }
        out.push_back(static_cast<wchar_t>(c));
        at += length;
    }
    return out;
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
