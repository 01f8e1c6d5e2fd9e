#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"
#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

using ostrum::utils::StringUtils;
using namespace ostrum::utils::logging;

class MessageRecorder : public LogAppender
{
public:
    std::int32_t configure(const ostrum::xml::XmlTreeNode&) override { return 0; }
    void append(const LogEvent& event) override { messages.push_back(event.message); }
    std::vector<std::string> messages;
};

// Captures what the string utilities log at ERROR.
class StringUtilsLog : public testing::Test
{
protected:
    void SetUp() override
    {
        Logger::getLogger("StringUtils")->setLevel(LogLevel::ERROR);
        Logger::getLogger("StringUtils")->addAppender(m_recorder, false, "recorder");
    }
    void TearDown() override { Logger::getLogger("StringUtils")->removeAppender("recorder"); }
    std::vector<std::string>& messages() { return m_recorder->messages; }

private:
    std::shared_ptr<MessageRecorder> m_recorder = std::make_shared<MessageRecorder>();
};

TEST_F(StringUtilsLog, HexDecodeTakesExactlyTwoDigitsPerByte)
{
    unsigned char out[2] = {};
    EXPECT_TRUE(StringUtils::hexDecode("0A1b", out, 2));
    EXPECT_EQ(out[0], 0x0A);
    EXPECT_EQ(out[1], 0x1B);
    EXPECT_TRUE(StringUtils::hexDecode("", nullptr, 0));

    const std::vector<std::string> invalid = {"0G",
                                              " 1",
                                              "-1",
                                              "+1",
                                              "1 ",
                                              "x1",
                                              "\xff"
                                              "1"};
    for (const std::string& text : invalid)
    {
        messages().clear();
        unsigned char byte = 0x55;
        EXPECT_FALSE(StringUtils::hexDecode(text, &byte, 1)) << text;
        ASSERT_EQ(messages().size(), 1u) << text;
        EXPECT_EQ(messages()[0], "hex string contains invalid chars");
    }
    const std::vector<std::pair<std::string, int>> badLengths = {{"0A1", 2}, {"0A", 2}, {"0A", -1}};
    for (const auto& [text, length] : badLengths)
    {
        messages().clear();
        unsigned char buffer[4];
        EXPECT_FALSE(StringUtils::hexDecode(text, buffer, length)) << text;
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], "hex target buffer length does match source buffer length");
    }
}

TEST_F(StringUtilsLog, FieldValueListsParseAndFail)
{
    StringUtils::FieldValueList list;
    EXPECT_TRUE(StringUtils::parseFieldValues("a=1; b = 2 &c=3", &list));
    const StringUtils::FieldValueList expected = {{"a", "1"}, {"b", "2"}, {"c", "3"}};
    EXPECT_EQ(list, expected);

    list.clear();
    EXPECT_TRUE(StringUtils::parseFieldValues("k=pre\"x;y&z\"; n = v;", &list));
    const StringUtils::FieldValueList quoted = {{"k", "prex;y&z"}, {"; n", "v"}};
    EXPECT_EQ(list, quoted);

    list.clear();
    EXPECT_TRUE(StringUtils::parseFieldValues("q=\"open; rest", &list));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].second, "open; rest");

    const std::vector<std::pair<std::string, std::string>> failures = {
        {"a", "missing equals sign in field-value pair"},
        {"=1", "empty field in field-value pair"},
        {"a=1;b", "missing equals sign in field-value pair"}};
    for (const auto& [text, message] : failures)
    {
        messages().clear();
        list.clear();
        EXPECT_FALSE(StringUtils::parseFieldValues(text, &list)) << text;
        ASSERT_EQ(messages().size(), 1u);
        EXPECT_EQ(messages()[0], message);
    }
    EXPECT_EQ(list.size(), 1u);
    EXPECT_TRUE(StringUtils::parseFieldValues("", &list));
    EXPECT_TRUE(StringUtils::parseFieldValues("a", nullptr));
}

TEST_F(StringUtilsLog, NothingIsLoggedBelowError)
{
    Logger::getLogger("StringUtils")->setLevel(LogLevel::OFF);
    unsigned char byte = 0;
    EXPECT_FALSE(StringUtils::hexDecode("zz", &byte, 1));
    EXPECT_TRUE(messages().empty());
}

TEST(StringUtils, UrlEncodingAndDecoding)
{
    std::string out;
    EXPECT_TRUE(StringUtils::urlEncode("a b/c", out, ""));
    EXPECT_EQ(out, "a%20b/c");
    EXPECT_TRUE(StringUtils::urlEncode("a b/c", out, "/"));
    EXPECT_EQ(out, "a%20b%2Fc");
    EXPECT_TRUE(StringUtils::urlEncode(std::string("\xe9\0+", 3), out, ""));
    EXPECT_EQ(out, "%E9%00+");

    const std::vector<std::pair<std::string, std::string>> good = {
        {"%41", "A"}, {"a+b", "a+b"}, {"%2f%2F", "//"}, {"", ""}};
    for (const auto& [text, decoded] : good)
    {
        EXPECT_TRUE(StringUtils::urlDecode(text, out)) << text;
        EXPECT_EQ(out, decoded);
    }
    out = "unchanged";
    for (const std::string text : {"50%", "%4", "%G1", "% 1", "%-1"})
    {
        EXPECT_FALSE(StringUtils::urlDecode(text, out)) << text;
        EXPECT_EQ(out, "unchanged");
    }
}

TEST(StringUtils, AffixesTrimmingAndCase)
{
    EXPECT_TRUE(StringUtils::startsWith("Hello", "he", false));
    EXPECT_FALSE(StringUtils::startsWith("Hello", "he", true));
    EXPECT_TRUE(StringUtils::startsWith("Hello", "", true));
    EXPECT_FALSE(StringUtils::startsWith("He", "Hello", false));
    EXPECT_TRUE(StringUtils::endsWith("file.LOG", ".log", false));
    EXPECT_FALSE(StringUtils::endsWith("log", "a.log", false));
    const char* const list[] = {"one", "Two", "three", nullptr};
    EXPECT_EQ(StringUtils::indexOf("two", list, false), 1);
    EXPECT_EQ(StringUtils::indexOf("two", list, true), -1);
    EXPECT_EQ(StringUtils::indexOf("x", nullptr, true), -1);

    EXPECT_EQ(StringUtils::trim("   ", " "), "");
    EXPECT_EQ(StringUtils::trimLeft("   ", " "), "   ");
    EXPECT_EQ(StringUtils::trimRight("   ", " "), "   ");
    EXPECT_EQ(StringUtils::trim(" \tab c\n", " \t\n"), "ab c");
    EXPECT_EQ(StringUtils::trimLeft("xxabx", "x"), "abx");
    EXPECT_EQ(StringUtils::trimRight("xxabx", "x"), "xxab");
    EXPECT_EQ(StringUtils::toUpper("aBc1"), "ABC1");
    EXPECT_EQ(StringUtils::toLower("aBc1"), "abc1");
}

TEST(StringUtils, FormattingHasNoFixedLimit)
{
    EXPECT_EQ(StringUtils::format("%d-%s", 42, "x"), "42-x");
    const std::string big(5000, 'q');
    EXPECT_EQ(StringUtils::format("<%s>", big.c_str()).size(), 5002u);
    EXPECT_EQ(StringUtils::format(nullptr), "");

    const std::vector<std::tuple<std::uint64_t, bool, std::string>> sizes = {{1536, true, "1.50 kB"},
                                                                             {1536, false, "1 kB"},
                                                                             {3u << 20, false, "3 MB"},
                                                                             {100, true, "0.10 kB"},
                                                                             {100, false, "0 kB"},
                                                                             {(1ull << 40) * 5, false, "5 TB"},
                                                                             {(1ull << 50) * 2048, false, "2048 PB"},
                                                                             {UINT64_MAX, false, "16383 PB"}};
    for (const auto& [value, decimals, text] : sizes)
    {
        EXPECT_EQ(StringUtils::formatByteSize(value, decimals), text) << value;
    }
}

TEST(StringUtils, NumberTexts)
{
    char buffer[16];
    EXPECT_STREQ(StringUtils::intToString(-45, buffer, 16, 10, 0), "-45");
    EXPECT_STREQ(StringUtils::intToString(7, buffer, 16, 10, 3), "007");
    EXPECT_STREQ(StringUtils::intToString(INT_MIN, buffer, 16, 10, 0), "-2147483648");
    EXPECT_EQ(StringUtils::intToString(7, buffer, 16, 16, 0), nullptr);
    EXPECT_EQ(StringUtils::intToString(7, buffer, 16, 10, 40), nullptr);
    EXPECT_EQ(StringUtils::intToString(12345, buffer, 5, 10, 0), nullptr);

    EXPECT_EQ(StringUtils::toBinaryString(5, buffer, 16, false), 3);
    EXPECT_STREQ(buffer, "101");
    EXPECT_EQ(StringUtils::toBinaryString(0, buffer, 16, false), 0);
    EXPECT_STREQ(buffer, "");
    char wide[40];
    EXPECT_EQ(StringUtils::toBinaryString(1, wide, 40, true), 32);
    EXPECT_EQ(std::string(wide), std::string(31, '0') + "1");
    EXPECT_EQ(StringUtils::toBinaryString(0xFF, buffer, 5, false), 4);
    EXPECT_STREQ(buffer, "1111");
    EXPECT_EQ(StringUtils::toBinaryString(1, nullptr, 5, false), -1);
    EXPECT_EQ(StringUtils::toBinaryString(1, buffer, 0, false), -1);

    EXPECT_STREQ(StringUtils::findText("abcabc", "ca"), "cabc");
    EXPECT_EQ(StringUtils::findText("abc", "x"), nullptr);
    EXPECT_STREQ(StringUtils::copyString("hello").get(), "hello");
    EXPECT_STREQ(StringUtils::copyString("hello", 2).get(), "he");
}

TEST(StringUtils, Utf8AndUtf16Conversions)
{
    EXPECT_EQ(StringUtils::utf8ToWide("h\xc3\xa9\xf0\x9f\x98\x80", -1), u"h\u00e9\U0001F600");
    EXPECT_EQ(StringUtils::utf8ToWide("abc", 2), u"ab");
    EXPECT_EQ(StringUtils::utf8ToWide(nullptr, 5), u"");
    EXPECT_EQ(StringUtils::utf8ToWide("abc", 0), u"");
    EXPECT_EQ(StringUtils::utf8ToWide("\xff", -1), u"\uFFFD");
    EXPECT_EQ(StringUtils::wideToUtf8(u"h\u00e9\U0001F600", -1), "h\xc3\xa9\xf0\x9f\x98\x80");
    const char16_t lone[] = {0xD800, u'a', 0};
    EXPECT_EQ(StringUtils::wideToUtf8(lone, -1), "\xef\xbf\xbd"
                                                 "a");
    EXPECT_EQ(StringUtils::wideToUtf8(nullptr, -1), "");
}

TEST(StringUtils, DottedPartsOrderRolledFileNames)
{
    EXPECT_TRUE(StringUtils::lessByDottedParts("log.2.txt", "log.10.txt"));
    EXPECT_FALSE(StringUtils::lessByDottedParts("log.10.txt", "log.2.txt"));
    EXPECT_TRUE(StringUtils::lessByDottedParts("app20240301T14.00.00Z.log", "app20240301T14.00.00Z.0.log"));
    EXPECT_TRUE(StringUtils::lessByDottedParts("app20240301T14.00.00Z.9.log", "app20240301T14.00.00Z.10.log"));
    EXPECT_TRUE(StringUtils::lessByDottedParts("app20240301T14.00.00Z.10.log", "app20240301T15.00.00Z.log"));
    EXPECT_FALSE(StringUtils::lessByDottedParts("nodots", "nodots"));
    EXPECT_NE(StringUtils::lessByDottedParts("a", "b"), StringUtils::lessByDottedParts("b", "a"));
    EXPECT_TRUE(StringUtils::lessByDottedParts("x.99999999999999999999.l", "x.100000000000000000000.l"));
}

TEST(StringUtils, DottedPartsIsAStrictWeakOrder)
{
    const std::vector<std::string> pieces = {"1", "2", "10", "01", "1a", "a", "", "Z", "b9"};
    std::mt19937 random(7);
    std::vector<std::string> names;
    for (int i = 0; i < 60; ++i)
    {
        std::string name = "f";
        const int parts = static_cast<int>(random() % 4);
        for (int p = 0; p < parts; ++p)
        {
            name += "." + pieces[random() % pieces.size()];
        }
        if (random() % 3 != 0)
        {
            name += ".log";
        }
        names.push_back(name);
    }
    const auto less = [](const std::string& a, const std::string& b) { return StringUtils::lessByDottedParts(a, b); };
    for (const std::string& a : names)
    {
        EXPECT_FALSE(less(a, a)) << a;
        for (const std::string& b : names)
        {
            if (less(a, b))
            {
                EXPECT_FALSE(less(b, a)) << a << " " << b;
            }
            for (const std::string& c : names)
            {
                if (less(a, b) && less(b, c))
                {
                    ASSERT_TRUE(less(a, c)) << a << " " << b << " " << c;
                }
            }
        }
    }
    std::sort(names.begin(), names.end(), less);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end(), less));
}

TEST(StringUtils, HexDumpLines)
{
    ostrum::io::MemoryOutputStream memory;
    ostrum::io::DataOutputStream sink(&memory, 0);
    std::string data = "0123456789abcdef%\x01\xff";
    StringUtils::hexDump(&sink, reinterpret_cast<const unsigned char*>(data.data()), static_cast<int>(data.size()), 2,
                         4);
    const std::string written(reinterpret_cast<char*>(memory.getBuffer(false)),
                              static_cast<std::size_t>(memory.getSize()));
    EXPECT_EQ(written, "  0000 : 30 31 32 33 34 35 36 37 38 39 61 62 63 64 65 66 : 0123456789abcdef\r\n"
                       "  0010 : 25 01 FF -- -- -- -- -- -- -- -- -- -- -- -- -- : %..\r\n");

    memory.clear();
    const std::string wide(300, 'x');
    StringUtils::hexDump(&sink, reinterpret_cast<const unsigned char*>(wide.data()), 300, 120, 1);
    const std::string first(reinterpret_cast<char*>(memory.getBuffer(false)), 130);
    EXPECT_EQ(first.substr(118, 12), "  000 : 78 7");
    StringUtils::hexDump(&sink, reinterpret_cast<const unsigned char*>(wide.data()), 0, 0, 0);

    testing::internal::CaptureStdout();
    StringUtils::hexDump(nullptr, reinterpret_cast<const unsigned char*>("%d"), 2, 0, 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "0 : 25 64 -- -- -- -- -- -- -- -- -- -- -- -- -- -- : %d\n");
}

TEST(StringUtils, PasswordStrengthScores)
{
    // Single-precision rounding is part of the score: "abcde" sums to 0.15000001 and scores 16.
    const std::vector<std::pair<std::string, int>> cases = {{"", 0},
                                                            {"abcdefgh", 18},
                                                            {"12345678", 28},
                                                            {"Abcdefgh1!", 77},
                                                            {"Abcdefghijklmno1!", 100},
                                                            {"aaaaaaaaaaaaaaaaaaaa", 50},
                                                            {"a", 11},
                                                            {"abcde", 16},
                                                            {"Abcdefgh1", 53}};
    for (const auto& [text, score] : cases)
    {
        EXPECT_EQ(StringUtils::passwordStrength(text), score) << text;
    }
}

}  // namespace
