// The callers the test programs share: one SID, user and account each, and, once written on a
// demo installation, each logs in as its own user with its groups' rights and its segments.
#include "tests/support/TestCallers.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "inhouse/BntLogin/CAcsUser.h"
#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "provider/CWmipUserCacheEntry.h"
#include "tests/provider/core/ProviderTestInstallation.h"
#include "tests/provider/core/TestApp.h"

namespace {
using support::TestCaller;
using support::TestCallers;
using support::TestPermissionGroup;

// The demo operator's system group, which callers with the operator's rights hold.
constexpr LONG kDemoOperatorGroup = 1;

const TestPermissionGroup* GroupOf(LONG id)
{
    for (const TestPermissionGroup& group : TestCallers::Groups())
        if (group.id == id)
            return &group;
    return nullptr;
}

std::vector<const wchar_t*> EverySid()
{
    std::vector<const wchar_t*> sids;
    for (const TestCaller& caller : TestCallers::All())
        sids.push_back(caller.sid);
    return sids;
}

TEST(TestCallersTable, EachCallerHasItsOwnSidUserAndAccountAndHoldsOnlyKnownGroups)
{
    std::set<LONG> groups;
    for (const TestPermissionGroup& group : TestCallers::Groups())
        EXPECT_TRUE(groups.insert(group.id).second) << "group " << group.id;
    std::set<std::wstring> sids;
    std::set<LONG> users;
    std::set<std::string> logons;
    std::set<LONG> accounts;
    for (const TestCaller& caller : TestCallers::All())
    {
        SCOPED_TRACE(caller.logon);
        EXPECT_TRUE(sids.insert(caller.sid).second);
        EXPECT_TRUE(accounts.insert(caller.accountId).second);
        if (caller.userId != TestCaller::kDemoAdministrator)
        {
            EXPECT_TRUE(users.insert(caller.userId).second);
            EXPECT_TRUE(logons.insert(caller.logon).second);
        }
        for (const LONG group : {caller.systemGroup, caller.monitorGroup, caller.cardGroup})
            EXPECT_TRUE(group == 0 || group == kDemoOperatorGroup || groups.contains(group)) << "group " << group;
    }
}

class TestCallersLogin : public ::testing::Test
{
protected:
    ProviderTestInstallation m_installation;
    TestApp m_app;
    CallerIdentity::Scope m_caller{CallerIdentity(support::callers::kOperator, SecurityImpersonation)};
};

TEST_F(TestCallersLogin, EveryCallerWrittenTwiceLogsInAsItsOwnUserWithItsGroupsRightsAndSegments)
{
    const std::string sql = TestCallers::Sql(EverySid());
    m_installation.Exec(sql);
    m_installation.Exec(sql);
    for (const TestCaller& caller : TestCallers::All())
    {
        SCOPED_TRACE(caller.logon);
        CWmipUserCacheEntry* entry = nullptr;
        ASSERT_EQ(TestApp::Cache()->GetUserFromSID(&entry, CString(caller.sid)), S_OK);
        const CAcsUser* user = entry->GetUser();
        ASSERT_NE(user, nullptr);
        EXPECT_EQ(user->GetUserID(), caller.userId);
        if (caller.segment == -1)
        {
            EXPECT_TRUE(user->IsAllSegmentsUser());
        }
        else
        {
            EXPECT_FALSE(user->IsAllSegmentsUser());
            EXPECT_EQ(user->GetPrimarySegmentID(), caller.segment);
        }
        for (const LONG segment : caller.moreSegments)
            EXPECT_TRUE(user->GetSegmentIDs().contains(segment)) << "segment " << segment;
        for (const LONG id : {caller.systemGroup, caller.monitorGroup, caller.cardGroup})
            if (const TestPermissionGroup* group = GroupOf(id))
            {
                for (const DWORD grant : group->grants)
                    EXPECT_TRUE(user->HasPermission(grant)) << std::hex << grant;
                if (group->everyPermission)
                {
                    const DWORD first = static_cast<DWORD>(group->type) << 28;
                    EXPECT_TRUE(user->HasPermission(first) && user->HasPermission(first + 1023)) << group->name;
                }
            }
        EXPECT_EQ(TestApp::Cache()->ReleaseUser(entry), S_OK);
    }
}
}  // namespace
