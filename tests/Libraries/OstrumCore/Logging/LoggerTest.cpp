#include "Libraries/OstrumCore/Source/Utils/LogAppender.h"
#include "Libraries/OstrumCore/Source/Utils/LogConfigResult.h"
#include "Libraries/OstrumCore/Source/Utils/LogEvent.h"
#include "Libraries/OstrumCore/Source/Utils/LogLevel.h"
#include "Libraries/OstrumCore/Source/Utils/Logger.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using ostrum::utils::logging::LogAppender;
using ostrum::utils::logging::LogConfigResult;
using ostrum::utils::logging::LogEvent;
using ostrum::utils::logging::Logger;
using ostrum::utils::logging::LogLevel;

class RecordingAppender : public LogAppender
{
public:
    explicit RecordingAppender(std::atomic<int>* destroyed = nullptr) : m_destroyed(destroyed) {}
    ~RecordingAppender() override
    {
        if (m_destroyed != nullptr)
        {
            ++*m_destroyed;
        }
    }
    std::int32_t configure(const ostrum::xml::XmlTreeNode&) override { return 0; }
    void append(const LogEvent& event) override
    {
        std::lock_guard<std::mutex> guard(m_recordsLock);
        records.push_back(event);
    }
    std::vector<LogEvent> records;

private:
    std::mutex m_recordsLock;
    std::atomic<int>* m_destroyed;
};

// Keeps the root's level and appenders as a test found them.
class LoggerTest : public testing::Test
{
protected:
    void SetUp() override { m_rootLevel = Logger::getRootLogger()->getLevel(); }
    void TearDown() override
    {
        Logger::getRootLogger()->setLevel(m_rootLevel);
        Logger::getRootLogger()->removeAppender("test-root");
    }

private:
    std::int32_t m_rootLevel = 0;
};

TEST_F(LoggerTest, GetLoggerBuildsTheDottedTreeOnce)
{
    Logger* leaf = Logger::getLogger("tree.b.c");
    Logger* middle = Logger::getLogger("tree.b");
    EXPECT_EQ(leaf->getParent(), middle);
    EXPECT_EQ(middle->getFullName(), "tree.b");
    EXPECT_EQ(middle->getName(), "b");
    EXPECT_EQ(leaf->getFullName(), "tree.b.c");
    EXPECT_EQ(middle->getParent()->getParent(), Logger::getRootLogger());
    EXPECT_EQ(Logger::getLogger("tree.b.c"), leaf);
    EXPECT_NE(Logger::getLogger("tree.B"), middle);
    EXPECT_EQ(Logger::getLogger(""), Logger::getRootLogger());
}

TEST_F(LoggerTest, EffectiveLevelIsTheLargerOfOwnAndInherited)
{
    Logger* a = Logger::getLogger("lvl");
    Logger* ab = Logger::getLogger("lvl.b");
    Logger* abc = Logger::getLogger("lvl.b.c");
    a->setLevel(LogLevel::DEBUG);
    ab->setLevel(LogLevel::INFO);
    EXPECT_EQ(ab->getEffectiveLevel(), LogLevel::DEBUG);
    EXPECT_EQ(abc->getEffectiveLevel(), LogLevel::DEBUG);
    a->setLevel(LogLevel::ERROR);
    EXPECT_EQ(ab->getEffectiveLevel(), LogLevel::INFO);
    EXPECT_EQ(abc->getEffectiveLevel(), LogLevel::INFO);
    EXPECT_TRUE(abc->isEnabled(LogLevel::INFO));
    EXPECT_FALSE(abc->isEnabled(LogLevel::DEBUG));
    // A logger created later inherits its parent's effective level.
    EXPECT_EQ(Logger::getLogger("lvl.b.c.d")->getEffectiveLevel(), LogLevel::INFO);
}

TEST_F(LoggerTest, RecordsReachAncestorsOnlyWhenEnabledThere)
{
    auto own = std::make_shared<RecordingAppender>();
    auto rootAppender = std::make_shared<RecordingAppender>();
    Logger* logger = Logger::getLogger("route.b");
    logger->addAppender(own, false, "own");
    Logger::getRootLogger()->addAppender(rootAppender, false, "test-root");
    Logger::getRootLogger()->setLevel(LogLevel::INFO);

    logger->log(LogLevel::DEBUG, "quiet", "/src/x.cpp", 7);
    ASSERT_EQ(own->records.size(), 1u);
    EXPECT_TRUE(rootAppender->records.empty());
    const LogEvent& event = own->records[0];
    EXPECT_EQ(event.loggerName, "route.b");
    EXPECT_EQ(event.logger, logger);
    EXPECT_EQ(event.message, "quiet");
    EXPECT_EQ(event.file, "/src/x.cpp");
    EXPECT_EQ(event.line, 7);
    EXPECT_NE(event.time, 0u);

    Logger::getRootLogger()->setLevel(LogLevel::DEBUG);
    logger->log(LogLevel::DEBUG, "loud", "f", 1);
    EXPECT_EQ(rootAppender->records.size(), 1u);

    logger->setAdditive(false);
    logger->log(LogLevel::ERROR, "kept", "f", 1);
    EXPECT_EQ(own->records.size(), 3u);
    EXPECT_EQ(rootAppender->records.size(), 1u);
    logger->removeAppender("own");
}

TEST_F(LoggerTest, NonAdditiveMiddleStopsTheClimb)
{
    auto top = std::make_shared<RecordingAppender>();
    Logger::getLogger("climb")->addAppender(top, false, "top");
    Logger::getLogger("climb")->setLevel(LogLevel::ALL);
    Logger::getLogger("climb.b")->setAdditive(false);
    Logger::getLogger("climb.b.c")->log(LogLevel::FATAL, "x", "f", 1);
    EXPECT_TRUE(top->records.empty());
    Logger::getLogger("climb.x")->log(LogLevel::FATAL, "y", "f", 1);
    EXPECT_EQ(top->records.size(), 1u);
    Logger::getLogger("climb")->removeAppender("top");
}

TEST_F(LoggerTest, RemovingNeverDestroysAnAppenderAnotherLoggerHolds)
{
    std::atomic<int> destroyed{0};
    {
        auto shared = std::make_shared<RecordingAppender>(&destroyed);
        Logger::getLogger("rm.one")->addAppender(shared, false, "s");
        Logger::getLogger("rm.two")->addAppender(shared, false, "s");
        Logger::getLogger("rm.two")->addAppender(shared, false, "s");
    }
    EXPECT_FALSE(Logger::getLogger("rm.one")->removeAppender("missing"));
    EXPECT_TRUE(Logger::getLogger("rm.one")->removeAppender("s"));
    EXPECT_FALSE(Logger::getLogger("rm.one")->removeAppender("s"));
    EXPECT_EQ(destroyed.load(), 0);
    Logger::getLogger("rm.two")->log(LogLevel::ERROR, "still alive", "f", 1);
    EXPECT_TRUE(Logger::getLogger("rm.two")->removeAppender("s"));
    EXPECT_EQ(destroyed.load(), 1);
}

TEST_F(LoggerTest, RegistryKeepsNamesUnique)
{
    auto first = std::make_shared<RecordingAppender>();
    EXPECT_TRUE(Logger::registerAppender("registry-unique", first));
    EXPECT_FALSE(Logger::registerAppender("registry-unique", std::make_shared<RecordingAppender>()));
    EXPECT_EQ(Logger::findRegisteredAppender("registry-unique"), first);
    EXPECT_EQ(Logger::findRegisteredAppender("registry-none"), nullptr);
}

TEST_F(LoggerTest, ConcurrentLoggingCreationAndRemovalAreSafe)
{
    auto appender = std::make_shared<RecordingAppender>();
    Logger* target = Logger::getLogger("conc");
    target->setLevel(LogLevel::ALL);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
    {
        threads.emplace_back([t, target] {
            for (int i = 0; i < 200; ++i)
            {
                Logger::getLogger("conc.t" + std::to_string(t) + "." + std::to_string(i % 7))
                    ->log(LogLevel::INFO, "m", "f", i);
                target->setLevel(i % 2 == 0 ? LogLevel::ALL : LogLevel::DEBUG);
            }
        });
    }
    threads.emplace_back([target, appender] {
        for (int i = 0; i < 200; ++i)
        {
            target->addAppender(appender, false, "flip");
            target->removeAppender("flip");
        }
    });
    for (std::thread& thread : threads)
    {
        thread.join();
    }
    EXPECT_FALSE(target->removeAppender("flip"));
}

TEST(LogLevel, NamesInRecordsAndConfiguration)
{
    const std::vector<std::pair<std::string, std::string>> names = {
        {"OFF", "off"},   {"FATAL", "fatal"}, {"ERROR", "error"}, {"WARN", "warn"},
        {"INFO", "info"}, {"DEBUG", "debug"}, {"ALL", "all"}};
    for (std::int32_t level = 0; level < 7; ++level)
    {
        EXPECT_EQ(LogLevel::getName(level), names[static_cast<std::size_t>(level)].first);
        std::int32_t parsed = -1;
        EXPECT_TRUE(LogLevel::fromConfigName(names[static_cast<std::size_t>(level)].second, parsed));
        EXPECT_EQ(parsed, level);
    }
    std::int32_t untouched = 3;
    EXPECT_FALSE(LogLevel::fromConfigName("DEBUG", untouched));
    EXPECT_FALSE(LogLevel::fromConfigName("", untouched));
    EXPECT_EQ(untouched, 3);
    EXPECT_EQ(LogLevel::getName(7), "");
}

TEST(LogConfigResult, DescribesEveryCode)
{
    EXPECT_EQ(LogConfigResult::describeResult(0), "No error");
    EXPECT_EQ(LogConfigResult::describeResult(6), "Name attribute was not unique");
    EXPECT_EQ(LogConfigResult::describeResult(16), "Specified level is invalid");
    EXPECT_EQ(LogConfigResult::describeResult(17), "Invalid date format");
    EXPECT_EQ(LogConfigResult::describeResult(-1), "Unknown error");
    EXPECT_EQ(LogConfigResult::describeResult(18), "Unknown error");
}

}  // namespace
