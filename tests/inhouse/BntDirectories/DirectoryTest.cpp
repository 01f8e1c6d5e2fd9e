#include "inhouse/BntDirectories/Directory.h"

#include <gtest/gtest.h>

#include <string>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntDirectories/DirectoryDBManager.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

using brontel::directories::DirectoryDBManager;

namespace {

// Carol's account "carol.cook" of directory 2 signs on there as "ccook" with a password; the
// account "carol.broken" of the same directory has a malformed hash.
class DirectoryLogon : public ::testing::Test
{
protected:
    DirectoryLogon()
    {
        const std::string hash = CPasswordHash::Hash("Dir3ctory", CPasswordHash::kMinIterations);
        m_db.Exec(
            "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME, DISPLAYNAME, PASSWORD_HASH) "
            "VALUES (2, 'carol.cook', 'ccook', 'Carol Cook', '" +
            hash +
            "'), "
            "(2, 'carol.broken', 'broken', NULL, 'not-a-hash'), (2, 'carol.sso', 'csso', NULL, NULL);"
            "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES"
            " (7, 12, 2, 'carol.broken');");
    }

    bool Login(LPCWSTR name, LPCWSTR password, LONG directory = 2)
    {
        CAcsUser user;
        return user.Login(m_db.DataSource(), name, password, directory, 0) && user.GetUserID() == 12;
    }

    TestDatabase m_db;
};

TEST_F(DirectoryLogon, SignOnNameNeedsItsPasswordAndNamesTheLinkedAccount)
{
    EXPECT_TRUE(Login(L"ccook", L"Dir3ctory"));
    EXPECT_TRUE(Login(L"CCOOK", L"Dir3ctory"));
    EXPECT_FALSE(Login(L"ccook", L"dir3ctory"));
    EXPECT_FALSE(Login(L"ccook", L""));
    EXPECT_FALSE(Login(L"broken", L"not-a-hash"));
    EXPECT_FALSE(Login(L"ccook", L"Dir3ctory", 1));
    // An account named by its id has had its password checked by its directory.
    EXPECT_TRUE(Login(L"carol.cook", L"anything"));
    // An account without a password hash signs on by its id only: its user name names no link.
    EXPECT_FALSE(Login(L"csso", L""));
}

TEST_F(DirectoryLogon, FindsOnlyNamesOfItsDirectoryWithinLimits)
{
    CBntDatabase database;
    database.Open(m_db.DataSource());
    const DirectoryDBManager manager(&database, nullptr);
    const auto directory = manager.LoadDirectory(2);
    ASSERT_NE(directory, nullptr);
    const auto found = directory->FindAccountByName(L"CCook");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->GetID(), CString(L"carol.cook"));
    EXPECT_EQ(found->GetUserName(), CString(L"ccook"));
    EXPECT_EQ(found->GetDisplayName(), CString(L"Carol Cook"));
    EXPECT_EQ(found->GetDirectoryID(), 2);
    EXPECT_TRUE(directory->CheckCredentials(*found, "Dir3ctory"));
    EXPECT_FALSE(directory->CheckCredentials(*found, "dir3ctory"));
    EXPECT_EQ(directory->GetAccount(L"CAROL.COOK")->GetUserName(), CString(L"ccook"));
    EXPECT_EQ(manager.LoadDirectory(1)->FindAccountByName(L"ccook"), nullptr);
    EXPECT_EQ(directory->FindAccountByName(L""), nullptr);
    EXPECT_EQ(directory->FindAccountByName(CString(L'c', 257)), nullptr);
    EXPECT_EQ(directory->FindAccountByName(L"ccook' OR '1'='1"), nullptr);
}

TEST_F(DirectoryLogon, AccountWithoutAGoodHashNeverPasses)
{
    CBntDatabase database;
    database.Open(m_db.DataSource());
    const auto directory = DirectoryDBManager(&database, nullptr).LoadDirectory(2);
    ASSERT_NE(directory, nullptr);
    const auto broken = directory->FindAccountByName(L"broken");
    ASSERT_NE(broken, nullptr);
    EXPECT_TRUE(broken->HasPassword());
    EXPECT_FALSE(directory->CheckCredentials(*broken, "not-a-hash"));
    const auto sso = directory->FindAccountByName(L"csso");
    ASSERT_NE(sso, nullptr);
    EXPECT_FALSE(sso->HasPassword());
    EXPECT_FALSE(directory->CheckCredentials(*sso, ""));
}

TEST_F(DirectoryLogon, UserNameIsUniquePerDirectoryIgnoringCase)
{
    CBntDatabase database;
    database.Open(m_db.DataSource());
    const CString insert(L"INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, ACCOUNTID, USERNAME) VALUES (?, ?, ?)");
    EXPECT_THROW(database.ExecuteSQL(insert, {CDBValue(2), CDBValue(L"carol.two"), CDBValue(L"CCOOK")}), CDBException);
    EXPECT_EQ(database.ExecuteSQL(insert, {CDBValue(1), CDBValue(L"S-1-5-21-7"), CDBValue(L"ccook")}), 1);
}

}  // namespace
