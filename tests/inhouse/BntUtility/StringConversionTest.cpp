#include "inhouse/BntUtility/StringConversion.h"

#include <gtest/gtest.h>

using namespace brontel::utility;

namespace {

struct Utf8Case
{
    const char* name;
    std::string utf8;
    std::wstring wide;
};

TEST(StringConversion, DecodesWellFormedUtf8AndBack)
{
    const Utf8Case cases[] = {
        {"ascii", "Badge 42", L"Badge 42"},
        {"two-byte", "K\xC3\xB6ln", L"K\u00F6ln"},
        {"three-byte", "\xE2\x82\xAC 5", L"\u20AC 5"},
        {"four-byte", "\xF0\x9F\x94\x91", std::wstring(1, static_cast<wchar_t>(0x1F511))},
        {"empty", "", L""},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.name;
        EXPECT_EQ(WideToUtf8(c.wide), c.utf8) << c.name;
        EXPECT_EQ(ConvertCStringToUtf8(ConvertUtf8ToCString(c.utf8)), c.utf8) << c.name;
    }
}

TEST(StringConversion, ReplacesMalformedUtf8WithReplacementCharacter)
{
    const std::wstring r(1, static_cast<wchar_t>(0xFFFD));
    const Utf8Case cases[] = {
        {"overlong NUL", std::string("\xC0\x80", 2), r + r},
        {"truncated at end", "a\xE2\x82", L"a" + r},
        {"lone continuation", "\x80z", r + L"z"},
        {"encoded surrogate", "\xED\xA0\x80", r + r + r},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", r + r + r + r},
        {"invalid lead byte", "\xFF", r},
        {"lead without continuation", "\xC3(", r + L"("},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.name;
    }
}

TEST(StringConversion, JoinsSurrogatePairsAndReplacesUnpairedOnes)
{
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDD11)};
    EXPECT_EQ(ConvertUtf16ToUtf8(pair), "\xF0\x9F\x94\x91");
    const std::wstring lone = {L'a', static_cast<wchar_t>(0xDC00), L'b'};
    EXPECT_EQ(ConvertUtf16ToUtf8(lone), "a\xEF\xBF\xBD"
                                        "b");
    const std::wstring highAtEnd = {L'a', static_cast<wchar_t>(0xD800)};
    EXPECT_EQ(WideToUtf8(highAtEnd), "a\xEF\xBF\xBD");
    EXPECT_EQ(ConvertUtf16ToUtf8(static_cast<const wchar_t*>(nullptr)), "");
}

TEST(StringConversion, Utf16RoundTripKeepsAstralCharacters)
{
    const std::string text = "PIN \xF0\x9F\x94\x91 \xC3\xA9";
    const std::u16string utf16 = Utf8ToUtf16(text);
    ASSERT_EQ(utf16.size(), 8u);
    EXPECT_EQ(utf16[4], 0xD83D);
    EXPECT_EQ(utf16[5], 0xDD11);
    EXPECT_EQ(Utf16ToUtf8(utf16), text);
}

TEST(StringConversion, PlainEightBitConversionsAreUtf8)
{
    EXPECT_EQ(ConvertToStdString(ConvertToCString("INTERNAL_SID_FOR_\xC3\x85SA")), "INTERNAL_SID_FOR_\xC3\x85SA");
    EXPECT_EQ(ConvertToCString("S-1-5-18"), CString(L"S-1-5-18"));
}

}  // namespace
