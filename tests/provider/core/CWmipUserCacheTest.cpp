#include "provider/CWmipUserCache.h"

#include <gtest/gtest.h>

#include <atomic>
#include <barrier>
#include <set>
#include <thread>
#include <vector>

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/Security.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerLogin.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/UserPoolTestAccess.h"

namespace {

constexpr const wchar_t* kOperatorSid = ProviderTestInstallation::kOperatorSid;
constexpr LONG kLifetimeSeconds = 60;
constexpr DWORD kUsePermission = 0x100000D0;

// A demo installation, a test application on a fake clock, and the operator as the caller of
// the test's thread.
class UserCacheTest : public ::testing::Test
{
protected:
    UserCacheTest() : m_app(m_clock.Clock(kLifetimeSeconds)) {}

    TestUserCache& Cache()
    {
        TestUserCache* cache = TestApp::Cache();
        EXPECT_NE(cache, nullptr);
        return *cache;
    }

    // Takes the operator's entry by SID; fails the test when that fails.
    CWmipUserCacheEntry* TakeOperator()
    {
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(Cache().GetUserFromSID(&entry, CString(kOperatorSid)), S_OK);
        EXPECT_NE(entry, nullptr);
        return entry;
    }

    ProviderTestInstallation m_installation;
    FakeClock m_clock;
    TestApp m_app;
    CallerIdentity::Scope m_caller{CallerIdentity(kOperatorSid, SecurityImpersonation)};
};

}  // namespace

TEST_F(UserCacheTest, OneCallerSharesOneEntryWhoseCountFollowsTakesAndReleases)
{
    CWmipUserCacheEntry* first = TakeOperator();
    CWmipUserCacheEntry* second = nullptr;
    ASSERT_EQ(Cache().GetUser(&second), S_OK) << "the impersonated caller is the same account";
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetUseCount(), 2);
    EXPECT_EQ(first->GetSID(), CString(kOperatorSid));
    ASSERT_NE(first->GetUser(), nullptr);
    EXPECT_EQ(first->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);
    EXPECT_TRUE(first->GetUser()->HasPermission(kUsePermission));

    EXPECT_EQ(Cache().ReleaseUser(first), S_OK);
    EXPECT_EQ(first->GetUseCount(), 1);
    EXPECT_EQ(Cache().ReleaseUser(second), S_OK);
    EXPECT_EQ(first->GetUseCount(), 0);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_FALSE(CallerIdentity::IsImpersonating()) << "every operation reverts to self";
}

TEST_F(UserCacheTest, ConcurrentLookupsOfOneAccountLogInOnce)
{
    constexpr int kThreads = 8;
    std::vector<CWmipUserCacheEntry*> entries(kThreads, nullptr);
    std::atomic<bool> go{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i)
    {
        threads.emplace_back([this, &entries, &go, i] {
            const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
            while (!go.load())
            {
                std::this_thread::yield();
            }
            EXPECT_EQ(Cache().GetUser(&entries[i]), S_OK);
        });
    }
    go = true;
    for (auto& thread : threads)
    {
        thread.join();
    }
    EXPECT_EQ(std::set<CWmipUserCacheEntry*>(entries.begin(), entries.end()).size(), 1u);
    EXPECT_EQ(entries[0]->GetUseCount(), kThreads);
    for (CWmipUserCacheEntry* entry : entries)
    {
        EXPECT_EQ(Cache().ReleaseUser(entry), S_OK);
    }
    EXPECT_EQ(entries[0]->GetUseCount(), 0);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
}

// Each round the workers, lined up at a barrier, take the caller's entry at once; the clock
// then passes the lifetime while they all hold it; they take the entry again at once (one
// login retires the held entry, the others wait for that login or take its result); the clean-up
// falls due and they give both back at once. The clock moves only between the phases, so every
// round sees one expiry and one new login, however the threads are scheduled.
TEST_F(UserCacheTest, ManyThreadsTakingAndGivingBackAcrossExpiriesNeverLoseAnEntryInUse)
{
    constexpr int kThreads = 8;
    constexpr int kRounds = 12;
    struct Taken
    {
        CWmipUserCacheEntry* held = nullptr;
        CWmipUserCacheEntry* renewed = nullptr;
    };
    std::vector<Taken> taken(kThreads);
    std::atomic<int> faults{0};
    // Guarded by the barrier: only the step between phases touches them.
    CWmipUserCacheEntry* young = nullptr;
    int renewals = 0;
    // The first entry of every worker in the phase that ended; null when they differ.
    const auto shared = [&taken](CWmipUserCacheEntry* Taken::*which) {
        CWmipUserCacheEntry* first = taken.front().*which;
        for (const Taken& t : taken)
        {
            if (t.*which != first)
            {
                return static_cast<CWmipUserCacheEntry*>(nullptr);
            }
        }
        return first;
    };
    enum Phase
    {
        kTake,
        kTakeAgain,
        kGiveBack
    };
    int phase = kTake;
    int round = 0;
    // Runs on one worker while the others wait at the barrier.
    const auto betweenPhases = [&]() noexcept {
        switch (phase)
        {
        case kTake: {
            CWmipUserCacheEntry* held = shared(&Taken::held);
            EXPECT_NE(held, nullptr) << "round " << round << ": one entry serves every worker";
            if (held != nullptr)
            {
                EXPECT_EQ(held->GetUseCount(), kThreads) << "round " << round;
            }
            if (young != nullptr)
            {
                EXPECT_EQ(held, young) << "round " << round << ": the entry renewed last round is kept";
            }
            m_clock.AdvanceSeconds(kLifetimeSeconds + 1);
            break;
        }
        case kTakeAgain: {
            CWmipUserCacheEntry* held = shared(&Taken::held);
            CWmipUserCacheEntry* renewed = shared(&Taken::renewed);
            EXPECT_NE(renewed, nullptr) << "round " << round << ": the expired entry is logged in again once";
            EXPECT_NE(renewed, held) << "round " << round;
            if (held != nullptr && renewed != nullptr && renewed != held)
            {
                EXPECT_EQ(held->GetUseCount(), kThreads) << "round " << round << ": the retired entry is still held";
                EXPECT_EQ(renewed->GetUseCount(), kThreads) << "round " << round;
                ++renewals;
            }
            young = renewed;
            EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u) << "round " << round;
            // The clean-up falls due while the workers give their entries back.
            m_clock.AdvanceSeconds(CWmipUserCacheClock::kDefaultCleanupIntervalMs / 1000);
            break;
        }
        case kGiveBack:
            EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u)
                << "round " << round << ": the renewed entry is young";
            EXPECT_LE(UserPoolTestAccess::RetiredCount(Cache()), 1u) << "round " << round;
            ++round;
            break;
        }
        phase = (phase + 1) % 3;
    };
    std::barrier phases(kThreads, betweenPhases);
    // A freed or foreign entry shows here as a wrong count or user.
    const auto check = [&faults](CWmipUserCacheEntry* entry) {
        faults += entry != nullptr && entry->GetUseCount() >= 1 &&
                          entry->GetUser()->GetUserID() == ProviderTestInstallation::kOperatorId
                      ? 0
                      : 1;
    };
    const auto take = [this, &faults](CWmipUserCacheEntry*& entry) {
        faults += Cache().GetUser(&entry) == S_OK ? 0 : 1;
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
            Taken& mine = taken[t];
            for (int i = 0; i < kRounds; ++i)
            {
                take(mine.held);
                check(mine.held);
                phases.arrive_and_wait();
                take(mine.renewed);
                check(mine.renewed);
                check(mine.held);
                phases.arrive_and_wait();
                faults += Cache().ReleaseUser(mine.held) == S_OK ? 0 : 1;
                faults += Cache().ReleaseUser(mine.renewed) == S_OK ? 0 : 1;
                phases.arrive_and_wait();
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(renewals, kRounds) << "every round saw one expiry and one new login";

    m_clock.AdvanceSeconds(kLifetimeSeconds + 30);
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u) << "every take was given back";
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
}

TEST_F(UserCacheTest, ReleaseEdgeCases)
{
    EXPECT_EQ(Cache().ReleaseUser(nullptr), S_OK);

    CWmipUserCacheEntry* entry = TakeOperator();
    EXPECT_EQ(Cache().ReleaseUser(entry), S_OK);
    EXPECT_EQ(Cache().ReleaseUser(entry), S_OK) << "an extra release proceeds";
    EXPECT_EQ(entry->GetUseCount(), -1);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("User object was released more than it was acquired"), 1);

    // An entry under a cached SID that is not the cached entry is not this cache's to release.
    CWmipUserCacheEntry foreign(std::make_unique<CAcsUser>(), nullptr, 0);
    foreign.SetSID(CString(kOperatorSid));
    EXPECT_EQ(Cache().ReleaseUser(&foreign), WBEM_E_FAILED);
    EXPECT_EQ(foreign.GetUseCount(), 0);
    EXPECT_EQ(entry->GetUseCount(), -1);
}

// A change of the rights renews the entry at once (the rights stamp); one the stamp does not show
// (set back here behind the grant) is read when the entry expires.
TEST_F(UserCacheTest, ExpiredEntryIsLoggedInAgainWithCurrentPermissions)
{
    CWmipUserCacheEntry* entry = TakeOperator();
    ASSERT_FALSE(entry->GetUser()->HasPermission(0x10000001));
    ASSERT_EQ(Cache().ReleaseUser(entry), S_OK);
    m_installation.Exec("CREATE TEMP TABLE KEPT_STAMP AS SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 1;"
                        "INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (1, 268435457);"
                        "UPDATE RIGHTS_STAMP SET STAMP = (SELECT STAMP FROM KEPT_STAMP) WHERE STAMPID = 1;");

    m_clock.AdvanceSeconds(kLifetimeSeconds);
    CWmipUserCacheEntry* same = TakeOperator();
    EXPECT_EQ(same, entry) << "an entry exactly at its lifetime has not expired";
    EXPECT_FALSE(same->GetUser()->HasPermission(0x10000001)) << "a cached entry is not read again";
    ASSERT_EQ(Cache().ReleaseUser(same), S_OK);

    m_clock.AdvanceSeconds(1);
    CWmipUserCacheEntry* renewed = TakeOperator();
    EXPECT_TRUE(renewed->GetUser()->HasPermission(0x10000001)) << "the new login reads the permissions again";
    EXPECT_EQ(renewed->GetUseCount(), 1);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
    EXPECT_EQ(Cache().ReleaseUser(renewed), S_OK);
}

// An entry's age is read on the steady clock alone: the wall clock moving on hours keeps it, and
// set back a day while its lifetime passes does not.
TEST_F(UserCacheTest, AnEntrysAgeFollowsTheSteadyClockWhateverTheWallClockDoes)
{
    CWmipUserCacheEntry* entry = TakeOperator();
    const ULONGLONG created = entry->GetCreationTick();
    EXPECT_EQ(created, support::ManualClock::kStartTick);
    ASSERT_EQ(Cache().ReleaseUser(entry), S_OK);

    m_clock.MoveWallClock(2 * 3600 * 1000);
    CWmipUserCacheEntry* same = TakeOperator();
    EXPECT_EQ(same->GetCreationTick(), created) << "no steady time has passed";
    ASSERT_EQ(Cache().ReleaseUser(same), S_OK);

    m_clock.MoveWallClock(-26 * 3600 * 1000);
    m_clock.AdvanceSeconds(kLifetimeSeconds + 1);
    CWmipUserCacheEntry* renewed = TakeOperator();
    EXPECT_EQ(renewed->GetCreationTick(), created + (kLifetimeSeconds + 1) * 1000) << "its lifetime has passed";
    EXPECT_EQ(Cache().ReleaseUser(renewed), S_OK);
}

// An entry whose user's rights changed is not handed out again: the next lookup logs the user in
// anew, while a request that still holds the old entry keeps it, usable, until it gives it back.
TEST_F(UserCacheTest, EntryWhoseRightsChangedIsRetiredAndTheNextLookupLogsInAgain)
{
    CWmipUserCacheEntry* held = TakeOperator();
    ASSERT_TRUE(held->GetUser()->HasSegmentAccess(2, CAcsUser::kReadSegmentAccess));
    m_installation.Exec("DELETE FROM USER_SEGMENT_LINK WHERE USERID = 1 AND SEGMENTID = 2;");

    CWmipUserCacheEntry* fresh = TakeOperator();
    ASSERT_NE(fresh, held);
    EXPECT_FALSE(fresh->GetUser()->HasSegmentAccess(2, CAcsUser::kReadSegmentAccess));
    EXPECT_EQ(fresh->GetUseCount(), 1);
    EXPECT_EQ(held->GetUseCount(), 1) << "the retired entry stays with its request";
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u);
    EXPECT_EQ(Cache().ReleaseUser(held), S_OK);
    EXPECT_EQ(Cache().ReleaseUser(fresh), S_OK);

    CWmipUserCacheEntry* again = TakeOperator();
    EXPECT_EQ(again, fresh) << "unchanged rights keep the entry";
    EXPECT_EQ(Cache().ReleaseUser(again), S_OK);
    m_installation.Exec("UPDATE USERS SET ISENABLED = 0 WHERE USERID = 1;");
    CWmipUserCacheEntry* refused = nullptr;
    EXPECT_EQ(Cache().GetUserFromSID(&refused, CString(kOperatorSid)), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u) << "a disabled user's entry goes";
}

TEST_F(UserCacheTest, EntryExpiringInUseIsRetiredReleasedThereAndCollectedLater)
{
    CWmipUserCacheEntry* held = TakeOperator();
    m_clock.AdvanceSeconds(kLifetimeSeconds + 1);

    CWmipUserCacheEntry* fresh = TakeOperator();
    ASSERT_NE(fresh, held);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u);
    EXPECT_EQ(held->GetUseCount(), 1) << "the retired entry stays usable";
    EXPECT_EQ(held->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);

    EXPECT_EQ(Cache().ReleaseUser(held), S_OK);
    EXPECT_EQ(held->GetUseCount(), 0);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 1u) << "collected only by the next clean-up";

    m_clock.AdvanceSeconds(30);
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(Cache()), 0u);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u) << "the fresh entry is in use and young";
    EXPECT_EQ(Cache().ReleaseUser(fresh), S_OK);
}

TEST_F(UserCacheTest, CleanUpCollectsExpiredEntriesOnlyOnceUnused)
{
    m_installation.Exec("INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID)"
                        " VALUES (2, -1, 1, 'S-1-5-21-7-7-7-500');");
    CWmipUserCacheEntry* operatorEntry = TakeOperator();
    CWmipUserCacheEntry* adminEntry = nullptr;
    ASSERT_EQ(Cache().GetUserFromSID(&adminEntry, CString(L"S-1-5-21-7-7-7-500")), S_OK);
    EXPECT_EQ(adminEntry->GetUser()->GetUserID(), CAcsUser::kSystemAdministratorID);
    ASSERT_EQ(Cache().ReleaseUser(adminEntry), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 2u);

    m_clock.AdvanceSeconds(kLifetimeSeconds + 1);
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u) << "the expired entry in use stays in the main map";
    EXPECT_EQ(operatorEntry->GetUseCount(), 1);

    ASSERT_EQ(Cache().ReleaseUser(operatorEntry), S_OK);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u) << "the clean-up ran less than 30 s ago";
    m_clock.AdvanceSeconds(29);
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    m_clock.AdvanceSeconds(1);
    UserPoolTestAccess::RunCleanUp(Cache());
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
}

TEST(UserCacheCleanUp, IsSkippedRightAfterCreation)
{
    ProviderTestInstallation installation;
    FakeClock clock;
    TestApp app(clock.Clock(1));
    const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&entry, CString(kOperatorSid)), S_OK);
    ASSERT_EQ(cache->ReleaseUser(entry), S_OK);
    clock.AdvanceSeconds(29);
    UserPoolTestAccess::RunCleanUp(*cache);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(*cache), 1u) << "expired, but less than 30 s since creation";
    clock.AdvanceSeconds(1);
    UserPoolTestAccess::RunCleanUp(*cache);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(*cache), 0u);
}

TEST(UserCacheLifetime, ComesFromStoredValue33)
{
    ProviderTestInstallation installation;
    installation.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 100 WHERE CONFIGID = 33;");
    FakeClock clock;
    CWmipUserCacheClock timing;
    timing.clock = &clock;
    TestApp app(timing);
    const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&entry, CString(kOperatorSid)), S_OK);
    clock.AdvanceSeconds(100);
    CWmipUserCacheEntry* same = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&same, CString(kOperatorSid)), S_OK);
    EXPECT_EQ(same, entry);
    clock.AdvanceSeconds(1);
    CWmipUserCacheEntry* renewed = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&renewed, CString(kOperatorSid)), S_OK);
    EXPECT_NE(renewed, entry);
    EXPECT_EQ(UserPoolTestAccess::RetiredCount(*cache), 1u);
    for (CWmipUserCacheEntry* taken : {entry, same, renewed})
    {
        EXPECT_EQ(cache->ReleaseUser(taken), S_OK);
    }
}

// --- Accounts that cannot be served --------------------------------------------------------

TEST_F(UserCacheTest, AccountsThatCannotBeServedAreRefused)
{
    m_installation.Exec("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED,"
                        " SYSTEM_USER_PERMID, CARD_USER_PERMID, MONITOR_USER_PERMID, REPORT_USER_PERMID,"
                        " USER_PERM_UDFID, BNT_DBID) VALUES (7, 'gone', 'Gone', 'Away', 1, 0, 1, 0, 0, 0, 0, 1);"
                        "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID)"
                        " VALUES (3, 7, 1, 'S-1-5-21-9-9-9-1007');");
    const struct
    {
        const wchar_t* sid;
        const char* log;
    } cases[] = {
        {L"S-1-5-21-9-9-9-4242",
         "Access denied: account with SID S-1-5-21-9-9-9-4242 is not linked to an Ivarune user"},
        {L"", "Access denied: account with SID  is not linked"},
        {L"S-1-5-21-9-9-9-1007", "Access denied: unable to login to Ivarune"},  // linked to a disabled user
    };
    for (const auto& c : cases)
    {
        const int before = ProviderTestInstallation::CountLogLines(c.log);
        CWmipUserCacheEntry* entry = reinterpret_cast<CWmipUserCacheEntry*>(0x1);
        EXPECT_EQ(Cache().GetUserFromSID(&entry, CString(c.sid)), WBEM_E_ACCESS_DENIED);
        EXPECT_EQ(entry, nullptr);
        EXPECT_EQ(ProviderTestInstallation::CountLogLines(c.log), before + 1) << c.log;
    }
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

TEST(UserCacheCaller, UnlinkedCallerIsRefusedAndLocalSystemSilently)
{
    ProviderTestInstallation installation;
    TestApp app;
    const struct
    {
        const wchar_t* sid;
        int loggedRefusals;
    } cases[] = {
        {L"S-1-5-21-9-9-9-4242", 1},
        {L"S-1-5-18", 0},
        {L"S-1-5-20", 0},
    };
    for (const auto& c : cases)
    {
        const CallerIdentity::Scope caller(CallerIdentity(c.sid, SecurityImpersonation));
        const int before = ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune");
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(TestApp::Cache()->GetUser(&entry), WBEM_E_ACCESS_DENIED);
        EXPECT_EQ(entry, nullptr);
        EXPECT_EQ(ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune"),
                  before + c.loggedRefusals);
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
    }
}

TEST(UserCacheCaller, ImpersonationLevelDecidesWhetherTheCallerIsServed)
{
    ProviderTestInstallation installation;
    TestApp app;
    const struct
    {
        SECURITY_IMPERSONATION_LEVEL level;
        bool bySid;
        HRESULT expected;
        const char* log;
    } cases[] = {
        {SecurityAnonymous, false, WBEM_E_ACCESS_DENIED, "Anonymous impersonation level"},
        {SecurityIdentification, false, WBEM_E_ACCESS_DENIED, "Improper authentication level (identification)"},
        {SecurityIdentification, true, S_FALSE, nullptr},
        {SecurityImpersonation, false, S_OK, nullptr},
        {SecurityDelegation, false, S_OK, nullptr},
        {static_cast<SECURITY_IMPERSONATION_LEVEL>(9), false, WBEM_E_ACCESS_DENIED,
         "Unable to determine impersonation level"},
    };
    for (const auto& c : cases)
    {
        const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, c.level));
        const int before = c.log != nullptr ? ProviderTestInstallation::CountLogLines(c.log) : 0;
        CWmipUserCacheEntry* entry = nullptr;
        const HRESULT hr = c.bySid ? TestApp::Cache()->GetUserFromSID(&entry, CString(kOperatorSid))
                                   : TestApp::Cache()->GetUser(&entry);
        EXPECT_EQ(hr, c.expected) << "level " << c.level;
        EXPECT_EQ(entry != nullptr, SUCCEEDED(c.expected));
        if (c.log != nullptr)
        {
            EXPECT_EQ(ProviderTestInstallation::CountLogLines(c.log), before + 1) << c.log;
        }
        if (entry != nullptr)
        {
            EXPECT_EQ(entry->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);
            EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
        }
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
    }
}

TEST(UserCacheCaller, WithoutACallerTheImpersonationFailureIsReturned)
{
    ProviderTestInstallation installation;
    TestApp app;
    CWmipUserCacheEntry* entry = nullptr;
    EXPECT_EQ(TestApp::Cache()->GetUser(&entry), RPC_E_NO_CONTEXT);
    EXPECT_EQ(entry, nullptr);
    EXPECT_EQ(TestApp::Cache()->GetUser(nullptr), WBEM_E_INVALID_PARAMETER);
}

TEST_F(UserCacheTest, BinarySidIsConvertedOrRefused)
{
    const unsigned char operatorSid[] = {1,    5,    0,    0,    0, 0, 0, 5,  // S-1-5
                                         21,   0,    0,    0,                 // 21
                                         0xDC, 0xF4, 0xDC, 0x3B,              // 1004336348
                                         0x83, 0x3D, 0x2B, 0x46,              // 1177238915
                                         0x82, 0x8B, 0xA6, 0x28,              // 682003330
                                         0xE9, 0x03, 0,    0};                // 1001
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(Cache().GetUserFromSID(&entry, operatorSid), S_OK);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetSID(), CString(kOperatorSid));
    EXPECT_EQ(Cache().ReleaseUser(entry), S_OK);

    const unsigned char badRevision[] = {2, 1, 0, 0, 0, 0, 0, 5, 21, 0, 0, 0};
    const unsigned char tooManyParts[] = {1, 16, 0, 0, 0, 0, 0, 5};
    for (const unsigned char* bad : {badRevision, tooManyParts, static_cast<const unsigned char*>(nullptr)})
    {
        CWmipUserCacheEntry* refused = nullptr;
        EXPECT_EQ(Cache().GetUserFromSID(&refused, bad), WBEM_E_ACCESS_DENIED);
        EXPECT_EQ(refused, nullptr);
    }
}

TEST(UserCachePool, ExhaustedConnectionPoolDeniesTheLookupInsteadOfGuessingAUser)
{
    ProviderTestInstallation installation;
    ProviderTestInstallation::SetRegistryDword(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", L"DatabaseTimeout", 0);
    TestApp app;
    const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
    EveryConnectionLent lent;
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    for (const bool bySid : {true, false})
    {
        CWmipUserCacheEntry* entry = nullptr;
        const HRESULT hr = bySid ? cache->GetUserFromSID(&entry, CString(kOperatorSid)) : cache->GetUser(&entry);
        EXPECT_EQ(hr, CWmipCallerLogin::kNoConnectionFree);
        EXPECT_EQ(entry, nullptr);
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
    }
    EXPECT_EQ(UserPoolTestAccess::CachedCount(*cache), 0u);
    // The log says why the account was not looked up, and never that it is not linked.
    EXPECT_EQ(ProviderTestInstallation::CountLogLines(
                  "The system was unable to open a database connection to service this request. The account with "
                  "SID " +
                  brontel::utility::ConvertCStringToUtf8(CString(kOperatorSid)) + " could not be looked up."),
              2);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines(std::string("Access denied: account with SID ") +
                                                      brontel::utility::ConvertCStringToUtf8(CString(kOperatorSid)) +
                                                      " is not linked to an Ivarune user"),
              0);

    lent.GiveOneBack();
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&entry, CString(kOperatorSid)), S_OK);
    EXPECT_EQ(entry->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);
    EXPECT_EQ(manager->GetLentCount(), DBConnectionManager::kDefaultPoolSize - 1)
        << "the lookup gave its connection back";
    EXPECT_EQ(cache->ReleaseUser(entry), S_OK);
}

// With every pooled connection lent, a caller whose entry is cached is served from it (its own
// connection compares its stored user), by SID as by impersonation, and named by SID at
// identification level as a watch's audience names each watcher on every event, with no line
// logged; a caller not cached, or one whose rights moved meanwhile, is refused, since its
// account cannot be resolved.
TEST(UserCachePool, ExhaustedPoolServesCachedCallersAndRefusesTheOthers)
{
    constexpr wchar_t kPorterSid[] = L"S-1-5-21-1004336348-1177238915-682003330-1008";
    ProviderTestInstallation installation;
    ProviderTestInstallation::SetRegistryDword(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", L"DatabaseTimeout", 0);
    TestApp app;
    const CallerIdentity::Scope caller(CallerIdentity(kOperatorSid, SecurityImpersonation));
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* cached = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&cached, CString(kOperatorSid)), S_OK);
    EXPECT_EQ(cache->ReleaseUser(cached), S_OK);

    const EveryConnectionLent lent;
    const auto notLinkedLines = [](const wchar_t* sid) {
        return ProviderTestInstallation::CountLogLines(std::string("Access denied: account with SID ") +
                                                       brontel::utility::ConvertCStringToUtf8(CString(sid)) +
                                                       " is not linked to an Ivarune user");
    };
    const auto noConnectionLines = [] {
        return ProviderTestInstallation::CountLogLines(
            "The system was unable to open a database connection to service this request.");
    };
    const struct
    {
        const char* lookup;
        const wchar_t* sid;  // null: the impersonated caller
        SECURITY_IMPERSONATION_LEVEL level;
        const char* change;
        HRESULT expected;
        int lines;  // saying that no connection was free
    } cases[] = {
        {"cached, by SID", kOperatorSid, SecurityImpersonation, "", S_OK, 0},
        {"cached, by SID at identification level", kOperatorSid, SecurityIdentification, "", S_FALSE, 0},
        {"cached, impersonated", nullptr, SecurityImpersonation, "", S_OK, 0},
        {"not cached", kPorterSid, SecurityImpersonation, "", CWmipCallerLogin::kNoConnectionFree, 1},
        {"cached, rights moved", kOperatorSid, SecurityImpersonation, "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 1",
         CWmipCallerLogin::kNoConnectionFree, 1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.lookup);
        installation.Exec(c.change);
        const CallerIdentity::Scope level(CallerIdentity(kOperatorSid, c.level));
        const wchar_t* named = c.sid != nullptr ? c.sid : kOperatorSid;
        const int notLinked = notLinkedLines(named);
        const int noConnection = noConnectionLines();
        CWmipUserCacheEntry* entry = nullptr;
        const HRESULT hr = c.sid != nullptr ? cache->GetUserFromSID(&entry, CString(c.sid)) : cache->GetUser(&entry);
        EXPECT_EQ(hr, c.expected);
        EXPECT_EQ(entry == nullptr, FAILED(c.expected));
        if (entry != nullptr)
        {
            EXPECT_EQ(entry->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);
            EXPECT_EQ(cache->ReleaseUser(entry), S_OK);
        }
        EXPECT_EQ(notLinkedLines(named) - notLinked, 0);
        EXPECT_EQ(noConnectionLines() - noConnection, c.lines);
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
    }
}
