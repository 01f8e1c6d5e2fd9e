#include "platform/win32/HexDigits.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(HexDigits, EncodesEachByteAsTwoDigitsInTheCaseAsked)
{
    struct Case
    {
        std::vector<unsigned char> bytes;
        hex::Letters letters;
        std::string text;
    };
    const Case cases[] = {
        {{}, hex::Letters::Upper, ""},
        {{0x00}, hex::Letters::Lower, "00"},
        {{0x0A, 0x1B, 0xFF, 0x7F, 0xC3}, hex::Letters::Upper, "0A1BFF7FC3"},
        {{0x0A, 0x1B, 0xFF, 0x7F, 0xC3}, hex::Letters::Lower, "0a1bff7fc3"},
        {{0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF}, hex::Letters::Upper, "0123456789ABCDEF"},
    };
    for (const Case& test : cases)
    {
        EXPECT_EQ(hex::Encode<char>(test.bytes, test.letters), test.text);
        const std::wstring wide = hex::Encode<wchar_t>(test.bytes, test.letters);
        EXPECT_EQ(wide, std::wstring(test.text.begin(), test.text.end()));
        // Decoding gives the bytes back.
        std::vector<unsigned char> back(test.bytes.size());
        ASSERT_TRUE(hex::Decode(std::string_view(test.text), back.data()));
        EXPECT_EQ(back, test.bytes);
    }
}
