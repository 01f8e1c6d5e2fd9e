#include "inhouse/BntUtility/CWMIDebugLog.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <thread>

#include "inhouse/BntUtility/CLogger.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/registry/Registry.h"
#include "tests/support/TemporaryHome.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {

const std::regex kPrefix(R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[\d+\] )");

std::filesystem::path DefaultLog(const support::TemporaryHome& home)
{
    return home.Path() / "Logs" / "Fluxmere.log";
}

class TextException : public CException
{
public:
    explicit TextException(LPCWSTR text) : m_text(text) {}
    BOOL GetErrorMessage(LPWSTR buffer, UINT maxChars, PUINT helpContext = nullptr) const override
    {
        return CopyErrorMessage(m_text, buffer, maxChars, helpContext);
    }

private:
    LPCWSTR m_text;
};

TEST(CWMIDebugLog, InformationLineCarriesTimeThreadSourceAndText)
{
    support::TemporaryHome home;
    support::TemporaryHome::SetLogLevel(CWMIDebugLog::Level::Debug);
    CWMIDebugLog::LogInfo(L"wpInstanceProvider", 120, L"GetObjectAsync(Bnt_Badge.ID=5)", nullptr, true);
    CWMIDebugLog::LogInfo(L"wpApp", 7, L"Retrieving", L"id 33", false);
    const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_search(lines[0], kPrefix)) << lines[0];
    EXPECT_NE(lines[0].find(" INFO wpInstanceProvider(120): GetObjectAsync(Bnt_Badge.ID=5)"), std::string::npos);
    EXPECT_EQ(lines[0].find('|'), std::string::npos);
    EXPECT_NE(lines[1].find(" DEBUG wpApp(7): Retrieving | id 33"), std::string::npos) << lines[1];
}

TEST(CWMIDebugLog, ErrorLineCarriesCodeAndBothExceptions)
{
    support::TemporaryHome home;
    const TextException database(L"disk I/O error");
    const CWMIException wmi(L"wpBadgeMapper", 42, static_cast<HRESULT>(0x80041002u), L"Not there.");
    CWMIDebugLog::LogError(L"wpUserCache", 9, L"Error while getting user", static_cast<HRESULT>(0x80041001u), &database,
                           &wmi);
    const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(std::regex_search(lines[0], kPrefix));
    EXPECT_NE(lines[0].find(" ERROR wpUserCache(9): Error while getting user (0x80041001)"
                            " | exception: disk I/O error"
                            " | WMI exception: 0x80041002 wpBadgeMapper(42): Not there."),
              std::string::npos)
        << lines[0];
}

TEST(CWMIDebugLog, TheLevelInTheRegistryChoosesTheLinesWritten)
{
    struct Case
    {
        int level;  // -1: no value (the default)
        std::vector<std::string> written;
    };
    const Case cases[] = {
        {-1, {" INFO ", " ERROR "}},           {0, {" ERROR "}},           {1, {" INFO ", " ERROR "}},
        {2, {" INFO ", " DEBUG ", " ERROR "}}, {7, {" INFO ", " ERROR "}},
    };
    for (const Case& one : cases)
    {
        support::TemporaryHome home;
        if (one.level >= 0)
            support::TemporaryHome::SetLogLevel(static_cast<CWMIDebugLog::Level>(one.level));
        CWMIDebugLog::LogInfo(L"src", 1, L"information", nullptr, true);
        CWMIDebugLog::LogInfo(L"src", 2, L"routine", nullptr, false);
        CWMIDebugLog::LogError(L"src", 3, L"failure", static_cast<HRESULT>(0x80041001u));
        const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
        ASSERT_EQ(lines.size(), one.written.size()) << "level " << one.level;
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_NE(lines[i].find(one.written[i]), std::string::npos) << "level " << one.level << ": " << lines[i];
    }
}

TEST(CWMIDebugLog, AnErrorLineWithoutACodeCarriesTheWmiExceptionsCode)
{
    support::TemporaryHome home;
    const CWMIException wmi(L"wpBadgeMapper", 42, static_cast<HRESULT>(0x80041002u), L"Not there.");
    CWMIDebugLog::LogError(L"wpMapper", 9, L"Read failed", 0, nullptr, &wmi);
    CWMIDebugLog::LogError(L"wpMapper", 10, L"No code at all");
    const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find(" ERROR wpMapper(9): Read failed (0x80041002) | WMI exception: 0x80041002"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" ERROR wpMapper(10): No code at all"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[1].find("0x"), std::string::npos) << lines[1];
}

TEST(CWMIDebugLog, LineBreaksInTextStayOnOneLine)
{
    support::TemporaryHome home;
    CWMIDebugLog::LogInfo(L"src", 1, L"first\nsecond\r\nthird", L"x\ny", true);
    const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("first second  third | x y"), std::string::npos);
}

TEST(CWMIDebugLog, LogFileFollowsRegistryValueAndHome)
{
    support::TemporaryHome home;
    EXPECT_EQ(ConvertCStringToUtf8(CWMIDebugLog::GetLogFileName()), DefaultLog(home).string());

    support::TemporaryHome configured;
    const std::wstring folder = (configured.Path() / L"custom logs").wstring();
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Brontel\\Ivarune", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    ASSERT_EQ(RegSetValueExW(key, L"LogFilePath", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                             static_cast<DWORD>((folder.size() + 1) * sizeof(wchar_t))),
              static_cast<LSTATUS>(ERROR_SUCCESS));
    RegCloseKey(key);
    EXPECT_EQ(ConvertCStringToUtf8(CWMIDebugLog::GetLogFileName()),
              (configured.Path() / "custom logs" / "Fluxmere.log").string());
    CWMIDebugLog::LogInfo(L"src", 2, L"into the configured folder");
    EXPECT_EQ(support::TemporaryHome::ReadLines(configured.Path() / "custom logs" / "Fluxmere.log").size(), 1u);
}

TEST(CWMIDebugLog, ConcurrentCallsWriteWholeLines)
{
    support::TemporaryHome home;
    constexpr int kThreads = 8;
    constexpr int kLinesEach = 150;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([t] {
            for (int i = 0; i < kLinesEach; ++i)
            {
                const std::wstring text = L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" end";
                if (i % 2 == 0)
                {
                    CWMIDebugLog::LogInfo(L"worker", t, text.c_str());
                }
                else
                {
                    CWMIDebugLog::LogError(L"worker", t, text.c_str(), E_FAIL);
                }
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    const auto lines = support::TemporaryHome::ReadLines(DefaultLog(home));
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(kThreads * kLinesEach));
    const std::regex whole(
        R"(^\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}\.\d{3} \[\d+\] (INFO|ERROR) worker\((\d)\): thread (\d) line (\d+) end( \(0x80004005\))?$)");
    std::set<std::string> seen;
    for (const auto& line : lines)
    {
        std::smatch match;
        ASSERT_TRUE(std::regex_match(line, match, whole)) << line;
        EXPECT_EQ(match[2], match[3]);
        seen.insert(match[3].str() + ":" + match[4].str());
    }
    EXPECT_EQ(seen.size(), lines.size());
}

TEST(CLogger, WritesBesideTheProviderLogWithResultCode)
{
    support::TemporaryHome home;
    const TextException failure(L"lock timeout");
    CLogger::LogError(L"BrontelError.log", CResult(0x20010001u), L"EventToAlarmLink", 126, &failure, false);
    CLogger::LogError(L"BrontelError.log", CResult(0x20010001u), L"EventToAlarmLink", 99, false);
    const auto lines = support::TemporaryHome::ReadLines(home.Path() / "Logs" / "BrontelError.log");
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_search(lines[0], kPrefix));
    EXPECT_NE(lines[0].find(" ERROR EventToAlarmLink(126): result 0x20010001 | exception: lock timeout"),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find(" ERROR EventToAlarmLink(99): result 0x20010001"), std::string::npos);
    EXPECT_TRUE(support::TemporaryHome::ReadLines(DefaultLog(home)).empty());

    CLogger::LogError(L"BrontelError.log", CResult(0x20010001u), L"EventToAlarmLink", 439, true);
    EXPECT_EQ(support::TemporaryHome::ReadLines(DefaultLog(home)).size(), 1u);
}

}  // namespace
