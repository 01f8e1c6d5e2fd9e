#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <utility>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

class SegmentFilter : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.Exec("INSERT INTO EMP (ID, LASTNAME, SEGMENTID) VALUES (1, 'North', 5), (2, 'West', 20), (3, 'EastA', 8),"
                  " (4, 'All', -1)");
    }
    TestDatabase m_db;
};

TEST_F(SegmentFilter, RestrictsSegmentedTablesToTheUsersSegments)
{
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    CDynamicRecordset byName(alice.GetDatabase());
    byName.SetTable(L"EMP");
    byName.AddColumnToSet(L"ID", L"EMP");
    alice.AddSegmentFilter(byName, L"EMP");
    EXPECT_EQ(TestDatabase::ReadIds(byName, L"ID"), (std::set<LONG>{1, 3}));

    CDynamicRecordset checked(alice.GetDatabase());
    checked.SetTable(L"EMP E");
    checked.AddColumnToSet(L"ID", L"E");
    alice.AddSegmentFilterWithTableCheck(&checked);
    EXPECT_EQ(TestDatabase::ReadIds(checked, L"ID"), (std::set<LONG>{1, 3}));
}

TEST_F(SegmentFilter, LeavesUnsegmentedTablesAndAllSegmentUsersAlone)
{
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    CDynamicRecordset directories(alice.GetDatabase());
    directories.SetTable(L"BNT_DIRECTORY");
    directories.AddColumnToSet(L"BNT_DIRECTORYID", L"BNT_DIRECTORY");
    alice.AddSegmentFilterWithTableCheck(directories);
    EXPECT_EQ(TestDatabase::ReadIds(directories, L"BNT_DIRECTORYID"), (std::set<LONG>{1, 2}));

    CAcsUser carol;
    ASSERT_TRUE(carol.Login(m_db.DataSource(), L"carol", L"Other2?", -1, 0));
    CDynamicRecordset all(carol.GetDatabase());
    all.SetTable(L"EMP");
    all.AddColumnToSet(L"ID", L"EMP");
    carol.AddSegmentFilter(&all, L"EMP");
    carol.AddSegmentFilter(nullptr, L"EMP");
    EXPECT_EQ(TestDatabase::ReadIds(all, L"ID"), (std::set<LONG>{1, 2, 3, 4}));
}

TEST_F(SegmentFilter, SegmentsNotInUseAddNothingAndLoggedOutSeesNothing)
{
    m_db.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001");
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    CDynamicRecordset every(alice.GetDatabase());
    every.SetTable(L"EMP");
    every.AddColumnToSet(L"ID", L"EMP");
    alice.AddSegmentFilterWithTableCheck(every);
    EXPECT_EQ(TestDatabase::ReadIds(every, L"ID").size(), 4u);

    const CAcsUser loggedOut;
    CDynamicRecordset none(alice.GetDatabase());
    none.SetTable(L"EMP");
    none.AddColumnToSet(L"ID", L"EMP");
    loggedOut.AddSegmentFilterWithTableCheck(none);
    EXPECT_TRUE(TestDatabase::ReadIds(none, L"ID").empty());
}

// The segment stands in whichever table of the join holds it (a lookup table may lead), and a
// row without a segment of its own is in the segment of the panel it names.
TEST_F(SegmentFilter, FiltersTheSegmentedTableWhereverItStandsAndThroughThePanel)
{
    m_db.Exec("INSERT INTO PANELTYPE (PANELTYPEID, NAME, PANELCLASS) VALUES (15, 'Access', 1);"
              "INSERT INTO ACCESSPANE (PANELID, NAME, SEGMENTID, ONLINE1, PANELTZ, DAYLIGHTSAVE, PANELTYPE) VALUES"
              " (1, 'North', 5, 1, 0, 0, 15), (2, 'West', 20, 1, 0, 0, 15), (3, 'EastA', 8, 1, 0, 0, 15);"
              "INSERT INTO RELAYOUTPT (RELAYOUTPTID, PANELID, NAME) VALUES (11, 1, 'N'), (12, 2, 'W'), (13, 3, 'E');");
    struct Case
    {
        const char* name;
        std::function<void(CDynamicRecordset&)> shape;
        const wchar_t* idColumn;
        std::set<LONG> alice;
        std::set<LONG> everyone;
    };
    const Case cases[] = {
        {"lookup table first",
         [](CDynamicRecordset& r) {
             r.SetupJoin(L"PANELTYPE", L"PANELTYPEID", L"ACCESSPANE", L"PANELTYPE");
             r.AddColumnToSet(L"PANELID", L"ACCESSPANE");
         },
         L"PANELID",
         {1, 3},
         {1, 2, 3}},
        {"segment only in a joined table",
         [](CDynamicRecordset& r) {
             r.SetupJoin(L"RELAYOUTPT", L"PANELID", L"ACCESSPANE", L"PANELID");
             r.AddColumnToSet(L"RELAYOUTPTID", L"RELAYOUTPT");
         },
         L"RELAYOUTPTID",
         {11, 13},
         {11, 12, 13}},
        {"through the panel the row names",
         [](CDynamicRecordset& r) {
             r.SetTable(L"RELAYOUTPT");
             r.AddColumnToSet(L"RELAYOUTPTID", L"RELAYOUTPT");
         },
         L"RELAYOUTPTID",
         {11, 13},
         {11, 12, 13}},
    };
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    CAcsUser carol;
    ASSERT_TRUE(carol.Login(m_db.DataSource(), L"carol", L"Other2?", -1, 0));
    const CAcsUser loggedOut;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        for (const auto& [user, expected] :
             {std::pair<const CAcsUser*, std::set<LONG>>{&alice, c.alice}, {&carol, c.everyone}, {&loggedOut, {}}})
        {
            CDynamicRecordset recordset(alice.GetDatabase());
            c.shape(recordset);
            user->AddSegmentFilterWithTableCheck(recordset);
            EXPECT_EQ(TestDatabase::ReadIds(recordset, c.idColumn), expected);
        }
    }
}

}  // namespace
