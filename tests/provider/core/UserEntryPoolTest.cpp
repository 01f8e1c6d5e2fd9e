#include "provider/CWmipUserCachePool.h"

#include <gtest/gtest.h>

#include <memory>

#include "tests/support/UserPoolTestAccess.h"

namespace {

using GiveBack = CWmipUserCachePool::GiveBackResult;

// An entry over a logged-out user, made at the tick given (its age for a cache's rules).
std::unique_ptr<CWmipUserCacheEntry> EntryMadeAt(ULONGLONG tick)
{
    return std::make_unique<CWmipUserCacheEntry>(std::make_unique<CAcsUser>(), nullptr, tick);
}

// One SID's entry through its life: cached, replaced while a request holds it (retired, still
// usable), given back and purged; an entry is deleted only while no request holds it, and a
// give-back finds entries by address alone, so a foreign entry under a cached SID, or one
// already purged, is refused without being read.
TEST(UserEntryPool, AnEntryGoesOnlyWhenNoRequestHoldsItAndGiveBacksFindItByAddress)
{
    CWmipUserCachePool pool;
    CWmipUserCacheEntry* const first = pool.Add(L"S-1-5-21-1-1", EntryMadeAt(100));
    EXPECT_EQ(first->GetSID(), CString(L"S-1-5-21-1-1")) << "the pool keys its entries";
    EXPECT_EQ(pool.Add(L"S-1-5-21-1-1", EntryMadeAt(200)), first) << "a cached SID keeps its entry";
    CWmipUserCacheEntry* const other = pool.Add(L"S-1-5-21-2-2", EntryMadeAt(100));

    ASSERT_EQ(pool.Take(L"S-1-5-21-1-1"), first);
    CWmipUserCacheEntry* const second = pool.Replace(L"S-1-5-21-1-1", EntryMadeAt(300));
    EXPECT_EQ(pool.Find(L"S-1-5-21-1-1"), second);
    EXPECT_EQ(first->GetUseCount(), 1) << "the retired entry stays with its request";
    EXPECT_EQ(UserPoolTestAccess::CachedCount(pool), 2u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(pool), 1u);

    CWmipUserCacheEntry foreign(std::make_unique<CAcsUser>(), nullptr, 0);
    foreign.SetSID(L"S-1-5-21-1-1");
    EXPECT_EQ(pool.GiveBack(&foreign), GiveBack::NotHeld);
    EXPECT_EQ(foreign.GetUseCount(), 0);
    EXPECT_EQ(pool.GiveBack(first), GiveBack::Released);
    pool.Purge();
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(pool), 0u);
    EXPECT_EQ(pool.GiveBack(first), GiveBack::NotHeld) << "purged: found by address, never read";

    // A cache's rule selects what a purge or a take may touch; entries in use are never purged.
    const auto madeBefore200 = [](const CWmipUserCacheEntry& entry) { return entry.GetCreationTick() < 200; };
    const auto madeFrom200 = [](const CWmipUserCacheEntry& entry) { return entry.GetCreationTick() >= 200; };
    EXPECT_EQ(pool.Take(L"S-1-5-21-2-2", madeFrom200), nullptr) << "not usable, and stays cached";
    ASSERT_EQ(pool.Take(L"S-1-5-21-2-2", madeBefore200), other);
    pool.Purge(madeBefore200);
    EXPECT_EQ(pool.Find(L"S-1-5-21-2-2"), other) << "in use";
    EXPECT_EQ(pool.GiveBack(other), GiveBack::Released);
    pool.Purge(madeBefore200);
    EXPECT_EQ(pool.Find(L"S-1-5-21-2-2"), nullptr);
    EXPECT_EQ(pool.Find(L"S-1-5-21-1-1"), second) << "the purge's rule did not select it";

    // A take that finds the entry unusable leaves the SID's place empty for a login.
    EXPECT_EQ(pool.TakeOrTakeOut(L"S-1-5-21-1-1", madeBefore200), nullptr);
    EXPECT_EQ(pool.Find(L"S-1-5-21-1-1"), nullptr);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(pool), 0u) << "no request held it: deleted at once";

    CWmipUserCacheEntry* const third = pool.Add(L"S-1-5-21-3-3", EntryMadeAt(400));
    EXPECT_EQ(pool.GiveBack(third), GiveBack::OverReleased) << "given back, never taken";
}

TEST(UserEntryPool, AnEntryWithoutALoggedInUserNeverCountsAsTheStoredOne)
{
    const CWmipUserCacheEntry loggedOut(std::make_unique<CAcsUser>(), nullptr, 0);
    const CWmipUserCacheEntry userless(nullptr, nullptr, 0);
    EXPECT_EQ(CWmipUserCachePool::CompareWithStored(loggedOut), CAcsUser::StoredState::Gone);
    EXPECT_EQ(CWmipUserCachePool::CompareWithStored(userless), CAcsUser::StoredState::Gone);
}

}  // namespace
