// System users and their accounts through the door: a user made here logs in with the password
// it was given, which is stored only as its salted hash; a caller can neither raise itself nor
// give another user more than its own rights.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "inhouse/BntLogin/CAcsUser.h"
#include "mappers/records/CWmipUserMapper.h"

#include <string>

using namespace e2e;

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
        return user.Login(source.c_str(), logonId, password, false, false, CAcsUser::kInternalDirectoryID, 0, false);
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
    // The clerk's own record, written back as it is.
    ComPtr<IWbemClassObject> own = Instance(L"Bnt_User.ID=31");
    ASSERT_NE(own, nullptr);
    const Reply self = Put(Form::Sync, own.Get(), WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(self.result, WBEM_E_FAILED) << Description(self.statusObject.Get());
    EXPECT_TRUE(EndsWith(Description(self.statusObject.Get()),
                         "The client does not have sufficient user permissions to perform the requested operation."))
        << Description(self.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT COALESCE(LASTCHANGED, '') FROM USERS WHERE USERID = 31"), "") << "not stamped";

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
