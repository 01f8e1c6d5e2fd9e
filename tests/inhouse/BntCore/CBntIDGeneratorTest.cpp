#include "inhouse/BntCore/CBntIDGenerator.h"
#include "inhouse/BntCore/CBadgeIDConfig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

TEST(CBntIDGenerator, CountsPerTypeFromOne)
{
    TestDatabase db;
    CAcsUser user;
    ASSERT_TRUE(user.LoginAsSA(db.DataSource()));
    const CBntIDGenerator generator(&user);
    EXPECT_EQ(generator.GetNextID(318, -1), 1);
    EXPECT_EQ(generator.GetNextID(318, -1), 2);
    EXPECT_EQ(generator.GetNextID(4, -1), 1);
    EXPECT_EQ(generator.GetNextID(318), 3);
}

TEST(CBntIDGenerator, ContinuesFromTheStoredCounter)
{
    TestDatabase db;
    db.Exec("INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (15, 500)");
    CAcsUser user;
    ASSERT_TRUE(user.LoginAsSA(db.DataSource()));
    const LONG first = CBntIDGenerator(&user).GetNextID(15, -1);
    const LONG second = CBntIDGenerator(&user).GetNextID(15, -1);
    EXPECT_GE(first, 500);
    EXPECT_EQ(second, first + 1);
}

TEST(CBntIDGenerator, FailuresAnswerZero)
{
    TestDatabase db;
    EXPECT_EQ(CBntIDGenerator(static_cast<const CAcsUser*>(nullptr)).GetNextID(4, -1), 0);
    CAcsUser loggedOut;
    EXPECT_EQ(CBntIDGenerator(&loggedOut).GetNextID(4, -1), 0);

    db.Exec("INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (24, 2147483648)");
    CAcsUser user;
    ASSERT_TRUE(user.LoginAsSA(db.DataSource()));
    EXPECT_EQ(CBntIDGenerator(&user).GetNextID(24, -1), 0);

    // A counter at 0 or below would hand out an id that means "none" or "all": refused.
    for (const char* stored : {"0", "-7"})
    {
        db.Exec(std::string("DELETE FROM NEXTID WHERE TYPE = 25; INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (25, ") +
                stored + ")");
        EXPECT_EQ(CBntIDGenerator(&user).GetNextID(25, -1), 0) << stored;
    }

    db.Exec("DROP TABLE NEXTID");
    EXPECT_EQ(CBntIDGenerator(&user).GetNextID(4, -1), 0);
    const auto log = support::TemporaryHome::ReadLines(db.Home().Path() / "Logs" / "Fluxmere.log");
    ASSERT_FALSE(log.empty());
    EXPECT_NE(log.back().find("Unable to draw an identifier of type 4."), std::string::npos);
}

// A drawn badge ID that a badge carries already is passed over, in a type's ranges (the next
// range taken when one is used up) and from the counter of a type without ranges alike.
TEST(CBntIDGenerator, BadgeIdsInUseAreNeverHandedOut)
{
    TestDatabase db;
    db.Exec("INSERT INTO BADGETYP (ID, NAME) VALUES (3, 'Ranged'), (6, 'Counted');"
            "INSERT INTO BADGEID_RANGE (BADGEID_RANGEID, BADGETYPEID, RANGE_START, RANGE_END, NEXT_ID) VALUES"
            " (41, 3, 100, 103, 100), (42, 3, 500, 501, 500);"
            "INSERT INTO BADGE (BADGEKEY, ID, TYPE) VALUES (1, 100, 3), (2, 102, 3), (3, 103, 3), (4, 500, 3),"
            " (5, 1, 6), (6, 2, 6), (7, 4, 6);");
    CAcsUser user;
    ASSERT_TRUE(user.LoginAsSA(db.DataSource()));
    const CBntIDGenerator generator(&user);

    CBadgeIDConfig ranged;
    ASSERT_TRUE(ranged.ReadRanges(user.GetDatabase(), 3));
    std::vector<LONGLONG> drawn;
    for (int i = 0; i < 3; ++i)
        drawn.push_back(generator.GetNextBadgeID(ranged));
    EXPECT_EQ(drawn, (std::vector<LONGLONG>{101, 501, -1}));

    CBadgeIDConfig counted;
    ASSERT_TRUE(counted.ReadRanges(user.GetDatabase(), 6));
    ASSERT_TRUE(counted.GetRanges().empty());
    drawn.clear();
    for (int i = 0; i < 2; ++i)
        drawn.push_back(generator.GetNextBadgeID(counted));
    EXPECT_EQ(drawn, (std::vector<LONGLONG>{3, 5}));
}

TEST(CBntIDGenerator, ConcurrentConnectionsNeverReceiveTheSameId)
{
    TestDatabase db;
    constexpr int kThreads = 6;
    constexpr int kIdsEach = 60;
    std::vector<std::vector<LONG>> drawn(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
    {
        threads.emplace_back([&, t] {
            CAcsUser user;
            if (!user.LoginAsSA(db.DataSource()))
            {
                return;
            }
            const CBntIDGenerator generator(&user);
            for (int i = 0; i < kIdsEach; ++i)
            {
                drawn[t].push_back(generator.GetNextID(329, -1));
            }
        });
    }
    for (auto& thread : threads)
    {
        thread.join();
    }
    std::vector<LONG> all;
    for (const auto& ids : drawn)
    {
        ASSERT_EQ(ids.size(), static_cast<std::size_t>(kIdsEach));
        EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
        all.insert(all.end(), ids.begin(), ids.end());
    }
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end());
    EXPECT_EQ(all.front(), 1);
    EXPECT_EQ(all.back(), kThreads * kIdsEach);
}

}  // namespace
