#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/IWmipUserDirectory.h"
#include "framework/IWmipUserEntry.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/Security.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/UserPoolTestAccess.h"

namespace {

constexpr const wchar_t* kLinkedOperatorSid = ProviderTestInstallation::kOperatorSid;
constexpr LONG kCacheLifetimeSeconds = 60;

// Which system user a Windows account stands for is read from the database only when the
// account has to be logged in; a request of a cached caller touches no database.
class UserCacheLink : public ::testing::Test
{
protected:
    UserCacheLink() : m_app(m_clock.Clock(kCacheLifetimeSeconds))
    {
        // A lookup that finds no free connection fails at once instead of waiting.
        ProviderTestInstallation::SetRegistryDword(L"SOFTWARE\\Brontel\\Ivarune\\Fluxmere", L"DatabaseTimeout", 0);
    }

    void Unlink() const
    {
        m_installation.Exec("DELETE FROM USER_ACCOUNT WHERE ACCOUNTID = '" +
                            brontel::utility::ConvertCStringToUtf8(CString(kLinkedOperatorSid)) + "'");
    }

    ProviderTestInstallation m_installation;
    FakeClock m_clock;
    TestApp m_app;
    CallerIdentity::Scope m_caller{CallerIdentity(kLinkedOperatorSid, SecurityImpersonation)};
};

TEST_F(UserCacheLink, CachedCallerIsServedWithoutTouchingTheDatabase)
{
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    CWmipUserCacheEntry* first = nullptr;
    ASSERT_EQ(cache->GetUser(&first), S_OK);

    {
        // With every pooled connection lent out, a lookup that read the link would fail.
        const EveryConnectionLent lent;
        // A request asks twice: for the right to use the provider and for the class's view right.
        for (int ask = 0; ask < 2; ++ask)
        {
            CWmipUserCacheEntry* again = nullptr;
            EXPECT_EQ(cache->GetUser(&again), S_OK);
            EXPECT_EQ(again, first);
            EXPECT_EQ(cache->ReleaseUser(again), S_OK);
        }
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
    ASSERT_EQ(cache->GetUserFromSID(&entry, CString(kLinkedOperatorSid)), S_OK);
    Unlink();
    CWmipUserCacheEntry* refused = nullptr;
    EXPECT_EQ(cache->GetUserFromSID(&refused, CString(kLinkedOperatorSid)), WBEM_E_ACCESS_DENIED);
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
    m_clock.AdvanceSeconds(kCacheLifetimeSeconds + 1);
    const int refusals = ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune");
    CWmipUserCacheEntry* expired = nullptr;
    EXPECT_EQ(cache->GetUser(&expired), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(expired, nullptr);
    EXPECT_EQ(ProviderTestInstallation::CountLogLines("Access denied: unable to login to Ivarune"), refusals + 1);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(*cache), 0u);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

// An entry the cache never handed out, of a class of its own.
class ForeignEntry final : public IWmipUserEntry
{
public:
    CAcsUser* GetUser() const override { return nullptr; }
    int AddRef() override { return ++uses; }
    int Release() override { return --uses; }
    bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList&, const CBntAssignedAcLvlList&) override
    {
        return true;
    }
    bool CanOnityILSLevelBeAssigned(const CBntAssignedAcLvlList&, LONG) override { return true; }
    int uses = 0;
};

TEST_F(UserCacheLink, TheFrameworksDoorHandsOutAndTakesBackOnlyTheCachesOwnEntries)
{
    TestUserCache* cache = TestApp::Cache();
    ASSERT_NE(cache, nullptr);
    IWmipUserDirectory& directory = *cache;
    EXPECT_EQ(directory.TakeCallerEntry(nullptr), WBEM_E_INVALID_PARAMETER);
    IWmipUserEntry* entry = nullptr;
    ASSERT_EQ(directory.TakeCallerEntry(&entry), S_OK);
    CWmipUserCacheEntry* cached = nullptr;
    ASSERT_EQ(cache->GetUser(&cached), S_OK);
    EXPECT_EQ(entry, cached);
    EXPECT_EQ(cached->GetUseCount(), 2);
    EXPECT_EQ(entry->GetUser()->GetUserID(), ProviderTestInstallation::kOperatorId);

    ForeignEntry foreign;
    foreign.AddRef();
    CWmipUserCacheEntry stray(std::make_unique<CAcsUser>(), nullptr, 0);
    stray.AddRef();
    for (IWmipUserEntry* notHeld : std::vector<IWmipUserEntry*>{&foreign, &stray})
        EXPECT_EQ(directory.GiveBackEntry(notHeld), WBEM_E_FAILED);
    EXPECT_EQ(foreign.uses, 1);
    EXPECT_EQ(stray.GetUseCount(), 1);

    EXPECT_EQ(directory.GiveBackEntry(nullptr), S_OK);
    EXPECT_EQ(directory.GiveBackEntry(entry), S_OK);
    EXPECT_EQ(cached->GetUseCount(), 1);
    EXPECT_EQ(cache->ReleaseUser(cached), S_OK);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

}  // namespace
