#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDBValue.h"
#include "tests/inhouse/BntCoreDb/ExceptionState.h"

TEST(DBValue, IntegersConvertOnlyWhenWholeAndInRange)
{
    EXPECT_EQ(CDBValue(true).AsInteger(), 1);
    EXPECT_EQ(CDBValue(std::uint32_t{0xFFFFFFFFu}).AsInteger(), 4294967295LL);
    EXPECT_EQ(CDBValue(L"-42").AsInteger(), -42);
    EXPECT_EQ(CDBValue(12.0).AsInteger(), 12);
    EXPECT_EQ(CDBValue().AsInteger(), 0);
    EXPECT_EQ(StateOf([] { CDBValue{std::numeric_limits<std::uint64_t>::max()}; }), L"22003");
    EXPECT_EQ(StateOf([] { CDBValue(L"99999999999999999999").AsInteger(); }), L"22003");
    EXPECT_EQ(StateOf([] { CDBValue(1e19).AsInteger(); }), L"22003");
    for (const wchar_t* text : {L"", L"12x", L" 12", L"0x10", L"1.5"})
        EXPECT_EQ(StateOf([&] { CDBValue(text).AsInteger(); }), L"22018") << CStringToUtf8(text);
    EXPECT_EQ(StateOf([] { CDBValue(2.5).AsInteger(); }), L"22018");
    EXPECT_EQ(StateOf([] { CDBValue::FromBytes({1, 2}).AsInteger(); }), L"22018");
}

TEST(DBValue, TextKeepsEveryCharacterIncludingNul)
{
    const CString hostile(L"a'b\"c\0d;--\x20AC\x1F600", 12);
    const CDBValue value(hostile);
    EXPECT_EQ(value.GetKind(), CDBValue::Kind::Text);
    EXPECT_EQ(value.AsText(), hostile);
    EXPECT_EQ(value.AsText().GetLength(), 12);
    EXPECT_TRUE(CDBValue(static_cast<const wchar_t*>(nullptr)).IsNull());
    EXPECT_EQ(CDBValue(7).AsText(), L"7");
    EXPECT_EQ(CDBValue(0.5).AsText(), L"0.5");
}

TEST(DBValue, TimestampTextRoundTripsAndMalformedTextsAreRefused)
{
    const TIMESTAMP_STRUCT moment{2024, 2, 29, 23, 59, 58, 123000000};
    const CDBValue stored = CDBValue::FromTimestamp(moment);
    EXPECT_EQ(stored.GetUtf8(), "2024-02-29 23:59:58");
    const TIMESTAMP_STRUCT read = stored.AsTimestamp();
    EXPECT_EQ(read.year, 2024);
    EXPECT_EQ(read.day, 29);
    EXPECT_EQ(read.second, 58);
    EXPECT_EQ(read.fraction, 0u);
    EXPECT_EQ(CDBValue(L"2001-01-02 03:04:05.5").AsTimestamp().fraction, 500000000u);
    EXPECT_EQ(CDBValue().AsTimestamp().year, 0);
    for (const wchar_t* bad : {L"2023-02-29 00:00:00", L"2024-13-01 00:00:00", L"2024-01-01 24:00:00", L"2024-01-01",
                               L"2024-01-01T00:00:00", L"2024-01-01 00:00:00.", L"2024-01-01 00:00:00.1234567890",
                               L"0000-01-01 00:00:00", L"abcd-ef-gh ij:kl:mn", L"2024-01-01 00:00:00x"})
        EXPECT_EQ(StateOf([&] { CDBValue(bad).AsTimestamp(); }), L"22007") << CStringToUtf8(bad);
    EXPECT_EQ(StateOf([] { CDBValue(5).AsTimestamp(); }), L"22007");
    EXPECT_EQ(StateOf([] { CDBValue::FromTimestamp(TIMESTAMP_STRUCT{2023, 2, 29, 0, 0, 0, 0}); }), L"22007");
    EXPECT_EQ(StateOf([] { CDBValue::FromTimestamp(TIMESTAMP_STRUCT{10000, 1, 1, 0, 0, 0, 0}); }), L"22007");
}

TEST(DBException, StateTextCarriesStateNativeAndOriginForTheLostConnectionTest)
{
    const CDBException lost = CDBException::ConnectionLost(L"gone");
    EXPECT_EQ(lost.m_strStateNativeOrigin.Find(L"State:08S01,Native:233,"), 0);
    EXPECT_TRUE(lost.IsConnectionLost());
    EXPECT_TRUE(CDBException(CDBException::kRetDatabaseError, L"08S02", -1, L"x").IsConnectionLost());
    EXPECT_FALSE(CDBException(CDBException::kRetDatabaseError, L"08S01", 5, L"x").IsConnectionLost());
    EXPECT_FALSE(CDBException(CDBException::kRetDatabaseError, L"08S02", 233, L"x").IsConnectionLost());
    wchar_t buffer[8];
    EXPECT_TRUE(lost.GetErrorMessage(buffer, 8));
    EXPECT_EQ(std::wstring(buffer), L"The con");
}
