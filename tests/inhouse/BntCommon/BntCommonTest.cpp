#include <gtest/gtest.h>

#include "inhouse/BntCommon/CBntApp.h"
#include "inhouse/BntCommon/CBntCardholderTrans.h"
#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

TEST(CBntApp, LoginAsSAGivesTheApplicationItsConnection)
{
    TestDatabase db;
    CBntApp app(false, false, nullptr);
    EXPECT_FALSE(app.IsLoggedIn());
    EXPECT_EQ(app.GetDatabase(), nullptr);
    EXPECT_EQ(AfxGetApp(), &app);
    ASSERT_TRUE(app.LoginAsSA(db.DataSource()));
    EXPECT_TRUE(app.IsLoggedIn());
    ASSERT_NE(app.GetUser(), nullptr);
    EXPECT_EQ(app.GetUser()->GetUserID(), -1);
    EXPECT_NE(app.GetDatabase(), nullptr);
}

TEST(CBntApp, ReloginKeepsEarlierConnectionsUsable)
{
    TestDatabase db;
    CBntApp app(false, false, nullptr);
    ASSERT_TRUE(app.LoginAsSA(db.DataSource()));
    CAcsUser* first = app.GetUser();
    ASSERT_TRUE(app.LoginAsSA(db.DataSource()));
    EXPECT_NE(app.GetUser(), first);
    EXPECT_TRUE(first->IsLoggedIn());
    EXPECT_TRUE(first->LogTransToDB(4, 1, L"still usable"));
}

TEST(CBntApp, FailedLoginLogsOutAndIsWrittenToTheLog)
{
    TestDatabase db;
    CBntApp app(false, false, nullptr);
    const std::string logFile = (db.Home().Path() / "app.log").string();
    app.GetExceptionHandler().EnableFileLogging(CString(logFile.c_str()));
    ASSERT_TRUE(app.LoginAsSA(db.DataSource()));
    // A request that finds the application logged in makes no login of its own, so none that
    // would fail can log out the one another request made.
    CAcsUser* const made = app.GetUser();
    EXPECT_TRUE(app.LoginAsSAUnlessLoggedIn(L"sqlite:/nonexistent-folder/none.db"));
    EXPECT_EQ(app.GetUser(), made);
    EXPECT_FALSE(app.LoginAsSA(L"sqlite:/nonexistent-folder/none.db"));
    EXPECT_FALSE(app.IsLoggedIn());
    EXPECT_FALSE(app.LoginAsSAUnlessLoggedIn(L"sqlite:/nonexistent-folder/none.db"));
    EXPECT_TRUE(app.LoginAsSAUnlessLoggedIn(db.DataSource()));
    EXPECT_TRUE(app.IsLoggedIn());
    EXPECT_FALSE(app.LoginAsSA(L"sqlite:/nonexistent-folder/none.db"));
    EXPECT_EQ(app.GetDatabase(), nullptr);
    const auto lines = support::TemporaryHome::ReadLines(logFile);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_NE(lines.front().find("Unable to open the database."), std::string::npos);
    EXPECT_NE(lines.back().find("The application could not log in to the database."), std::string::npos);
}

TEST(CBntCardholderTrans, LogWritesTheReplicationRow)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(alice.Login(db.DataSource(), L"alice", L"Secret1!", -1, 0));
    const COleDateTime when(2024, 3, 5, 14, 30, 15);
    CBntCardholderTrans trans(3, 8, &when);
    trans.SetPersonID(77);
    trans.SetBadge(501, 1234567890123LL, 2);
    trans.SetOldBadge(501, 1234567890123LL, 2);
    ASSERT_TRUE(trans.Log(&alice));
    EXPECT_EQ(db.Scalar("SELECT TRANS_TIME || '|' || USERID || '|' || ACTION || '|' || OBJECT_TYPE || '|' || "
                        "IFNULL(RECORDID, 'null') || '|' || EMPID || '|' || BADGEKEY || '|' || BADGEID || '|' || "
                        "ISSUECODE || '|' || OLD_BADGEID FROM REPL_TRANSACTION_LOG"),
              "2024-03-05 14:30:15|10|3|8|null|77|501|1234567890123|2|1234567890123");
}

TEST(CBntCardholderTrans, RecordOnlyTransactionStampsNowAndLeavesBadgeEmpty)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    CBntCardholderTrans trans(1, 65536, nullptr);
    trans.SetRecordID(42);
    trans.SetUserID(12);
    ASSERT_TRUE(trans.Log(&sa));
    EXPECT_EQ(db.Scalar("SELECT USERID || '|' || ACTION || '|' || OBJECT_TYPE || '|' || RECORDID || '|' || "
                        "IFNULL(EMPID, 'null') || '|' || IFNULL(BADGEKEY, 'null') FROM REPL_TRANSACTION_LOG"),
              "12|1|65536|42|null|null");
    EXPECT_EQ(db.Scalar("SELECT LENGTH(TRANS_TIME) FROM REPL_TRANSACTION_LOG"), "19");
}

TEST(CBntCardholderTrans, RefusedWithoutUserOrWithInvalidTimeOrTable)
{
    TestDatabase db;
    CBntCardholderTrans trans(2, 1, nullptr);
    EXPECT_FALSE(trans.Log(nullptr));
    CAcsUser loggedOut;
    EXPECT_FALSE(trans.Log(&loggedOut));

    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    COleDateTime invalid;
    invalid.SetStatus(COleDateTime::invalid);
    EXPECT_FALSE(CBntCardholderTrans(2, 1, &invalid).Log(&sa));
    db.Exec("DROP TABLE REPL_TRANSACTION_LOG");
    EXPECT_FALSE(trans.Log(&sa));
}

}  // namespace
