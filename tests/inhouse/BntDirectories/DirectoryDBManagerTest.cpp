#include "inhouse/BntDirectories/DirectoryDBManager.h"

#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntDirectories/Directory.h"
#include "inhouse/BntDirectories/DirectoryException.h"
#include "inhouse/BntDirectories/GetCurrentWindowsSID.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/security/CallerIdentity.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

using brontel::directories::DirectoryAccount;
using brontel::directories::DirectoryAccountStatus;
using brontel::directories::DirectoryDBManager;
using brontel::directories::GetCurrentWindowsSID;

namespace {

TEST(DirectoryDBManager, WindowsAccountLinksToItsUser)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    const DirectoryDBManager manager(sa.GetDatabase(), nullptr);
    const struct
    {
        const wchar_t* sid;
        LONG user;
    } cases[] = {
        {L"S-1-5-21-1-2-3-1001", 10},
        {L"s-1-5-21-1-2-3-1001", 10},
        {L"S-1-5-21-1-2-3-1002", 0},
        {L"S-1-5-18", 0},
        {L"", 0},
        {L"carol.cook", 0},  // an account of an LDAP directory is not a Windows account
        {L"S-1-5-21-1-2-3-1001' OR '1'='1", 0},
    };
    for (const auto& c : cases)
    {
        EXPECT_EQ(manager.GetUserIDForWindowsAccount(c.sid), c.user) << CString(c.sid).GetString();
    }
    EXPECT_EQ(manager.GetUserIDForWindowsAccount(CString(std::wstring(300, L'S'))), 0);
    EXPECT_EQ(DirectoryDBManager(nullptr, nullptr).GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), 0);
    // A template is no directory: nobody is looked up through it.
    db.Exec("UPDATE BNT_DIRECTORY SET DIR_ISTEMPLATE = 1 WHERE BNT_DIRECTORYID = 1");
    EXPECT_EQ(manager.GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), 0);
}

TEST(DirectoryDBManager, AccountLinkedToTwoUsersGrantsNothing)
{
    TestDatabase db;
    db.Exec("INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL)"
            " VALUES (3, 'Local', 3, 'host', 0, 0);"
            "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
            " (3, 12, 3, 'S-1-5-21-1-2-3-1001')");
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    EXPECT_EQ(DirectoryDBManager(sa.GetDatabase(), nullptr).GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), 0);
}

TEST(DirectoryDBManager, CardholderLinkAndDatabaseFailure)
{
    TestDatabase db;
    db.Exec("INSERT INTO EMP (ID, LASTNAME, FIRSTNAME) VALUES (77, 'Doe', 'Jane');"
            "INSERT INTO CARDHOLDER_ACCOUNT (CARDHOLDER_ACCOUNTID, EMPID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
            " (1, 77, 1, 'S-1-5-21-9-9-9-500')");
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    const DirectoryDBManager manager(sa.GetDatabase(), &sa.GetSystemOptions());
    EXPECT_EQ(manager.GetCardholderIDForWindowsAccount(L"S-1-5-21-9-9-9-500"), 77);
    EXPECT_EQ(manager.GetCardholderIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), 0);
    db.Exec("UPDATE BNT_DIRECTORY SET DIR_ISTEMPLATE = 1 WHERE BNT_DIRECTORYID = 1");
    EXPECT_EQ(manager.GetCardholderIDForWindowsAccount(L"S-1-5-21-9-9-9-500"), 0);
    db.Exec("DROP TABLE USER_ACCOUNT");
    EXPECT_THROW(manager.GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), CException);
}

TEST(DirectoryDBManager, LinkedAccountsOfAPersonAndTheirRefusals)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    const DirectoryDBManager manager(sa.GetDatabase(), nullptr);
    const DirectoryAccount carol(2, L"CAROL.COOK", L"", L"");
    EXPECT_EQ(manager.GetUserIDForLinkedAccount(carol), 12);
    EXPECT_EQ(manager.GetUserIDForLinkedAccount(DirectoryAccount(1, L"carol.cook", L"", L"")), 0);
    EXPECT_EQ(manager.GetCardholderIDForLinkedAccount(carol), 0);

    std::vector<DirectoryAccount> linked;
    manager.LoadLinkedUserAccounts(12, linked, DirectoryAccountStatus::AllLinked);
    ASSERT_EQ(linked.size(), 1u);
    EXPECT_EQ(linked[0].GetDirectoryID(), 2);
    EXPECT_EQ(linked[0].GetID(), CString(L"carol.cook"));
    EXPECT_THROW(manager.LoadLinkedUserAccounts(99, linked, DirectoryAccountStatus::AllLinked),
                 brontel::directories::NoAccountsFoundException);
    EXPECT_THROW(manager.LoadLinkedCardholderAccounts(77, linked, DirectoryAccountStatus::AllLinked),
                 brontel::directories::NoAccountsFoundException);
    try
    {
        manager.LoadLinkedUserAccounts(12, linked, static_cast<DirectoryAccountStatus::Enum>(7));
        ADD_FAILURE() << "an unknown status was taken";
    }
    catch (const brontel::directories::NoAccountsFoundException&)
    {
        ADD_FAILURE() << "an unknown status is a directory failure";
    }
    catch (const brontel::directories::DirectoryException&)
    {
    }
    EXPECT_EQ(linked.size(), 1u);

    // An installation older than the unique link rule may hold a second link.
    db.Exec("DROP INDEX USER_ACCOUNT_ACCOUNT;"
            "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES (5, 10, 2, "
            "'carol.cook')");
    EXPECT_THROW(manager.GetUserIDForLinkedAccount(carol), brontel::directories::AccountLinkedMoreThanOnceException);
}

TEST(DirectoryDBManager, DirectoryTakesManualSignOnOnlyWhenSwitchedOn)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    const DirectoryDBManager manager(sa.GetDatabase(), nullptr);
    ASSERT_NE(manager.LoadDirectory(2), nullptr);
    EXPECT_TRUE(manager.LoadDirectory(2)->GetUseManualSSO());
    db.Exec("UPDATE BNT_DIRECTORY_SSO SET USE_MANUAL_SSO = 0 WHERE BNT_DIRECTORYID = 2");
    EXPECT_FALSE(manager.LoadDirectory(2)->GetUseManualSSO());
    db.Exec("DELETE FROM BNT_DIRECTORY_SSO WHERE BNT_DIRECTORYID = 2");
    EXPECT_FALSE(manager.LoadDirectory(2)->GetUseManualSSO());
    EXPECT_EQ(manager.LoadDirectory(42), nullptr);
    EXPECT_EQ(DirectoryDBManager(nullptr, nullptr).LoadDirectory(2), nullptr);
}

TEST(GetCurrentWindowsSID, ImpersonatedClientOrProcessAccount)
{
    CString sid;
    ASSERT_EQ(GetCurrentWindowsSID(sid), S_OK);
    EXPECT_EQ(sid, CString(CallerIdentity::ProcessAccountSid()));
    {
        const CallerIdentity::Scope scope(CallerIdentity(L"S-1-5-21-1-2-3-1001", SecurityImpersonation));
        ASSERT_EQ(GetCurrentWindowsSID(sid), S_OK);
        EXPECT_EQ(sid, CString(CallerIdentity::ProcessAccountSid())) << "not impersonating yet";
        ASSERT_EQ(CoImpersonateClient(), S_OK);
        ASSERT_EQ(GetCurrentWindowsSID(sid), S_OK);
        EXPECT_EQ(sid, CString(L"S-1-5-21-1-2-3-1001"));
        ASSERT_EQ(CoRevertToSelf(), S_OK);
        ASSERT_EQ(GetCurrentWindowsSID(sid), S_OK);
        EXPECT_EQ(sid, CString(CallerIdentity::ProcessAccountSid()));
    }
}

}  // namespace
