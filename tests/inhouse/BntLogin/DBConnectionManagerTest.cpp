#include "inhouse/BntLogin/DBConnectionManager.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

TEST(DBConnectionManager, LendsAdministratorConnectionsOfTheAttachedDatabase)
{
    TestDatabase db;
    DBConnectionManager manager(3);
    EXPECT_EQ(manager.Connection(0), nullptr);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    EXPECT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    EXPECT_TRUE(manager.IsDatabaseAttached());
    CAcsUser* connection = manager.Connection(0);
    ASSERT_NE(connection, nullptr);
    EXPECT_TRUE(connection->IsLoggedIn());
    EXPECT_EQ(connection->GetUserID(), -1);
    EXPECT_NE(connection->GetDatabase(), nullptr);
    EXPECT_EQ(manager.Connection(1), nullptr);
    manager.ReleaseConnection(connection);
    EXPECT_EQ(manager.Connection(0), connection);
    manager.ReleaseConnection(connection);
}

TEST(DBConnectionManager, UnreachableOrSecondDatabaseIsRefused)
{
    TestDatabase db;
    DBConnectionManager manager;
    EXPECT_EQ(manager.AddDatabase(L"sqlite:/nonexistent-folder/none.db", 0), 0);
    EXPECT_FALSE(manager.IsDatabaseAttached());
    EXPECT_EQ(manager.Connection(0), nullptr);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    EXPECT_EQ(manager.AddDatabase(L"sqlite::memory:", 0), 0);
}

TEST(DBConnectionManager, ExhaustedPoolWaitsForTheTimeOutThenFails)
{
    TestDatabase db;
    DBConnectionManager manager(2);
    manager.SetConnectionTimeout(1);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    CAcsUser* first = manager.Connection(0);
    CAcsUser* second = manager.Connection(0);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(manager.GetConnectionCount(), 2);

    EXPECT_EQ(manager.Connection(0), nullptr);
    const auto log = support::TemporaryHome::ReadLines(db.Home().Path() / "Logs" / "Fluxmere.log");
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("the wait for one timed out"), std::string::npos);

    manager.ReleaseConnection(first);
    manager.ReleaseConnection(second);
    EXPECT_EQ(manager.GetLentCount(), 0);
}

TEST(DBConnectionManager, WaiterGetsTheConnectionAReleaseGivesBack)
{
    TestDatabase db;
    DBConnectionManager manager(1);
    manager.SetConnectionTimeout(3600);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    CAcsUser* only = manager.Connection(0);
    ASSERT_NE(only, nullptr);
    auto waiter = std::async(std::launch::async, [&manager] { return manager.Connection(0); });
    EXPECT_EQ(waiter.wait_for(std::chrono::milliseconds(200)), std::future_status::timeout);
    manager.ReleaseConnection(only);
    ASSERT_EQ(waiter.wait_for(std::chrono::seconds(120)), std::future_status::ready);
    EXPECT_EQ(waiter.get(), only);
    manager.ReleaseConnection(only);
}

TEST(DBConnectionManager, ForeignAndDoubleReleasesAreIgnored)
{
    TestDatabase db;
    DBConnectionManager manager(2);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    CAcsUser* connection = manager.Connection(0);
    ASSERT_NE(connection, nullptr);
    CAcsUser stranger;
    manager.ReleaseConnection(&stranger);
    manager.ReleaseConnection(nullptr);
    EXPECT_EQ(manager.GetLentCount(), 1);
    manager.ReleaseConnection(connection);
    manager.ReleaseConnection(connection);
    EXPECT_EQ(manager.GetLentCount(), 0);
}

TEST(DBConnectionManager, ConcurrentBorrowersNeverShareAConnection)
{
    TestDatabase db;
    constexpr int kPool = 4;
    DBConnectionManager manager(kPool);
    manager.SetConnectionTimeout(30);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    std::mutex lock;
    std::set<CAcsUser*> inUse;
    int clashes = 0;
    int failures = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t)
    {
        threads.emplace_back([&] {
            for (int i = 0; i < 25; ++i)
            {
                CAcsUser* c = manager.Connection(0);
                if (c == nullptr)
                {
                    const std::scoped_lock guard(lock);
                    ++failures;
                    continue;
                }
                {
                    const std::scoped_lock guard(lock);
                    clashes += inUse.insert(c).second ? 0 : 1;
                }
                std::this_thread::yield();
                {
                    const std::scoped_lock guard(lock);
                    inUse.erase(c);
                }
                manager.ReleaseConnection(c);
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(clashes, 0);
    EXPECT_EQ(failures, 0);
    EXPECT_LE(manager.GetConnectionCount(), kPool);
    EXPECT_EQ(manager.GetLentCount(), 0);
}

TEST(DBConnectionManager, ManyThreadsOnASmallPoolAreEachServedOneHolderAtATimeWithoutStalling)
{
    TestDatabase db;
    constexpr int kPool = 3;
    constexpr int kThreads = 12;
    constexpr int kRounds = 200;
    DBConnectionManager manager(kPool);
    // A give-back whose wake-up were lost would leave a waiter here until the time-out, which
    // lies beyond the test's own limit.
    manager.SetConnectionTimeout(3600);
    ASSERT_NE(manager.AddDatabase(db.DataSource(), 0), 0);
    std::mutex lock;
    std::map<const CAcsUser*, std::atomic<int>> holders;
    std::atomic<int> clashes{0};
    std::atomic<int> served{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i)
            {
                CAcsUser* c = manager.Connection(0);
                if (c == nullptr)
                    continue;
                std::atomic<int>* holder = nullptr;
                {
                    const std::scoped_lock guard(lock);
                    holder = &holders[c];
                }
                clashes += holder->fetch_add(1) == 0 ? 0 : 1;
                std::this_thread::yield();
                holder->fetch_sub(1);
                ++served;
                manager.ReleaseConnection(c);
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(clashes.load(), 0);
    EXPECT_EQ(served.load(), kThreads * kRounds);
    EXPECT_EQ(manager.GetConnectionCount(), kPool);
    EXPECT_EQ(manager.GetLentCount(), 0);
}

}  // namespace
