// System users and their accounts through the door: a user made here logs in with the password
// it was given, which is stored only as its salted hash; a caller can neither raise itself nor
// give another user more than its own rights, nor manage a user of a segment it does not hold.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "mappers/records/CWmipUserMapper.h"
#include "mappers/records/helpers/CWmipUserRules.h"

#include <functional>
#include <string>

using namespace e2e;
using access_test::AccessCallers;

namespace {
class SystemUsers : public access_test::AccessRecordsTest
{
protected:
    Reply AddUser(const wchar_t* logonId, const wchar_t* password, long systemGroup = 0)
    {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_User", {{L"LogonID", _variant_t(logonId)},
                                             {L"FirstName", _variant_t(L"New")},
                                             {L"LastName", _variant_t(L"User")},
                                             {L"Enabled", _variant_t(true)},
                                             {L"Password", _variant_t(password)},
                                             {L"SystemPermissionGroupID", _variant_t(static_cast<LONG>(systemGroup))}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    }
    static bool LogsIn(const wchar_t* logonId, const wchar_t* password)
    {
        CAcsUser user;
        const std::wstring source = L"sqlite:" + DoorInstallation::DatabaseFile().wstring();
        return user.Login(source.c_str(), logonId, password, CAcsUser::kInternalDirectoryID, 0);
    }
};
}  // namespace

TEST_F(SystemUsers, ANewUserLogsInAndItsPasswordIsStoredHashed)
{
    const Reply added = AddUser(L"freshuser", L"Correct-horse-7");
    ASSERT_EQ(added.result, WBEM_S_NO_ERROR) << Description(added.statusObject.Get());
    const std::string stored = Scalar("SELECT LOGONPWD FROM USERS WHERE LOGONID = 'freshuser'");
    EXPECT_NE(stored, "Correct-horse-7");
    EXPECT_EQ(stored.rfind("pbkdf2-sha256$", 0), 0u) << stored;
    EXPECT_TRUE(LogsIn(L"freshuser", L"Correct-horse-7"));
    EXPECT_FALSE(LogsIn(L"freshuser", L"Wrong-horse-7"));

    const Reply served = Query(Form::Sync, L"SELECT * FROM Bnt_User WHERE LogonID = 'freshuser'");
    ASSERT_EQ(served.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(served.objects.front().Get(), L"Password"), "<null>") << "never served";

    EXPECT_EQ(AddUser(L"FRESHUSER", L"Another-pass-8").result, WBEM_E_FAILED) << "logon ids ignore case";
}

TEST_F(SystemUsers, APasswordIsTakenFromItsShortestToItsLongestLengthOnly)
{
    const struct
    {
        int length;
        HRESULT expected;
    } cases[] = {
        {CWmipUserMapper::kMinPasswordLength - 1, WBEM_E_INVALID_PARAMETER},
        {CWmipUserMapper::kMinPasswordLength, WBEM_S_NO_ERROR},
        {CWmipUserMapper::kMaxPasswordLength, WBEM_S_NO_ERROR},
        {CWmipUserMapper::kMaxPasswordLength + 1, WBEM_E_INVALID_PARAMETER},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.length);
        const std::wstring logon = L"pass" + std::to_wstring(c.length);
        const std::wstring password(static_cast<std::size_t>(c.length), L'p');
        EXPECT_EQ(AddUser(logon.c_str(), password.c_str()).result, c.expected);
        EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERS WHERE LOGONID = '" + Utf8(logon) + "'"),
                  SUCCEEDED(c.expected) ? "1" : "0");
        EXPECT_EQ(LogsIn(logon.c_str(), password.c_str()), SUCCEEDED(c.expected));
    }
}

TEST_F(SystemUsers, ACallerCannotRaiseItselfNorGrantMoreThanItHolds)
{
    // The clerk's own record, written back as it is; an earlier test may have stamped it.
    const std::string stamped = Scalar("SELECT COALESCE(LASTCHANGED, '') FROM USERS WHERE USERID = 31");
    ComPtr<IWbemClassObject> own = Instance(L"Bnt_User.ID=31");
    ASSERT_NE(own, nullptr);
    const Reply self = Put(Form::Sync, own.Get(), WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(self.result, WBEM_E_FAILED) << Description(self.statusObject.Get());
    EXPECT_TRUE(EndsWith(Description(self.statusObject.Get()),
                         "The client does not have sufficient user permissions to perform the requested operation."))
        << Description(self.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT COALESCE(LASTCHANGED, '') FROM USERS WHERE USERID = 31"), stamped) << "not stamped";

    // Group 1 (the demo operators) holds hardware rights the clerk's group 81 lacks.
    const Reply raised = AddUser(L"raiseduser", L"Correct-horse-7", 1);
    EXPECT_EQ(raised.result, WBEM_E_FAILED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USERS WHERE LOGONID = 'raiseduser'"), "0");
    EXPECT_EQ(AddUser(L"equaluser", L"Correct-horse-7", 81).result, WBEM_S_NO_ERROR) << "its own group it may give";

    // Accounts follow the same rule: none for the operator, whose group the clerk does not cover.
    const Reply account = Put(Form::Sync,
                              NewInstance(L"Bnt_UserAccount", {{L"UserID", _variant_t(static_cast<LONG>(1))},
                                                               {L"DirectoryID", _variant_t(static_cast<LONG>(1))},
                                                               {L"AccountID", _variant_t(L"S-1-5-99")}})
                                  .Get(),
                              WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(account.result, WBEM_E_FAILED);
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_ACCOUNT WHERE ACCOUNTID = 'S-1-5-99'"), "0");
}

TEST_F(SystemUsers, AUserIsManagedOnlyByACallerWhoHoldsEverySegmentAndGroupOfIt)
{
    // Both users stand in segment 1, the chief's only one; user 61 also reaches segment 2.
    ExecSql("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID) VALUES "
            "(61, 'twosegments', 'Two', 'Segments', 1, 1, 1), (62, 'onesegment', 'One', 'Segment', 1, 1, 1);"
            "INSERT INTO USER_SEGMENT_LINK (USERID, SEGMENTID) VALUES (61, 2);");
    const auto user = [](long id) { return L"Bnt_User.ID=" + std::to_wstring(id); };
    const auto changed = [&](long id, const wchar_t* property, const _variant_t& value) {
        ComPtr<IWbemClassObject> stored = Instance(user(id));
        if (stored == nullptr)
            return Reply{};
        _variant_t copy(value);
        EXPECT_EQ(stored->Put(property, 0, &copy, 0), WBEM_S_NO_ERROR);
        return Put(Form::Sync, stored.Get(), WBEM_FLAG_UPDATE_ONLY);
    };
    const struct
    {
        const char* what;
        std::function<Reply(long)> act;
        // The row the act leaves when it is done; none when it is refused.
        std::string done;
        std::string check;
    } acts[] = {
        {"modify", [&](long id) { return changed(id, L"Notes", _variant_t(L"changed")); }, "changed",
         "SELECT COALESCE(NOTES, '') FROM USERS WHERE USERID = "},
        {"change its groups", [&](long id) { return changed(id, L"SystemPermissionGroupID", _variant_t(71L)); }, "71",
         "SELECT SYSTEM_USER_PERMID FROM USERS WHERE USERID = "},
        {"link an account",
         [&](long id) {
             return Put(Form::Sync,
                        NewInstance(L"Bnt_UserAccount", {{L"UserID", _variant_t(static_cast<LONG>(id))},
                                                         {L"DirectoryID", _variant_t(static_cast<LONG>(1))},
                                                         {L"AccountID", _variant_t(L"S-1-5-21-61")}})
                            .Get(),
                        WBEM_FLAG_CREATE_ONLY);
         },
         "1", "SELECT COUNT(*) FROM USER_ACCOUNT WHERE USERID = "},
        {"delete", [&](long id) { return Delete(Form::Sync, user(id)); }, "0",
         "SELECT COUNT(*) FROM USERS WHERE USERID = "},
    };
    CallAs(AccessCallers::kHeadquartersChief);
    for (const auto& act : acts)
    {
        SCOPED_TRACE(act.what);
        const std::string before = Scalar(act.check + "61");
        const Reply refused = act.act(61);
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << "segment 2 is not the caller's";
        EXPECT_EQ(Scalar(act.check + "61"), before) << "nothing written";
        const Reply done = act.act(62);
        EXPECT_EQ(done.result, WBEM_S_NO_ERROR) << Description(done.statusObject.Get());
        EXPECT_EQ(Scalar(act.check + "62"), act.done);
    }

    // A caller who could give the operator lower groups still does not cover those it holds.
    CallAs(AccessCallers::kLevelClerk);
    ComPtr<IWbemClassObject> operatorUser = Instance(user(1));
    ASSERT_NE(operatorUser, nullptr);
    for (const auto& [property, group] :
         {std::pair{L"SystemPermissionGroupID", 81L}, std::pair{L"CardPermissionGroupID", 82L},
          std::pair{L"MonitoringPermissionGroupID", 0L}})
    {
        _variant_t value(group);
        ASSERT_EQ(operatorUser->Put(property, 0, &value, 0), WBEM_S_NO_ERROR);
    }
    EXPECT_EQ(Put(Form::Sync, operatorUser.Get(), WBEM_FLAG_UPDATE_ONLY).result, WBEM_E_FAILED);
    EXPECT_EQ(DoorInstallation::Rows("SELECT SYSTEM_USER_PERMID, CARD_USER_PERMID, MONITOR_USER_PERMID FROM USERS "
                                     "WHERE USERID = 1"),
              (Table{{"1", "2", "3"}}));
    ExecSql("DELETE FROM USERS WHERE USERID = 61;");
}

namespace {
// The user manager's report and field groups, and two users it may manage: 66 to give groups to,
// 67 whose groups equal the manager's but in the one a case raises.
constexpr const char* kManagedUsers = R"(
INSERT OR IGNORE INTO USER_PERM_REPORT (USER_PERM_REPORTID, NAME, SEGMENTID, BNT_DBID) VALUES
    (301, 'Reports of the manager', -1, 1), (302, 'Reports beyond it', -1, 1);
INSERT OR IGNORE INTO USER_PERM_UDF (USER_PERM_UDFID, NAME, SEGMENTID) VALUES
    (401, 'Fields of the manager', 0), (402, 'Fields beyond it', 0);
INSERT OR IGNORE INTO MONZONE (MZID, SEGMENTID, MZDESCR) VALUES (310, 2, 'Warehouse zone');
INSERT OR REPLACE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, SYSTEM_USER_PERMID,
                              MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID, USER_PERM_UDFID, BNT_DBID)
VALUES (66, 'typedgroups', 'Typed', 'Groups', 1, 1, 81, 0, 82, 301, 401, 1),
       (67, 'onegroupmore', 'One', 'More', 1, 1, 81, 0, 82, 301, 401, 1);
)";
}  // namespace

// A group id names a group of its own property's type: a card group given as the system group, a
// system group as the card or monitoring group, or a group that exists under no type is refused
// naming the property, and nothing is stored; so is a monitoring zone of another segment, as a
// missing one. A manager without an administrator group tries.
TEST_F(SystemUsers, APermissionGroupIsLookedUpUnderItsOwnTypeOnly)
{
    ExecSql(support::TestCallers::Sql({AccessCallers::kUserManager}) + kManagedUsers);
    CallAs(AccessCallers::kUserManager);
    const auto stored = [] { return DoorInstallation::Rows("SELECT * FROM USERS WHERE USERID = 66"); };
    const Table unchanged = stored();
    // The zone keeps its own answer to a zone it does not find.
    const struct
    {
        const wchar_t* property;
        LONG value;
        HRESULT expected;
    } cases[] = {
        {L"SystemPermissionGroupID", 91, WBEM_E_INVALID_PARAMETER},
        {L"CardPermissionGroupID", 90, WBEM_E_INVALID_PARAMETER},
        {L"MonitoringPermissionGroupID", 90, WBEM_E_INVALID_PARAMETER},
        {L"SystemPermissionGroupID", 555, WBEM_E_INVALID_PARAMETER},
        {L"ReportPermissionGroupID", 555, WBEM_E_INVALID_PARAMETER},
        {L"FieldPermissionID", 555, WBEM_E_INVALID_PARAMETER},
        {L"MonitoringZoneID", 310, WBEM_E_FAILED},
        {L"MonitoringZoneID", 555, WBEM_E_FAILED},
    };
    for (const auto& [property, group, expected] : cases)
    {
        SCOPED_TRACE(Utf8(property) + "=" + std::to_string(group));
        ComPtr<IWbemClassObject> user = Instance(L"Bnt_User.ID=66");
        ASSERT_NE(user, nullptr);
        _variant_t value(group);
        ASSERT_EQ(user->Put(property, 0, &value, 0), WBEM_S_NO_ERROR);
        const Reply refused = Put(Form::Sync, user.Get(), WBEM_FLAG_UPDATE_ONLY);
        EXPECT_EQ(refused.result, expected) << Hex(refused.result);
        EXPECT_NE(Description(refused.statusObject.Get()).find(Utf8(property)), std::string::npos)
            << Description(refused.statusObject.Get());
        EXPECT_EQ(stored(), unchanged);
    }

    // Rights come from a group under its own type only: the card administrators held as the
    // system group grant no system right, held as the card group they grant theirs.
    ExecSql("UPDATE USERS SET SYSTEM_USER_PERMID = 91, CARD_USER_PERMID = 0 WHERE USERID = 66;"
            "UPDATE USERS SET SYSTEM_USER_PERMID = 0, CARD_USER_PERMID = 91 WHERE USERID = 67;");
    const std::wstring source = L"sqlite:" + DoorInstallation::DatabaseFile().wstring();
    CAcsUser misplaced;
    ASSERT_TRUE(misplaced.Login(source.c_str(), nullptr, nullptr, -1, 66));
    EXPECT_FALSE(misplaced.HasPermission(0x10000000));
    EXPECT_FALSE(misplaced.HasPermission(0x20000003));
    CAcsUser placed;
    ASSERT_TRUE(placed.Login(source.c_str(), nullptr, nullptr, -1, 67));
    EXPECT_TRUE(placed.HasPermission(0x20000003));
    ExecSql(kManagedUsers);
}

// A user is managed only by a caller whose group of every type covers the user's: one case per
// type, the user exceeding the manager in that group alone; with every group equal it is managed.
TEST_F(SystemUsers, EveryGroupTypeOfTheUserIsComparedWithTheCallersOwnOfThatType)
{
    ExecSql(support::TestCallers::Sql({AccessCallers::kUserManager}) + kManagedUsers);
    CallAs(AccessCallers::kUserManager);
    const auto modify = [&]() {
        ComPtr<IWbemClassObject> user = Instance(L"Bnt_User.ID=67");
        if (user == nullptr)
            return Reply{};
        _variant_t notes(L"managed");
        EXPECT_EQ(user->Put(L"Notes", 0, &notes, 0), WBEM_S_NO_ERROR);
        return Put(Form::Sync, user.Get(), WBEM_FLAG_UPDATE_ONLY);
    };
    const struct
    {
        const char* type;
        const char* raise;
    } cases[] = {
        {"system", "SYSTEM_USER_PERMID = 71"},      {"card", "CARD_USER_PERMID = 72"},
        {"monitoring", "MONITOR_USER_PERMID = 73"}, {"report", "REPORT_USER_PERMID = 302"},
        {"field", "USER_PERM_UDFID = 402"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.type);
        ExecSql(std::string(kManagedUsers) + "UPDATE USERS SET " + c.raise + " WHERE USERID = 67;");
        const Reply refused = modify();
        EXPECT_EQ(refused.result, WBEM_E_FAILED) << Hex(refused.result);
        EXPECT_TRUE(EndsWith(Description(refused.statusObject.Get()),
                             "The client does not have sufficient user permissions to perform the requested "
                             "operation."))
            << Description(refused.statusObject.Get());
        EXPECT_EQ(Scalar("SELECT COALESCE(NOTES, '') FROM USERS WHERE USERID = 67"), "");
    }
    ExecSql(kManagedUsers);
    const Reply managed = modify();
    EXPECT_EQ(managed.result, WBEM_S_NO_ERROR) << Description(managed.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT NOTES FROM USERS WHERE USERID = 67"), "managed");
    ExecSql(kManagedUsers);
}

// A user whose primary segment is not the caller's is not managed, even by a caller holding every
// group, when the user has no secondary segment at all: no account is linked to it, and its
// primary segment is not moved into the caller's.
TEST_F(SystemUsers, AUserOfAnotherPrimarySegmentIsNotManaged)
{
    ExecSql("INSERT OR REPLACE INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, ISENABLED, BNT_DBID) "
            "VALUES (65, 'warehouseonly', 'Ware', 'House', 2, 1, 1);");
    CallAs(AccessCallers::kHeadquartersChief);
    const auto link = [&](LONG userId) {
        return Put(Form::Sync,
                   NewInstance(L"Bnt_UserAccount", {{L"UserID", _variant_t(userId)},
                                                    {L"DirectoryID", _variant_t(static_cast<LONG>(1))},
                                                    {L"AccountID", _variant_t(L"S-1-5-21-65")}})
                       .Get(),
                   WBEM_FLAG_CREATE_ONLY);
    };
    // The user is hidden from the caller: the account's own check refuses it as it refuses a
    // user that does not exist.
    const Reply account = link(65);
    const Reply missing = link(2000000000);
    EXPECT_EQ(account.result, WBEM_E_FAILED) << Hex(account.result);
    EXPECT_EQ(Description(account.statusObject.Get()), Description(missing.statusObject.Get()));
    EXPECT_EQ(missing.result, WBEM_E_FAILED) << Hex(missing.result);
    EXPECT_NE(Description(account.statusObject.Get())
                  .find("The client does not have sufficient user permissions to perform the requested operation."),
              std::string::npos)
        << Description(account.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT COUNT(*) FROM USER_ACCOUNT WHERE USERID = 65"), "0");
    const Reply moved = Put(Form::Sync,
                            NewInstance(L"Bnt_User", {{L"ID", _variant_t(static_cast<LONG>(65))},
                                                      {L"LogonID", _variant_t(L"warehouseonly")},
                                                      {L"FirstName", _variant_t(L"Ware")},
                                                      {L"LastName", _variant_t(L"House")},
                                                      {L"Enabled", _variant_t(true)},
                                                      {L"PrimarySegmentID", _variant_t(static_cast<LONG>(1))}})
                                .Get(),
                            WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(moved.result, WBEM_E_NOT_FOUND) << Hex(moved.result);
    EXPECT_EQ(Scalar("SELECT SEGMENTID FROM USERS WHERE USERID = 65"), "2");

    // Both roads stop at the user being hidden; the rule itself refuses it as well, while a user
    // of the caller's segment, its groups covered, is managed.
    ExecSql(support::TestCallers::Sql({AccessCallers::kUserManager}) + kManagedUsers);
    const std::wstring source = L"sqlite:" + DoorInstallation::DatabaseFile().wstring();
    CAcsUser chief;
    ASSERT_TRUE(chief.Login(source.c_str(), nullptr, nullptr, -1, 51));
    EXPECT_FALSE(CWmipUserRules::CanManageUser(chief, *chief.GetDatabase(), 65));
    EXPECT_TRUE(CWmipUserRules::CanManageUser(chief, *chief.GetDatabase(), 66));
    ExecSql("DELETE FROM USERS WHERE USERID = 65;");
}
