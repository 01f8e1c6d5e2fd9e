#include "platform/security/Sid.h"
#include "platform/win32/LocalMemory.h"
#include "platform/win32/SystemInfo.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct SidCase
{
    std::vector<BYTE> m_bytes;
    const wchar_t* m_text;
};

const SidCase kGoodSids[] = {
    {{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0}, L"S-1-5-18"},
    {{1, 1, 0, 0, 0, 0, 0, 5, 20, 0, 0, 0}, L"S-1-5-20"},
    {{1, 0, 0, 0, 0, 0, 0, 5}, L"S-1-5"},
    {{1,    5,    0, 0, 0, 0, 0,    5,    21,   0,    0,    0,    0x15, 0xCD,
      0x5B, 0x07, 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0xE9, 0x03, 0,    0},
     L"S-1-5-21-123456789-1-4294967295-1001"},
    // Authorities of 2^32 and more are written in hexadecimal.
    {{1, 1, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 7, 0, 0, 0}, L"S-1-0x010203040506-7"},
    {{1, 15, 0, 0, 0, 0, 0, 1, 1, 0, 0,  0, 2, 0, 0,  0, 3, 0, 0,  0, 4, 0, 0,  0, 5, 0, 0,  0, 6, 0, 0,  0, 7, 0,
      0, 0,  8, 0, 0, 0, 9, 0, 0, 0, 10, 0, 0, 0, 11, 0, 0, 0, 12, 0, 0, 0, 13, 0, 0, 0, 14, 0, 0, 0, 15, 0, 0, 0},
     L"S-1-1-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15"},
};

std::wstring TextOf(std::span<const BYTE> bytes, DWORD& error)
{
    LPWSTR text = reinterpret_cast<LPWSTR>(1);
    const BOOL converted = ConvertSidToStringSidW(bytes, &text);
    error = GetLastError();
    if (!converted)
    {
        EXPECT_EQ(text, nullptr);
        return L"<failed>";
    }
    std::wstring result(text);
    EXPECT_EQ(LocalFree(text), nullptr);
    return result;
}

}  // namespace

TEST(SidText, GoodBinarySidsConvertBothWays)
{
    for (const SidCase& sid : kGoodSids)
    {
        DWORD error = 0;
        EXPECT_EQ(TextOf(sid.m_bytes, error), sid.m_text);

        PSID binary = nullptr;
        ASSERT_TRUE(ConvertStringSidToSidW(sid.m_text, &binary)) << sid.m_text;
        const auto* bytes = static_cast<const BYTE*>(binary);
        EXPECT_EQ(std::vector<BYTE>(bytes, bytes + sid.m_bytes.size()), sid.m_bytes) << sid.m_text;
        // The pointer form reads no further than the SID's own header says.
        LPWSTR text = nullptr;
        ASSERT_TRUE(ConvertSidToStringSidW(binary, &text));
        EXPECT_STREQ(text, sid.m_text);
        LocalFree(text);
        EXPECT_EQ(LocalFree(binary), nullptr);
    }
}

TEST(SidText, MalformedBinarySidsAnswerInvalidSid)
{
    const std::vector<BYTE> malformed[] = {
        {},
        {1, 0, 0, 0, 0, 0, 0},                   // shorter than the header
        {2, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0},   // revision 2
        {1, 16, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0},  // 16 sub-authorities
        {1, 2, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0},   // second one missing
        {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0},      // last one cut short
    };
    for (const auto& bytes : malformed)
    {
        DWORD error = 0;
        EXPECT_EQ(TextOf(bytes, error), L"<failed>") << bytes.size();
        EXPECT_EQ(error, ERROR_INVALID_SID);
    }
    // Bytes after a complete SID are not part of it.
    DWORD error = 0;
    EXPECT_EQ(TextOf(std::vector<BYTE>{1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0, 0xAA}, error), L"S-1-5-18");
}

TEST(SidText, PointerFormRejectsBadHeadersAndNulls)
{
    const BYTE tooMany[] = {1, 16, 0, 0, 0, 0, 0, 5};
    LPWSTR text = reinterpret_cast<LPWSTR>(1);
    EXPECT_FALSE(ConvertSidToStringSidW(const_cast<BYTE*>(tooMany), &text));
    EXPECT_EQ(text, nullptr);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
    EXPECT_FALSE(ConvertSidToStringSidW(static_cast<PSID>(nullptr), &text));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_SID);
    const BYTE good[] = {1, 0, 0, 0, 0, 0, 0, 5};
    EXPECT_FALSE(ConvertSidToStringSidW(const_cast<BYTE*>(good), nullptr));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SidText, MalformedTextsAnswerInvalidSid)
{
    const wchar_t* const malformed[] = {
        L"",
        L"S",
        L"S-1",
        L"S-1-",
        L"S-2-5-18",
        L"S-01-5-18",
        L"X-1-5-18",
        L"S-1-5-",
        L"S-1-5--18",
        L"S-1-5-18-",
        L"S-1--5",
        L"S-1-5-4294967296",
        L"S-1-5-+18",
        L"S-1-5--1",
        L"S-1-5- 18",
        L"S-1-5-18 ",
        L"S-1-5-18x",
        L"S-1-281474976710656",
        L"S-1-0x",
        L"S-1-0x1234567890123",
        L"S-1-0xG",
        L"S-1-5-\u0661",
        L"S-1-1-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16",
        L"INTERNAL_SID_FOR_ADMIN",
    };
    for (const wchar_t* text : malformed)
    {
        PSID sid = reinterpret_cast<PSID>(1);
        EXPECT_FALSE(ConvertStringSidToSidW(text, &sid)) << text;
        EXPECT_EQ(sid, nullptr);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_SID) << text;
    }
    PSID sid = nullptr;
    EXPECT_FALSE(ConvertStringSidToSidW(nullptr, &sid));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(SidText, AcceptsTheTextFormsWindowsAccepts)
{
    const std::pair<const wchar_t*, const wchar_t*> equivalents[] = {
        {L"s-1-5-18", L"S-1-5-18"},
        {L"S-1-0x5-18", L"S-1-5-18"},
        {L"S-1-0xffffffffffff", L"S-1-0xFFFFFFFFFFFF"},
        {L"S-1-5-018", L"S-1-5-18"},
    };
    for (const auto& [input, canonical] : equivalents)
    {
        const std::optional<std::vector<BYTE>> bytes = SidCodec::FromText(input);
        ASSERT_TRUE(bytes) << input;
        EXPECT_EQ(SidCodec::ToText(*bytes), std::wstring(canonical));
    }
}
