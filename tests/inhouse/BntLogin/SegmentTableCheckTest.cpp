#include <gtest/gtest.h>

#include <set>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntCoreDb/CDynamicRecordset.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

// SQLITE_ERROR: what an injected fault makes the next statement answer (a plain failure that
// leaves the connection open).
constexpr int kStatementError = 1;

// The table check of AddSegmentFilterWithTableCheck reads the table's columns once per user
// and table; every statement it would run is made to fail, so a check that is not run again
// shows by not failing.
class SegmentTableCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db.Exec("INSERT INTO EMP (ID, LASTNAME, SEGMENTID) VALUES (1, 'North', 5), (2, 'West', 20), (3, 'EastA', 8)");
        ASSERT_TRUE(m_alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    }

    std::set<LONG> FilteredIds(CAcsUser& user, const wchar_t* table, const wchar_t* column)
    {
        CDynamicRecordset recordset(user.GetDatabase());
        recordset.SetTable(table);
        recordset.AddColumnToSet(column, table);
        user.AddSegmentFilterWithTableCheck(recordset);
        return TestDatabase::ReadIds(recordset, column);
    }

    // Runs the check on a fresh recordset of the table while the next statement must fail.
    void CheckWhileStatementsFail(CAcsUser& user, const wchar_t* table, const wchar_t* column)
    {
        CDynamicRecordset recordset(user.GetDatabase());
        recordset.SetTable(table);
        recordset.AddColumnToSet(column, table);
        user.GetDatabase()->TestHookFailNextStatements(1, kStatementError);
        user.AddSegmentFilterWithTableCheck(recordset);
        user.GetDatabase()->TestHookFailNextStatements(0, kStatementError);
    }

    TestDatabase m_db;
    CAcsUser m_alice;
};

TEST_F(SegmentTableCheck, EachTableIsReadOncePerUser)
{
    EXPECT_EQ(FilteredIds(m_alice, L"EMP", L"ID"), (std::set<LONG>{1, 3}));
    EXPECT_NO_THROW(CheckWhileStatementsFail(m_alice, L"EMP", L"ID")) << "the answer for EMP is remembered";
    // Table names are compared without regard to case, as the database compares them.
    EXPECT_NO_THROW(CheckWhileStatementsFail(m_alice, L"emp", L"ID"));
    EXPECT_THROW(CheckWhileStatementsFail(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"), CDBException)
        << "a table not seen before is read";
    // A failed read is not remembered.
    EXPECT_EQ(FilteredIds(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"), (std::set<LONG>{1, 2}));
    EXPECT_NO_THROW(CheckWhileStatementsFail(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"));
}

TEST_F(SegmentTableCheck, AnswersLastUntilTheUserLogsInAgain)
{
    EXPECT_EQ(FilteredIds(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"), (std::set<LONG>{1, 2}));
    m_db.Exec("ALTER TABLE BNT_DIRECTORY ADD COLUMN SEGMENTID INTEGER");
    m_db.Exec("UPDATE BNT_DIRECTORY SET SEGMENTID = 5 WHERE BNT_DIRECTORYID = 1");
    EXPECT_EQ(FilteredIds(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"), (std::set<LONG>{1, 2}));
    ASSERT_TRUE(m_alice.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    EXPECT_EQ(FilteredIds(m_alice, L"BNT_DIRECTORY", L"BNT_DIRECTORYID"), (std::set<LONG>{1}));
}

TEST_F(SegmentTableCheck, UsersNoFilterRestrictsNeverReadTheTable)
{
    CAcsUser carol;  // an all-segments user
    ASSERT_TRUE(carol.Login(m_db.DataSource(), L"carol", L"Other2?", -1, 0));
    EXPECT_NO_THROW(CheckWhileStatementsFail(carol, L"EMP", L"ID"));
    EXPECT_EQ(FilteredIds(carol, L"EMP", L"ID"), (std::set<LONG>{1, 2, 3}));

    CAcsUser administrator;
    ASSERT_TRUE(administrator.LoginAsSA(m_db.DataSource()));
    EXPECT_NO_THROW(CheckWhileStatementsFail(administrator, L"EMP", L"ID"));

    m_db.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001");
    CAcsUser unsegmented;
    ASSERT_TRUE(unsegmented.Login(m_db.DataSource(), L"alice", L"Secret1!", -1, 0));
    EXPECT_NO_THROW(CheckWhileStatementsFail(unsegmented, L"EMP", L"ID"));
    EXPECT_EQ(FilteredIds(unsegmented, L"EMP", L"ID"), (std::set<LONG>{1, 2, 3}));
}

}  // namespace
