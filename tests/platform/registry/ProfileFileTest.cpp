#include "TemporaryHome.h"

#include "platform/registry/ProfileFile.h"
#include "platform/win32/SystemInfo.h"

#include <string>
#include <vector>

namespace {

class ProfileFileTest : public TemporaryHome
{
protected:
    void SetUp() override
    {
        TemporaryHome::SetUp();
        WriteFile("ACS.INI", "; installation settings\r\n"
                             "[Service]\r\n"
                             "UsePipes = 1 \r\n"
                             "DriverRpcPort=0x10\r\n"
                             "LinkageServerRpcPort=\"5001\"\r\n"
                             "Name='quoted text'\r\n"
                             "usepipes=2\r\n"
                             "\r\n"
                             "[RPCCom]\r\n"
                             "APIDirectToFailedRPC=1\r\n"
                             "not an entry\r\n"
                             "[service]\r\n"
                             "Extra=later section is not read\r\n");
    }

    std::wstring String(const wchar_t* section, const wchar_t* key, const wchar_t* fallback, DWORD size, DWORD& copied)
    {
        std::vector<wchar_t> buffer(size + 1, L'#');
        copied = GetPrivateProfileStringW(section, key, fallback, buffer.data(), size, L"ACS.INI");
        return std::wstring(buffer.data(), size);
    }
};

}  // namespace

TEST_F(ProfileFileTest, IntegersFollowTheirTextOrFallBack)
{
    const std::tuple<const wchar_t*, const wchar_t*, UINT> cases[] = {
        {L"Service", L"UsePipes", 1},
        {L"SERVICE", L"usePIPES", 1},
        {L"RPCCom", L"APIDirectToFailedRPC", 1},
        {L"Service", L"DriverRpcPort", 77},  // not a decimal number
        {L"Service", L"LinkageServerRpcPort", 5001},
        {L"Service", L"Name", 77},
        {L"Service", L"Missing", 77},
        {L"Missing", L"UsePipes", 77},
        {L"Service", L"Extra", 77},  // only the first section of a name counts
    };
    for (const auto& [section, key, expected] : cases)
        EXPECT_EQ(GetPrivateProfileIntW(section, key, 77, L"ACS.INI"), expected) << key;
    EXPECT_EQ(GetPrivateProfileIntW(L"Service", L"UsePipes", 77, L"NOFILE.INI"), 77u);
    EXPECT_EQ(GetPrivateProfileIntW(L"Service", L"UsePipes", -3, L"NOFILE.INI"), static_cast<UINT>(-3));
}

TEST_F(ProfileFileTest, IntegerTextsTable)
{
    const std::pair<const char*, UINT> cases[] = {
        {"0", 0},          {"-1", 0xFFFFFFFFu}, {" 42 ", 42},  {"2147483647", 2147483647u},
        {"2147483648", 9}, {"99999999999", 9},  {"12abc", 9},  {"abc", 9},
        {"", 9},           {"+5", 9},           {"1 ; on", 9}, {"1.5", 9},
    };
    for (const auto& [text, expected] : cases)
    {
        WriteFile("num.ini", std::string("[S]\nK=") + text + "\n");
        EXPECT_EQ(GetPrivateProfileIntW(L"S", L"K", 9, L"num.ini"), expected) << text;
    }
}

TEST_F(ProfileFileTest, StringsFollowTheTruncationRules)
{
    DWORD copied = 0;
    EXPECT_EQ(String(L"Service", L"Name", nullptr, 12, copied), std::wstring(L"quoted text\0", 12));
    EXPECT_EQ(copied, 11u);
    EXPECT_EQ(String(L"Service", L"Name", nullptr, 5, copied), std::wstring(L"quot\0", 5));
    EXPECT_EQ(copied, 4u);
    EXPECT_EQ(String(L"Service", L"LinkageServerRpcPort", nullptr, 5, copied), std::wstring(L"5001\0", 5));
    EXPECT_EQ(copied, 4u);
    EXPECT_EQ(String(L"Service", L"Missing", L"default  ", 10, copied).substr(0, 8), std::wstring(L"default\0", 8));
    EXPECT_EQ(copied, 7u);
    EXPECT_EQ(String(L"Service", L"Missing", nullptr, 3, copied)[0], L'\0');
    EXPECT_EQ(copied, 0u);
    wchar_t untouched = L'#';
    EXPECT_EQ(GetPrivateProfileStringW(L"Service", L"Name", L"", &untouched, 0, L"ACS.INI"), 0u);
    EXPECT_EQ(untouched, L'#');
}

TEST_F(ProfileFileTest, ListsEndInTwoTerminatorsAndTruncateToSizeMinusTwo)
{
    DWORD copied = 0;
    const std::wstring keys(L"UsePipes\0DriverRpcPort\0LinkageServerRpcPort\0Name\0\0", 50);
    EXPECT_EQ(String(L"Service", nullptr, nullptr, 60, copied).substr(0, 50), keys);
    EXPECT_EQ(copied, 49u);
    EXPECT_EQ(String(L"Service", nullptr, nullptr, 12, copied),
              std::wstring(L"UsePipes\0Dr\0\0", 12).substr(0, 10) + std::wstring(2, L'\0'));
    EXPECT_EQ(copied, 10u);
    EXPECT_EQ(String(nullptr, nullptr, nullptr, 30, copied).substr(0, 16), std::wstring(L"Service\0RPCCom\0\0", 16));
    EXPECT_EQ(copied, 15u);
    EXPECT_EQ(String(L"Missing", nullptr, nullptr, 4, copied).substr(0, 2), std::wstring(2, L'\0'));
    EXPECT_EQ(copied, 0u);
}

TEST_F(ProfileFileTest, MissingFileAnswersTheDefaultAndSaysSo)
{
    wchar_t buffer[16] = {};
    SetLastError(ERROR_SUCCESS);
    EXPECT_EQ(GetPrivateProfileStringW(L"S", L"K", L"fallback", buffer, 16, L"NOFILE.INI"), 8u);
    EXPECT_STREQ(buffer, L"fallback");
    EXPECT_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

TEST_F(ProfileFileTest, WritesKeepOtherLinesAndReplaceAtomically)
{
    ASSERT_TRUE(WritePrivateProfileStringW(L"service", L"USEPIPES", L"0", L"ACS.INI"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"RPCCom", L"NewKey", L"v", L"ACS.INI"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"UTC_IO", L"major", L"3", L"ACS.INI"));
    ASSERT_TRUE(WritePrivateProfileStringW(L"Service", L"Name", nullptr, L"ACS.INI"));
    EXPECT_EQ(ReadFile("ACS.INI"), "; installation settings\n"
                                   "[Service]\n"
                                   "USEPIPES=0\n"
                                   "DriverRpcPort=0x10\n"
                                   "LinkageServerRpcPort=\"5001\"\n"
                                   "usepipes=2\n"
                                   "\n"
                                   "[RPCCom]\n"
                                   "APIDirectToFailedRPC=1\n"
                                   "not an entry\n"
                                   "NewKey=v\n"
                                   "[service]\n"
                                   "Extra=later section is not read\n"
                                   "\n"
                                   "[UTC_IO]\n"
                                   "major=3\n");
    EXPECT_EQ(GetPrivateProfileIntW(L"UTC_IO", L"major", 0, L"ACS.INI"), 3u);
    ASSERT_TRUE(WritePrivateProfileStringW(L"RPCCom", nullptr, nullptr, L"ACS.INI"));
    EXPECT_EQ(GetPrivateProfileIntW(L"RPCCom", L"APIDirectToFailedRPC", 0, L"ACS.INI"), 0u);
    EXPECT_EQ(ReadFile("ACS.INI").find("NewKey"), std::string::npos);
}

TEST_F(ProfileFileTest, WriteCreatesTheFileUnderTheHome)
{
    ASSERT_TRUE(WritePrivateProfileStringW(L"Versions", L"Panel", L"4.2", L"BntFwVersions.ini"));
    EXPECT_EQ(ReadFile("BntFwVersions.ini"), "[Versions]\nPanel=4.2\n");
    const std::wstring absolute = (m_home / "sub.ini").wstring();
    ASSERT_TRUE(WritePrivateProfileStringW(L"A", L"B", L"C", absolute.c_str()));
    EXPECT_EQ(ReadFile("sub.ini"), "[A]\nB=C\n");
}

TEST_F(ProfileFileTest, WriteRefusesTextThatWouldForgeLines)
{
    const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> refused[] = {
        {L"Service", L"Key", L"1\n[Injected]\nAdmin=1"},
        {L"Service", L"Key\r", L"1"},
        {L"Service", L"Key=Other", L"1"},
        {L"Service", L"[Section]", L"1"},
        {L"Service", L";comment", L"1"},
        {L"Serv]ice", L"Key", L"1"},
        {L"Serv\nice", L"Key", L"1"},
        {nullptr, L"Key", L"1"},
        {L"  ", L"Key", L"1"},
    };
    const std::string before = ReadFile("ACS.INI");
    for (const auto& [section, key, value] : refused)
    {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(WritePrivateProfileStringW(section, key, value, L"ACS.INI"));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
    EXPECT_EQ(ReadFile("ACS.INI"), before);
}
