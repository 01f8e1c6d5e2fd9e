// The helpers that are plain rules: event class table, column processing, splitting, pairing,
// text conversions, PIN codes and the bus front end test.
#include "framework/WMIHelper.h"
#include "tests/framework/wmihelper/WMIHelperTestSupport.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace wmihelpertest;

TEST(WMIHelperGetPropertyProcessMethod, OnlyEventsEventTypeGoesToTheMapper)
{
    const struct
    {
        const wchar_t* column;
        const wchar_t* table;
        int method;
    } cases[] = {
        {L"EVENTTYPE", L"EVENTS", WMIHelper::kProcessByMapper},
        {L"eventtype", L"EVENTS", WMIHelper::kProcessByColumnName},
        {L"EVENTTYPE", L"events", WMIHelper::kProcessByColumnName},
        {L"EVENTID", L"EVENTS", WMIHelper::kProcessByColumnName},
        {L"EVENTTYPE", L"ALARMS", WMIHelper::kProcessByColumnName},
        {L"LASTNAME", L"EMP", WMIHelper::kProcessByColumnName},
        {L"LASTNAME", L"", WMIHelper::kProcessByColumnName},
        {L"", L"EMP", WMIHelper::kProcessSkip},
    };
    for (const auto& item : cases)
    {
        for (const bool visitor : {false, true})
            EXPECT_EQ(WMIHelper::GetPropertyProcessMethod(item.column, item.table, visitor), item.method);
    }
}

TEST(WMIHelperSplitString, FollowsTokenizeSkippingEmptyTokens)
{
    const struct
    {
        const wchar_t* text;
        const wchar_t* delimiter;
        std::vector<CString> tokens;
    } cases[] = {
        {L"a,b,c", L",", {L"a", L"b", L"c"}},
        {L",,a,,b,,", L",", {L"a", L"b"}},
        {L"a; b;c", L"; ", {L"a", L"b", L"c"}},
        {L" padded ", L",", {L" padded "}},
        {L"whole", L"", {L"whole"}},
        {L"", L",", {}},
        {L",,,", L",", {}},
        {L"x", L",", {L"x"}},
        {L"PanelID,ReaderID", L",", {L"PanelID", L"ReaderID"}},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(CStringToUtf8(item.text) + " by '" + CStringToUtf8(item.delimiter) + "'");
        EXPECT_EQ(WMIHelper::SplitString(item.text, item.delimiter), item.tokens);
    }
}

TEST(WMIHelperConvertVectorPairToMap, PairsTrimmedElementsWhenSizesMatch)
{
    std::map<CString, CString> map{{L"stale", L"value"}};
    EXPECT_TRUE(WMIHelper::ConvertVectorPairToMap({L" 1 ", L"2\t", L"1"}, {L" Off", L" On ", L"Again"}, map));
    EXPECT_EQ(map, (std::map<CString, CString>{{L"1", L"Again"}, {L"2", L"On"}}));

    EXPECT_TRUE(WMIHelper::ConvertVectorPairToMap({}, {}, map));
    EXPECT_TRUE(map.empty());
}

TEST(WMIHelperConvertVectorPairToMap, MismatchedSizesLeaveTheMapEmpty)
{
    std::map<CString, CString> map{{L"stale", L"value"}};
    EXPECT_FALSE(WMIHelper::ConvertVectorPairToMap({L"1", L"2"}, {L"Off"}, map));
    EXPECT_TRUE(map.empty());
    EXPECT_FALSE(WMIHelper::ConvertVectorPairToMap({}, {L"Off"}, map));
    EXPECT_TRUE(map.empty());
}

TEST(WMIHelperIsValidPINCode, AcceptsEmptyOrAsciiDigitsOnly)
{
    const struct
    {
        const wchar_t* pin;
        bool valid;
    } cases[] = {
        {L"", true},
        {L"0", true},
        {L"0123456789", true},
        {L"12a4", false},
        {L" 1234", false},
        {L"1234 ", false},
        {L"-123", false},
        {L"+123", false},
        {L"12.3", false},
        {L"\u0661\u0662", false},
        {L"\uff11\uff12", false},
        {L"\u00b2", false},
    };
    for (const auto& item : cases)
    {
        SCOPED_TRACE(CStringToUtf8(item.pin));
        EXPECT_EQ(WMIHelper::IsValidPINCode(item.pin), item.valid);
    }
    EXPECT_FALSE(WMIHelper::IsValidPINCode(CString(L"12\0"
                                                   L"34",
                                                   5)));
}

TEST(WMIHelperConvert, NarrowTextIsUtf8BothWays)
{
    const std::string narrow = "Gr\xC3\xBC\xC3\x9F"
                               "e \xE2\x82\xAC \xF0\x9F\x94\x91";
    BSTR wide = WMIHelper::ConvertToBSTR(narrow);
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(std::wstring(wide, SysStringLen(wide)), L"Gr\u00fc\u00df"
                                                      L"e \u20ac \U0001F511");
    EXPECT_EQ(WMIHelper::ConvertToStdString(wide), narrow);
    EXPECT_EQ(WMIHelper::ConvertToCString(wide), CString(L"Gr\u00fc\u00df"
                                                         L"e \u20ac \U0001F511"));
    SysFreeString(wide);
}

TEST(WMIHelperConvert, NullAndEmptyTexts)
{
    wchar_t* const null = nullptr;
    EXPECT_EQ(WMIHelper::ConvertToStdString(null), "");
    EXPECT_TRUE(WMIHelper::ConvertToCString(null).IsEmpty());

    BSTR empty = WMIHelper::ConvertToBSTR("");
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(SysStringLen(empty), 0u);
    SysFreeString(empty);

    BSTR withNul = WMIHelper::ConvertToBSTR(std::string("a\0b", 3));
    ASSERT_NE(withNul, nullptr);
    EXPECT_EQ(SysStringLen(withNul), 3u);
    SysFreeString(withNul);

    BSTR malformed = WMIHelper::ConvertToBSTR("\xFF");
    ASSERT_NE(malformed, nullptr);
    EXPECT_EQ(std::wstring(malformed), L"\ufffd");
    SysFreeString(malformed);
}
