#include "platform/com/Bstr.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring TextOf(BSTR text)
{
    return std::wstring(text, SysStringLen(text));
}

TEST(Bstr, KeepsEmbeddedNulsAndTerminates)
{
    const wchar_t source[] = {L'a', L'\0', L'b', L'\0', L'c'};
    BSTR text = SysAllocStringLen(source, 5);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(SysStringLen(text), 5u);
    EXPECT_EQ(SysStringByteLen(text), 5u * sizeof(wchar_t));
    EXPECT_EQ(TextOf(text), std::wstring(source, 5));
    EXPECT_EQ(text[5], L'\0');
    SysFreeString(text);
}

TEST(Bstr, NullStandsForTheEmptyText)
{
    EXPECT_EQ(SysAllocString(nullptr), nullptr);
    EXPECT_EQ(SysStringLen(nullptr), 0u);
    EXPECT_EQ(SysStringByteLen(nullptr), 0u);
    SysFreeString(nullptr);

    BSTR empty = SysAllocString(L"");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    EXPECT_EQ(empty[0], L'\0');
    SysFreeString(empty);
}

TEST(Bstr, LengthWithoutSourceGivesZeroedText)
{
    BSTR text = SysAllocStringLen(nullptr, 4);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(TextOf(text), std::wstring(4, L'\0'));
    SysFreeString(text);
}

TEST(Bstr, RefusesLengthBeyondLimit)
{
    EXPECT_EQ(SysAllocStringLen(nullptr, kMaxBstrLength + 1), nullptr);
    EXPECT_EQ(SysAllocStringLen(L"x", 0xFFFFFFFFu), nullptr);
}

TEST(Bstr, SysAllocStringStopsAtFirstNul)
{
    BSTR text = SysAllocString(L"Grüße\0hidden");
    EXPECT_EQ(TextOf(text), L"Grüße");
    SysFreeString(text);
}

TEST(Bstr, ReAllocReplacesEvenFromItsOwnText)
{
    BSTR text = SysAllocString(L"abcdef");
    ASSERT_EQ(SysReAllocString(&text, text + 2), TRUE);
    EXPECT_EQ(TextOf(text), L"cdef");
    ASSERT_EQ(SysReAllocString(&text, nullptr), TRUE);
    EXPECT_EQ(text, nullptr);
    ASSERT_EQ(SysReAllocString(&text, L"new"), TRUE);
    EXPECT_EQ(TextOf(text), L"new");
    EXPECT_EQ(SysReAllocString(nullptr, L"x"), FALSE);
    SysFreeString(text);
}

}  // namespace
