#include "inhouse/BntLogin/CAcsUser.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <ctime>
#include <functional>
#include <string>

#include "inhouse/BntCoreDb/CBntDatabase.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "tests/inhouse/BntLogin/TestDatabase.h"
#include "tests/support/ManualClock.h"

namespace {

constexpr DWORD kUseProvider = 0x100000D0;
constexpr DWORD kViewUsers = 0x1000000E;
constexpr DWORD kViewCardholders = 0x20000003;
constexpr DWORD kLiveVideo = 0x30000026;

bool LoginByName(CAcsUser& user, const TestDatabase& db, LPCWSTR name, LPCWSTR password, LONG directory = -1)
{
    return user.Login(db.DataSource(), name, password, directory, 0);
}

TEST(CAcsUserLogin, NamedUserWithRightPasswordLogsIn)
{
    TestDatabase db;
    CAcsUser user;
    ASSERT_TRUE(LoginByName(user, db, L"ALICE", L"Secret1!"));
    EXPECT_TRUE(user.IsLoggedIn());
    EXPECT_EQ(user.GetUserID(), 10);
    EXPECT_EQ(user.GetLogonID(), CString(L"alice"));
    EXPECT_EQ(user.GetFirstName(), CString(L"Alice"));
    EXPECT_EQ(user.GetLastName(), CString(L"Archer"));
    EXPECT_EQ(user.GetSystemPermissionGroupID(), 1);
    EXPECT_EQ(user.GetCardholderPermissionGroupID(), 2);
    EXPECT_EQ(user.GetFieldPermissionGroupID(), 4);
    EXPECT_EQ(user.GetDatabaseID(), 3);
    EXPECT_NE(user.GetDatabase(), nullptr);
}

TEST(CAcsUserLogin, RefusalsLeaveTheUserLoggedOut)
{
    TestDatabase db;
    const struct
    {
        const char* name;
        LPCWSTR user;
        LPCWSTR password;
        LONG directory;
    } cases[] = {
        {"wrong password", L"alice", L"secret1!", -1},
        {"empty password", L"alice", L"", -1},
        {"null password", L"alice", nullptr, -1},
        {"unknown user", L"mallory", L"Secret1!", -1},
        {"disabled user", L"bob", L"Secret1!", -1},
        {"other user's password", L"carol", L"Secret1!", -1},
        {"directory account of another directory", L"carol.cook", L"x", 1},
        {"directory id 0", L"alice", L"Secret1!", 0},
    };
    for (const auto& c : cases)
    {
        CAcsUser user;
        EXPECT_FALSE(LoginByName(user, db, c.user, c.password, c.directory)) << c.name;
        EXPECT_FALSE(user.IsLoggedIn()) << c.name;
        EXPECT_EQ(user.GetUserID(), 0) << c.name;
        EXPECT_EQ(user.GetDatabase(), nullptr) << c.name;
        EXPECT_FALSE(user.HasPermission(kUseProvider)) << c.name;
    }
}

TEST(CAcsUserLogin, OversizedCredentialsAreRefused)
{
    TestDatabase db;
    CAcsUser user;
    const std::wstring huge(5000, L'a');
    EXPECT_FALSE(LoginByName(user, db, huge.c_str(), L"Secret1!"));
    EXPECT_FALSE(LoginByName(user, db, L"alice", huge.c_str()));
}

TEST(CAcsUserLogin, StoredHashThatIsNotOursNeverMatches)
{
    TestDatabase db;
    db.Exec("UPDATE USERS SET LOGONPWD = 'Secret1!' WHERE USERID = 10");
    CAcsUser user;
    EXPECT_FALSE(LoginByName(user, db, L"alice", L"Secret1!"));
    db.Exec("UPDATE USERS SET LOGONPWD = NULL WHERE USERID = 10");
    EXPECT_FALSE(LoginByName(user, db, L"alice", L""));
}

TEST(CAcsUserLogin, WindowsLinkedUserLogsInById)
{
    TestDatabase db;
    CAcsUser user;
    ASSERT_TRUE(user.Login(db.DataSource(), nullptr, nullptr, -1, 10));
    EXPECT_EQ(user.GetUserID(), 10);
    CAcsUser disabled;
    EXPECT_FALSE(disabled.Login(db.DataSource(), nullptr, nullptr, -1, 11));
    CAcsUser missing;
    EXPECT_FALSE(missing.Login(db.DataSource(), nullptr, nullptr, -1, 999));
    CAcsUser none;
    EXPECT_FALSE(none.Login(db.DataSource(), nullptr, nullptr, -1, 0));
}

TEST(CAcsUserLogin, DirectoryAccountLogsInItsLinkedUser)
{
    TestDatabase db;
    CAcsUser user;
    ASSERT_TRUE(LoginByName(user, db, L"Carol.Cook", L"checked by the directory", 2));
    EXPECT_EQ(user.GetUserID(), 12);
}

TEST(CAcsUserLogin, SystemAdministratorHoldsEverything)
{
    TestDatabase db;
    CAcsUser sa;
    ASSERT_TRUE(sa.LoginAsSA(db.DataSource()));
    EXPECT_EQ(sa.GetUserID(), -1);
    EXPECT_EQ(sa.GetFieldPermissionGroupID(), -1);
    EXPECT_TRUE(sa.HasPermission(kUseProvider));
    EXPECT_TRUE(sa.HasPermission(kLiveVideo));
    EXPECT_TRUE(sa.IsAllSegmentsUser());
    EXPECT_TRUE(sa.HasSegmentAccess(-1, 2));
    EXPECT_TRUE(sa.HasSegmentAccess(20, 2));
}

TEST(CAcsUserLogin, UnreachableDatabaseFailsCleanly)
{
    TestDatabase db;
    CAcsUser user;
    EXPECT_FALSE(user.LoginAsSA(L"sqlite:/nonexistent-folder/none.db"));
    EXPECT_FALSE(user.Login(L"odbc:whatever", L"alice", L"Secret1!", -1, 0));
    EXPECT_FALSE(user.IsLoggedIn());
}

TEST(CAcsUserPermissions, GroupsGrantExactlyTheirIds)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    EXPECT_TRUE(alice.HasPermission(kUseProvider));
    EXPECT_TRUE(alice.HasPermission(kViewUsers));
    EXPECT_TRUE(alice.HasPermission(kViewCardholders));
    EXPECT_FALSE(alice.HasPermission(kLiveVideo));
    EXPECT_FALSE(alice.HasPermission(0x1000000F));
    EXPECT_FALSE(alice.HasPermission(0));
    EXPECT_FALSE(alice.HasPermission(0xDEADBEEF));

    CAcsUser carol;
    ASSERT_TRUE(LoginByName(carol, db, L"carol", L"Other2?"));
    EXPECT_TRUE(carol.HasPermission(kLiveVideo));
    EXPECT_FALSE(carol.HasPermission(kUseProvider));
}

// A permission's type is its top four bits; only types 1 to 3 name a permission, so an id of
// any other type grants nothing even when a group lists it. Every type is granted here at the
// lowest and the highest id it holds.
TEST(CAcsUserPermissions, OnlyIdsOfTypesOneToThreeAreHeldWhateverTheGroupsList)
{
    TestDatabase db;
    std::string grants;
    std::vector<DWORD> ids;
    for (DWORD type = 0; type < 16; ++type)
        for (const DWORD low : {DWORD{0}, DWORD{0x0FFFFFFF}})
        {
            ids.push_back(type << 28 | low);
            grants += "INSERT OR IGNORE INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES (1, " +
                      std::to_string(ids.back()) + ");";
        }
    db.Exec(grants);
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    for (const DWORD id : ids)
    {
        const DWORD type = id >> 28;
        EXPECT_EQ(alice.HasPermission(id), type >= 1 && type <= 3) << std::hex << id;
    }
}

TEST(CAcsUserPermissions, ResetPermissionsReadsChangedGroups)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    db.Exec("DELETE FROM USER_PERM_GRANT WHERE PERMISSIONID = 268435664;"
            "UPDATE USERS SET MONITOR_USER_PERMID = 3 WHERE USERID = 10");
    EXPECT_TRUE(alice.HasPermission(kUseProvider));
    alice.ResetPermissions();
    EXPECT_FALSE(alice.HasPermission(kUseProvider));
    EXPECT_TRUE(alice.HasPermission(kLiveVideo));
    EXPECT_EQ(alice.GetMonitorPermissionGroupID(), 3);
}

// What a logged-in user's rights come from, as one text: its segments, two permissions, the
// segmentation options, a segment's name and whether segment 5 has a unit.
std::string RightsOf(const CAcsUser& user)
{
    std::string text = "segments";
    for (const LONG segment : user.GetSegmentIDs())
        text += " " + std::to_string(segment);
    const CBntAcsSystemOptions& options = user.GetSystemOptions();
    const CSegment* group = options.GetSegment(7);
    return text + " | use " + std::to_string(user.HasPermission(kUseProvider)) + " card " +
           std::to_string(user.HasPermission(kViewCardholders)) + " | in use " +
           std::to_string(options.SegmentsInUse()) + " persons " +
           std::to_string(options.IsCardholderSegmentationEnabled()) + " | 7 " +
           (group != nullptr ? brontel::utility::ConvertToStdString(group->GetName()) : "-") + " | unit 5 " +
           std::to_string(options.GetSegmentUnit(5) != nullptr);
}

// Every write of what a user's rights come from tells a logged-in user that they changed (one
// keyed read of the rights stamp), and reading them again gives the new rights; a write of
// anything else leaves it Same. A user disabled or deleted is Gone.
TEST(CAcsUserPermissions, StoredStateFollowsEverySourceOfTheRights)
{
    constexpr char kBefore[] = "segments 5 6 7 8 9 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0";
    const struct
    {
        const char* source;
        const char* change;
        const char* after;  // null: the stamp changes, the rights read the same
    } cases[] = {
        {"primary segment", "UPDATE USERS SET SEGMENTID = 20 WHERE USERID = 10",
         "segments 6 7 8 9 20 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"system group", "UPDATE USERS SET SYSTEM_USER_PERMID = 0 WHERE USERID = 10",
         "segments 5 6 7 8 9 | use 0 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"secondary segment taken", "DELETE FROM USER_SEGMENT_LINK WHERE USERID = 10 AND SEGMENTID = 6",
         "segments 5 7 8 9 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"secondary segment given", "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (10, 20)",
         "segments 5 6 7 8 9 20 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"group unit taken", "DELETE FROM SEGMENT_GROUP_MEMBER WHERE SEGMENTID = 7 AND SEGMENTID_MEMBER = 9",
         "segments 5 6 7 8 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"group unit given", "INSERT INTO SEGMENT_GROUP_MEMBER (SEGMENTID, SEGMENTID_MEMBER) VALUES (7, 20)",
         "segments 5 6 7 8 9 20 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"segment row", "UPDATE SEGMENT SET NAME = 'East' WHERE SEGMENTID = 7",
         "segments 5 6 7 8 9 | use 1 card 1 | in use 1 persons 0 | 7 East | unit 5 0"},
        {"segment unit", "INSERT INTO SEGMENT_UNIT (SEGMENTID) VALUES (5)",
         "segments 5 6 7 8 9 | use 1 card 1 | in use 1 persons 0 | 7 East group | unit 5 1"},
        {"grant", "DELETE FROM USER_PERM_GRANT WHERE USER_PERMID = 1 AND PERMISSIONID = 268435664",
         "segments 5 6 7 8 9 | use 0 card 1 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"group type", "UPDATE USER_PERM SET TYPE = 3 WHERE USER_PERMID = 2",
         "segments 5 6 7 8 9 | use 1 card 0 | in use 1 persons 0 | 7 East group | unit 5 0"},
        {"field permission",
         "INSERT INTO USER_PERM_UDF (USER_PERM_UDFID, NAME) VALUES (4, 'Fields');"
         "INSERT INTO DDFLD (DDFLDID, FLDNAME, CIMTYPE) VALUES (41, 'Shoe size', 3);"
         "INSERT INTO USER_PERM_UDF_FIELD (USER_PERM_UDFID, DDFLDID, CANVIEW) VALUES (4, 41, 0)",
         nullptr},
        {"segments in use", "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001",
         "segments 5 6 7 8 9 | use 1 card 1 | in use 0 persons 0 | 7 East group | unit 5 0"},
        {"person segmentation", "INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1003, 1)",
         "segments 5 6 7 8 9 | use 1 card 1 | in use 1 persons 1 | 7 East group | unit 5 0"},
        {"account", "DELETE FROM USER_ACCOUNT WHERE USERID = 10", nullptr},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.source);
        TestDatabase db;
        CAcsUser alice;
        ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
        ASSERT_EQ(RightsOf(alice), kBefore);
        db.Exec(c.change);
        EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::RightsChanged);
        alice.ResetPermissions();
        EXPECT_EQ(RightsOf(alice), c.after != nullptr ? c.after : kBefore);
        EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::Same);
    }

    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    // Stored values that decide no right, and records of other kinds, leave the stamp alone.
    db.Exec("INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (33, 60), (39, 60);"
            "INSERT INTO EMP (ID, LASTNAME, SEGMENTID) VALUES (70, 'Stamp', 6);");
    EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::Same);
    db.Exec("UPDATE USERS SET ISENABLED = 0 WHERE USERID = 10");
    EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::Gone);
    db.Exec("UPDATE USERS SET ISENABLED = 1 WHERE USERID = 10; DELETE FROM USER_SEGMENT_LINK WHERE USERID = 10;"
            "DELETE FROM USER_ACCOUNT WHERE USERID = 10; DELETE FROM USERS WHERE USERID = 10");
    EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::Gone);
    EXPECT_EQ(CAcsUser().CheckStoredUser(), CAcsUser::StoredState::Gone);
}

// A database missing a stamp row (an old or restored copy, a direct write) gets it back at the
// next login, whichever row it lacks, the row it kept left as it stood; the login that restores
// says so, once.
TEST(CAcsUserPermissions, AMissingStampRowComesBackAtTheNextLogin)
{
    constexpr char kRestored[] = "The database's rights stamp was missing and is restored.";
    const struct
    {
        const char* missing;
        const char* kept;  // the row left, with the value the test gave it ("": none)
    } cases[] = {
        {"1", "2|702"},
        {"2", "1|701"},
        {"1, 2", ""},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(std::string("rows ") + c.missing + " missing");
        TestDatabase db;
        db.Exec("UPDATE RIGHTS_STAMP SET STAMP = 700 + STAMPID; DELETE FROM RIGHTS_STAMP WHERE STAMPID IN (" +
                std::string(c.missing) + ")");
        const std::string kept = db.Scalar("SELECT group_concat(STAMPID || '|' || STAMP) FROM RIGHTS_STAMP");
        ASSERT_EQ(kept, c.kept);
        const int restored = support::TemporaryHome::CountProviderLogLines(kRestored);
        // A cause an earlier failure of the thread left stands for whoever reports that failure.
        CBntDatabase::NoteFailure(SQLITE_BUSY, 0);
        CAcsUser alice;
        ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
        EXPECT_EQ(std::wstring(CBntDatabase::TakeLastFailureCause().GetString()),
                  L"the database is locked by another process");
        EXPECT_EQ(db.Scalar("SELECT group_concat(STAMPID) FROM (SELECT STAMPID FROM RIGHTS_STAMP ORDER BY STAMPID)"),
                  "1,2");
        if (*c.kept != '\0')
        {
            EXPECT_EQ(
                db.Scalar("SELECT STAMPID || '|' || STAMP FROM RIGHTS_STAMP WHERE STAMPID = " + std::string(c.kept, 1)),
                c.kept);
        }
        EXPECT_EQ(alice.CheckStoredUser(), CAcsUser::StoredState::Same);
        CAcsUser again;
        ASSERT_TRUE(LoginByName(again, db, L"alice", L"Secret1!"));
        EXPECT_EQ(support::TemporaryHome::CountProviderLogLines(kRestored), restored + 1);
    }
}

// Every identity is compared with its stored user and with the account that signed it in, the
// administrator (-1) included: a user gone, disabled or no longer named by its account (its
// directory gone, a template or no longer signing on by name, the password it signed in with no
// longer the stored one) is Gone; an account
// that names another user now is RightsChanged, and signing in again by it gives that user. The process's own
// connection needs no row and follows the stamp alone.
TEST(CAcsUserPermissions, EveryIdentityFollowsItsStoredUserAndAccount)
{
    using State = CAcsUser::StoredState;
    constexpr char kAdministratorRow[] =
        "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID, LOGONPWD)"
        " SELECT -1, 'sa', 'System', 'Administrator', -1, 1, 3, LOGONPWD FROM USERS WHERE USERID = 10;";
    const auto byName = [](LPCWSTR name, LPCWSTR password, LONG directory) {
        return [=](CAcsUser& user, const TestDatabase& db) { return LoginByName(user, db, name, password, directory); };
    };
    const auto byId = [](LONG id) {
        return [=](CAcsUser& user, const TestDatabase& db) {
            return user.Login(db.DataSource(), nullptr, nullptr, -1, id);
        };
    };
    const auto asProcess = [](CAcsUser& user, const TestDatabase& db) { return user.LoginAsSA(db.DataSource()); };
    const struct
    {
        const char* identity;
        std::string setUp;
        std::function<bool(CAcsUser&, const TestDatabase&)> login;
        LONG signedIn;
        const char* change;
        State state;
        LONG again;  // the user signing in again gives; 0: refused
    } cases[] = {
        {"administrator by id, options changed", kAdministratorRow, byId(-1), -1,
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001", State::RightsChanged, -1},
        {"administrator by id, disabled", kAdministratorRow, byId(-1), -1,
         "UPDATE USERS SET ISENABLED = 0 WHERE USERID = -1", State::Gone, 0},
        {"administrator by id, row deleted", kAdministratorRow, byId(-1), -1, "DELETE FROM USERS WHERE USERID = -1",
         State::Gone, 0},
        {"administrator by name, disabled", kAdministratorRow, byName(L"SA", L"Secret1!", -1), -1,
         "UPDATE USERS SET ISENABLED = 0 WHERE USERID = -1", State::Gone, 0},
        {"administrator by name, the name given to alice", kAdministratorRow, byName(L"sa", L"Secret1!", -1), -1,
         "UPDATE USERS SET LOGONID = 'root' WHERE USERID = -1; UPDATE USERS SET LOGONID = 'sa' WHERE USERID = 10",
         State::RightsChanged, 10},
        {"administrator's directory account unlinked",
         std::string(kAdministratorRow) + "UPDATE USER_ACCOUNT SET USERID = -1 WHERE USER_ACCOUNTID = 2;",
         byName(L"carol.cook", L"x", 2), -1, "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 2", State::Gone, 0},
        {"administrator's directory account moved to alice",
         std::string(kAdministratorRow) + "UPDATE USER_ACCOUNT SET USERID = -1 WHERE USER_ACCOUNTID = 2;",
         byName(L"carol.cook", L"x", 2), -1, "UPDATE USER_ACCOUNT SET USERID = 10 WHERE USER_ACCOUNTID = 2",
         State::RightsChanged, 10},
        {"directory account unlinked", "", byName(L"carol.cook", L"x", 2), 12,
         "DELETE FROM USER_ACCOUNT WHERE USER_ACCOUNTID = 2", State::Gone, 0},
        {"directory account relinked", "", byName(L"carol.cook", L"x", 2), 12,
         "UPDATE USER_ACCOUNT SET USERID = 10 WHERE USER_ACCOUNTID = 2", State::RightsChanged, 10},
        {"directory account relinked to a disabled user", "", byName(L"carol.cook", L"x", 2), 12,
         "UPDATE USER_ACCOUNT SET USERID = 11 WHERE USER_ACCOUNTID = 2", State::RightsChanged, 0},
        {"directory account's directory deleted", "", byName(L"carol.cook", L"x", 2), 12,
         "DELETE FROM BNT_DIRECTORY WHERE BNT_DIRECTORYID = 2", State::Gone, 0},
        {"directory account's directory made a template", "", byName(L"carol.cook", L"x", 2), 12,
         "UPDATE BNT_DIRECTORY SET DIR_ISTEMPLATE = 1 WHERE BNT_DIRECTORYID = 2", State::Gone, 0},
        {"directory account's manual sign-on switched off", "", byName(L"carol.cook", L"x", 2), 12,
         "UPDATE BNT_DIRECTORY_SSO SET USE_MANUAL_SSO = 0 WHERE BNT_DIRECTORYID = 2", State::Gone, 0},
        {"directory account's manual sign-on row deleted", "", byName(L"carol.cook", L"x", 2), 12,
         "DELETE FROM BNT_DIRECTORY_SSO WHERE BNT_DIRECTORYID = 2", State::Gone, 0},
        {"user deleted, another made with its logon id and another password", "", byName(L"alice", L"Secret1!", -1), 10,
         "DELETE FROM USERS WHERE USERID = 10; UPDATE USERS SET LOGONID = 'alice' WHERE USERID = 12", State::Gone, 0},
        {"user deleted, another made with its logon id and password", "", byName(L"alice", L"Secret1!", -1), 10,
         "UPDATE USERS SET LOGONPWD = (SELECT LOGONPWD FROM USERS WHERE USERID = 10) WHERE USERID = 12; "
         "DELETE FROM USERS WHERE USERID = 10; UPDATE USERS SET LOGONID = 'alice' WHERE USERID = 12",
         State::RightsChanged, 12},
        {"user's password changed", "", byName(L"alice", L"Secret1!", -1), 10,
         "UPDATE USERS SET LOGONPWD = (SELECT LOGONPWD FROM USERS WHERE USERID = 12) WHERE USERID = 10", State::Gone,
         0},
        {"user renamed", "", byName(L"alice", L"Secret1!", -1), 10,
         "UPDATE USERS SET LOGONID = 'alicia' WHERE USERID = 10", State::Gone, 0},
        {"user by id, account unlinked", "", byId(10), 10, "DELETE FROM USER_ACCOUNT WHERE USERID = 10",
         State::RightsChanged, 10},
        {"process connection, without an administrator row", "", asProcess, -1,
         "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001", State::RightsChanged, -1},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.identity);
        TestDatabase db;
        db.Exec(c.setUp);
        CAcsUser user;
        ASSERT_TRUE(c.login(user, db));
        ASSERT_EQ(user.GetUserID(), c.signedIn);
        EXPECT_EQ(user.CheckStoredUser(), State::Same);
        db.Exec(c.change);
        EXPECT_EQ(user.CheckStoredUser(), c.state);
        CAcsUser again;
        EXPECT_EQ(again.LoginAgain(db.DataSource(), user), c.again != 0);
        EXPECT_EQ(again.GetUserID(), c.again);
        if (c.again != 0)
        {
            EXPECT_EQ(again.CheckStoredUser(), State::Same);
        }
    }

    // A caller signs in as the administrator only through an enabled row; the process's own
    // connection needs none.
    TestDatabase db;
    CAcsUser noRow;
    EXPECT_FALSE(byId(-1)(noRow, db));
    db.Exec(std::string(kAdministratorRow) + "UPDATE USERS SET ISENABLED = 0 WHERE USERID = -1");
    CAcsUser disabled;
    EXPECT_FALSE(byId(-1)(disabled, db));
    EXPECT_FALSE(byName(L"sa", L"Secret1!", -1)(disabled, db));
    CAcsUser process;
    EXPECT_TRUE(asProcess(process, db));
}

TEST(CAcsUserSegments, AccessFollowsPrimaryLinkedAndGroupSegments)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    EXPECT_FALSE(alice.IsAllSegmentsUser());
    const struct
    {
        LONG segment;
        bool access;
    } cases[] = {{5, true}, {6, true}, {7, true}, {8, true}, {9, true}, {20, false}, {-1, false}, {0, false}};
    for (const auto& c : cases)
    {
        for (int accessType : {0, 1, 2})
        {
            EXPECT_EQ(alice.HasSegmentAccess(c.segment, accessType), c.access) << c.segment << "/" << accessType;
        }
    }
    EXPECT_EQ(alice.GetSegmentIDs(), (std::set<LONG>{5, 6, 7, 8, 9}));
}

TEST(CAcsUserSegments, AllSegmentsUserAndSegmentsNotInUse)
{
    TestDatabase db;
    CAcsUser carol;
    ASSERT_TRUE(LoginByName(carol, db, L"carol", L"Other2?"));
    EXPECT_TRUE(carol.IsAllSegmentsUser());
    EXPECT_TRUE(carol.HasSegmentAccess(-1, 2));
    EXPECT_TRUE(carol.HasSegmentAccess(5, 2));

    db.Exec("UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1001");
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    EXPECT_FALSE(alice.GetSystemOptions().SegmentsInUse());
    EXPECT_TRUE(alice.HasSegmentAccess(20, 2));
    EXPECT_FALSE(alice.IsAllSegmentsUser());
}

// The audit row's time is the process clock's, as local time: each row is stamped when it is
// written, so the second row, written an hour and a second later, says so.
TEST(CAcsUserAudit, LogTransToDBWritesOneRow)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    support::ManualClock clock;
    const support::ProcessClockScope processClock(clock);
    const auto localText = [](LONGLONG utcSeconds) {
        const std::time_t when = static_cast<std::time_t>(utcSeconds);
        std::tm local{};
        localtime_r(&when, &local);
        char text[32];
        std::strftime(text, sizeof(text), "%Y-%m-%d %H:%M:%S", &local);
        return std::string(text);
    };
    const std::string first = localText(clock.GetUtcSeconds());
    ASSERT_TRUE(alice.LogTransToDB(4, 156, L"Visit event 7: lobby", nullptr, 0, nullptr));
    clock.AdvanceSeconds(3601);
    const std::string second = localText(clock.GetUtcSeconds());
    ASSERT_TRUE(alice.LogTransToDB(64, 25, L"Reader read", alice.GetDatabase(), 0, L"(extra)"));
    EXPECT_EQ(db.Scalar("SELECT COUNT(*) FROM USER_TRANSACTION_LOG"), "2");
    EXPECT_EQ(db.Scalar("SELECT TRANS_TIME || '/' || USERID || '/' || OPERATION || '/' || OBJECT_TYPE || '/' || "
                        "DESCRIPTION || '/' || BNT_DBID FROM USER_TRANSACTION_LOG ORDER BY USER_TRANSACTION_LOGID "
                        "LIMIT 1"),
              first + "/10/4/156/Visit event 7: lobby/3");
    EXPECT_EQ(db.Scalar("SELECT TRANS_TIME || '/' || DESCRIPTION FROM USER_TRANSACTION_LOG "
                        "ORDER BY USER_TRANSACTION_LOGID DESC LIMIT 1"),
              second + "/Reader read (extra)");
}

TEST(CAcsUserAudit, FailedWriteAnswersFalseAndIsLogged)
{
    TestDatabase db;
    CAcsUser alice;
    ASSERT_TRUE(LoginByName(alice, db, L"alice", L"Secret1!"));
    const std::string logFile = (db.Home().Path() / "user-errors.log").string();
    alice.GetExceptionHandler().EnableFileLogging(CString(logFile.c_str()));
    db.Exec("DROP TABLE USER_TRANSACTION_LOG");
    EXPECT_FALSE(alice.LogTransToDB(4, 1, L"lost"));
    const auto lines = support::TemporaryHome::ReadLines(logFile);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("Unable to write the audit record."), std::string::npos);

    CAcsUser loggedOut;
    EXPECT_FALSE(loggedOut.LogTransToDB(4, 1, L"nobody"));
}

}  // namespace
