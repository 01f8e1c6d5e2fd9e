#include <gtest/gtest.h>

#include <set>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

std::set<LONG> ReadIds(CDynamicRecordset& recordset, const CString& column)
{
    std::set<LONG> ids;
    recordset.OpenForwardOnly();
    while (!recordset.IsEOF())
    {
        ids.insert(recordset.GetLong(column));
        recordset.MoveNext();
    }
    recordset.Close();
    return ids;
}

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
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", false, false, -1, 0, false));
    CDynamicRecordset byName(alice.GetDatabase());
    byName.SetTable(L"EMP");
    byName.AddColumnToSet(L"ID", L"EMP");
    alice.AddSegmentFilter(byName, L"EMP");
    EXPECT_EQ(ReadIds(byName, L"ID"), (std::set<LONG>{1, 3}));

    CDynamicRecordset checked(alice.GetDatabase());
    checked.SetTable(L"EMP E");
    checked.AddColumnToSet(L"ID", L"E");
    alice.AddSegmentFilterWithTableCheck(&checked);
    EXPECT_EQ(ReadIds(checked, L"ID"), (std::set<LONG>{1, 3}));
}

TEST_F(SegmentFilter, LeavesUnsegmentedTablesAndAllSegmentUsersAlone)
{
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", false, false, -1, 0, false));
    CDynamicRecordset directories(alice.GetDatabase());
    directories.SetTable(L"BNT_DIRECTORY");
    directories.AddColumnToSet(L"BNT_DIRECTORYID", L"BNT_DIRECTORY");
    alice.AddSegmentFilterWithTableCheck(directories);
    EXPECT_EQ(ReadIds(directories, L"BNT_DIRECTORYID"), (std::set<LONG>{1, 2}));

    CAcsUser carol;
    ASSERT_TRUE(carol.Login(m_db.DataSource(), L"carol", L"Other2?", false, false, -1, 0, false));
    CDynamicRecordset all(carol.GetDatabase());
    all.SetTable(L"EMP");
    all.AddColumnToSet(L"ID", L"EMP");
    carol.AddSegmentFilter(&all, L"EMP");
    carol.AddSegmentFilter(nullptr, L"EMP");
    EXPECT_EQ(ReadIds(all, L"ID"), (std::set<LONG>{1, 2, 3, 4}));
}

TEST_F(SegmentFilter, SegmentsNotInUseAddNothingAndLoggedOutSeesNothing)
{
    m_db.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001");
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(m_db.DataSource(), L"alice", L"Secret1!", false, false, -1, 0, false));
    CDynamicRecordset every(alice.GetDatabase());
    every.SetTable(L"EMP");
    every.AddColumnToSet(L"ID", L"EMP");
    alice.AddSegmentFilterWithTableCheck(every);
    EXPECT_EQ(ReadIds(every, L"ID").size(), 4u);

    const CAcsUser loggedOut;
    CDynamicRecordset none(alice.GetDatabase());
    none.SetTable(L"EMP");
    none.AddColumnToSet(L"ID", L"EMP");
    loggedOut.AddSegmentFilterWithTableCheck(none);
    EXPECT_TRUE(ReadIds(none, L"ID").empty());
}

}  // namespace
