#include <gtest/gtest.h>

#include <map>
#include <unordered_set>
#include <vector>

#include "platform/com/Bstr.h"
#include "platform/mfc/CException.h"
#include "platform/mfc/CString.h"

namespace {

std::vector<CString> TokensOf(const CString& text, const wchar_t* delimiters, std::vector<int>* positions = nullptr)
{
    std::vector<CString> tokens;
    int position = 0;
    for (int guard = 0; guard < 100; ++guard)
    {
        const CString token = text.Tokenize(delimiters, position);
        if (positions != nullptr)
            positions->push_back(position);
        if (position == -1)
            break;
        tokens.push_back(token);
    }
    return tokens;
}

}  // namespace

TEST(CString, ConstructsFromWideNarrowRepeatedAndCountedText)
{
    EXPECT_STREQ(CString(static_cast<const wchar_t*>(nullptr)), L"");
    EXPECT_STREQ(CString(static_cast<const char*>(nullptr)), L"");
    EXPECT_STREQ(CString("gr\xC3\xBC\xC3\x9F"), L"gr\u00FC\u00DF");
    EXPECT_STREQ(CString(L'x', 3), L"xxx");
    EXPECT_TRUE(CString(L'x', -2).IsEmpty());
    const wchar_t withNul[] = {L'a', L'\0', L'b'};
    EXPECT_EQ(CString(withNul, 3).GetLength(), 3);
    EXPECT_TRUE(CString(L"abc", -1).IsEmpty());
}

TEST(CString, TokenizeSkipsLeadingDelimitersAndEndsWithMinusOne)
{
    std::vector<int> positions;
    const std::vector<CString> tokens = TokensOf(L",,a,,b;c,", L",;", &positions);
    ASSERT_EQ(tokens.size(), 3u);
    EXPECT_STREQ(tokens[0], L"a");
    EXPECT_STREQ(tokens[1], L"b");
    EXPECT_STREQ(tokens[2], L"c");
    EXPECT_EQ(positions, (std::vector<int>{4, 7, 9, -1}));

    EXPECT_TRUE(TokensOf(L"", L",").empty());
    EXPECT_TRUE(TokensOf(L",,,", L",").empty());
    const std::vector<CString> last = TokensOf(L"x,y", L",");
    ASSERT_EQ(last.size(), 2u);
    EXPECT_STREQ(last[1], L"y");
}

TEST(CString, TokenizeWithoutDelimitersOrFromBadStartEnds)
{
    const std::vector<CString> whole = TokensOf(L"a,b", L"");
    ASSERT_EQ(whole.size(), 1u);
    EXPECT_STREQ(whole[0], L"a,b");
    EXPECT_EQ(TokensOf(L"a,b", nullptr).size(), 1u);

    int start = -5;
    EXPECT_TRUE(CString(L"a").Tokenize(L",", start).IsEmpty());
    EXPECT_EQ(start, -1);
    start = 10;
    EXPECT_TRUE(CString(L"a").Tokenize(L",", start).IsEmpty());
    EXPECT_EQ(start, -1);
}

TEST(CString, LeftMidRightClampOutOfRangeArguments)
{
    const CString text(L"abcdef");
    struct Case
    {
        CString actual;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {text.Left(2), L"ab"},
        {text.Left(-1), L""},
        {text.Left(99), L"abcdef"},
        {text.Mid(2), L"cdef"},
        {text.Mid(-3), L"abcdef"},
        {text.Mid(6), L""},
        {text.Mid(99), L""},
        {text.Mid(1, 2), L"bc"},
        {text.Mid(-2, 3), L"abc"},
        {text.Mid(4, 99), L"ef"},
        {text.Mid(2, -1), L""},
        {text.Mid(7, 1), L""},
        {text.Right(2), L"ef"},
        {text.Right(-1), L""},
        {text.Right(99), L"abcdef"},
        {text.Mid(0x7FFFFFFF, 0x7FFFFFFF), L""},
        {text.Mid(1, 0x7FFFFFFF), L"bcdef"},
    };
    for (const Case& c : cases)
        EXPECT_STREQ(c.actual, c.expected);
}

TEST(CString, TrimRemovesWhitespaceACharacterOrASet)
{
    CString text(L" \t\r\n\u3000 mid dle \n");
    EXPECT_STREQ(text.Trim(), L"mid dle");
    text = L"xxaxx";
    EXPECT_STREQ(text.TrimLeft(L'x'), L"axx");
    EXPECT_STREQ(text.TrimRight(L'x'), L"a");
    text = L"-=+value+=-";
    EXPECT_STREQ(text.Trim(L"+-="), L"value");
    text = L"abc";
    EXPECT_STREQ(text.Trim(L"abc"), L"");
    text = L"  keep  ";
    EXPECT_STREQ(text.Trim(static_cast<const wchar_t*>(nullptr)), L"  keep  ");
    text = L"aab";
    EXPECT_STREQ(text.TrimLeft(text.Left(1)), L"b");
}

TEST(CString, ReplaceRemoveInsertDeleteReportCounts)
{
    CString text(L"aaa");
    EXPECT_EQ(text.Replace(L"a", L"bb"), 3);
    EXPECT_STREQ(text, L"bbbbbb");
    EXPECT_EQ(text.Replace(L"bb", L""), 3);
    EXPECT_TRUE(text.IsEmpty());
    text = L"abab";
    EXPECT_EQ(text.Replace(L"", L"x"), 0);
    EXPECT_EQ(text.Replace(static_cast<const wchar_t*>(nullptr), L"x"), 0);
    EXPECT_EQ(text.Replace(L"zz", L"x"), 0);
    EXPECT_EQ(text.Replace(L'a', L'c'), 2);
    EXPECT_STREQ(text, L"cbcb");
    EXPECT_EQ(text.Remove(L'b'), 2);
    EXPECT_STREQ(text, L"cc");
    EXPECT_EQ(text.Insert(1, L"--"), 4);
    EXPECT_EQ(text.Insert(-5, L'<'), 5);
    EXPECT_EQ(text.Insert(99, L'>'), 6);
    EXPECT_STREQ(text, L"<c--c>");
    EXPECT_EQ(text.Delete(2, 2), 4);
    EXPECT_EQ(text.Delete(3, 99), 3);
    EXPECT_EQ(text.Delete(99), 3);
    EXPECT_EQ(text.Delete(-1, 1), 2);
    EXPECT_STREQ(text, L"cc");
}

TEST(CString, FindSearchesFromStartAndAnswersMinusOne)
{
    const CString text(L"hello world");
    EXPECT_EQ(text.Find(L'o'), 4);
    EXPECT_EQ(text.Find(L'o', 5), 7);
    EXPECT_EQ(text.Find(L'o', 8), -1);
    EXPECT_EQ(text.Find(L'o', -1), -1);
    EXPECT_EQ(text.Find(L"wor"), 6);
    EXPECT_EQ(text.Find(L"o", 99), -1);
    EXPECT_EQ(text.Find(L"", 11), 11);
    EXPECT_EQ(text.Find(static_cast<const wchar_t*>(nullptr)), -1);
    EXPECT_EQ(text.ReverseFind(L'o'), 7);
    EXPECT_EQ(text.ReverseFind(L'z'), -1);
    EXPECT_EQ(text.FindOneOf(L"wr"), 6);
    EXPECT_EQ(text.FindOneOf(L""), -1);
    EXPECT_STREQ(text.SpanIncluding(L"hel"), L"hell");
    EXPECT_STREQ(text.SpanExcluding(L" "), L"hello");
    EXPECT_STREQ(text.SpanExcluding(nullptr), L"hello world");
}

TEST(CString, AccessOutsideTheTextThrowsInvalidArgument)
{
    CString text(L"ab");
    EXPECT_EQ(text[1], L'b');
    EXPECT_EQ(text[std::size_t{0}], L'a');
    text.SetAt(0, L'z');
    EXPECT_STREQ(text, L"zb");
    EXPECT_THROW(text.GetAt(2), CInvalidArgException);
    EXPECT_THROW(text.GetAt(-1), CInvalidArgException);
    EXPECT_THROW(text.SetAt(2, L'x'), CInvalidArgException);
    EXPECT_THROW(text[std::size_t{1} << 40], CInvalidArgException);
}

TEST(CString, CaseMappingCoversUnicodeLetters)
{
    CString text(L"Admin \u00E9t\u00E9 \u03C3");
    EXPECT_STREQ(text.MakeUpper(), L"ADMIN \u00C9T\u00C9 \u03A3");
    EXPECT_STREQ(text.MakeLower(), L"admin \u00E9t\u00E9 \u03C3");
    EXPECT_EQ(CString(L"ADMIN").CompareNoCase(L"admin"), 0);
    EXPECT_EQ(CString(L"\u00C9").CompareNoCase(L"\u00E9"), 0);
    EXPECT_LT(CString(L"apple").CompareNoCase(L"Banana"), 0);
    EXPECT_GT(CString(L"b").CompareNoCase(nullptr), 0);
}

TEST(CString, CompareOrdersLikeUtf16CodeUnits)
{
    EXPECT_LT(CString(L"a").Compare(L"b"), 0);
    EXPECT_LT(CString(L"B").Compare(L"a"), 0);
    EXPECT_LT(CString(L"ab").Compare(L"abc"), 0);
    EXPECT_EQ(CString(L"").Compare(nullptr), 0);
    // U+1F600 is written D83D DE00 in UTF-16, which sorts before U+FF21.
    EXPECT_LT(CString(L"\U0001F600").Compare(L"\uFF21"), 0);
    EXPECT_TRUE(CString(L"a") < CString(L"b"));
    EXPECT_TRUE(CString(L"a") == L"a");
    EXPECT_TRUE(L"a" == CString(L"a"));
    EXPECT_TRUE(CString(L"a") != L"b");
}

TEST(CString, ConcatenationAndContainers)
{
    CString text = CString(L"a") + L"b" + L'c';
    text += "d";
    text += L'e';
    text = L'<' + text + CString(L">");
    EXPECT_STREQ(text, L"<abcde>");

    std::map<CString, int, CStringNoCaseLess> noCase{{L"Key", 1}};
    EXPECT_EQ(noCase.count(L"KEY"), 1u);
    std::unordered_set<CString> set{L"x", L"y"};
    EXPECT_EQ(set.count(L"x"), 1u);
    EXPECT_EQ(set.count(L"X"), 0u);
}

TEST(CString, BufferAccessSetsTheLength)
{
    CString text(L"abc");
    wchar_t* buffer = text.GetBuffer(10);
    buffer[3] = L'd';
    buffer[4] = L'\0';
    text.ReleaseBuffer();
    EXPECT_STREQ(text, L"abcd");
    buffer = text.GetBufferSetLength(2);
    buffer[0] = L'x';
    text.ReleaseBuffer(99);
    EXPECT_STREQ(text, L"xb");
    text.GetBuffer();
    text.ReleaseBuffer(1);
    EXPECT_STREQ(text, L"x");
}

TEST(CString, AllocSysStringKeepsEmbeddedNuls)
{
    const wchar_t raw[] = {L'a', L'\0', L'b'};
    BSTR copy = CString(raw, 3).AllocSysString();
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(SysStringLen(copy), 3u);
    EXPECT_EQ(copy[2], L'b');
    SysFreeString(copy);
}

TEST(CException, GetErrorMessageTruncatesAndTerminates)
{
    wchar_t buffer[8];
    UINT help = 99;
    EXPECT_TRUE(CInvalidArgException().GetErrorMessage(buffer, 8, &help));
    EXPECT_STREQ(buffer, L"Encount");
    EXPECT_EQ(help, 0u);
    EXPECT_TRUE(CMemoryException().GetErrorMessage(buffer, 1));
    EXPECT_STREQ(buffer, L"");
    wchar_t large[128];
    EXPECT_TRUE(CFileException(CFileException::fileNotFound, 2).GetErrorMessage(large, 128));
    EXPECT_STREQ(large, L"The file could not be found.");
    EXPECT_FALSE(CException().GetErrorMessage(large, 128));
    EXPECT_STREQ(large, L"");
    EXPECT_TRUE(CMemoryException().GetErrorMessage(nullptr, 0));
}
