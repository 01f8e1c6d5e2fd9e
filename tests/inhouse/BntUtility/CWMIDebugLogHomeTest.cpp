// The provider log keeps its resolved file per home: it must follow every change of home, make
// its folders for the owner only and write lines shaped exactly as the common log prefix.
#include "inhouse/BntUtility/CWMIDebugLog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <regex>
#include <string>
#include <system_error>

#include "inhouse/BntUtility/LogFileWriter.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/support/TemporaryHome.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::CWMIDebugLog;
using brontel::utility::LogFileWriter;

namespace {

std::filesystem::path LogOf(const support::TemporaryHome& home)
{
    return home.Path() / "Logs" / "Fluxmere.log";
}

}  // namespace

TEST(CWMIDebugLogHome, LinesFollowTheHomeBackAndForth)
{
    support::TemporaryHome first;
    CWMIDebugLog::LogInfo(L"src", 1, L"one");
    {
        support::TemporaryHome second;
        EXPECT_EQ(ConvertCStringToUtf8(CWMIDebugLog::GetLogFileName()), LogOf(second).string());
        CWMIDebugLog::LogInfo(L"src", 2, L"two");
        const auto lines = support::TemporaryHome::ReadLines(LogOf(second));
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_NE(lines[0].find("src(2): two"), std::string::npos);
    }
    CWMIDebugLog::LogError(L"src", 3, L"three", E_FAIL);
    EXPECT_EQ(ConvertCStringToUtf8(CWMIDebugLog::GetLogFolder()), (first.Path() / "Logs").string());
    const auto lines = support::TemporaryHome::ReadLines(LogOf(first));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("src(1): one"), std::string::npos);
    EXPECT_NE(lines[1].find("src(3): three (0x80004005)"), std::string::npos);
}

TEST(CWMIDebugLogHome, ARemovedHomeIsMadeAgainForTheNextLine)
{
    support::TemporaryHome home;
    CWMIDebugLog::LogInfo(L"src", 1, L"before");
    LogFileWriter::Flush();
    std::error_code ignored;
    std::filesystem::remove_all(home.Path(), ignored);
    CWMIDebugLog::LogInfo(L"src", 2, L"after");
    const auto lines = support::TemporaryHome::ReadLines(LogOf(home));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("src(2): after"), std::string::npos);
}

TEST(CWMIDebugLogHome, TheHomeAndItsLogsFolderAreMadeForTheOwnerOnlyWhateverTheUmask)
{
    support::TemporaryHome home;
    for (const mode_t mask : {mode_t{0}, mode_t{022}, mode_t{077}})
    {
        SCOPED_TRACE(mask);
        std::error_code ignored;
        std::filesystem::remove_all(home.Path(), ignored);
        const mode_t previous = ::umask(mask);
        CWMIDebugLog::LogInfo(L"src", 1, L"made");
        LogFileWriter::Flush();
        ::umask(previous);
        for (const std::filesystem::path& folder : {home.Path(), home.Path() / "Logs"})
            EXPECT_EQ(std::filesystem::status(folder).permissions(), std::filesystem::perms::owner_all) << folder;
        EXPECT_EQ(support::TemporaryHome::ReadLines(LogOf(home)).size(), 1u);
    }
}

TEST(CWMIDebugLogHome, PrefixMatchesTheCommonLinePrefixAndKeepsNonAsciiText)
{
    support::TemporaryHome home;
    const std::string common = LogFileWriter::LinePrefix() + " INFO ";
    CWMIDebugLog::LogInfo(L"wp\u00dcbersicht", 7, L"T\u00fcr \u2013 ok", L"d\u00e9tail \U0001F6AA");
    const auto lines = support::TemporaryHome::ReadLines(LogOf(home));
    ASSERT_EQ(lines.size(), 1u);
    const std::regex shape(R"(^(\d{4}-\d{2}-\d{2} \d{2}:\d{2}):\d{2}\.\d{3} (\[\d+\]) INFO )");
    std::smatch ours;
    std::smatch theirs;
    ASSERT_TRUE(std::regex_search(lines[0], ours, shape)) << lines[0];
    ASSERT_TRUE(std::regex_search(common, theirs, shape)) << common;
    // The thread id as the common prefix gives it.
    EXPECT_EQ(ours[2], theirs[2]);
    EXPECT_EQ(lines[0].substr(ours[0].length()),
              "wp\xC3\x9C"
              "bersicht(7): T\xC3\xBCr \xE2\x80\x93 ok | d\xC3\xA9tail \xF0\x9F\x9A\xAA");
}
