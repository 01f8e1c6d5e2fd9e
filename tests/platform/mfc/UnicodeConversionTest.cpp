#include <gtest/gtest.h>

#include <string>

#include "platform/mfc/CString.h"
#include "platform/win32/UnicodeConversion.h"

namespace {

constexpr wchar_t kFffd = 0xFFFD;

}  // namespace

TEST(UnicodeConversion, Utf8RoundTripsEveryEncodingLength)
{
    const CString text(L"A\u00E9\u20AC\U0001F600");
    const std::string utf8 = CStringToUtf8(text);
    EXPECT_EQ(utf8, "A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToCString(utf8), text);
    EXPECT_EQ(Utf8ToCString(std::string_view("a\0b", 3)).GetLength(), 3);
    // Well-formed, a NUL and a stored U+FFFD of its own included.
    EXPECT_TRUE(UnicodeConversion::IsWellFormedUtf8(utf8 + std::string("\0\xEF\xBF\xBD", 4)));
    EXPECT_TRUE(UnicodeConversion::IsWellFormedUtf8(""));
}

TEST(UnicodeConversion, MalformedUtf8BecomesReplacementCharacters)
{
    struct Case
    {
        std::string input;
        std::wstring expected;
    };
    const Case cases[] = {
        {"\x80", {kFffd}},                                   // lone continuation byte
        {"\xC0\xAF", {kFffd, kFffd}},                        // overlong lead byte
        {"\xE0\x80\xAF", {kFffd, kFffd, kFffd}},             // overlong three-byte form
        {"\xED\xA0\x80", {kFffd, kFffd, kFffd}},             // encoded surrogate
        {"\xF4\x90\x80\x80", {kFffd, kFffd, kFffd, kFffd}},  // above U+10FFFF
        {"\xF5\x80", {kFffd, kFffd}},                        // invalid lead byte
        {"\xE2\x82", {kFffd}},                               // truncated at the end
        {"\xE2\x82x", {kFffd, L'x'}},                        // truncated before ASCII
        {"a\xFF"
         "b",
         {L'a', kFffd, L'b'}},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Utf8ToCString(c.input).GetWString(), c.expected) << testing::PrintToString(c.input);
        // Refused whole, wherever the ill-formed part stands.
        EXPECT_FALSE(UnicodeConversion::IsWellFormedUtf8(c.input)) << testing::PrintToString(c.input);
        EXPECT_FALSE(UnicodeConversion::IsWellFormedUtf8("ok " + c.input + " ok")) << testing::PrintToString(c.input);
    }
}

TEST(UnicodeConversion, WideTextThatIsNoUnicodeEncodesAsReplacement)
{
    const wchar_t loneSurrogate[] = {L'a', static_cast<wchar_t>(0xD800), L'b', 0};
    EXPECT_EQ(CStringToUtf8(loneSurrogate), "a\xEF\xBF\xBD"
                                            "b");
    const wchar_t tooLarge[] = {static_cast<wchar_t>(0x110000), 0};
    EXPECT_EQ(CStringToUtf8(tooLarge), "\xEF\xBF\xBD");
    const wchar_t splitPair[] = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00), 0};
    EXPECT_EQ(CStringToUtf8(splitPair), "\xF0\x9F\x98\x80");
}

TEST(UnicodeConversion, Utf16UsesSurrogatePairsAndRejectsUnpairedOnes)
{
    const CString text(L"x\U0001F600\u00E9");
    const std::u16string utf16 = ToUtf16(text);
    EXPECT_EQ(utf16, (std::u16string{u'x', 0xD83D, 0xDE00, 0x00E9}));
    EXPECT_EQ(FromUtf16(utf16), text);

    const std::u16string unpaired{0xDE00, u'a', 0xD83D};
    EXPECT_EQ(FromUtf16(unpaired).GetWString(), (std::wstring{kFffd, L'a', kFffd}));
    const std::u16string reversed{0xDE00, 0xD83D};
    EXPECT_EQ(FromUtf16(reversed).GetWString(), (std::wstring{kFffd, kFffd}));
    const wchar_t lone[] = {static_cast<wchar_t>(0xDC00), 0};
    EXPECT_EQ(ToUtf16(lone), (std::u16string{0xFFFD}));
}
