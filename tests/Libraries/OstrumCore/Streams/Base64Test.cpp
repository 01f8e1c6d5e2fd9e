#include "Libraries/OstrumCore/Source/IO/Base64InputStream.h"
#include "Libraries/OstrumCore/Source/IO/Base64OutputStream.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"
#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <random>
#include <string>
#include <vector>

namespace {

using ostrum::io::Base64InputStream;
using ostrum::io::Base64OutputStream;
using ostrum::io::IOException;
using ostrum::io::MemoryInputStream;
using ostrum::io::MemoryOutputStream;
using ostrum::utils::StringUtils;

const unsigned char* bytes(const std::string& text)
{
    return reinterpret_cast<const unsigned char*>(text.data());
}

std::string encode(const std::string& data)
{
    return StringUtils::base64Encode(bytes(data), static_cast<int>(data.size()), true);
}

// Decodes with a buffer as large as the text; throws what the decoder throws.
std::string decode(const std::string& text)
{
    std::vector<unsigned char> buffer(text.size() + 1);
    int length = static_cast<int>(buffer.size());
    if (!StringUtils::base64Decode(text, buffer.data(), &length))
    {
        return "<false>";
    }
    return std::string(buffer.begin(), buffer.begin() + length);
}

TEST(Base64, EncodesGroupsWithFillAndNoLineBreaks)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},        {"a", "YQ=="},        {"ab", "YWI="},
        {"abc", "YWJj"}, {"abcd", "YWJjZA=="}, {std::string("\0\xff\x10", 3), "AP8Q"}};
    for (const auto& [plain, text] : cases)
    {
        EXPECT_EQ(encode(plain), text) << plain;
    }
    const std::string longText = encode(std::string(300, 'z'));
    EXPECT_EQ(longText.size(), 400u);
    EXPECT_EQ(longText.find('\n'), std::string::npos);
    EXPECT_EQ(StringUtils::base64Encode(bytes("a"), 1, false), "YQ");
    EXPECT_EQ(StringUtils::base64Encode(bytes("abc"), 3, false), "YWJj");
}

TEST(Base64, DecodesSkippingBlanksAndStoppingAtFill)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"YW Jj\n", "abc"},    {"YQ", "a"}, {"YQ==", "a"}, {"YWJj=garbage!", "abc"},
        {"\tY W\fJ j", "abc"}, {"", ""},    {"YWI", "ab"}};
    for (const auto& [text, plain] : cases)
    {
        EXPECT_EQ(decode(text), plain) << text;
    }
}

TEST(Base64, InvalidCharactersRaiseAndLeaveTheOutputAlone)
{
    const std::vector<std::string> hostile = {"YWJj\r\n", "YW*j", std::string("YW\0j", 4), "YW\x80j", "YW\xffj",
                                              "\xc3\xa9", "-_"};
    for (const std::string& text : hostile)
    {
        unsigned char buffer[8] = {7, 7, 7, 7, 7, 7, 7, 7};
        int length = 8;
        EXPECT_THROW(StringUtils::base64Decode(text, buffer, &length), IOException) << text;
        EXPECT_EQ(length, 8);
        EXPECT_EQ(buffer[0], 7);
    }
}

TEST(Base64, DecodeReportsTheSizeNeeded)
{
    unsigned char buffer[3] = {};
    int length = 2;
    EXPECT_FALSE(StringUtils::base64Decode("YWJj", buffer, &length));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_TRUE(StringUtils::base64Decode("YWJj", buffer, &length));
    EXPECT_EQ(length, 3);
    EXPECT_EQ(buffer[2], 'c');

    int zero = 0;
    int negative = -4;
    EXPECT_FALSE(StringUtils::base64Decode("YWJj", buffer, &zero));
    EXPECT_FALSE(StringUtils::base64Decode("YWJj", buffer, &negative));
    EXPECT_FALSE(StringUtils::base64Decode("YWJj", nullptr, &length));
    EXPECT_FALSE(StringUtils::base64Decode("YWJj", buffer, nullptr));
    EXPECT_EQ(zero, 0);
    EXPECT_EQ(negative, 3) << "a negative capacity is too small, and is told the size needed";
}

TEST(Base64, AgreesWithOpenSslOnRandomData)
{
    std::mt19937 random(20261207);
    for (int round = 0; round < 200; ++round)
    {
        std::string data(random() % 300, '\0');
        for (char& c : data)
        {
            c = static_cast<char>(random());
        }
        std::vector<unsigned char> reference(4 * ((data.size() + 2) / 3) + 1);
        const int written = EVP_EncodeBlock(reference.data(), bytes(data), static_cast<int>(data.size()));
        const std::string expected(reference.begin(), reference.begin() + written);
        ASSERT_EQ(encode(data), expected);
        ASSERT_EQ(decode(expected), data);
    }
}

// What a reader made of a text: its bytes, or "<invalid>" when it raised IOException.
template <typename Read>
std::string outcome(Read read)
{
    try
    {
        return read();
    }
    catch (const IOException&)
    {
        return "<invalid>";
    }
}

// Every byte in each position of a group: the string functions and the stream read it alike,
// and as the rules say (the alphabet decodes, TAB LF FF SPACE are skipped, "=" ends the data
// dropping the unfinished byte, anything else is invalid).
TEST(Base64, EveryByteInEveryPositionReadsAlikeByTheStringsAndTheStream)
{
    const std::string alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const std::string blanks = "\t\n\f ";
    // OpenSSL's block decoder for the alphabet, up to `count` bytes.
    auto reference = [](std::string group, std::size_t count) {
        group.resize(4, 'A');
        unsigned char out[4] = {};
        EVP_DecodeBlock(out, bytes(group), 4);
        return std::string(reinterpret_cast<char*>(out), count);
    };
    for (int character = 0; character < 256; ++character)
    {
        for (std::size_t position = 0; position < 4; ++position)
        {
            std::string text = "YWJj";
            text[position] = static_cast<char>(character);
            std::string expected = "<invalid>";
            if (alphabet.find(static_cast<char>(character)) != std::string::npos)
                expected = reference(text, 3);
            else if (blanks.find(static_cast<char>(character)) != std::string::npos)
                expected = reference(std::string(text).erase(position, 1), 2);
            else if (character == '=')
                expected = std::string("abc", position * 3 / 4);

            const std::string strings = outcome([&] {
                const int size = StringUtils::base64DecodedSize(text);
                std::string into(4, '-');
                EXPECT_EQ(StringUtils::base64DecodeInto(text, reinterpret_cast<unsigned char*>(into.data()), size),
                          size);
                into.resize(static_cast<std::size_t>(size));
                EXPECT_EQ(decode(text), into);
                return into;
            });
            const std::string stream = outcome([&] {
                MemoryInputStream memory(bytes(text), static_cast<int>(text.size()));
                Base64InputStream decoder(memory);
                unsigned char buffer[8] = {};
                return std::string(reinterpret_cast<char*>(buffer), static_cast<std::size_t>(decoder.read(buffer, 8)));
            });
            EXPECT_EQ(strings, expected) << "byte " << character << " at " << position;
            EXPECT_EQ(stream, expected) << "byte " << character << " at " << position;
        }
    }
}

TEST(Base64, StreamsFillFromTheOffsetAndForwardPositioning)
{
    const std::string text = "YWJjZGVm";
    MemoryInputStream memory(bytes(text), static_cast<int>(text.size()));
    Base64InputStream decoder(memory);
    unsigned char buffer[8] = {'-', '-', '-', '-', '-', '-', '-', '-'};
    EXPECT_EQ(decoder.read(buffer, 2, 4), 4);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 8), "--abcd--");
    EXPECT_EQ(decoder.getPosition(), 6);
    EXPECT_EQ(decoder.read(buffer, 0, 10), 2);
    EXPECT_EQ(decoder.read(buffer, 0, 10), 0);
    EXPECT_EQ(decoder.read(buffer, 0, 0), 0);
    EXPECT_EQ(decoder.isEOF(), 1);

    // "=" right after a group's first character ends the data; a reader that reads on continues
    // that group from its first character's bits, not from the group before's.
    const std::string ended = "YWJjY=WJj";
    MemoryInputStream endedMemory(bytes(ended), static_cast<int>(ended.size()));
    Base64InputStream reader(endedMemory);
    std::string read;
    for (int byte = reader.read(); byte >= 0; byte = reader.read())
        read.push_back(static_cast<char>(byte));
    EXPECT_EQ(read, "abc");
    EXPECT_EQ(reader.read(buffer, 0, 8), 3);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(buffer), 3), "abc");

    MemoryOutputStream out;
    Base64OutputStream encoder(out);
    encoder.write(bytes("ab"), 2);
    EXPECT_EQ(encoder.flush(), 0);
    encoder.write(bytes("c"), 1);
    encoder.flush();
    EXPECT_EQ(std::string(reinterpret_cast<char*>(out.getBuffer(false)), 8), "YWI=Yw==");
    EXPECT_EQ(encoder.getLength(), 8);
}

// An output stream that refuses every byte with a negative result.
class RefusingStream : public ostrum::io::OutputStream
{
public:
    using OutputStream::write;
    int write(unsigned char) override { return -5; }
    int write(const unsigned char*, int) override { return -5; }
    int flush() override { return 0; }
};

TEST(Base64, NegativeResultsOfTheWrappedStreamPassThrough)
{
    RefusingStream refusing;
    Base64OutputStream encoder(refusing);
    EXPECT_EQ(encoder.write(bytes("abcdef"), 6), -5);
    EXPECT_EQ(encoder.write(static_cast<unsigned char>('x')), 0);
    EXPECT_EQ(encoder.flush(), -5);
    EXPECT_EQ(encoder.flush(), 0);
}

}  // namespace
