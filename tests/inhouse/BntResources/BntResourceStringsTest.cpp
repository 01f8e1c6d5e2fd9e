#include "inhouse/BntResources/BntResourceStrings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <string>

using brontel::resources::FindResourceString;
using brontel::resources::LoadResourceString;

namespace {

// Highest insert number a format text uses, so that every caller's argument count fits.
int HighestInsert(LPCWSTR text)
{
    int highest = 0;
    for (const wchar_t* p = text; *p != L'\0'; ++p)
    {
        if (p[0] == L'%' && p[1] >= L'1' && p[1] <= L'9')
        {
            highest = std::max(highest, static_cast<int>(p[1] - L'0'));
        }
    }
    return highest;
}

TEST(BntResourceStrings, EveryNumberTheSystemLoadsHasItsInserts)
{
    const struct
    {
        UINT id;
        int inserts;
    } expected[] = {
        {10063, 0}, {10064, 0}, {10065, 0}, {10066, 0}, {10185, 1}, {10186, 1}, {10187, 1}, {10188, 1}, {10189, 1},
        {10191, 1}, {10193, 1}, {10194, 1}, {10195, 1}, {10196, 1}, {10197, 1}, {10198, 1}, {10217, 1}, {10218, 1},
        {10219, 1}, {10220, 1}, {10221, 1}, {10222, 1}, {10223, 1}, {10224, 1}, {10225, 1}, {10226, 1}, {10227, 1},
        {10228, 1}, {10229, 1}, {10230, 1}, {10231, 1}, {10232, 1}, {10233, 1}, {10234, 1}, {10235, 1}, {10236, 1},
        {10237, 1}, {10238, 1}, {10239, 1}, {10240, 1}, {10241, 1}, {10270, 1}, {10271, 1}, {10272, 1}, {10273, 1},
        {10274, 1}, {10275, 1}, {11349, 1}, {11678, 0}, {11683, 0}, {11755, 0}, {11818, 1}, {12873, 3}, {20528, 3},
        {20702, 2}, {20704, 4}, {20705, 4}, {20733, 6}, {20902, 0}, {20924, 2}, {20931, 2}, {21415, 2}, {21416, 1},
        {21417, 1}, {21418, 2}, {21419, 2}, {23391, 2},
    };
    for (const auto& e : expected)
    {
        CString text;
        ASSERT_TRUE(LoadResourceString(e.id, text)) << e.id;
        EXPECT_FALSE(text.IsEmpty()) << e.id;
        EXPECT_EQ(HighestInsert(text), e.inserts) << e.id;
    }
}

TEST(BntResourceStrings, UnknownNumberGivesEmptyTextAndFalse)
{
    for (UINT id : {0u, 1u, 10062u, 10190u, 99999u, 0xFFFFFFFFu})
    {
        CString text(L"left over");
        EXPECT_FALSE(LoadResourceString(id, text)) << id;
        EXPECT_TRUE(text.IsEmpty()) << id;
        EXPECT_EQ(FindResourceString(id), nullptr) << id;
    }
}

TEST(BntResourceStrings, DeviceTextsFormatWithTheDeviceName)
{
    CString format;
    ASSERT_TRUE(LoadResourceString(10218, format));
    CString text;
    text.FormatMessage(format, L"Lobby input 1");
    EXPECT_NE(std::wstring(static_cast<LPCWSTR>(text)).find(L"Lobby input 1"), std::wstring::npos);
    EXPECT_EQ(std::wstring(static_cast<LPCWSTR>(text)).find(L'%'), std::wstring::npos);
}

TEST(BntResourceStrings, NumericInsertsTakeIntegers)
{
    CString format;
    ASSERT_TRUE(LoadResourceString(20704, format));
    CString text;
    text.FormatMessage(format, L"1234567890123", static_cast<LONG>(2), static_cast<LONG>(77), L"Smith, Ann");
    const std::wstring s(static_cast<LPCWSTR>(text));
    EXPECT_NE(s.find(L"1234567890123"), std::wstring::npos);
    EXPECT_NE(s.find(L"77"), std::wstring::npos);
    EXPECT_NE(s.find(L"Smith, Ann"), std::wstring::npos);
}

}  // namespace
