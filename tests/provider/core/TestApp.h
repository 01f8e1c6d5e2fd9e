// Application objects and a user cache for the provider core tests: a CWmipApp whose user
// cache runs on a fake clock and counts how often it was created, and a cache that shows how
// many entries it holds. Constructing a TestApp makes it the process's current application
// object until it is destroyed.
#pragma once

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

#include "provider/CWmipApp.h"
#include "provider/CWmipUserCache.h"

// A steady clock that only moves when a test moves it.
class FakeClock
{
public:
    ULONGLONG Now() const { return m_now.load(); }
    void AdvanceSeconds(ULONGLONG seconds) { m_now += seconds * 1000; }
    CWmipUserCacheClock Clock(LONG lifetimeSeconds)
    {
        CWmipUserCacheClock clock;
        clock.tickCount = [this] { return Now(); };
        clock.lifetimeSeconds = lifetimeSeconds;
        return clock;
    }

private:
    std::atomic<ULONGLONG> m_now{1'000'000};
};

class TestUserCache : public CWmipUserCache
{
public:
    using CWmipUserCache::CWmipUserCache;
    using CWmipUserCache::GetCachedUserCount;
    using CWmipUserCache::GetRetiredUserCount;
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
        return std::make_unique<TestUserCache>(false, false, m_clock);
    }

private:
    CWmipUserCacheClock m_clock;
    std::atomic<int> m_createdCaches{0};
};
