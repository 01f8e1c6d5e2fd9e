#include "provider/LWorkerThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "tests/provider/core/ProviderTestInstallation.h"

namespace {

// A latch the tests open to let a worker go on.
class Latch
{
public:
    void Open()
    {
        {
            const std::scoped_lock guard(m_lock);
            m_open = true;
        }
        m_changed.notify_all();
    }
    void Wait()
    {
        std::unique_lock guard(m_lock);
        m_changed.wait(guard, [this] { return m_open; });
    }

private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_open = false;
};

// Records the sequence of calls the thread procedure makes.
class RecordingThread : public LWorkerThread
{
public:
    RecordingThread(BOOL startup, UINT run, UINT shutdown) : m_startup(startup), m_run(run), m_shutdown(shutdown) {}
    ~RecordingThread() override { Kill(0); }

    std::vector<std::string> Calls()
    {
        const std::scoped_lock guard(m_lock);
        return m_calls;
    }

    BOOL OnStartup() override
    {
        Record("startup");
        return m_startup;
    }
    UINT OnRun() override
    {
        Record("run");
        return m_run;
    }
    UINT OnShutdown() override
    {
        Record("shutdown");
        return m_shutdown;
    }
    int OnError(int code) override
    {
        Record("error " + std::to_string(code));
        return 0;
    }

private:
    void Record(const std::string& call)
    {
        const std::scoped_lock guard(m_lock);
        m_calls.push_back(call);
    }

    const BOOL m_startup;
    const UINT m_run;
    const UINT m_shutdown;
    std::mutex m_lock;
    std::vector<std::string> m_calls;
};

// A loop that ends when its stop flag is set; Stop waits for the end as the derived classes do.
class StoppableThread : public LWorkerThread
{
public:
    // The polls only bound a hang: the thread ends as soon as it is woken.
    explicit StoppableThread(bool waitInStop) : m_waitInStop(waitInStop) { SetStopPolling(10, 3000); }
    ~StoppableThread() override { Kill(0); }

    UINT OnRun() override
    {
        m_stop.Wait();
        return 0;
    }
    BOOL Stop() override
    {
        m_stop.Open();
        return m_waitInStop ? WaitForStopped() : TRUE;
    }

private:
    const bool m_waitInStop;
    Latch m_stop;
};

// A thread that ignores stop requests until the test opens its latch.
class StubbornThread : public LWorkerThread
{
public:
    explicit StubbornThread(bool stopAnswer) : m_stopAnswer(stopAnswer) { SetStopPolling(5, 3); }

    UINT OnRun() override
    {
        m_release.Wait();
        return 0;
    }
    BOOL Stop() override
    {
        ++m_stopRequests;
        const BOOL stopped = WaitForStopped();
        return m_stopAnswer ? TRUE : stopped;
    }
    void Release() { m_release.Open(); }
    int StopRequests() const { return m_stopRequests.load(); }

private:
    const bool m_stopAnswer;
    Latch m_release;
    std::atomic<int> m_stopRequests{0};
};

class ThrowingThread : public LWorkerThread
{
public:
    ~ThrowingThread() override { Kill(0); }
    UINT OnRun() override { throw std::runtime_error("boom"); }
};

// Waits until the condition holds, which a detached thread makes true as it ends; the base
// class gives no event for that. The bound only keeps a broken thread from hanging the test.
template <typename Condition>
void WaitUntil(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition() && std::chrono::steady_clock::now() < deadline)
    {
        // A pause between looks, not an assumed duration: it leaves the CPU to the thread.
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

// Waits until the thread's exit status is final.
void WaitUntilEnded(LWorkerThread& thread)
{
    WaitUntil([&thread] { return thread.GetThreadExitCode() != LWorkerThread::kStillActive; });
}

}  // namespace

TEST(WorkerThreadProcedure, RunsStartupRunShutdownAndExitsWithTheShutdownResult)
{
    RecordingThread thread(TRUE, 0, 42);
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.WaitForExit(INFINITE));
    EXPECT_EQ(thread.Calls(), (std::vector<std::string>{"startup", "run", "shutdown"}));
    EXPECT_EQ(thread.GetThreadExitCode(), 42u);
    EXPECT_FALSE(thread.IsRunning());
}

TEST(WorkerThreadProcedure, ErrorPathReportsTheExitCodeMember)
{
    const struct
    {
        BOOL startup;
        UINT run;
        int exitCode;
        std::vector<std::string> calls;
    } cases[] = {
        {TRUE, 1, 0, {"startup", "run", "error 0", "shutdown"}},
        {TRUE, 3, 7, {"startup", "run", "error 7", "shutdown"}},
        {FALSE, 0, 0, {"startup", "error 0", "shutdown"}},
    };
    for (const auto& c : cases)
    {
        RecordingThread thread(c.startup, c.run, 99);
        thread.SetExitCode(c.exitCode);
        ASSERT_TRUE(thread.Start());
        ASSERT_TRUE(thread.WaitForExit(INFINITE));
        EXPECT_EQ(thread.Calls(), c.calls);
        EXPECT_EQ(thread.GetThreadExitCode(), static_cast<DWORD>(c.exitCode));
    }
}

TEST(WorkerThreadProcedure, ExceptionEndsTheThreadWithTheExitCodeMember)
{
    ProviderTestInstallation installation(false);
    ThrowingThread thread;
    thread.SetExitCode(5);
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.WaitForExit(INFINITE));
    EXPECT_EQ(thread.GetThreadExitCode(), 5u);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Worker thread ended by an unknown exception."), 1);
}

TEST(WorkerThreadStart, SuspendedStartRunsNothingUntilResumed)
{
    RecordingThread thread(TRUE, 0, 0);
    ASSERT_TRUE(thread.Start(2, 0, LWorkerThread::kCreateSuspended, nullptr));
    EXPECT_EQ(thread.GetThreadPriority(), 2);
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_FALSE(thread.WaitForExit(20));
    EXPECT_TRUE(thread.Calls().empty());
    EXPECT_EQ(thread.ResumeThread(), 1u);
    ASSERT_TRUE(thread.WaitForExit(INFINITE));
    EXPECT_EQ(thread.Calls().size(), 3u);
    EXPECT_EQ(thread.ResumeThread(), 0xFFFFFFFFu);
}

TEST(WorkerThreadStart, SecondStartWhileAttachedFailsAndRestartAfterEndWorks)
{
    RecordingThread thread(TRUE, 0, 0);
    ASSERT_TRUE(thread.Start(0, 0, LWorkerThread::kCreateSuspended, nullptr));
    EXPECT_FALSE(thread.Start());
    EXPECT_EQ(thread.ResumeThread(), 1u);
    EXPECT_EQ(thread.ResumeThread(), 0u);
    ASSERT_TRUE(thread.WaitForExit(INFINITE));
    ASSERT_TRUE(thread.Start());
    ASSERT_TRUE(thread.WaitForExit(INFINITE));
    EXPECT_EQ(thread.Calls().size(), 6u);
}

TEST(WorkerThreadStop, NeverStartedThreadNeedsNoWaiting)
{
    RecordingThread thread(TRUE, 0, 0);
    EXPECT_TRUE(thread.WaitForExit(0));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetThreadExitCode(), 0u);
    EXPECT_TRUE(thread.Kill(0));
}

TEST(WorkerThreadStop, KillOfASuspendedThreadLetsItEndWithoutRunning)
{
    RecordingThread thread(TRUE, 0, 0);
    ASSERT_TRUE(thread.Start(0, 0, LWorkerThread::kCreateSuspended, nullptr));
    EXPECT_TRUE(thread.Kill(0));
    EXPECT_TRUE(thread.Calls().empty());
    EXPECT_FALSE(thread.IsRunning());
}

TEST(WorkerThreadStop, DestroyingASuspendedThreadDoesNotHang)
{
    auto thread = std::make_unique<StubbornThread>(false);
    ASSERT_TRUE(thread->Start(0, 0, LWorkerThread::kCreateSuspended, nullptr));
    thread.reset();
    SUCCEED();
}

TEST(WorkerThreadStop, StopThatWaitsEndsTheThreadAndKillJoinsIt)
{
    StoppableThread thread(true);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.IsRunning());
    EXPECT_TRUE(thread.Kill(0));
    EXPECT_FALSE(thread.IsRunning());
    EXPECT_EQ(thread.GetThreadExitCode(), 0u);
    EXPECT_TRUE(thread.WaitForExit(0));
}

TEST(WorkerThreadStop, StopThatOnlySignalsIsFollowedByABoundedJoin)
{
    StoppableThread thread(false);
    ASSERT_TRUE(thread.Start());
    EXPECT_TRUE(thread.Kill(0));
    EXPECT_FALSE(thread.IsRunning());
}

TEST(WorkerThreadStop, ThreadThatIgnoresStopIsDetachedAndLoggedNotKilled)
{
    ProviderTestInstallation installation(false);
    for (const bool stopAnswer : {false, true})
    {
        auto thread = std::make_unique<StubbornThread>(stopAnswer);
        ASSERT_TRUE(thread->Start());
        EXPECT_FALSE(thread->Kill(0));
        EXPECT_EQ(thread->StopRequests(), 1);
        EXPECT_TRUE(thread->IsRunning());
        // The detached thread still runs; it ends normally once released.
        thread->Release();
        WaitUntilEnded(*thread);
        EXPECT_FALSE(thread->IsRunning());
        EXPECT_EQ(thread->GetThreadExitCode(), 0u);
    }
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Worker thread did not stop; it is left running."), 2);
}

TEST(WorkerThreadStop, BaseStopCannotStopAndKillDetachesARunningThread)
{
    ProviderTestInstallation installation(false);
    class Waiting : public LWorkerThread
    {
    public:
        UINT OnRun() override
        {
            release.Wait();
            return 0;
        }
        Latch release;
    } thread;
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.Stop());
    EXPECT_FALSE(thread.Kill(0));
    thread.release.Open();
    WaitUntilEnded(thread);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Worker thread did not stop; it is left running."), 1);
}

TEST(WorkerThreadStop, WaitForExitTimesOutWhileRunningAndJoinsOnceEnded)
{
    class Waiting : public LWorkerThread
    {
    public:
        ~Waiting() override { Kill(0); }
        UINT OnRun() override
        {
            release.Wait();
            return 0;
        }
        BOOL Stop() override
        {
            release.Open();
            return WaitForStopped();
        }
        Latch release;
    } thread;
    ASSERT_TRUE(thread.Start());
    EXPECT_FALSE(thread.WaitForExit(10));
    thread.release.Open();
    EXPECT_TRUE(thread.WaitForExit(INFINITE));
    EXPECT_TRUE(thread.WaitForExit(0));
}

// A thread that keeps using its own members after a stop that timed out, and tells when it is
// destroyed.
class LingeringThread : public LWorkerThread
{
public:
    LingeringThread(Latch& release, std::atomic<int>& destroyed, std::atomic<int>& lastSeen)
        : m_release(release), m_destroyed(destroyed), m_lastSeen(lastSeen)
    {
        SetStopPolling(5, 2);
    }
    ~LingeringThread() override { ++m_destroyed; }
    UINT OnRun() override
    {
        m_release.Wait();
        // Members of the derived object, read after the owner let go.
        m_lastSeen = static_cast<int>(m_counters.size());
        return 0;
    }

private:
    Latch& m_release;
    std::atomic<int>& m_destroyed;
    std::atomic<int>& m_lastSeen;
    std::vector<int> m_counters = std::vector<int>(7, 1);
};

TEST(WorkerThreadStop, AThreadLeftRunningOwnsItsObjectUntilItEnds)
{
    ProviderTestInstallation installation(false);
    Latch release;
    std::atomic<int> destroyed{0};
    std::atomic<int> lastSeen{0};
    {
        LWorkerThread::Ptr<LingeringThread> thread(new LingeringThread(release, destroyed, lastSeen));
        ASSERT_TRUE(thread->Start());
    }
    EXPECT_EQ(destroyed.load(), 0) << "the owner let go, but the thread still runs on the object";
    release.Open();
    WaitUntil([&destroyed] { return destroyed.load() != 0; });
    EXPECT_EQ(destroyed.load(), 1) << "the thread deleted its object when it ended";
    EXPECT_EQ(lastSeen.load(), 7);

    // A thread that has ended is joined and its object deleted at once.
    {
        LWorkerThread::Ptr<LingeringThread> thread(new LingeringThread(release, destroyed, lastSeen));
        ASSERT_TRUE(thread->Start());
        WaitUntilEnded(*thread);
    }
    EXPECT_EQ(destroyed.load(), 2);
    LWorkerThread::Ptr<LingeringThread> none;
}

namespace {

// Appends to a shared record, so that a test can see in which order things happened.
class EventRecord
{
public:
    void Add(const std::string& event)
    {
        const std::scoped_lock guard(m_lock);
        m_events.push_back(event);
    }
    std::vector<std::string> Events()
    {
        const std::scoped_lock guard(m_lock);
        return m_events;
    }

private:
    std::mutex m_lock;
    std::vector<std::string> m_events;
};

// A member that records when it goes.
class RecordedMember
{
public:
    explicit RecordedMember(EventRecord& record) : m_record(record) {}
    ~RecordedMember() { m_record.Add("member destroyed"); }
    RecordedMember(const RecordedMember&) = delete;
    RecordedMember& operator=(const RecordedMember&) = delete;
    EventRecord& Record() const { return m_record; }

private:
    EventRecord& m_record;
};

// A thread that ignores its stop until released and then uses a member of the derived object,
// as the event processors do with their mappers; its destructor waits before members go.
class MemberUsingThread : public LWorkerThread
{
public:
    MemberUsingThread(Latch& release, EventRecord& record) : m_release(release), m_member(record)
    {
        SetStopPolling(5, 2);
    }
    ~MemberUsingThread() override { JoinBeforeDestruction(); }
    UINT OnRun() override
    {
        m_release.Wait();
        m_member.Record().Add("thread used its member");
        return 0;
    }
    BOOL Stop() override { return WaitForStopped(); }

private:
    Latch& m_release;
    RecordedMember m_member;
};

}  // namespace

TEST(WorkerThreadStop, DestroyingAThreadThatDidNotStopWaitsBeforeItsMembersGo)
{
    ProviderTestInstallation installation(false);
    Latch release;
    EventRecord record;
    auto thread = std::make_unique<MemberUsingThread>(release, record);
    ASSERT_TRUE(thread->Start());
    // The owner deletes the object on another thread; its stop gives up after the short polls.
    std::thread owner([&thread] { thread.reset(); });
    const std::string waiting = "Worker thread destroyed while its thread runs; waiting for it.";
    while (ProviderTestInstallation::CountLogLines(waiting) == 0 && record.Events().empty())
    {
        std::this_thread::yield();
    }
    release.Open();
    owner.join();
    EXPECT_EQ(record.Events(), (std::vector<std::string>{"thread used its member", "member destroyed"}));
    EXPECT_EQ(ProviderTestInstallation::CountLogLines(waiting), 1);
}
