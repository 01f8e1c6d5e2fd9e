#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bus/CCorvessaException.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/support/UserPoolTestAccess.h"

namespace {

class CorvessaUserInformation : public BusTestInstallation
{
};

TEST_F(CorvessaUserInformation, OperatorIdentityPriorityAndPermissions)
{
    Exec("INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (3, 0x30000026), (1, 0x1000002B);");
    const std::string token = Login("operator", "operator-demo");
    CCorvessaBaseApp::UserInfo info;
    info.permissions["video.ir.export_video"] = true;  // kept: an insertion never replaces
    ASSERT_EQ(m_app->GetLoggedInUserInformation(token, kApplication, info), S_OK);
    EXPECT_EQ(info.userId, 1);
    EXPECT_EQ(info.logonId, "operator");
    EXPECT_EQ(info.firstName, "Olive");
    EXPECT_EQ(info.lastName, "Operator");
    EXPECT_EQ(info.ptzPriority, 50);
    const std::map<std::string, bool> expected = {
        {"access.apm.manage_policies", false}, {"access.apm.manage_violations", false},
        {"video.ir.view_live_video", true},    {"video.ir.view_recorded_video", false},
        {"video.ir.search_video", false},      {"video.ir.export_video", true},
        {"video.ir.transmit_audio", false},    {"access.ir.modify_system_options", true},
    };
    EXPECT_EQ(info.permissions, expected);
    // The request's hold on the entry ends with it.
    EXPECT_EQ(Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(), 0);
}

TEST_F(CorvessaUserInformation, SystemAdministratorNeedsNoPriorityRow)
{
    Exec("DELETE FROM USER_PTZ_PRIORITY;");
    const std::string token = Login("sa", "sa-demo");
    CCorvessaBaseApp::UserInfo info;
    ASSERT_EQ(m_app->GetLoggedInUserInformation(token, kApplication, info), S_OK);
    EXPECT_EQ(info.userId, -1);
    EXPECT_EQ(info.ptzPriority, 1000);
    EXPECT_EQ(info.permissions.size(), 8u);
    for (const auto& [key, granted] : info.permissions)
    {
        EXPECT_TRUE(granted) << key;
    }
}

TEST_F(CorvessaUserInformation, DatabaseFailureIsReportedAndTheEntryGivenBack)
{
    const std::string token = Login("operator", "operator-demo");
    Exec("DROP TABLE USER_PTZ_PRIORITY;");
    CCorvessaBaseApp::UserInfo info;
    EXPECT_EQ(m_app->GetLoggedInUserInformation(token, kApplication, info), WBEM_E_FAILED);
    EXPECT_EQ(Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(), 0);
    Exec("DROP TABLE ACCESSLVL;");
    std::vector<CCorvessaBaseApp::AccessLevel> levels;
    EXPECT_EQ(m_app->GetManagedAccessLevels(token, kApplication, levels), WBEM_E_FAILED);
    EXPECT_EQ(Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(), 0);
}

TEST_F(CorvessaUserInformation, ManagedAccessLevelsAreAppended)
{
    const std::string token = Login("operator", "operator-demo");
    std::vector<CCorvessaBaseApp::AccessLevel> levels{{99, "kept"}};
    ASSERT_EQ(m_app->GetManagedAccessLevels(token, kApplication, levels), S_OK);
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].accessLevelId, 99);
    EXPECT_EQ(levels[1].accessLevelId, 1);
    EXPECT_EQ(levels[1].description, "Lobby all hours");
    EXPECT_EQ(levels[2].accessLevelId, 2);
    Exec("DELETE FROM USERS_ACCESSLEVEL_LINK;");
    ASSERT_EQ(m_app->GetManagedAccessLevels(token, kApplication, levels), S_OK);
    EXPECT_EQ(levels.size(), 3u);
    EXPECT_THROW(m_app->GetManagedAccessLevels("unknown", kApplication, levels), CCorvessaException);
}

TEST_F(CorvessaUserInformation, SystemEntryIsSharedAndAFailedLoginCachesNothing)
{
    CWmipUserCacheEntry* first = nullptr;
    CWmipUserCacheEntry* second = nullptr;
    ASSERT_EQ(Cache().GetUser(&first), S_OK);
    ASSERT_EQ(Cache().GetUser(&second), S_OK);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetUser()->GetUserID(), -1);
    Cache().ReleaseUser(first);
    Cache().ReleaseUser(second);
    Cache().InvalidateUsers();
    std::filesystem::remove(Database());
    std::filesystem::create_directory(Database());
    CWmipUserCacheEntry* none = nullptr;
    EXPECT_EQ(Cache().GetUser(&none), WBEM_E_FAILED);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 0u);
    EXPECT_EQ(Cache().GetCachedUser(&none, L"-1"), WBEM_E_NOT_FOUND);
    EXPECT_EQ(Cache().GetUserFromSID(&none, static_cast<const unsigned char*>(nullptr)), WBEM_E_ACCESS_DENIED);
}

// A change of the rights applies at the next request (the rights stamp); one the stamp does not
// show (set back here behind the grant) is read at the thirty-minute refresh.
TEST_F(CorvessaUserInformation, PermissionsAreReadAgainAfterThirtyMinutes)
{
    const std::string token = Login("operator", "operator-demo");
    const auto holds = [this] {
        return Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUser()->HasPermission(0x30000031);
    };
    EXPECT_FALSE(holds());
    Exec("CREATE TEMP TABLE KEPT_STAMP AS SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = 1;"
         "INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (3, 0x30000031);"
         "UPDATE RIGHTS_STAMP SET STAMP = (SELECT STAMP FROM KEPT_STAMP) WHERE STAMPID = 1;");
    Advance(30 * 60 * 1000 - 1);
    EXPECT_EQ(Check(token), S_OK);
    EXPECT_FALSE(holds());
    Advance(1);
    EXPECT_EQ(Check(token), S_OK);
    EXPECT_TRUE(holds());
    EXPECT_FALSE(Cache().ArePermissionsStale(L"INTERNAL_SID_FOR_OPERATOR"));
}

}  // namespace
