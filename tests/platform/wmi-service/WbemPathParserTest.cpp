#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemPathParser.h"

#include <gtest/gtest.h>

#include <string>

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
    {L"Bnt_Badge=7", L"", L"", L"Bnt_Badge", true},
    {L"Bnt_Options=@", L"", L"", L"Bnt_Options", true},
    {L"\\\\.\\root\\Brontel:Bnt_Badge.ID=1", L".", L"root\\Brontel", L"Bnt_Badge", true},
    {L"//HOST1/root/Brontel:Bnt_Badge", L"HOST1", L"root\\Brontel", L"Bnt_Badge", false},
    {L"root\\Brontel:Bnt_Badge", L"", L"root\\Brontel", L"Bnt_Badge", false},
    {L"Bnt_CardholderBadge.Person=\"Bnt_Cardholder.ID=\\\"1\\\"\",Badge=\"Bnt_Badge.ID=2\"", L"", L"",
     L"Bnt_CardholderBadge", true},
};

// Each malformed path and what is wrong with it.
const wchar_t* const kMalformedPaths[] = {
    L"",                                 // empty
    L"1Badge",                           // name starts with a digit
    L"Bnt Badge",                        // space in the name
    L"Bnt_Badge.",                       // dot without key
    L"Bnt_Badge.ID",                     // key without '='
    L"Bnt_Badge.ID=",                    // key without value
    L"Bnt_Badge.ID=\"open",              // unterminated quote
    L"Bnt_Badge.ID=\"ends in escape\\",  // escape at the end
    L"Bnt_Badge.ID=1,",                  // comma without key
    L"Bnt_Badge.ID=1,id=2",              // repeated key (case ignored)
    L"Bnt_Badge.ID=1 ",                  // trailing text
    L"Bnt_Badge.ID=\"1\"x",              // text after a quoted value
    L"Bnt_Badge=@x",                     // text after the singleton mark
    L"Bnt_Badge=",                       // unnamed key without value
    L"\\\\server",                       // server without namespace
    L"\\\\server\\root",                 // namespace without colon
    L"\\\\\\root:Bnt_Badge",             // empty server
    L"root\\\\Brontel:Bnt_Badge",        // empty namespace segment
    L":Bnt_Badge",                       // empty namespace
    L"root\\Brontel:",                   // no class after the prefix
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

TEST(WbemPathParser, RejectsMalformedPathsAndLeavesTheResultAlone)
{
    for (const wchar_t* bad : kMalformedPaths)
    {
        WbemPathParser::Result result;
        result.className = L"unchanged";
        EXPECT_EQ(WbemPathParser::Parse(bad, &result), WBEM_E_INVALID_OBJECT_PATH) << bad;
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
