// The date-time texts of both modes: DateTimeToString and ToDateTimeUTC round trips, zone
// signs, hostile texts and the bus's quote stripping.
#include "framework/DateTimeText.h"
#include "framework/WMIHelper.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>
#include <optional>
#include <string>

using namespace wmihelpertest;

namespace {

struct Fields
{
    int year, month, day, hour, minute, second;
};

void ExpectUtc(const COleDateTime& value, const Fields& expected)
{
    ASSERT_EQ(value.GetStatus(), COleDateTime::valid);
    EXPECT_EQ(value.GetYear(), expected.year);
    EXPECT_EQ(value.GetMonth(), expected.month);
    EXPECT_EQ(value.GetDay(), expected.day);
    EXPECT_EQ(value.GetHour(), expected.hour);
    EXPECT_EQ(value.GetMinute(), expected.minute);
    EXPECT_EQ(value.GetSecond(), expected.second);
}

struct GoodText
{
    const wchar_t* text;
    Fields utc;
};

struct BadText
{
    const char* why;
    std::wstring text;
};

const GoodText kGoodDmtf[] = {
    {L"20240131080509.000000+000", {2024, 1, 31, 8, 5, 9}},
    {L"20240131080509.999999+000", {2024, 1, 31, 8, 5, 9}},     // microseconds dropped
    {L"20240131080509.000000+060", {2024, 1, 31, 7, 5, 9}},     // east of UTC
    {L"20240131080509.000000-300", {2024, 1, 31, 13, 5, 9}},    // west of UTC
    {L"20240101003000.000000+060", {2023, 12, 31, 23, 30, 0}},  // back over the year
    {L"20240228233000.000000-999", {2024, 2, 29, 16, 9, 0}},    // largest offset, leap day
    {L"01000101000000.000000+000", {100, 1, 1, 0, 0, 0}},
    {L"99991231235959.000000+000", {9999, 12, 31, 23, 59, 59}},
};

const BadText kBadDmtf[] = {
    {"empty", L""},
    {"one short", L"20240131080509.000000+00"},
    {"one long", L"20240131080509.000000+0000"},
    {"overlong", std::wstring(4096, L'9')},
    {"ISO text", L"2024-01-31T08:05:09+00:00"},
    {"letter in year", L"2O240131080509.000000+000"},
    {"blank for digit", L"2024 131080509.000000+000"},
    {"sign inside a field", L"2024-131080509.000000+000"},
    {"comma for point", L"20240131080509,000000+000"},
    {"Z for sign", L"20240131080509.000000Z000"},
    {"interval", L"00000001080509.000000:000"},
    {"wildcards", L"2024013108****.******+***"},
    {"month 0", L"20240031080509.000000+000"},
    {"month 13", L"20241331080509.000000+000"},
    {"February 30", L"20240230080509.000000+000"},
    {"February 29 of 2023", L"20230229080509.000000+000"},
    {"hour 24", L"20240131240000.000000+000"},
    {"minute 60", L"20240131086000.000000+000"},
    {"second 60", L"20240131080560.000000+000"},
    {"year 99", L"00990101000000.000000+000"},
    {"leaves the years going back", L"01000101000000.000000+001"},
    {"leaves the years going forward", L"99991231235959.000000-001"},
    {"full-width digit", L"2024013108050\uff19.000000+000"},
    {"embedded NUL", std::wstring(L"20240131080509.000000+00\0", 25)},
};

const GoodText kGoodIso[] = {
    {L"2024-01-31T08:05:09+00:00", {2024, 1, 31, 8, 5, 9}},
    {L"2024-01-31T08:05:09-00:00", {2024, 1, 31, 8, 5, 9}},
    {L"2024-01-31T08:05:09+05:30", {2024, 1, 31, 2, 35, 9}},
    {L"2024-01-31T20:05:09-04:00", {2024, 2, 1, 0, 5, 9}},
    {L"2024-03-01T00:00:00+23:59", {2024, 2, 29, 0, 1, 0}},
    {L"\"2024-01-31T08:05:09+01:00\"", {2024, 1, 31, 7, 5, 9}},
    {L"'2024-01-31T08:05:09+01:00'", {2024, 1, 31, 7, 5, 9}},
};

const BadText kBadIso[] = {
    {"empty", L""},
    {"DMTF text", L"20240131080509.000000+000"},
    {"Z zone", L"2024-01-31T08:05:09Z"},
    {"fraction", L"2024-01-31T08:05:09.5+00:00"},
    {"blank for T", L"2024-01-31 08:05:09+00:00"},
    {"lower-case t", L"2024-01-31t08:05:09+00:00"},
    {"no colon in zone", L"2024-01-31T08:05:09+0000"},
    {"trailing text", L"2024-01-31T08:05:09+00:00x"},
    {"one-digit month", L"2024-1-31T08:05:09+00:00 "},
    {"offset hours 24", L"2024-01-31T08:05:09+24:00"},
    {"offset minutes 60", L"2024-01-31T08:05:09+00:60"},
    {"month 13", L"2024-13-31T08:05:09+00:00"},
    {"April 31", L"2024-04-31T08:05:09+00:00"},
    {"overlong", std::wstring(100000, L'2')},
    {"unclosed double quote", L"\"2024-01-31T08:05:09+01:00"},
    {"mixed quotes", L"\"2024-01-31T08:05:09+01:00'"},
    {"single quotes around a double quote", L"'2024-01-31T08:05:09+01:00\"'"},
    {"quotes on a short text", L"\"2024-01-31T08:05:09+01\""},
    {"two pairs of quotes", L"\"\"2024-01-31T08:05:09+01:00\"\""},
    {"blank inside quotes", L"\" 2024-01-31T08:05:09+01:00\""},
};

}  // namespace

TEST(WMIHelperToDateTimeUTC, ReadsDmtfAndAppliesTheZoneOffset)
{
    for (const GoodText& item : kGoodDmtf)
    {
        SCOPED_TRACE(std::string(item.text, item.text + std::wcslen(item.text)));
        ExpectUtc(WMIHelper::ToDateTimeUTC(item.text, Door::kWmi), item.utc);
    }
}

TEST(WMIHelperToDateTimeUTC, MalformedDmtfGivesInvalidDate)
{
    for (const BadText& item : kBadDmtf)
    {
        SCOPED_TRACE(item.why);
        EXPECT_EQ(WMIHelper::ToDateTimeUTC(CString(item.text), Door::kWmi).GetStatus(), COleDateTime::invalid);
    }
}

TEST(WMIHelperToDateTimeUTC, ReadsIsoForTheBusDoor)
{
    for (const GoodText& item : kGoodIso)
    {
        SCOPED_TRACE(std::string(item.text, item.text + std::wcslen(item.text)));
        ExpectUtc(WMIHelper::ToDateTimeUTC(item.text, Door::kBus), item.utc);
    }
}

TEST(WMIHelperToDateTimeUTC, MalformedIsoGivesInvalidDateForTheBusDoor)
{
    for (const BadText& item : kBadIso)
    {
        SCOPED_TRACE(item.why);
        EXPECT_EQ(WMIHelper::ToDateTimeUTC(CString(item.text), Door::kBus).GetStatus(), COleDateTime::invalid);
    }
}

TEST(WMIHelperToDateTimeUTC, IsoIsNotReadForTheWmiDoor)
{
    EXPECT_EQ(WMIHelper::ToDateTimeUTC(L"2024-01-31T08:05:09+00:00", Door::kWmi).GetStatus(), COleDateTime::invalid);
    // Quotes are a bus matter: a quoted DMTF text stays unread.
    EXPECT_EQ(WMIHelper::ToDateTimeUTC(L"\"20240131080509.000000+000\"", Door::kWmi).GetStatus(),
              COleDateTime::invalid);
}

TEST(WMIHelperDateTimeToString, WritesDmtfForTheWmiDoorAndIsoForTheBusDoor)
{
    const COleDateTime value(2024, 1, 31, 8, 5, 9);
    CString text;
    EXPECT_TRUE(WMIHelper::DateTimeToString(text, value, 0, Door::kWmi));
    EXPECT_EQ(text, L"20240131080509.000000+000");
    EXPECT_TRUE(WMIHelper::DateTimeToString(text, value, 0, Door::kBus));
    EXPECT_EQ(text, L"2024-01-31T08:05:09+00:00");
    EXPECT_TRUE(WMIHelper::DateTimeToString(text, COleDateTime(100, 1, 1, 0, 0, 0), 0, Door::kWmi));
    EXPECT_EQ(text, L"01000101000000.000000+000");
}

TEST(WMIHelperDateTimeToString, InvalidOrNullValueEmptiesTheText)
{
    for (const COleDateTime::DateTimeStatus status : {COleDateTime::invalid, COleDateTime::null})
    {
        COleDateTime value(2024, 1, 31, 8, 5, 9);
        value.SetStatus(status);
        CString text(L"stale");
        for (const Door door : {Door::kWmi, Door::kBus})
            EXPECT_FALSE(WMIHelper::DateTimeToString(text, value, 0, door));
        EXPECT_TRUE(text.IsEmpty());
    }
}

TEST(WMIHelperDateTimeToString, RoundTripsThroughToDateTimeUTCInBothModes)
{
    const Fields samples[] = {
        {2024, 2, 29, 0, 0, 0},     {1999, 12, 31, 23, 59, 59}, {100, 1, 1, 0, 0, 0},
        {9999, 12, 31, 23, 59, 59}, {1970, 1, 1, 0, 0, 1},
    };
    for (const Door door : {Door::kWmi, Door::kBus})
    {
        for (const Fields& fields : samples)
        {
            const COleDateTime value(fields.year, fields.month, fields.day, fields.hour, fields.minute, fields.second);
            CString text;
            ASSERT_TRUE(WMIHelper::DateTimeToString(text, value, 0, door));
            SCOPED_TRACE(CStringToUtf8(text));
            ExpectUtc(WMIHelper::ToDateTimeUTC(text, door), fields);
        }
    }
}

TEST(DateTimeText, ParsesDmtfFieldsAndOffsetSign)
{
    DateTimeText::Parts parts;
    ASSERT_TRUE(DateTimeText::ParseDmtf(L"20230704090807.123456-045", parts));
    EXPECT_EQ(parts.year, 2023);
    EXPECT_EQ(parts.month, 7);
    EXPECT_EQ(parts.day, 4);
    EXPECT_EQ(parts.hour, 9);
    EXPECT_EQ(parts.minute, 8);
    EXPECT_EQ(parts.second, 7);
    EXPECT_EQ(parts.microseconds, 123456);
    EXPECT_EQ(parts.offsetMinutes, -45);
    EXPECT_EQ(DateTimeText::FormatDmtf(parts), L"20230704090807.123456-045");
    EXPECT_EQ(DateTimeText::FormatIso(parts), L"2023-07-04T09:08:07-00:45");
}

TEST(DateTimeText, FailedParseLeavesPartsAlone)
{
    DateTimeText::Parts parts;
    parts.year = 1234;
    EXPECT_FALSE(DateTimeText::ParseDmtf(L"20230704090807.123456+04x", parts));
    EXPECT_FALSE(DateTimeText::ParseIso(L"2023-07-04T09:08:07+99:00", parts));
    EXPECT_EQ(parts.year, 1234);
    EXPECT_EQ(parts.offsetMinutes, 0);
}

TEST(DateTimeText, IsoOffsetIsHoursAndMinutes)
{
    DateTimeText::Parts parts;
    ASSERT_TRUE(DateTimeText::ParseIso(L"2023-07-04T09:08:07-09:30", parts));
    EXPECT_EQ(parts.offsetMinutes, -570);
    EXPECT_EQ(DateTimeText::FormatIso(parts), L"2023-07-04T09:08:07-09:30");
    EXPECT_EQ(DateTimeText::FormatDmtf(parts), L"20230704090807.000000-570");
}

TEST(DateTimeText, DmtfTextKeepsEveryFieldAtItsWidthAndWiderFieldsWhole)
{
    // Fields within their width are zero-padded to it; a field wider than its width (or
    // negative) is written whole, as the general format writes it, never cut.
    const struct
    {
        DateTimeText::Parts parts;
        const wchar_t* text;
    } cases[] = {
        {{1, 1, 1, 0, 0, 0, 0, 0}, L"00010101000000.000000+000"},
        {{9999, 12, 31, 23, 59, 59, 999999, 999}, L"99991231235959.999999+999"},
        {{2024, 2, 29, 7, 5, 3, 42, -60}, L"20240229070503.000042-060"},
        {{12345, 1, 2, 3, 4, 5, 6, 7}, L"123450102030405.000006+007"},
        {{2024, 1, 2, 3, 4, 5, 6, 1440}, L"20240102030405.000006+1440"},
        {{-1, 1, 2, 3, 4, 5, 6, 0}, L"-0010102030405.000006+000"},
    };
    for (const auto& one : cases)
        EXPECT_EQ(DateTimeText::FormatDmtf(one.parts), one.text) << one.text;
}
