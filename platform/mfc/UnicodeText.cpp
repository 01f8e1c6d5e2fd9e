#include "platform/mfc/UnicodeText.h"

#include <cstdint>

namespace mfc_detail {

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;

bool IsHighSurrogate(char32_t value) { return value >= 0xD800 && value <= 0xDBFF; }
bool IsLowSurrogate(char32_t value) { return value >= 0xDC00 && value <= 0xDFFF; }
bool IsSurrogate(char32_t value) { return value >= 0xD800 && value <= 0xDFFF; }

char32_t CombineSurrogates(char32_t high, char32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// Walks wide text as code points: a split surrogate pair is joined, anything that is not a
// Unicode scalar value comes out as U+FFFD. Calls sink(codePoint) for each.
template <typename Sink>
void ForEachCodePoint(std::wstring_view text, Sink sink)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char32_t value = static_cast<char32_t>(static_cast<std::uint32_t>(text[i]));
        if (IsHighSurrogate(value) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char32_t>(static_cast<std::uint32_t>(text[i + 1]))))
        {
            sink(CombineSurrogates(value, static_cast<char32_t>(static_cast<std::uint32_t>(text[i + 1]))));
            ++i;
        }
        else if (IsSurrogate(value) || value > kMaxCodePoint)
        {
            sink(static_cast<char32_t>(kReplacementCharacter));
        }
        else
        {
            sink(value);
        }
    }
}

} // namespace

std::wstring DecodeUtf8(std::string_view text)
{
    std::wstring result;
    result.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size())
    {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80)
        {
            result.push_back(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        int continuation = 0;
        char32_t value = 0;
        // The allowed range of the first continuation byte excludes overlong forms,
        // surrogates and values above U+10FFFF.
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF)
        {
            continuation = 1;
            value = lead & 0x1F;
        }
        else if (lead >= 0xE0 && lead <= 0xEF)
        {
            continuation = 2;
            value = lead & 0x0F;
            if (lead == 0xE0)
                low = 0xA0;
            else if (lead == 0xED)
                high = 0x9F;
        }
        else if (lead >= 0xF0 && lead <= 0xF4)
        {
            continuation = 3;
            value = lead & 0x07;
            if (lead == 0xF0)
                low = 0x90;
            else if (lead == 0xF4)
                high = 0x8F;
        }
        else
        {
            result.push_back(kReplacementCharacter);
            ++i;
            continue;
        }
        std::size_t next = i + 1;
        int taken = 0;
        while (taken < continuation && next < text.size())
        {
            const unsigned char byte = static_cast<unsigned char>(text[next]);
            const unsigned char min = taken == 0 ? low : 0x80;
            const unsigned char max = taken == 0 ? high : 0xBF;
            if (byte < min || byte > max)
                break;
            value = (value << 6) | (byte & 0x3F);
            ++taken;
            ++next;
        }
        result.push_back(taken == continuation ? static_cast<wchar_t>(value) : kReplacementCharacter);
        i = next;
    }
    return result;
}

std::string EncodeUtf8(std::wstring_view text)
{
    std::string result;
    result.reserve(text.size());
    ForEachCodePoint(text, [&result](char32_t value) {
        if (value < 0x80)
        {
            result.push_back(static_cast<char>(value));
        }
        else if (value < 0x800)
        {
            result.push_back(static_cast<char>(0xC0 | (value >> 6)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
        else if (value < 0x10000)
        {
            result.push_back(static_cast<char>(0xE0 | (value >> 12)));
            result.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
        else
        {
            result.push_back(static_cast<char>(0xF0 | (value >> 18)));
            result.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
            result.push_back(static_cast<char>(0x80 | (value & 0x3F)));
        }
    });
    return result;
}

std::wstring DecodeUtf16(std::u16string_view text)
{
    std::wstring result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char32_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1]))
        {
            result.push_back(static_cast<wchar_t>(CombineSurrogates(unit, text[i + 1])));
            ++i;
        }
        else if (IsSurrogate(unit))
        {
            result.push_back(kReplacementCharacter);
        }
        else
        {
            result.push_back(static_cast<wchar_t>(unit));
        }
    }
    return result;
}

std::u16string EncodeUtf16(std::wstring_view text)
{
    std::u16string result;
    result.reserve(text.size());
    ForEachCodePoint(text, [&result](char32_t value) {
        if (value < 0x10000)
        {
            result.push_back(static_cast<char16_t>(value));
        }
        else
        {
            const char32_t offset = value - 0x10000;
            result.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
            result.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        }
    });
    return result;
}

} // namespace mfc_detail
