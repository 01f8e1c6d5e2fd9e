#include "inhouse/BntLogin/CDirectoryLogon.h"

#include <gtest/gtest.h>

#include <string>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CPasswordHash.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"

namespace {

// Carol's account "carol.cook" of directory 2 also signs on there as "ccook" with a password.
class DirectoryLogon : public ::testing::Test {
protected:
    DirectoryLogon()
    {
        const std::string hash = CPasswordHash::Hash("Dir3ctory", CPasswordHash::kMinIterations);
        m_db.Exec("INSERT INTO BNT_DIRECTORY_LOGON (BNT_DIRECTORYID, USER_NAME, ACCOUNTID, PASSWORD_HASH) VALUES "
                  "(2, 'ccook', 'carol.cook', '" + hash + "'), (2, 'broken', 'carol.cook', 'not-a-hash');");
    }

    bool Login(LPCWSTR name, LPCWSTR password, LONG directory = 2)
    {
        CAcsUser user;
        return user.Login(m_db.DataSource(), name, password, false, false, directory, 0, false) &&
               user.GetUserID() == 12;
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
}

TEST_F(DirectoryLogon, FindsOnlyNamesOfItsDirectoryWithinLimits)
{
    CBntDatabase database;
    database.Open(m_db.DataSource());
    const auto found = CDirectoryLogon::Find(database, 2, L"CCook");
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->GetAccountID(), CString(L"carol.cook"));
    EXPECT_EQ(found->GetUserName(), CString(L"ccook"));
    EXPECT_EQ(found->GetDirectoryID(), 2);
    EXPECT_TRUE(found->Verify("Dir3ctory"));
    EXPECT_FALSE(CDirectoryLogon::Find(database, 1, L"ccook").has_value());
    EXPECT_FALSE(CDirectoryLogon::Find(database, 2, L"").has_value());
    EXPECT_FALSE(CDirectoryLogon::Find(database, 2, CString(L'c', 257)).has_value());
    EXPECT_FALSE(CDirectoryLogon::Find(database, 2, L"ccook' OR '1'='1").has_value());
}

}  // namespace
