#include "platform/win32/UnicodeConversion.h"

#include <cstdint>

static_assert(sizeof(wchar_t) == 4, "wide text holds one code point per wchar_t");

namespace {

constexpr char32_t kMaxCodePoint = 0x10FFFF;
constexpr char32_t kReplacement = UnicodeConversion::kReplacementCharacter;

bool IsHighSurrogate(char32_t value)
{
    return value >= 0xD800 && value <= 0xDBFF;
}
bool IsLowSurrogate(char32_t value)
{
    return value >= 0xDC00 && value <= 0xDFFF;
}
bool IsSurrogate(char32_t value)
{
    return value >= 0xD800 && value <= 0xDFFF;
}

char32_t CombineSurrogates(char32_t high, char32_t low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// A negative wchar_t becomes a value above U+10FFFF, never a valid character.
char32_t CodePointOf(wchar_t character)
{
    return static_cast<char32_t>(static_cast<std::uint32_t>(character));
}

char32_t CodePointOf(char16_t unit)
{
    return unit;
}

// What a UTF-8 lead byte promises. The allowed range of the first continuation byte alone
// rules out overlong forms, encoded surrogates and values above U+10FFFF, so a sequence is
// known to be ill-formed at the first byte that makes it so.
struct Utf8Lead
{
    std::size_t continuations;  // 0: the byte begins no sequence
    char32_t bits;
    unsigned firstLow;
    unsigned firstHigh;
};

Utf8Lead ClassifyLead(unsigned lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return {1, lead & 0x1Fu, 0x80, 0xBF};
    if (lead >= 0xE0 && lead <= 0xEF)
        return {2, lead & 0x0Fu, lead == 0xE0 ? 0xA0u : 0x80u, lead == 0xED ? 0x9Fu : 0xBFu};
    if (lead >= 0xF0 && lead <= 0xF4)
        return {3, lead & 0x07u, lead == 0xF0 ? 0x90u : 0x80u, lead == 0xF4 ? 0x8Fu : 0xBFu};
    return {0, 0, 0, 0};
}

void AppendUtf8(std::string& out, char32_t value)
{
    if (value < 0x80)
    {
        out.push_back(static_cast<char>(value));
        return;
    }
    if (value < 0x800)
    {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
    }
    else if (value < 0x10000)
    {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    }
    else
    {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
    }
    out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
}

void AppendUtf16(std::u16string& out, char32_t value)
{
    if (value >= 0x10000)
    {
        const char32_t offset = value - 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (offset >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (offset & 0x3FF)));
        return;
    }
    out.push_back(static_cast<char16_t>(value));
}

void AppendWide(std::wstring& out, char32_t value)
{
    out.push_back(static_cast<wchar_t>(value));
}

// Walks UTF-16 units, or wide text that may hold them, and hands each character to
// append(result, codePoint): a surrogate pair is joined, and anything else that is not a
// Unicode scalar value becomes U+FFFD.
template <typename Text, typename Unit, typename Append>
Text TranscodeScalarValues(std::basic_string_view<Unit> text, Append append)
{
    Text result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const char32_t value = CodePointOf(text[i]);
        if (IsHighSurrogate(value) && i + 1 < text.size() && IsLowSurrogate(CodePointOf(text[i + 1])))
        {
            append(result, CombineSurrogates(value, CodePointOf(text[i + 1])));
            ++i;
        }
        else
        {
            append(result, IsSurrogate(value) || value > kMaxCodePoint ? kReplacement : value);
        }
    }
    return result;
}

// Walks UTF-8 text and hands each character to visit(codePoint, complete), complete false for
// a maximal ill-formed part; stops, answering false, where visit answers false.
template <typename Visit>
bool WalkUtf8(std::string_view text, Visit visit)
{
    std::size_t at = 0;
    while (at < text.size())
    {
        const unsigned lead = static_cast<unsigned char>(text[at++]);
        if (lead < 0x80)
        {
            if (!visit(lead, true))
                return false;
            continue;
        }
        const Utf8Lead form = ClassifyLead(lead);
        char32_t value = form.bits;
        std::size_t taken = 0;
        while (taken < form.continuations && at < text.size())
        {
            const unsigned byte = static_cast<unsigned char>(text[at]);
            const unsigned low = taken == 0 ? form.firstLow : 0x80u;
            const unsigned high = taken == 0 ? form.firstHigh : 0xBFu;
            if (byte < low || byte > high)
                break;
            value = (value << 6) | (byte & 0x3Fu);
            ++taken;
            ++at;
        }
        // The byte that cut a sequence short is not swallowed: it begins the next one.
        if (!visit(value, form.continuations != 0 && taken == form.continuations))
            return false;
    }
    return true;
}

}  // namespace

std::wstring UnicodeConversion::DecodeUtf8(std::string_view text)
{
    std::wstring result;
    result.reserve(text.size());
    WalkUtf8(text, [&result](char32_t value, bool complete) {
        result.push_back(complete ? static_cast<wchar_t>(value) : kReplacementCharacter);
        return true;
    });
    return result;
}

bool UnicodeConversion::IsWellFormedUtf8(std::string_view text)
{
    return WalkUtf8(text, [](char32_t, bool complete) { return complete; });
}

std::string UnicodeConversion::EncodeUtf8(std::wstring_view text)
{
    return TranscodeScalarValues<std::string>(text, AppendUtf8);
}

std::wstring UnicodeConversion::DecodeUtf16(std::u16string_view text)
{
    return TranscodeScalarValues<std::wstring>(text, AppendWide);
}

std::u16string UnicodeConversion::EncodeUtf16(std::wstring_view text)
{
    return TranscodeScalarValues<std::u16string>(text, AppendUtf16);
}
