#include "Libraries/OstrumCore/Source/Utils/Clock.h"
#include "Libraries/OstrumCore/Source/Utils/CriticalSection.h"
#include "Libraries/OstrumCore/Source/Platform/ElapsedTimer.h"
#include "Libraries/OstrumCore/Source/Platform/Runnable.h"
#include "Libraries/OstrumCore/Source/Platform/Thread.h"
#include "Libraries/OstrumCore/Source/Platform/ThreadEvent.h"
#include "Libraries/OstrumCore/Source/Platform/ThreadSignalList.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <regex>
#include <string>
#include <vector>

namespace {

using ostrum::Thread;
using ostrum::ThreadEvent;
using ostrum::ThreadSignalList;

TEST(ThreadEvent, WaitAnswersTimeoutThenSignalled)
{
    ThreadEvent manual(true, true);
    EXPECT_EQ(manual.waitFor(0), 0);
    manual.set();
    EXPECT_TRUE(manual.isSignalled());
    EXPECT_EQ(manual.waitFor(0), 1);
    EXPECT_EQ(manual.waitFor(0), 1);
    manual.reset();
    EXPECT_EQ(manual.waitFor(0), 0);

    ThreadEvent automatic(false, false);
    EXPECT_EQ(automatic.waitFor(0), 1);
    EXPECT_EQ(automatic.waitFor(0), 0);
}

TEST(ThreadEvent, ClosedEventFailsItsWaits)
{
    ThreadEvent event(true, false);
    EXPECT_NE(event.close(), 0);
    EXPECT_EQ(event.close(), 0);
    EXPECT_EQ(event.waitFor(0), -1);
}

TEST(ThreadSignal, WaitAnyGivesThePositionOfTheFiredSignal)
{
    ThreadEvent self(true, true);
    std::vector<std::unique_ptr<ThreadEvent>> events;
    ThreadSignalList list;
    for (int i = 0; i < 3; ++i)
    {
        events.push_back(std::make_unique<ThreadEvent>(true, true));
        list.add(events.back().get());
    }
    list.add(static_cast<ostrum::ThreadSignal*>(nullptr));
    EXPECT_EQ(list.getCount(), 3);
    EXPECT_EQ(self.waitAny(0, &list), 0);
    events[2]->set();
    EXPECT_EQ(self.waitAny(0, &list), 4);
    self.set();
    EXPECT_EQ(self.waitAny(0, &list), 1);
    EXPECT_EQ(self.waitAny(0, nullptr), 1);
    EXPECT_EQ(events[0]->waitEither(0, *events[2]), 2);
}

TEST(ThreadSignal, WaitAnyRefusesMoreSignalsThanThePlatformLimit)
{
    ThreadEvent self(true, false);
    std::vector<std::unique_ptr<ThreadEvent>> events;
    ThreadSignalList list;
    for (int i = 0; i < ostrum::ThreadSignal::kMaxWaitSignals; ++i)
    {
        events.push_back(std::make_unique<ThreadEvent>(true, true));
        list.add(events.back().get());
    }
    EXPECT_EQ(self.waitAny(0, &list), -1);
}

TEST(ThreadSignalList, KeepsOrderAndAppendsWholeLists)
{
    ThreadEvent a(true, true), b(true, true);
    ThreadSignalList first;
    first.add(&a);
    first.add(&b);
    ThreadSignalList second;
    second.add(&first);
    second.add(static_cast<const ThreadSignalList*>(nullptr));
    second.add(&second);
    ASSERT_EQ(second.getCount(), 4);
    EXPECT_EQ(second.getSignal(0), &a);
    EXPECT_EQ(second.getSignal(1), &b);
    EXPECT_EQ(second.getSignal(2), &a);
}

struct CountingWork : ostrum::Runnable
{
    std::atomic<int> runs{0};
    void run() override { ++runs; }
};

TEST(Thread, NeverStartedRunsNothing)
{
    CountingWork work;
    {
        Thread thread(&work, "idle");
        EXPECT_FALSE(thread.join(0));
        EXPECT_EQ(thread.getName(), "idle");
    }
    EXPECT_EQ(work.runs.load(), 0);
}

TEST(Thread, StartedRunsOnceAndJoins)
{
    CountingWork work;
    Thread thread(&work);
    thread.start();
    EXPECT_TRUE(thread.join(INFINITE));
    EXPECT_TRUE(thread.join(0));
    EXPECT_EQ(work.runs.load(), 1);
    EXPECT_TRUE(thread.isRunning());
}

TEST(Thread, SuspendBeforeStartHoldsTheWork)
{
    CountingWork work;
    Thread thread(&work);
    thread.suspend();
    thread.start();
    EXPECT_FALSE(thread.join(20));
    EXPECT_EQ(work.runs.load(), 0);
    thread.resume();
    EXPECT_TRUE(thread.join(INFINITE));
    EXPECT_EQ(work.runs.load(), 1);
}

// Loops until told to stop through the onStop hook.
class LoopingThread : public Thread
{
public:
    ~LoopingThread() override { stop(); }
    void run() override
    {
        started.set();
        while (!quit)
        {
            Thread::sleep(1);
        }
        finished = true;
    }
    void onStop() override { quit = true; }

    ThreadEvent started{true, true};
    std::atomic<bool> quit{false};
    std::atomic<bool> finished{false};
};

TEST(Thread, StopReturnsAfterTheThreadEnded)
{
    LoopingThread thread;
    thread.start();
    ASSERT_EQ(thread.started.waitFor(INFINITE), 1);
    thread.stop();
    EXPECT_TRUE(thread.finished.load());
    EXPECT_TRUE(thread.join(0));
}

class SelfStoppingThread : public Thread
{
public:
    void run() override
    {
        stop();
        reachedAfterStop = true;
    }
    std::atomic<bool> reachedAfterStop{false};
};

TEST(Thread, StopFromInsideRunEndsTheThread)
{
    SelfStoppingThread thread;
    thread.start();
    EXPECT_TRUE(thread.join(INFINITE));
    EXPECT_FALSE(thread.reachedAfterStop.load());
}

TEST(Thread, DestroyingAStartedThreadWaitsForItsEnd)
{
    std::atomic<bool> done{false};
    struct SlowWork : ostrum::Runnable
    {
        std::atomic<bool>* done;
        void run() override
        {
            Thread::sleep(20);
            *done = true;
        }
    } work;
    work.done = &done;
    {
        Thread thread(&work);
        thread.start();
    }
    EXPECT_TRUE(done.load());
}

TEST(CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    ostrum::CriticalSection section;
    int counter = 0;
    struct Adder : ostrum::Runnable
    {
        ostrum::CriticalSection* section;
        int* counter;
        // Enters the section twice on purpose; the lock analysis does not model re-entry.
        void run() override NO_THREAD_SAFETY_ANALYSIS
        {
            for (int i = 0; i < 10000; ++i)
            {
                const CriticalSectionLock outer(*section);
                const CriticalSectionLock inner(*section);
                ++*counter;
            }
        }
    } adder;
    adder.section = &section;
    adder.counter = &counter;
    Thread a(&adder), b(&adder);
    a.start();
    b.start();
    a.join(INFINITE);
    b.join(INFINITE);
    EXPECT_EQ(counter, 20000);
}

TEST(Clock, FollowsTheWallClockAndNeverGoesBack)
{
    const std::uint64_t first = ostrum::Clock::currentTimeMillis();
    const auto wall = static_cast<std::uint64_t>(std::time(nullptr)) * 1000;
    EXPECT_LE(first, wall + 2000);
    EXPECT_GE(first + 2000, wall);
    std::uint64_t last = first;
    for (int i = 0; i < 1000; ++i)
    {
        const std::uint64_t now = ostrum::Clock::currentTimeMillis();
        ASSERT_GE(now, last);
        last = now;
    }
    // The text is the elapsed time read between the two readings around it, whatever the
    // machine's speed.
    ostrum::ElapsedTimer timer(first - 1500);
    const std::int64_t before = timer.elapsedMillis();
    const std::string text = timer.elapsedText();
    const std::int64_t after = timer.elapsedMillis();
    EXPECT_GE(before, 1500);
    EXPECT_TRUE(std::regex_match(text, std::regex("[0-9]+\\.[0-9]{6}"))) << text;
    const double millis = std::stod(text) * 1000;
    EXPECT_GE(millis, static_cast<double>(before) - 0.5) << text;
    EXPECT_LE(millis, static_cast<double>(after) + 0.5) << text;
}

TEST(Clock, CalendarConversions)
{
    std::tm utc{};
    ASSERT_TRUE(ostrum::Clock::toUtcCalendar(1709301600123LL, utc));
    EXPECT_EQ(utc.tm_year + 1900, 2024);
    EXPECT_EQ(utc.tm_mon + 1, 3);
    EXPECT_EQ(utc.tm_mday, 1);
    EXPECT_EQ(utc.tm_hour, 14);

    const char* saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    setenv("TZ", "EST5", 1);
    EXPECT_EQ(ostrum::Clock::toLocalStandardTime(100000000), 100000000 - 18000000);
    std::tm local{};
    ASSERT_TRUE(ostrum::Clock::toLocalCalendar(1709301600123LL, local));
    EXPECT_EQ(local.tm_hour, 9);
    if (saved)
    {
        setenv("TZ", restore.c_str(), 1);
    }
    else
    {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
