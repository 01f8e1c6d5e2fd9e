#include "inhouse/BntDirectories/DirectoryDBManager.h"

#include <gtest/gtest.h>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntDirectories/GetCurrentWindowsSID.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/security/CallerIdentity.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

using brontel::directories::DirectoryDBManager;
using brontel::directories::GetCurrentWindowsSID;

namespace {

TEST(DirectoryDBManager, WindowsAccountLinksToItsUser)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    const DirectoryDBManager manager(sa.GetDatabase(), nullptr);
    const struct {
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
    for (const auto& c : cases) {
        EXPECT_EQ(manager.GetUserIDForWindowsAccount(c.sid), c.user) << CString(c.sid).GetString();
    }
    EXPECT_EQ(manager.GetUserIDForWindowsAccount(CString(std::wstring(300, L'S'))), 0);
    EXPECT_EQ(DirectoryDBManager(nullptr, nullptr).GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), 0);
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
    db.Exec("DROP TABLE USER_ACCOUNT");
    EXPECT_THROW(manager.GetUserIDForWindowsAccount(L"S-1-5-21-1-2-3-1001"), CException);
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
