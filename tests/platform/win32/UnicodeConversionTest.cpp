#include "platform/win32/UnicodeConversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr wchar_t R = UnicodeConversion::kReplacementCharacter;

std::wstring Wide(std::initializer_list<char32_t> values)
{
    std::wstring text;
    for (const char32_t value : values)
        text.push_back(static_cast<wchar_t>(value));
    return text;
}

bool IsScalarValue(wchar_t c)
{
    const auto value = static_cast<std::uint32_t>(c);
    return value <= 0x10FFFF && (value < 0xD800 || value > 0xDFFF);
}

struct Utf8Case
{
    const char* name;
    std::string utf8;
    std::wstring wide;
};

}  // namespace

TEST(UnicodeConversion, Utf8EncodesEveryLengthAtItsBoundaries)
{
    const Utf8Case cases[] = {
        {"empty", "", L""},
        {"NUL is kept", std::string("a\0b", 3), std::wstring(L"a\0b", 3)},
        {"last one-byte", "\x7F", Wide({0x7F})},
        {"first two-byte", "\xC2\x80", Wide({0x80})},
        {"last two-byte", "\xDF\xBF", Wide({0x7FF})},
        {"first three-byte", "\xE0\xA0\x80", Wide({0x800})},
        {"below the surrogates", "\xED\x9F\xBF", Wide({0xD7FF})},
        {"above the surrogates", "\xEE\x80\x80", Wide({0xE000})},
        {"replacement character itself", "\xEF\xBF\xBD", Wide({0xFFFD})},
        {"last three-byte", "\xEF\xBF\xBF", Wide({0xFFFF})},
        {"first four-byte", "\xF0\x90\x80\x80", Wide({0x10000})},
        {"last code point", "\xF4\x8F\xBF\xBF", Wide({0x10FFFF})},
        {"mixed lengths", "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", Wide({'A', 0xE9, 0x20AC, 0x1F600})},
    };
    for (const Utf8Case& c : cases)
    {
        EXPECT_EQ(UnicodeConversion::DecodeUtf8(c.utf8), c.wide) << c.name;
        EXPECT_EQ(UnicodeConversion::EncodeUtf8(c.wide), c.utf8) << c.name;
    }
}

// One U+FFFD for each maximal ill-formed part: a sequence stops at the first byte that cannot
// continue it, and that byte is read again as the start of the next.
TEST(UnicodeConversion, MalformedUtf8BecomesOneReplacementPerIllFormedPart)
{
    const Utf8Case cases[] = {
        {"stray continuation", "\x80", {R}},
        {"two stray continuations", "\x80\xBF", {R, R}},
        {"stray continuation between letters", "a\x80z", {L'a', R, L'z'}},
        {"overlong NUL", std::string("\xC0\x80", 2), {R, R}},
        {"overlong two-byte lead C1", "\xC1\xBF", {R, R}},
        {"overlong three-byte", "\xE0\x80\xAF", {R, R, R}},
        {"overlong three-byte at its top", "\xE0\x9F\xBF", {R, R, R}},
        {"overlong four-byte", "\xF0\x8F\xBF\xBF", {R, R, R, R}},
        {"encoded high surrogate", "\xED\xA0\x80", {R, R, R}},
        {"encoded low surrogate", "\xED\xBF\xBF", {R, R, R}},
        {"encoded surrogate pair", "\xED\xA0\xBD\xED\xB8\x80", {R, R, R, R, R, R}},
        {"above U+10FFFF", "\xF4\x90\x80\x80", {R, R, R, R}},
        {"lead F5", "\xF5\x80\x80\x80", {R, R, R, R}},
        {"five-byte form", "\xF8\x88\x80\x80\x80", {R, R, R, R, R}},
        {"bytes FE and FF", "\xFE\xFF", {R, R}},
        {"two-byte cut at the end", "a\xC3", {L'a', R}},
        {"three-byte cut at the end", "\xE2\x82", {R}},
        {"four-byte cut at the end", "\xF0\x9F\x98", {R}},
        {"cut by ASCII", "\xE2\x82x", {R, L'x'}},
        {"cut by a new lead", "\xF0\x9F\xC3\xA9", {R, L'\u00E9'}},
        {"lead followed by lead", "\xC3\xC3\xA9", {R, L'\u00E9'}},
        {"valid after a bad lead", "\xFF\xE2\x82\xAC", {R, L'\u20AC'}},
        // The mixed example of the Unicode standard's chapter on conformance.
        {"standard example",
         "a\xF1\x80\x80\xE1\x80\xC2"
         "b\x80"
         "c\x80\xBF"
         "d",
         {L'a', R, R, R, L'b', R, L'c', R, R, L'd'}},
    };
    for (const Utf8Case& c : cases)
        EXPECT_EQ(UnicodeConversion::DecodeUtf8(c.utf8), c.wide) << c.name;
}

// Every short sequence over the bytes where decoders go wrong: the result is never longer
// than the input, holds only scalar values, and when nothing was replaced it encodes back to
// exactly the input (no byte was dropped, none read past the end).
TEST(UnicodeConversion, DecodingAnyShortByteSequenceIsSafeAndLossless)
{
    const unsigned char interesting[] = {0x00, 0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF, 0xC0,
                                         0xC2, 0xDF, 0xE0, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xFF};
    std::vector<std::string> inputs{""};
    for (int length = 1; length <= 4; ++length)
    {
        std::vector<std::string> longer;
        for (const std::string& prefix : inputs)
            if (prefix.size() + 1 == static_cast<std::size_t>(length))
                for (const unsigned char byte : interesting)
                    longer.push_back(prefix + static_cast<char>(byte));
        inputs.insert(inputs.end(), longer.begin(), longer.end());
    }
    int failures = 0;
    for (const std::string& input : inputs)
    {
        const std::wstring wide = UnicodeConversion::DecodeUtf8(input);
        bool ok = wide.size() <= input.size();
        for (const wchar_t c : wide)
            ok = ok && IsScalarValue(c);
        if (wide.find(R) == std::wstring::npos)
            ok = ok && UnicodeConversion::EncodeUtf8(wide) == input;
        if (!ok && ++failures <= 5)
            ADD_FAILURE() << testing::PrintToString(input);
    }
    EXPECT_EQ(failures, 0);
}

TEST(UnicodeConversion, NonScalarWideValuesEncodeAsReplacement)
{
    const struct
    {
        const char* name;
        std::wstring wide;
        std::string utf8;
        std::u16string utf16;
    } cases[] = {
        {"lone high surrogate",
         Wide({'a', 0xD800, 'b'}),
         "a\xEF\xBF\xBD"
         "b",
         {u'a', 0xFFFD, u'b'}},
        {"high surrogate at the end", Wide({'a', 0xDBFF}), "a\xEF\xBF\xBD", {u'a', 0xFFFD}},
        {"lone low surrogate", Wide({0xDC00}), "\xEF\xBF\xBD", {0xFFFD}},
        {"reversed pair", Wide({0xDE00, 0xD83D}), "\xEF\xBF\xBD\xEF\xBF\xBD", {0xFFFD, 0xFFFD}},
        {"split pair is joined", Wide({0xD83D, 0xDE00}), "\xF0\x9F\x98\x80", {0xD83D, 0xDE00}},
        {"above U+10FFFF", Wide({0x110000}), "\xEF\xBF\xBD", {0xFFFD}},
        {"negative wchar_t", {static_cast<wchar_t>(-1)}, "\xEF\xBF\xBD", {0xFFFD}},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(UnicodeConversion::EncodeUtf8(c.wide), c.utf8) << c.name;
        EXPECT_EQ(UnicodeConversion::EncodeUtf16(c.wide), c.utf16) << c.name;
    }
}

TEST(UnicodeConversion, Utf16JoinsSurrogatePairsAndReplacesUnpairedOnes)
{
    const struct
    {
        const char* name;
        std::u16string utf16;
        std::wstring wide;
    } cases[] = {
        {"empty", u"", L""},
        {"basic plane top", {0xFFFF}, Wide({0xFFFF})},
        {"first pair", {0xD800, 0xDC00}, Wide({0x10000})},
        {"last pair", {0xDBFF, 0xDFFF}, Wide({0x10FFFF})},
        {"pair among letters", {u'x', 0xD83D, 0xDE00, 0xE9}, Wide({'x', 0x1F600, 0xE9})},
        {"lone low", {0xDE00, u'a'}, Wide({R, 'a'})},
        {"high at the end", {u'a', 0xD83D}, Wide({'a', R})},
        {"high before a letter", {0xD83D, u'a'}, Wide({R, 'a'})},
        {"two highs then a low", {0xD83D, 0xD83D, 0xDE00}, Wide({R, 0x1F600})},
        {"reversed pair", {0xDE00, 0xD83D}, Wide({R, R})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(UnicodeConversion::DecodeUtf16(c.utf16), c.wide) << c.name;
}

// Every Unicode scalar value survives both encodings unchanged, and each takes the number of
// UTF-8 bytes and UTF-16 units its range asks for.
TEST(UnicodeConversion, EveryScalarValueRoundTrips)
{
    std::wstring all;
    std::size_t utf8Bytes = 0;
    std::size_t utf16Units = 0;
    for (char32_t value = 0; value <= 0x10FFFF; ++value)
    {
        if (value >= 0xD800 && value <= 0xDFFF)
            continue;
        all.push_back(static_cast<wchar_t>(value));
        utf8Bytes += value < 0x80 ? 1 : value < 0x800 ? 2 : value < 0x10000 ? 3 : 4;
        utf16Units += value < 0x10000 ? 1 : 2;
    }
    const std::string utf8 = UnicodeConversion::EncodeUtf8(all);
    EXPECT_EQ(utf8.size(), utf8Bytes);
    EXPECT_TRUE(UnicodeConversion::DecodeUtf8(utf8) == all);
    const std::u16string utf16 = UnicodeConversion::EncodeUtf16(all);
    EXPECT_EQ(utf16.size(), utf16Units);
    EXPECT_TRUE(UnicodeConversion::DecodeUtf16(utf16) == all);
}
