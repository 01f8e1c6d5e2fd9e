// Application objects and a user cache for the provider core tests: a CWmipApp whose user
// cache runs on a fake clock and counts how often it was created (its entries are counted
// through UserPoolTestAccess). Constructing a TestApp makes it the process's current application
// object until it is destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include <vector>

#include <gtest/gtest.h>

#include "inhouse/BntLogin/DBConnectionManager.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipUserCache.h"
#include "tests/support/ManualClock.h"

// A clock that only moves when a test moves it, and the user cache timing on it.
class FakeClock : public support::ManualClock
{
public:
    CWmipUserCacheClock Clock(LONG lifetimeSeconds) const
    {
        CWmipUserCacheClock clock;
        clock.clock = this;
        clock.lifetimeSeconds = lifetimeSeconds;
        return clock;
    }
};

class TestUserCache : public CWmipUserCache
{
public:
    using CWmipUserCache::CWmipUserCache;
};

class TestApp : public CWmipApp
{
public:
    explicit TestApp(CWmipUserCacheClock clock = CWmipUserCacheClock()) : m_clock(std::move(clock)) {}

    int CreatedCaches() const { return m_createdCaches.load(); }
    // The current user cache as the test cache it is.
    static TestUserCache* Cache() { return dynamic_cast<TestUserCache*>(GetUserCache()); }

protected:
    std::unique_ptr<CWmipUserCache> CreateUserCache() override
    {
        ++m_createdCaches;
        // Widens the window in which a second creation could slip in.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return std::make_unique<TestUserCache>(m_clock);
    }

private:
    CWmipUserCacheClock m_clock;
    std::atomic<int> m_createdCaches{0};
};

// Every connection of the current application's pool lent out while the object lives, so that a
// lookup that needs one finds none; all given back when it goes. One thread.
class EveryConnectionLent
{
public:
    EveryConnectionLent() : m_manager(CWmipApp::GetConnectionManager())
    {
        EXPECT_NE(m_manager, nullptr);
        for (int i = 0; m_manager != nullptr && i < DBConnectionManager::kDefaultPoolSize; ++i)
        {
            m_lent.push_back(m_manager->Connection(0));
            EXPECT_NE(m_lent.back(), nullptr);
        }
    }
    ~EveryConnectionLent()
    {
        for (CAcsUser* connection : m_lent)
        {
            if (connection != nullptr)
                m_manager->ReleaseConnection(connection);
        }
    }
    EveryConnectionLent(const EveryConnectionLent&) = delete;
    EveryConnectionLent& operator=(const EveryConnectionLent&) = delete;

    // Gives the last connection back (one lookup can then borrow it).
    void GiveOneBack()
    {
        if (!m_lent.empty() && m_lent.back() != nullptr)
            m_manager->ReleaseConnection(m_lent.back());
        if (!m_lent.empty())
            m_lent.pop_back();
    }

private:
    DBConnectionManager* const m_manager;
    std::vector<CAcsUser*> m_lent;
};
