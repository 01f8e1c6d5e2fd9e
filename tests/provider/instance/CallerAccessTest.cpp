// The caller's entry when connection pooling is disabled: built for one request from the
// account linked to the caller's SID, never from a guess; and what the permission check tells a
// caller it could not look up.
#include "framework/CWmipMessages.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/DBConnectionManager.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/mfc/ModuleState.h"
#include "provider/CWmipApp.h"
#include "provider/CWmipCallerAccess.h"
#include "provider/CWmipCallerLogin.h"
#include "provider/CWmipUserCache.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/instance/InstanceProviderTestSupport.h"

namespace instancetest {
namespace {

class UnpooledCaller : public ProviderTest
{
protected:
    void SetUp() override
    {
        ProviderTest::SetUp();
        SwitchOn(L"DisableConnectionPooling");
        // The program's application read the switches long before: one of the test's own reads
        // them afresh.
        m_app = std::make_unique<CWmipApp>();
        m_state = std::make_unique<CModuleStateSwitch>(m_app.get());
        ASSERT_NE(CWmipApp::GetUserCache(), nullptr);
        ASSERT_EQ(CWmipApp::DisableConnectionPooling(), 1);
    }

    void TearDown() override
    {
        m_state.reset();
        m_app.reset();
        ProviderTest::TearDown();
    }

    std::unique_ptr<CWmipApp> m_app;
    std::unique_ptr<CModuleStateSwitch> m_state;
};

TEST_F(UnpooledCaller, LinkedCallerGetsAnEntryOfItsOwnUser)
{
    CWmipCallerAccess access(CWmipApp::GetUserCache(), CWmipApp::GetConnectionManager());
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(access.GetUser(&entry), S_OK);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->GetUser()->GetUserID(), 1);
    EXPECT_EQ(entry->GetSID(), CString(kOperatorSid));
    EXPECT_EQ(entry->GetUseCount(), 1);
    access.ReleaseUser(entry);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

TEST_F(UnpooledCaller, CallerThatCannotBeResolvedWithoutAConnectionIsRefused)
{
    // No pool to look the account up in: the request fails rather than log in some user.
    CWmipCallerAccess access(CWmipApp::GetUserCache(), nullptr);
    CWmipUserCacheEntry* entry = reinterpret_cast<CWmipUserCacheEntry*>(&access);
    EXPECT_TRUE(FAILED(access.GetUser(&entry)));
    EXPECT_EQ(entry, nullptr);
    EXPECT_THROW(access.EnsureVexletPermission(), brontel::utility::CWMIException);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}

TEST_F(UnpooledCaller, RefusalsByCause)
{
    CWmipCallerAccess access(CWmipApp::GetUserCache(), CWmipApp::GetConnectionManager());
    const struct
    {
        const wchar_t* sid;
        SECURITY_IMPERSONATION_LEVEL level;
    } cases[] = {
        {kStrangerSid, SecurityImpersonation},
        {kLocalSystemSid, SecurityImpersonation},
        {kOperatorSid, SecurityIdentification},
        {kOperatorSid, SecurityAnonymous},
    };
    for (const auto& c : cases)
    {
        CallAs(c.sid, c.level);
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(access.GetUser(&entry), WBEM_E_ACCESS_DENIED) << c.sid << " " << c.level;
        EXPECT_EQ(entry, nullptr);
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
    }
}

// One login serves both ways in: the user cache and the login of one request answer every
// caller alike, with the same user.
TEST_F(UnpooledCaller, CachedAndPerRequestLoginsAgree)
{
    const struct
    {
        const wchar_t* sid;
        SECURITY_IMPERSONATION_LEVEL level;
        HRESULT expected;
        LONG userId;
    } cases[] = {
        {kOperatorSid, SecurityImpersonation, S_OK, 1},
        {kNoProviderRightSid, SecurityDelegation, S_OK, support::TestCallers::Find(kNoProviderRightSid)->userId},
        {kStrangerSid, SecurityImpersonation, WBEM_E_ACCESS_DENIED, 0},
        {kLocalSystemSid, SecurityImpersonation, WBEM_E_ACCESS_DENIED, 0},
        {kOperatorSid, SecurityIdentification, WBEM_E_ACCESS_DENIED, 0},
        {kOperatorSid, SecurityAnonymous, WBEM_E_ACCESS_DENIED, 0},
    };
    for (const auto& c : cases)
    {
        CallAs(c.sid, c.level);
        std::unique_ptr<CWmipUserCacheEntry> own;
        EXPECT_EQ(CWmipCallerAccess::LogInCaller(CWmipApp::GetConnectionManager(), &own), c.expected) << c.sid;
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
        CWmipUserCacheEntry* cached = nullptr;
        EXPECT_EQ(CWmipApp::GetUserCache()->GetUser(&cached), c.expected) << c.sid;
        EXPECT_FALSE(CallerIdentity::IsImpersonating());
        if (c.expected != S_OK)
        {
            EXPECT_EQ(own, nullptr);
            EXPECT_EQ(cached, nullptr);
            continue;
        }
        ASSERT_NE(own, nullptr);
        ASSERT_NE(cached, nullptr);
        EXPECT_EQ(own->GetUser()->GetUserID(), c.userId);
        EXPECT_EQ(cached->GetUser()->GetUserID(), c.userId);
        EXPECT_EQ(own->GetSID(), cached->GetSID());
        CWmipApp::GetUserCache()->ReleaseUser(cached);
    }
}

// With every pooled connection lent, a linked caller that has no entry yet cannot be looked up:
// it is told that no connection was free, not that its account is not linked, both with pooling
// (the cache of an application of the test's own, so nothing is cached yet) and without; a
// connection free again, the same caller is served, and a caller whose account is not linked is
// still told so.
TEST_F(ProviderTest, ACallerNotLookedUpForWantOfAConnectionIsToldSo)
{
    for (const bool pooled : {true, false})
    {
        SCOPED_TRACE(pooled ? "pooled" : "a login per request");
        if (!pooled)
            SwitchOn(L"DisableConnectionPooling");
        CWmipApp app;
        const CModuleStateSwitch state(&app);
        // The application reads its switches with its user cache.
        ASSERT_NE(CWmipApp::GetUserCache(), nullptr);
        ASSERT_EQ(CWmipApp::DisableConnectionPooling(), pooled ? 0 : 1);
        DBConnectionManager* manager = CWmipApp::GetConnectionManager();
        ASSERT_NE(manager, nullptr);
        manager->SetConnectionTimeout(0);
        CWmipCallerAccess access(CWmipApp::GetUserCache(), manager);
        std::vector<CAcsUser*> lent;
        for (CAcsUser* connection = manager->Connection(0); connection != nullptr; connection = manager->Connection(0))
            lent.push_back(connection);
        ASSERT_FALSE(lent.empty());
        const struct
        {
            const char* rule;
            const wchar_t* sid;
            bool connectionFree;
            HRESULT code;  // S_OK: the check passes
            const wchar_t* text;
        } cases[] = {
            {"linked, every connection lent", kOperatorSid, false, CWmipCallerLogin::kNoConnectionFree,
             CWmipMessages::kNoConnection},
            {"Local System, every connection lent", kLocalSystemSid, false, CWmipCallerLogin::kNoConnectionFree,
             CWmipMessages::kNoConnection},
            {"not linked, a connection free", kStrangerSid, true, WBEM_E_ACCESS_DENIED,
             CWmipMessages::kAccountNotLinked},
            {"linked, a connection free", kOperatorSid, true, S_OK, nullptr},
        };
        for (const auto& c : cases)
        {
            SCOPED_TRACE(c.rule);
            if (c.connectionFree && !lent.empty())
            {
                manager->ReleaseConnection(lent.back());
                lent.pop_back();
            }
            CallAs(c.sid);
            try
            {
                access.EnsureVexletPermission();
                EXPECT_EQ(c.code, S_OK);
            }
            catch (const brontel::utility::CWMIException& refusal)
            {
                EXPECT_EQ(refusal.GetHResult(), c.code);
                EXPECT_EQ(refusal.GetText(), CString(c.text != nullptr ? c.text : L""));
            }
            EXPECT_FALSE(CallerIdentity::IsImpersonating());
        }
        for (CAcsUser* connection : lent)
            manager->ReleaseConnection(connection);
    }
}

TEST_F(UnpooledCaller, PermissionCheckUsesTheCallersOwnRights)
{
    CWmipCallerAccess access(CWmipApp::GetUserCache(), CWmipApp::GetConnectionManager());
    EXPECT_NO_THROW(access.EnsureVexletPermission());
    CallAs(kNoProviderRightSid);
    try
    {
        access.EnsureVexletPermission();
        ADD_FAILURE() << "a user without the right passed";
    }
    catch (const brontel::utility::CWMIException& refusal)
    {
        EXPECT_EQ(refusal.GetHResult(), WBEM_E_ACCESS_DENIED);
        EXPECT_EQ(refusal.GetText(),
                  CString(L"The client does not have sufficient user permissions to perform the requested operation. "
                          L"The user does not have permission to use Fluxmere."));
    }
}

}  // namespace
}  // namespace instancetest
