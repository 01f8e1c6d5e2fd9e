#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemPathParser.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace {
struct GoodPath
{
    const wchar_t* text;
    const wchar_t* server;
    const wchar_t* ns;
    const wchar_t* className;
    bool instance;
};

const GoodPath kGoodPaths[] = {
    {L"Bnt_Badge", L"", L"", L"Bnt_Badge", false},
    {L"__ExtendedStatus", L"", L"", L"__ExtendedStatus", false},
    {L"Bnt_Badge.ID=5", L"", L"", L"Bnt_Badge", true},
    {L"Bnt_Badge.ID=-5", L"", L"", L"Bnt_Badge", true},
    {L"Bnt_Badge.Name=\"a,b=c.d\"", L"", L"", L"Bnt_Badge", true},
    {L"Bnt_Badge.Name=\"say \\\"hi\\\" \\\\ there\"", L"", L"", L"Bnt_Badge", true},
    {L"Bnt_Link.A=1,B=\"x\",C=TRUE", L"", L"", L"Bnt_Link", true},
    {L"Bnt_Options=@", L"", L"", L"Bnt_Options", true},
    {L"\\\\.\\root\\Brontel:Bnt_Badge.ID=1", L".", L"root\\Brontel", L"Bnt_Badge", true},
    {L"//HOST1/root/Brontel:Bnt_Badge", L"HOST1", L"root\\Brontel", L"Bnt_Badge", false},
    {L"root\\Brontel:Bnt_Badge", L"", L"root\\Brontel", L"Bnt_Badge", false},
    {L"Bnt_CardholderBadge.Person=\"Bnt_Cardholder.ID=\\\"1\\\"\",Badge=\"Bnt_Badge.ID=2\"", L"", L"",
     L"Bnt_CardholderBadge", true},
};

// Each malformed path and what the refusal says is wrong with it, and where.
const std::pair<const wchar_t*, const wchar_t*> kMalformedPaths[] = {
    {L"", L"the path is empty"},
    {L"1Badge", L"class name expected at offset 0"},
    {L"Bnt Badge", L". or =@ expected after the class name at offset 3"},
    {L"Bnt_Badge.", L"key name expected at offset 10"},
    {L"Bnt_Badge.ID", L"= expected after key ID at offset 12"},
    {L"Bnt_Badge.ID=", L"value expected (a quoted text, a number, TRUE or FALSE) at offset 13"},
    {L"Bnt_Badge.ID=\"open", L"unterminated quoted value at offset 13"},
    {L"Bnt_Badge.ID=\"ends in escape\\", L"\\\" or \\\\ expected after a backslash (the only escapes) at offset 28"},
    {L"Bnt_Badge.BADGEKEY=\"1\\x\"", L"\\\" or \\\\ expected after a backslash (the only escapes) at offset 21"},
    {L"Bnt_Badge.BADGEKEY=1 2", L"value expected (a quoted text, a number, TRUE or FALSE) at offset 19"},
    {L"Bnt_Badge.ID=abc", L"value expected (a quoted text, a number, TRUE or FALSE) at offset 13"},
    {L"Bnt_Badge.ID=1.", L"value expected (a quoted text, a number, TRUE or FALSE) at offset 13"},
    {L"Bnt_Badge.ID=1,", L"key name expected at offset 15"},
    {L"Bnt_Badge.ID=1,id=2", L"key id repeated at offset 15"},
    {L"Bnt_Badge.ID=1 ", L"value expected (a quoted text, a number, TRUE or FALSE) at offset 13"},
    {L"Bnt_Badge.ID=\"1\"x", L", or end of path expected after the value of key ID at offset 16"},
    {L"Bnt_Badge=@x", L"end of path expected after =@ at offset 11"},
    {L"Bnt_Badge=7", L"@ expected (the keys of an instance follow a dot) at offset 10"},
    {L"\\\\server", L"namespace expected after the server name at offset 8"},
    {L"\\\\server\\root", L": expected after the namespace at offset 13"},
    {L"\\\\\\root:Bnt_Badge", L"server name expected at offset 2"},
    {L"root\\\\Brontel:Bnt_Badge", L"namespace name expected at offset 5"},
    {L":Bnt_Badge", L"namespace name expected at offset 0"},
    {L"root\\Brontel:", L"class name expected at offset 13"},
};
}  // namespace

TEST(WbemPathParser, ReadsEveryPathForm)
{
    for (const GoodPath& good : kGoodPaths)
    {
        WbemPathParser::Result result;
        ASSERT_EQ(WbemPathParser::Parse(good.text, &result), WBEM_S_NO_ERROR) << good.text;
        EXPECT_EQ(result.server, good.server) << good.text;
        EXPECT_EQ(result.ns, good.ns) << good.text;
        EXPECT_EQ(result.className, good.className) << good.text;
        EXPECT_EQ(result.instance, good.instance) << good.text;
    }
}

TEST(WbemPathParser, ReadsKeysWithoutTheirQuotesAndEscapes)
{
    WbemPathParser::Result result;
    ASSERT_EQ(WbemPathParser::Parse(L"Bnt_Link.A=-1.5,B=\"say \\\"hi\\\" \\\\ \",C=true", &result), WBEM_S_NO_ERROR);
    ASSERT_EQ(result.keys.size(), 3u);
    EXPECT_EQ(result.keys[0].name, L"A");
    EXPECT_EQ(result.keys[0].value, L"-1.5");
    EXPECT_EQ(result.keys[1].value, L"say \"hi\" \\ ");
    EXPECT_EQ(result.keys[2].value, L"TRUE");
    EXPECT_FALSE(result.singleton);
    ASSERT_EQ(WbemPathParser::Parse(L"Bnt_Options=@", &result), WBEM_S_NO_ERROR);
    EXPECT_TRUE(result.singleton);
    EXPECT_TRUE(result.keys.empty());
}

TEST(WbemPathParser, RejectsMalformedPathsSayingWhatAndWhereAndLeavesTheResultAlone)
{
    for (const auto& [bad, why] : kMalformedPaths)
    {
        WbemPathParser::Result result;
        result.className = L"unchanged";
        std::wstring error;
        EXPECT_EQ(WbemPathParser::Parse(bad, &result, &error), WBEM_E_INVALID_OBJECT_PATH) << bad;
        EXPECT_EQ(error, why) << bad;
        EXPECT_EQ(result.className, L"unchanged") << bad;
    }
    EXPECT_EQ(WbemPathParser::Parse(L"Bnt_Badge", nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST(WbemPathParser, BoundsHostileSizes)
{
    WbemPathParser::Result result;
    std::wstring longest = L"Bnt_Badge.Name=\"" + std::wstring(WbemPathParser::kMaxPathLength - 17, L'x') + L"\"";
    ASSERT_EQ(longest.size(), WbemPathParser::kMaxPathLength);
    EXPECT_EQ(WbemPathParser::Parse(longest, &result), WBEM_S_NO_ERROR);
    longest.insert(16, L"y");
    EXPECT_EQ(WbemPathParser::Parse(longest, &result), WBEM_E_INVALID_OBJECT_PATH);

    std::wstring keys = L"Bnt_Many.";
    for (std::size_t i = 0; i <= WbemPathParser::kMaxKeys; ++i)
        keys += (i == 0 ? L"K" : L",K") + std::to_wstring(i) + L"=1";
    EXPECT_EQ(WbemPathParser::Parse(keys, &result), WBEM_E_INVALID_OBJECT_PATH);
    keys.erase(keys.rfind(L','));
    EXPECT_EQ(WbemPathParser::Parse(keys, &result), WBEM_S_NO_ERROR);
}
