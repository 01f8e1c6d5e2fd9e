#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/Security.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"

namespace {

constexpr const wchar_t* kOperatorSid = ProviderTestInstallation::kOperatorSid;
constexpr LONG kLifetimeSeconds = 60;

// Which system user a Windows account stands for is read from the database only when the
// account has to be logged in; a request of a cached caller touches no database.
class UserCacheLink : public ::testing::Test
{
protected:
    UserCacheLink() : m_app(m_clock.Clock(kLifetimeSeconds))
    {
        // A lookup that finds no free connection fails at once instead of waiting.
        ProviderTestInstallation::SetRegistryDword(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", L"DatabaseTimeout", 0);
    }

    void Unlink() const
    {
        m_installation.Exec("DELETE FROM USER_ACCOUNT WHERE ACCOUNTID = '" +
                            brontel::utility::ConvertCStringToUtf8(CString(kOperatorSid)) + "'");
    }

    ProviderTestInstallation m_installation;
    FakeClock m_clock;
    TestApp m_app;
    CallerIdentity::Scope m_caller{CallerIdentity(kOperatorSid, SecurityImpersonation)};
};

TEST_F(UserCacheLink, CachedCallerIsServedWithoutTouchingTheDatabase)
{
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* first = nullptr;
    ASSERT_EQ(cache->GetUser(&first), S_OK);

    // With every pooled connection lent out, a lookup that read the link would fail.
    DBConnectionManager* manager = CWmipApp::GetConnectionManager();
    ASSERT_NE(manager, nullptr);
    std::vector<CAcsUser*> lent;
    for (int i = 0; i < DBConnectionManager::kDefaultPoolSize; ++i)
    {
        lent.push_back(manager->Connection(0));
        ASSERT_NE(lent.back(), nullptr);
    }
    // A request asks twice: for the right to use the provider and for the class's view right.
    for (int ask = 0; ask < 2; ++ask)
    {
        CWmipUserCacheEntry* again = nullptr;
        EXPECT_EQ(cache->GetUser(&again), S_OK);
        EXPECT_EQ(again, first);
        EXPECT_EQ(cache->ReleaseUser(again), S_OK);
    }
    for (CAcsUser* connection : lent)
    {
        manager->ReleaseConnection(connection);
    }
    EXPECT_EQ(first->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);
    EXPECT_EQ(cache->ReleaseUser(first), S_OK);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

TEST_F(UserCacheLink, AnAccountNamedBySidIsResolvedOnEveryLookup)
{
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(cache->GetUserFromSID(&entry, CString(kOperatorSid)), S_OK);
    Unlink();
    CWmipUserCacheEntry* refused = nullptr;
    EXPECT_EQ(cache->GetUserFromSID(&refused, CString(kOperatorSid)), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(refused, nullptr);
    EXPECT_EQ(cache->ReleaseUser(entry), S_OK);
}

TEST_F(UserCacheLink, ExpiredCallerIsResolvedAgainWhenLoggedInAgain)
{
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(cache->GetUser(&entry), S_OK);
    EXPECT_EQ(cache->ReleaseUser(entry), S_OK);
    Unlink();
    m_clock.AdvanceSeconds(kLifetimeSeconds + 1);
    const int refusals = ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune");
    CWmipUserCacheEntry* expired = nullptr;
    EXPECT_EQ(cache->GetUser(&expired), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(expired, nullptr);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune"), refusals + 1);
    EXPECT_EQ(cache->GetCachedUserCount(), 0u);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

}  // namespace
