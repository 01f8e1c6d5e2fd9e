// Pushback streams, the stream tokenizers and the string tokenizer.
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"
#include "Libraries/OstrumCore/Source/IO/StreamTokenizer.h"
#include "Libraries/OstrumCore/Source/IO/UnicodeStreamTokenizer.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"
#include "Libraries/OstrumCore/Source/Utils/StringTokenizer.h"
#include "StreamTestSupport.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

std::vector<std::string> Tokens(const std::string& text, std::vector<const char*> stops, bool quotes = false)
{
    ostrum_test::BytesInput input(text);
    ostrum::io::StreamTokenizer tokenizer(&input.Stream(), 4);
    tokenizer.addStopStrings(stops);
    tokenizer.quoteMode = quotes;
    std::vector<std::string> tokens;
    while (const char* token = tokenizer.nextToken())
    {
        tokens.emplace_back(token);
    }
    EXPECT_FALSE(tokenizer.hasMoreTokens());
    EXPECT_EQ(tokenizer.nextToken(), nullptr);
    return tokens;
}

using Strings = std::vector<std::string>;

TEST(StreamTokenizer, SplitsAtDelimitersAndStopStrings)
{
    EXPECT_EQ(Tokens("  a b\t\nc  ", {}), Strings({"a", "b", "c"}));
    EXPECT_EQ(Tokens("ab<cd", {"<"}), Strings({"ab", "<", "cd"}));
    EXPECT_EQ(Tokens("<a/>", {"<", "/>"}), Strings({"<", "a", "/>"}));
    EXPECT_EQ(Tokens("x\"?>", {"/>", "-->", "<", ">"}), Strings({"x\"?", ">"}));
    EXPECT_EQ(Tokens("a-->b", {"-->", ">"}), Strings({"a", "-->", "b"}));
    EXPECT_EQ(Tokens("", {"<"}), Strings({}));
}

TEST(StreamTokenizer, QuoteModeKeepsBlanksInsideQuotes)
{
    EXPECT_EQ(Tokens("n=\"a b\" m", {}, true), Strings({"n=\"a b\"", "m"}));
    EXPECT_EQ(Tokens("n=\"a b\" m", {}, false), Strings({"n=\"a", "b\"", "m"}));
    // Nor do stop strings end a token inside quotes; outside them they still do.
    const std::vector<const char*> markup = {"/>", "-->", "<", ">"};
    EXPECT_EQ(Tokens("p=\"<a>/>-->\"/>", markup, true), Strings({"p=\"<a>/>-->\"", "/>"}));
    EXPECT_EQ(Tokens("p=\"x\">y", markup, true), Strings({"p=\"x\"", ">", "y"}));
    EXPECT_EQ(Tokens("p=\"<a>\"", markup, false), Strings({"p=\"", "<", "a", ">", "\""}));
}

TEST(StreamTokenizer, LongTokensGrowTheBuffer)
{
    const std::string longToken(5000, 'x');
    EXPECT_EQ(Tokens(longToken + " y", {}), Strings({longToken, "y"}));
}

TEST(UnicodeStreamTokenizer, ReadsSixteenBitCharactersAndStopStrings)
{
    const std::u16string text = u"\u00e9a<b c";
    std::vector<unsigned char> bytes;
    for (const char16_t c : text)
    {
        bytes.push_back(static_cast<unsigned char>(c & 0xFF));
        bytes.push_back(static_cast<unsigned char>(c >> 8));
    }
    ostrum_test::BytesInput input(bytes);
    ostrum::io::UnicodeStreamTokenizer tokenizer(&input.Stream(), 8);
    tokenizer.addStopChars(L"<");
    std::vector<std::wstring> tokens;
    while (const wchar_t* token = tokenizer.nextToken())
    {
        tokens.emplace_back(token);
    }
    EXPECT_EQ(tokens, std::vector<std::wstring>({L"\u00e9a", L"<", L"b", L"c"}));
}

TEST(PushbackInputStream, BytesComeBackInOrderAndTheBufferIsBounded)
{
    ostrum_test::BytesInput input(std::string("z"));
    ostrum::io::PushbackInputStream stream(&input.Stream(), 2);
    const unsigned char xy[] = {'x', 'y'};
    stream.unread(xy, 2);
    EXPECT_THROW(stream.unread('w'), ostrum::io::IOException);
    EXPECT_EQ(stream.read(), 'x');
    EXPECT_EQ(stream.read(), 'y');
    EXPECT_EQ(stream.read(), 'z');
    EXPECT_EQ(stream.read(), -1);
    EXPECT_THROW(stream.unread(xy, 3), ostrum::io::IOException);
    EXPECT_THROW(stream.unread(nullptr, 1), ostrum::IllegalArgumentException);
    EXPECT_THROW(ostrum::io::PushbackInputStream(&input.Stream(), 0), ostrum::IllegalArgumentException);
}

TEST(PushbackInputStream, BlockReadAtTheEndKeepsThePushedBackBytes)
{
    ostrum_test::BytesInput input(std::string(""));
    ostrum::io::PushbackInputStream stream(&input.Stream(), 4);
    stream.unread('b');
    stream.unread('a');
    unsigned char buf[8] = {};
    EXPECT_EQ(stream.read(buf, 8), 2);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf), 2), "ab");
    EXPECT_EQ(stream.read(buf, 8), -1);
}

TEST(PushbackInputStream, BlockReadJoinsPushedBackAndWrappedBytes)
{
    ostrum_test::BytesInput input(std::string("cd"));
    ostrum::io::PushbackInputStream stream(&input.Stream(), 4);
    stream.unread('b');
    unsigned char buf[8] = {};
    EXPECT_EQ(stream.read(buf, 1, 3), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buf + 1), 3), "bcd");
}

TEST(StringTokenizer, TokensAndTheirOffsets)
{
    ostrum::utils::StringTokenizer tokenizer("a;b;;c", ";");
    int start = -1;
    EXPECT_EQ(tokenizer.nextToken(&start), "a");
    EXPECT_EQ(start, 0);
    EXPECT_EQ(tokenizer.nextToken(&start), "b");
    EXPECT_EQ(start, 2);
    EXPECT_TRUE(tokenizer.hasMoreTokens());
    EXPECT_EQ(tokenizer.nextToken(&start), "c");
    EXPECT_EQ(start, 5);
    EXPECT_FALSE(tokenizer.hasMoreTokens());
    EXPECT_EQ(tokenizer.nextToken(), "");
}

TEST(StringTokenizer, DefaultAndChangedDelimiters)
{
    ostrum::utils::StringTokenizer tokenizer(" x\ty ", "");
    EXPECT_TRUE(tokenizer.isDelimiterAt(0));
    EXPECT_FALSE(tokenizer.isDelimiterAt(1));
    EXPECT_THROW(tokenizer.isDelimiterAt(5), std::out_of_range);
    EXPECT_THROW(tokenizer.isDelimiterAt(-1), std::out_of_range);
    EXPECT_EQ(tokenizer.nextToken(), "x");
    tokenizer.setDelimiters("y");
    EXPECT_EQ(tokenizer.nextToken(), "\t");
    tokenizer.addDelimiters(" ");
    EXPECT_FALSE(tokenizer.hasMoreTokens());
}

}  // namespace
