#include "platform/com/Bstr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

TEST(Bstr, ReAllocLenResizesAndCopiesEvenFromItself)
{
    struct Case
    {
        const wchar_t* before;
        std::wstring text;
        std::size_t from;  // npos: the text is given; else it is read from the old value at this offset
    };
    const std::size_t given = std::wstring::npos;
    const std::vector<Case> cases = {
        {nullptr, L"new", given},
        {L"a longer old value", L"short", given},
        {L"old", std::wstring(5000, L'x'), given},
        {L"shift me left", L"me left", 6},
        {L"whole", L"whole", 0},
    };
    for (const Case& c : cases)
    {
        BSTR target = c.before == nullptr ? nullptr : SysAllocString(c.before);
        const OLECHAR* source = c.from == given ? c.text.c_str() : target + c.from;
        ASSERT_TRUE(SysReAllocStringLen(&target, source, static_cast<UINT>(c.text.size())));
        EXPECT_EQ(TextOf(target), c.text);
        EXPECT_EQ(target[c.text.size()], L'\0');
        SysFreeString(target);
    }
    BSTR kept = SysAllocString(L"kept");
    EXPECT_FALSE(SysReAllocStringLen(&kept, L"x", kMaxBstrLength + 1));
    EXPECT_EQ(TextOf(kept), L"kept");
    EXPECT_FALSE(SysReAllocStringLen(nullptr, L"x", 1));
    ASSERT_TRUE(SysReAllocStringLen(&kept, nullptr, 3));
    EXPECT_EQ(TextOf(kept), std::wstring(3, L'\0'));
    SysFreeString(kept);
}

}  // namespace
