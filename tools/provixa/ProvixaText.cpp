#include "tools/provixa/ProvixaText.h"

#include <cstring>

#include "platform/mfc/CString.h"

std::string ProvixaText::ToUtf8(std::wstring_view text)
{
    return CStringToUtf8(CString(text.data(), static_cast<int>(text.size())));
}

std::wstring ProvixaText::FromUtf8(std::string_view text)
{
    const CString converted = Utf8ToCString(text);
    return std::wstring(converted.GetString(), static_cast<std::size_t>(converted.GetLength()));
}

bool ProvixaText::IsUtf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t value = 0;
        if (lead < 0x80)
            length = 1, value = lead;
        else if ((lead & 0xE0) == 0xC0)
            length = 2, value = lead & 0x1F;
        else if ((lead & 0xF0) == 0xE0)
            length = 3, value = lead & 0x0F;
        else if ((lead & 0xF8) == 0xF0)
            length = 4, value = lead & 0x07;
        else
            return false;
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k)
        {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            value = (value << 6) | (next & 0x3F);
        }
        static constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (value < kLeast[length] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
            return false;
        i += length;
    }
    return true;
}

std::string ProvixaText::FileFailure(int reason, const char* otherwise)
{
    return reason != 0 ? std::strerror(reason) : otherwise;
}
