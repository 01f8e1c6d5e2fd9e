#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"
#include "Libraries/OstrumCore/Source/Utils/ConsoleLogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"
#include "Libraries/OstrumCore/Source/Logging/LoggerConfiguration.h"
#include "Libraries/OstrumCore/Source/Utils/LoggerPatternLayout.h"
#include "Libraries/OstrumCore/Source/Utils/OutputDebugStringAppender.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

using namespace ostrum::utils::logging;

LogEvent makeEvent(std::int32_t level, const std::string& message)
{
    LogEvent event;
    event.level = level;
    event.message = message;
    event.threadId = 1234;
    event.line = 42;
    event.file = "C:\\work\\src\\StringUtils";
    return event;
}

std::string render(const std::string& pattern, const LogEvent& event)
{
    LoggerPatternLayout layout;
    EXPECT_EQ(layout.setPattern(pattern), 0) << pattern;
    std::string out;
    layout.format(event, out);
    return out;
}

TEST(LoggerPatternLayout, RendersFieldsWithModifiers)
{
    LogEvent event = makeEvent(LogLevel::INFO, "hello");
    event.logger = Logger::getLogger("layout.name.leaf");
    event.time = 0;
    const std::vector<std::pair<std::string, std::string>> cases = {
        {LogAppender::kDefaultPattern, "INFO  [1234]: hello\n"},
        {"%5line", "   42"},
        {"%-5line|", "42   |"},
        {"%file", "StringUtils"},
        {"%logger %level", "layout.name.leaf INFO"},
        {"%.4logger", "leaf"},
        {"%8.4logger", "    leaf"},
        {"%utcdate", "19700101T00:00:00.000Z"},
        {"<%message>%newline", "<hello>\n"},
        {"%lineage", "42age"},
        {"x(%level)", "x(INFO)"},
        {"", ""},
    };
    for (const auto& [pattern, expected] : cases)
    {
        EXPECT_EQ(render(pattern, event), expected) << pattern;
    }
    event.logger = nullptr;
    event.file = "/src/ostrum/Logger.cpp";
    EXPECT_EQ(render("[%logger]%file", event), "[]Logger.cpp");
}

TEST(LoggerPatternLayout, MalformedPatterns)
{
    LoggerPatternLayout layout;
    EXPECT_EQ(layout.setPattern("abc%"), LogConfigResult::MISSING_FIELD_NAME);
    EXPECT_EQ(layout.setPattern("%99999level"), LogConfigResult::INVALID_FIELD_MODIFIER);
    EXPECT_EQ(layout.setPattern("%99999999999999999999level"), LogConfigResult::INVALID_FIELD_MODIFIER);
    EXPECT_EQ(layout.setPattern("%date(%q)"), LogConfigResult::INVALID_DATE_FORMAT);
    const std::vector<std::pair<std::string, std::string>> invalid = {{"%x", "invalid field name: x"},
                                                                      {"%%level", "invalid field name: %level"},
                                                                      {"a %-5", "invalid field name: -5"},
                                                                      {"%Level", "invalid field name: Level"}};
    for (const auto& [pattern, message] : invalid)
    {
        try
        {
            layout.setPattern(pattern);
            ADD_FAILURE() << pattern;
        }
        catch (const std::runtime_error& e)
        {
            EXPECT_EQ(std::string(e.what()), message);
        }
    }
}

TEST(LoggerPatternLayout, DateFormatIsSharedAndCopied)
{
    LogEvent event = makeEvent(LogLevel::INFO, "m");
    event.time = 1706688309042;  // 2024-01-31 08:05:09.042 UTC
    LoggerPatternLayout layout;
    ASSERT_EQ(layout.setPattern("%utcdate(%Y/%m) %utcdate"), 0);
    std::string out;
    layout.format(event, out);
    EXPECT_EQ(out, "2024/01 2024/01");

    const LoggerPatternLayout copy(layout);
    std::string copied;
    copy.format(event, copied);
    EXPECT_EQ(copied, out);

    EXPECT_EQ(render("%utcdate(%H:%M:%S.%f)", event), "08:05:09.0042");
    const std::string leftDate = render("%-date|%date()", event);
    EXPECT_EQ(leftDate.size(), 2 * std::string("20240131T08:05:09.042").size() + 3);
    EXPECT_EQ(leftDate.substr(leftDate.size() - 2), "()");
}

TEST(Appenders, ConsoleWritesLinesAndDebugChannelEndsEachWithLf)
{
    ConsoleLogAppender console;
    testing::internal::CaptureStdout();
    console.append(makeEvent(LogLevel::WARN, "to stdout"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "WARN  [1234]: to stdout\n");

    OutputDebugStringAppender debug;
    debug.setLayout(LoggerPatternLayout("%level %message"));
    testing::internal::CaptureStderr();
    debug.append(makeEvent(LogLevel::ERROR, "one"));
    debug.append(makeEvent(LogLevel::ERROR, "two\n"));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "ERROR one\nERROR two\n");

    OutputDebugStringAppender empty;
    empty.setLayout(LoggerPatternLayout("%message"));
    testing::internal::CaptureStderr();
    empty.append(makeEvent(LogLevel::ERROR, ""));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

std::int32_t configureText(const std::string& document)
{
    ostrum::io::MemoryInputStream input(reinterpret_cast<const unsigned char*>(document.data()),
                                        static_cast<int>(document.size()));
    return LoggerConfiguration::configureFromStream(input);
}

std::string wrap(const std::string& body)
{
    return "<?xml version=\"1.0\"?><config><logger-config>" + body + "</logger-config></config>";
}

TEST(LoggerConfiguration, ResultCodesOfMalformedConfigurations)
{
    const std::string console = "type=\"ostrum.ConsoleLogAppender\" pattern=\"%message\"";
    const std::vector<std::pair<std::string, std::int32_t>> cases = {
        {"<?xml version=\"1.0\"?><config><other/></config>", LogConfigResult::MISSING_LOGGER_CONFIG},
        {"<?xml version=\"1.0\"?><config><logger-config>", LogConfigResult::XML_PARSE_ERROR},
        {"<config><logger-config/></config>", LogConfigResult::XML_PARSE_ERROR},
        {wrap("<appender " + console + "/>"), LogConfigResult::MISSING_NAME},
        {wrap("<appender name=\"dup\" " + console + "/><appender name=\"dup\" " + console + "/>"),
         LogConfigResult::NAME_NOT_UNIQUE},
        {wrap("<appender name=\"np\" type=\"ostrum.ConsoleLogAppender\"/>"), LogConfigResult::MISSING_PATTERN},
        {wrap("<appender name=\"nt\" pattern=\"%message\"/>"), LogConfigResult::MISSING_TYPE},
        {wrap("<appender name=\"bt\" type=\"ostrum.consolelogappender\" pattern=\"x\"/>"),
         LogConfigResult::UNKNOWN_TYPE},
        {wrap("<appender name=\"bp\" " + std::string("type=\"ostrum.ConsoleLogAppender\" pattern=\"%\"/>")),
         LogConfigResult::MISSING_FIELD_NAME},
        {wrap("<appender name=\"fl\" type=\"ostrum.FileLogAppender\" pattern=\"x\"/>"),
         LogConfigResult::MISSING_APPENDER_DATA},
        {wrap("<appender name=\"fb\" type=\"ostrum.FileLogAppender\" pattern=\"x\" "
              "file=\"/no/such/dir/x.log\"/>"),
         LogConfigResult::INVALID_APPENDER_DATA},
        {wrap("<logger level=\"info\"/>"), LogConfigResult::MISSING_NAME},
        {wrap("<logger name=\"cfg.dup\" level=\"info\"/><logger name=\"cfg.dup\" level=\"info\"/>"),
         LogConfigResult::NAME_NOT_UNIQUE},
        {wrap("<logger name=\"cfg.nl\"/>"), LogConfigResult::MISSING_LEVEL},
        {wrap("<logger name=\"cfg.bl\" level=\"DEBUG\"/>"), LogConfigResult::INVALID_LEVEL},
        {wrap("<logger name=\"cfg.ur\" level=\"info\"><appender-ref name=\"nowhere\"/></logger>"),
         LogConfigResult::UNDEFINED_APPENDER},
        {wrap("<logger name=\"cfg.rn\" level=\"info\"><appender-ref/></logger>"), LogConfigResult::MISSING_NAME},
        {wrap("<logger name=\"root\" level=\"off\"/><logger name=\"root\" level=\"off\"/>"), LogConfigResult::NO_ERROR},
    };
    for (const auto& [document, code] : cases)
    {
        EXPECT_EQ(configureText(document), code) << document;
    }
    EXPECT_THROW(configureText(wrap("<appender name=\"bf\" type=\"ostrum.ConsoleLogAppender\" "
                                    "pattern=\"%bogus\"/>")),
                 std::runtime_error);
    EXPECT_EQ(LoggerConfiguration::configureFromFile("/no/such/file.xml"), LogConfigResult::FILE_NOT_FOUND);
}

TEST(LoggerConfiguration, SettingsBeforeAFailureStay)
{
    EXPECT_EQ(configureText(wrap("<logger name=\"cfg.kept\" level=\"warn\" additivity=\"false\"/>"
                                 "<logger name=\"cfg.broken\" level=\"loud\"/>")),
              LogConfigResult::INVALID_LEVEL);
    EXPECT_EQ(Logger::getLogger("cfg.kept")->getLevel(), LogLevel::WARN);
    EXPECT_FALSE(Logger::getLogger("cfg.kept")->isAdditive());
}

TEST(LoggerConfiguration, QuotedValuesMayHoldMarkup)
{
    ASSERT_EQ(configureText(wrap("<appender name=\"cfg-arrows\" type=\"ostrum.ConsoleLogAppender\" "
                                 "pattern=\"<%level/> -> %message <-%newline\"/>"
                                 "<logger name=\"cfg.arrows\" level=\"info\" additivity=\"false\">"
                                 "<appender-ref name=\"cfg-arrows\"/></logger>")),
              LogConfigResult::NO_ERROR);
    testing::internal::CaptureStdout();
    OSTRUM_LOG(Logger::getLogger("cfg.arrows"), LogLevel::INFO, "hi");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "<INFO/> -> hi <-\n");
}

TEST(LoggerConfiguration, RootAtDebugPrintsEveryRecordOnce)
{
    ASSERT_EQ(configureText(wrap("<appender name=\"cfg-console\" type=\"ostrum.ConsoleLogAppender\" "
                                 "pattern=\"[%logger:%level] %message%newline\"/>"
                                 "<appender name=\"cfg-unused\" type=\"ostrum.ConsoleLogAppender\" "
                                 "pattern=\"UNUSED %message%newline\"/>"
                                 "<logger name=\"root\" level=\"debug\">"
                                 "<appender-ref name=\"cfg-console\"/>"
                                 "<appender-ref name=\"cfg-console\"/></logger>")),
              LogConfigResult::NO_ERROR);
    testing::internal::CaptureStdout();
    OSTRUM_LOG(Logger::getLogger("cfg.any.where"), LogLevel::DEBUG, "value " << 7);
    OSTRUM_LOG(Logger::getLogger("cfg.any.where"), LogLevel::ALL, "too verbose");
    const std::string printed = testing::internal::GetCapturedStdout();
    Logger::getRootLogger()->setLevel(LogLevel::OFF);
    EXPECT_EQ(printed, "[cfg.any.where:DEBUG] value 7\n");
}

}  // namespace
