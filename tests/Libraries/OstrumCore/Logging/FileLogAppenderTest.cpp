#include "Libraries/OstrumCore/Source/IO/FileOpenException.h"
#include "Libraries/OstrumCore/Source/Logging/FileLogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Logging/LoggerConfiguration.h"
#include "Libraries/OstrumCore/Source/Utils/LoggerPatternLayout.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace ostrum::utils::logging;

constexpr std::int64_t kHour = 3600000;
// 2024-03-01 14:00:00 UTC.
constexpr std::int64_t k14h = 1709301600000;

class FileLogAppenderTest : public testing::Test
{
protected:
    void SetUp() override
    {
        std::random_device seed;
        m_dir = fs::temp_directory_path() / ("ostrum-roll-" + std::to_string(seed()));
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    std::unique_ptr<FileLogAppender> makeAppender(bool appendToFile = false) const
    {
        auto appender = std::make_unique<FileLogAppender>(path("app.log"), appendToFile);
        appender->setLayout(LoggerPatternLayout("%message%newline"));
        return appender;
    }

    static void log(FileLogAppender& appender, std::int64_t time, const std::string& message)
    {
        LogEvent event;
        event.level = LogLevel::INFO;
        event.time = static_cast<std::uint64_t>(time);
        event.message = message;
        appender.append(event);
    }

    std::set<std::string> files() const
    {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_dir))
        {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

    std::string read(const std::string& name) const
    {
        std::ifstream in(path(name), std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }

    void write(const std::string& name, const std::string& text) const
    {
        std::ofstream(path(name), std::ios::binary) << text;
    }

private:
    fs::path m_dir;
};

TEST_F(FileLogAppenderTest, DefaultsReplaceTheFileUnlessAppending)
{
    write("app.log", "old\n");
    {
        auto appender = makeAppender(false);
        log(*appender, k14h, "new");
        log(*appender, k14h + 1, "next");
    }
    EXPECT_EQ(read("app.log"), "new\nnext\n");
    {
        auto appender = makeAppender(true);
        log(*appender, k14h, "more");
    }
    EXPECT_EQ(read("app.log"), "new\nnext\nmore\n");
    EXPECT_EQ(files(), std::set<std::string>{"app.log"});
}

TEST_F(FileLogAppenderTest, HourlyRollNamesFilesByTheEventsInterval)
{
    auto appender = makeAppender();
    appender->setRollMode(FileLogAppender::kRollByInterval);
    appender->setInterval(FileLogAppender::kIntervalHour);
    log(*appender, k14h + kHour - 1000, "14:59:59");
    log(*appender, k14h + kHour, "15:00:00.000");
    log(*appender, k14h + kHour + 1000, "15:00:01");
    // Two quiet hours: the next record opens the 18:00 file, not the 16:00 one.
    log(*appender, k14h + 4 * kHour + 5, "18:00:00.005");
    EXPECT_EQ(read("app20240301T14.00.00Z.log"), "14:59:59\n");
    EXPECT_EQ(read("app20240301T15.00.00Z.log"), "15:00:00.000\n15:00:01\n");
    EXPECT_EQ(read("app20240301T18.00.00Z.log"), "18:00:00.005\n");
    EXPECT_EQ(files().size(), 3u);
}

TEST_F(FileLogAppenderTest, SizeRollKeepsTheNewestFilesWithinTheLimit)
{
    for (const bool evictAfterAdd : {false, true})
    {
        SCOPED_TRACE(evictAfterAdd);
        auto appender = makeAppender();
        appender->setMaxSize(10);
        appender->setMaxFiles(3);
        appender->setEvictAfterAdd(evictAfterAdd);
        for (int i = 0; i < 8; ++i)
        {
            log(*appender, k14h, "record-" + std::to_string(i));
        }
        // Two records a file: app.log, then .0, .1 and .2; the oldest goes.
        const std::set<std::string> expected = {"app20240301T14.00.00Z.0.log", "app20240301T14.00.00Z.1.log",
                                                "app20240301T14.00.00Z.2.log"};
        EXPECT_EQ(files(), expected);
        EXPECT_EQ(read("app20240301T14.00.00Z.2.log"), "record-6\nrecord-7\n");
        appender.reset();
        for (const std::string& name : expected)
        {
            fs::remove(path(name));
        }
    }
}

TEST_F(FileLogAppenderTest, RestartResumesTheHighestNumberedFileOfTheInterval)
{
    {
        auto appender = makeAppender();
        appender->setRollMode(FileLogAppender::kRollByInterval);
        appender->setInterval(FileLogAppender::kIntervalHour);
        appender->setMaxSize(4);
        log(*appender, k14h, "aaaa");
        log(*appender, k14h + 1, "bbbb");
        log(*appender, k14h + 2, "cccc");
    }
    EXPECT_EQ(read("app20240301T14.00.00Z.1.log"), "cccc\n");
    auto restarted = makeAppender();
    restarted->setRollMode(FileLogAppender::kRollByInterval);
    restarted->setInterval(FileLogAppender::kIntervalHour);
    restarted->setMaxSize(100);
    log(*restarted, k14h + 10, "dddd");
    EXPECT_EQ(read("app20240301T14.00.00Z.1.log"), "cccc\ndddd\n");
    EXPECT_EQ(files().size(), 3u);
}

TEST_F(FileLogAppenderTest, OnlyItsOwnFilesAreListedAndDeleted)
{
    write("application.log", "foreign\n");
    write("app-notes.log", "foreign\n");
    write("app20240301T13.00.00Z.log", "own, older\n");
    write("app20240301T13.00.00Z.x.log", "foreign\n");
    auto appender = makeAppender();
    appender->setRollMode(FileLogAppender::kRollByInterval);
    appender->setInterval(FileLogAppender::kIntervalHour);
    appender->setMaxFiles(1);
    log(*appender, k14h, "now");
    const std::set<std::string> expected = {"application.log", "app-notes.log", "app20240301T13.00.00Z.x.log",
                                            "app20240301T14.00.00Z.log"};
    EXPECT_EQ(files(), expected);
}

TEST_F(FileLogAppenderTest, ConfigurationFileDeclaresAFileAppender)
{
    write("old.log", "before\n");
    write("logging.xml", "<?xml version=\"1.0\"?>\n<settings>\n <logger-config>\n"
                         "  <appender name=\"cfg-file\" type=\"ostrum.FileLogAppender\" append=\"true\"\n"
                         "            pattern=\"%level %logger: %message%newline\" file=\"" +
                             path("old.log") +
                             "\"/>\n"
                             "  <logger name=\"cfgfile.area\" level=\"info\" additivity=\"false\">\n"
                             "   <appender-ref name=\"cfg-file\"/>\n  </logger>\n </logger-config>\n</settings>\n");
    ASSERT_EQ(LoggerConfiguration::configureFromFile(path("logging.xml")), LogConfigResult::NO_ERROR);
    OSTRUM_LOG(Logger::getLogger("cfgfile.area"), LogLevel::INFO, "kept");
    OSTRUM_LOG(Logger::getLogger("cfgfile.area.sub"), LogLevel::DEBUG, "too verbose");
    Logger::getLogger("cfgfile.area")->setLevel(LogLevel::OFF);
    EXPECT_EQ(read("old.log"), "before\nINFO cfgfile.area: kept\n");
    EXPECT_EQ(LoggerConfiguration::configureFromFile(path("none.xml")), LogConfigResult::FILE_NOT_FOUND);
}

TEST_F(FileLogAppenderTest, AnUnwritableFileThrowsFileOpenException)
{
    FileLogAppender appender(path("missing/dir/app.log"), false);
    appender.setLayout(LoggerPatternLayout("%message%newline"));
    // The lock is released on the way out: the appender takes the next record (and fails again).
    EXPECT_THROW(log(appender, k14h, "lost"), ostrum::io::FileOpenException);
    EXPECT_THROW(log(appender, k14h + 1, "lost too"), ostrum::io::FileOpenException);
    fs::create_directories(path("missing/dir"));
    log(appender, k14h + 2, "kept");
    EXPECT_EQ(read("missing/dir/app.log"), "kept\n");
}

TEST_F(FileLogAppenderTest, AFileThatReachesTheSizeLimitExactlyRollsAtTheNextRecord)
{
    auto appender = makeAppender();
    // "record-N" and its line end: exactly the limit, so every record starts a file.
    appender->setMaxSize(9);
    for (int i = 0; i < 3; ++i)
    {
        log(*appender, k14h, "record-" + std::to_string(i));
    }
    EXPECT_EQ(read("app.log"), "record-0\n");
    EXPECT_EQ(read("app20240301T14.00.00Z.0.log"), "record-1\n");
    EXPECT_EQ(read("app20240301T14.00.00Z.1.log"), "record-2\n");
    EXPECT_EQ(files().size(), 3u);
}

TEST(FileLogAppenderIntervals, StartEndAndNames)
{
    using ostrum::utils::Time;
    // 2024-02-29 13:45:30.250 UTC, in a leap year.
    const Time time(static_cast<std::int64_t>(1709214330250));
    const std::vector<std::tuple<std::int32_t, std::string, std::string>> cases = {
        {FileLogAppender::kIntervalYear, "20240101T00:00:00Z", "20250101T00:00:00Z"},
        {FileLogAppender::kIntervalMonth, "20240201T00:00:00Z", "20240301T00:00:00Z"},
        {FileLogAppender::kIntervalDay, "20240229T00:00:00Z", "20240301T00:00:00Z"},
        {FileLogAppender::kIntervalHour, "20240229T13:00:00Z", "20240229T14:00:00Z"},
        {FileLogAppender::kIntervalMinute, "20240229T13:45:00Z", "20240229T13:46:00Z"},
        {FileLogAppender::kIntervalSecond, "20240229T13:45:30Z", "20240229T13:45:31Z"},
    };
    for (const auto& [interval, start, end] : cases)
    {
        EXPECT_EQ(FileLogAppender::intervalStart(time, interval).toIsoString(false, true), start);
        EXPECT_EQ(FileLogAppender::intervalEnd(time, interval).toIsoString(false, true), end);
    }
    const Time december(static_cast<std::int64_t>(1734000000000));  // 2024-12-12
    EXPECT_EQ(FileLogAppender::intervalEnd(december, FileLogAppender::kIntervalMonth).toIsoString(false, true),
              "20250101T00:00:00Z");
    EXPECT_EQ(FileLogAppender::intervalStart(time, 0).toIsoString(true, true), "20240229T13:45:30.250Z");
    EXPECT_EQ(FileLogAppender::getIntervalName(4), "hour");
    EXPECT_EQ(FileLogAppender::getIntervalName(7), "[interval]");
}

}  // namespace
