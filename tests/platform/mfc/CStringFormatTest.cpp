#include <gtest/gtest.h>

#include <cstdarg>
#include <string>

#include "platform/mfc/CString.h"

namespace {

CString FormatThroughVaList(const wchar_t* format, ...)
{
    va_list args;
    va_start(args, format);
    CString text;
    text.FormatV(format, args);
    va_end(args);
    return text;
}

}  // namespace

TEST(CStringFormat, WideFormatReadsPercentSAsWideAndPercentCapitalSAsUtf8)
{
    CString text;
    text.Format(L"[%s|%S|%ls|%hs]", L"wide", "na\xC3\xAFve", L"ell", "aitch");
    EXPECT_STREQ(text, L"[wide|na\u00EFve|ell|aitch]");
}

TEST(CStringFormat, VaListPathReadsEachArgumentWithTheSpecifiersType)
{
    const LONG minusOne = -1;
    const LONGLONG big = 9000000000LL;
    EXPECT_STREQ(FormatThroughVaList(L"%ld %I64d %lld %u", minusOne, big, big, 7u), L"-1 9000000000 9000000000 7");
    EXPECT_STREQ(FormatThroughVaList(L"%s=%S", L"key", "value"), L"key=value");
    EXPECT_STREQ(FormatThroughVaList(L"%*d|%-*d|%.*f", 5, 42, 4, 7, 2, 3.14159), L"   42|7   |3.14");
    EXPECT_STREQ(FormatThroughVaList(L"%c%C%hd", static_cast<int>(L'\u00E9'), static_cast<int>('x'), 70000),
                 L"\u00E9x4464");
    EXPECT_STREQ(FormatThroughVaList(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)");
}

TEST(CStringFormat, IntegerSpecifiersFollowWindowsSizes)
{
    struct Case
    {
        const wchar_t* format;
        LONGLONG value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%d", -5, L"-5"},
        {L"%ld", 0x1FFFFFFFFLL, L"-1"},  // l is 32 bits: only the low half counts
        {L"%I64d", 0x1FFFFFFFFLL, L"8589934591"},
        {L"%lld", -8589934591LL, L"-8589934591"},
        {L"%I32d", 0x100000005LL, L"5"},
        {L"%u", -1, L"4294967295"},
        {L"%I64u", -1, L"18446744073709551615"},
        {L"%hd", 65535, L"-1"},
        {L"%hu", 65537, L"1"},
        {L"%x", 255, L"ff"},
        {L"%X", 255, L"FF"},
        {L"%#x", 255, L"0xff"},
        {L"%#X", 0, L"0"},
        {L"%o", 8, L"10"},
        {L"%#o", 8, L"010"},
        {L"%I64X", 0x123456789ABLL, L"123456789AB"},
        {L"%Id", -2, L"-2"},
    };
    for (const Case& c : cases)
    {
        CString text;
        text.Format(c.format, c.value);
        EXPECT_STREQ(text, c.expected) << c.format;
    }
}

TEST(CStringFormat, FlagsWidthAndPrecisionShapeNumbers)
{
    struct Case
    {
        const wchar_t* format;
        int value;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {L"%5d", 42, L"   42"},
        {L"%-5d|", 42, L"42   |"},
        {L"%05d", -42, L"-0042"},
        {L"%+d", 42, L"+42"},
        {L"% d", 42, L" 42"},
        {L"%.3d", 7, L"007"},
        {L"%.0d", 0, L""},
        {L"%08.3d", 7, L"     007"},
        {L"%-05d|", 3, L"3    |"},
        {L"%#06x", 255, L"0x00ff"},
        // Unsigned conversions never carry a sign, whatever the flags ask.
        {L"%+u", 42, L"42"},
        {L"% u", 42, L"42"},
        {L"%+x", 255, L"ff"},
        {L"% X", 255, L"FF"},
        {L"%+o", 8, L"10"},
        {L"%+u", -1, L"4294967295"},
    };
    for (const Case& c : cases)
    {
        CString text;
        text.Format(c.format, c.value);
        EXPECT_STREQ(text, c.expected) << c.format;
    }
}

TEST(CStringFormat, FloatingPointAndPointers)
{
    CString text;
    text.Format(L"%f|%.2f|%8.3f|%e|%g|%G", 1.5, 2.005, -3.14159, 12345.678, 0.0001, 1e20);
    EXPECT_STREQ(text, L"1.500000|2.00|  -3.142|1.234568e+04|0.0001|1E+20");
    int target = 0;
    text.Format(L"%p", &target);
    EXPECT_EQ(text.GetLength(), static_cast<int>(2 * sizeof(void*)));
    EXPECT_EQ(text.SpanIncluding(L"0123456789ABCDEF"), text);
    text.Format(L"%p", nullptr);
    EXPECT_STREQ(text, L"0000000000000000");
}

TEST(CStringFormat, TextWidthPrecisionAndCStringArguments)
{
    const CString name(L"Provixa");
    const std::string narrow = "utf8 \xE2\x82\xAC";
    CString text;
    text.Format(L"[%10s][%-10s][%.3s][%S][%s]", name, L"left", L"truncate", narrow, std::wstring(L"std"));
    EXPECT_STREQ(text, L"[   Provixa][left      ][tru][utf8 \u20AC][std]");
}

TEST(CStringFormat, PercentEscapesAndMalformedSpecifiersStayAsWritten)
{
    CString text;
    text.Format(L"100%% done, %d%%", 5);
    EXPECT_STREQ(text, L"100% done, 5%");
    text.Format(L"%q %n %d", 1);
    EXPECT_STREQ(text, L"%q %n 1");
    text.Format(L"trailing %");
    EXPECT_STREQ(text, L"trailing %");
    text.Format(L"%999999999d", 1);
    EXPECT_STREQ(text, L"%999999999d");
}

TEST(CStringFormat, MissingOrMismatchedArgumentsAreShownNotRead)
{
    CString text;
    text.Format(L"%d and %d and %s", 1);
    EXPECT_STREQ(text, L"1 and %d and %s");
    text.Format(L"%s|%d", 5, L"text");
    EXPECT_STREQ(text, L"%s|%d");
    text.Format(L"%*d", 100000000, 1);
    EXPECT_STREQ(text, L"%*d");
}

TEST(CStringFormat, NumbersConvertBetweenIntegerAndFloatingSpecifiers)
{
    CString text;
    text.Format(L"%.1f %d", 3, 2.9);
    EXPECT_STREQ(text, L"3.0 2");
}

TEST(CStringFormat, FormatMayUseTheStringsOwnText)
{
    CString text(L"abc");
    text.Format(L"%s-%s", text, text);
    EXPECT_STREQ(text, L"abc-abc");
    text.Format(text);
    EXPECT_STREQ(text, L"abc-abc");
    text.AppendFormat(L"+%d", 1);
    EXPECT_STREQ(text, L"abc-abc+1");
}

TEST(CStringFormatMessage, NumberedInsertsInAnyOrder)
{
    CString text;
    text.FormatMessage(L"%2, %1 (%3!d!)", L"First", L"Last", 42);
    EXPECT_STREQ(text, L"Last, First (42)");
    text.FormatMessage(L"%1(%2!ld!)", L"Jane Doe", 7);
    EXPECT_STREQ(text, L"Jane Doe(7)");
    text.FormatMessage(L"%1!5.2f!|%1!-4d!|", 3.14159);
    EXPECT_STREQ(text, L" 3.14|3   |");
}

TEST(CStringFormatMessage, PlainInsertsShowArgumentsAsTheyAre)
{
    CString text;
    text.FormatMessage(L"%1 %2 %3 %4", 12, -3LL, "narrow", CString(L"wide"));
    EXPECT_STREQ(text, L"12 -3 narrow wide");
}

TEST(CStringFormatMessage, MissingInsertsAndBadSpecsStayAsWritten)
{
    CString text;
    text.FormatMessage(L"%1 and %2 and %3!d!", L"only");
    EXPECT_STREQ(text, L"only and %2 and %3!d!");
    text.FormatMessage(L"%1!d!", L"text");
    EXPECT_STREQ(text, L"%1!d!");
    text.FormatMessage(L"%1!*d!|%1!unterminated", 5);
    EXPECT_STREQ(text, L"%1!*d!|%1!unterminated");
    text.FormatMessage(L"%1");
    EXPECT_STREQ(text, L"%1");
}

TEST(CStringFormatMessage, EscapesLineBreaksAndTermination)
{
    CString text;
    text.FormatMessage(L"100%% %. %! %nnext%0ignored", 1);
    EXPECT_STREQ(text, L"100% . ! \r\nnext");
    text.FormatMessage(L"%100", L"x");
    EXPECT_STREQ(text, L"%100");
    text.FormatMessage(L"%10", L"a", L"b", L"c", L"d", L"e", L"f", L"g", L"h", L"i", L"j");
    EXPECT_STREQ(text, L"j");
}
