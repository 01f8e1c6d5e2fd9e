// The user cache within one request: the request's lookups of its caller share the entry its
// first lookup found and compared with the rights stamp, and the next request compares anew.
#include "provider/CWmipUserCache.h"

#include <gtest/gtest.h>

#include <string>

#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"
#include "tests/support/StatementRecorder.h"

namespace {

constexpr const wchar_t* kDemoOperatorSid = ProviderTestInstallation::kOperatorSid;
// The demo's porter (user 3), a second account of the same installation.
constexpr const wchar_t* kPorterSid = L"S-1-5-21-1004336348-1177238915-682003330-1008";
constexpr LONG kPorterId = 3;

std::size_t StampReads(const support::StatementRecorder& recorder)
{
    std::size_t reads = 0;
    for (const support::StatementRecorder::Statement& statement : recorder.Statements())
        reads += statement.sql.find("FROM RIGHTS_STAMP") != std::string::npos ? 1 : 0;
    return reads;
}

class UserCacheRequestScope : public ::testing::Test
{
protected:
    TestUserCache& Cache()
    {
        TestUserCache* cache = TestApp::Cache();
        EXPECT_NE(cache, nullptr);
        return *cache;
    }
    // The impersonated caller's entry; fails the test when the lookup fails.
    CWmipUserCacheEntry* TakeCaller()
    {
        CWmipUserCacheEntry* entry = nullptr;
        EXPECT_EQ(Cache().GetUser(&entry), S_OK);
        EXPECT_NE(entry, nullptr);
        return entry;
    }

    ProviderTestInstallation m_installation;
    TestApp m_app;
    CallerIdentity::Scope m_caller{CallerIdentity(kDemoOperatorSid, SecurityImpersonation)};
};

}  // namespace

TEST_F(UserCacheRequestScope, ARequestComparesItsCallersRightsOnceAndTheNextRequestAnew)
{
    CWmipUserCacheEntry* first = nullptr;
    {
        CWmipUserCache::RequestScope request;
        support::StatementRecorder recorder;
        first = TakeCaller();
        ASSERT_TRUE(first->GetUser()->HasSegmentAccess(2, CAcsUser::kReadSegmentAccess));
        // Another hand takes the operator's second segment while the request runs.
        m_installation.Exec("DELETE FROM USER_SEGMENT_LINK WHERE USERID = 1 AND SEGMENTID = 2;");
        recorder.Clear();

        CWmipUserCacheEntry* later = TakeCaller();
        EXPECT_EQ(later, first) << "the request's later lookup answers the entry its first one compared";
        EXPECT_EQ(StampReads(recorder), 0u);
        CWmipUserCacheEntry* bySid = nullptr;
        ASSERT_EQ(Cache().GetUserFromSID(&bySid, CString(kDemoOperatorSid)), S_OK);
        EXPECT_EQ(bySid, first) << "the same account named by its SID";
        // Another account in the same request is looked up (and compared) on its own.
        CWmipUserCacheEntry* porter = nullptr;
        ASSERT_EQ(Cache().GetUserFromSID(&porter, CString(kPorterSid)), S_OK);
        ASSERT_NE(porter, nullptr);
        EXPECT_EQ(porter->GetUser()->GetUserID(), kPorterId);
        EXPECT_EQ(StampReads(recorder), 1u) << "the porter's own login reads it";
        {
            CWmipUserCache::RequestScope nested;
            CWmipUserCacheEntry* inner = TakeCaller();
            EXPECT_EQ(inner, first) << "a request served inside the request shares its entry";
            EXPECT_EQ(Cache().ReleaseUser(inner), S_OK);
        }
        CWmipUserCacheEntry* afterNested = TakeCaller();
        EXPECT_EQ(afterNested, first) << "the nested scope's end leaves the request's own in place";
        EXPECT_EQ(StampReads(recorder), 1u);
        for (CWmipUserCacheEntry* taken : {later, bySid, porter, afterNested})
            EXPECT_EQ(Cache().ReleaseUser(taken), S_OK);
        EXPECT_EQ(Cache().ReleaseUser(first), S_OK);
        EXPECT_EQ(first->GetUseCount(), 1) << "the request holds its caller's entry until it ends";
    }
    EXPECT_EQ(first->GetUseCount(), 0) << "the request's end gives the entry back";

    const CWmipUserCache::RequestScope next;
    CWmipUserCacheEntry* renewed = TakeCaller();
    EXPECT_NE(renewed, first) << "the next request compares the stamp and logs the user in anew";
    EXPECT_FALSE(renewed->GetUser()->HasSegmentAccess(2, CAcsUser::kReadSegmentAccess));
    EXPECT_EQ(Cache().ReleaseUser(renewed), S_OK);
    EXPECT_FALSE(CallerIdentity::IsImpersonating());
}
