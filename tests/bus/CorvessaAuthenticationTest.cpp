#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "bus/CCorvessaException.h"
#include "bus/GenericException.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "inhouse/BntUtility/PublicPrivateKeyEncryptionUtility.h"
#include "tests/bus/BusTestInstallation.h"
#include "tests/support/UserPoolTestAccess.h"

using brontel::utility::PublicPrivateKeyEncryptionUtility;

namespace {

constexpr char kRetrieveSid[] =
    "The sign-in was refused: the account and password given were not accepted, check server logs for details.";
constexpr char kDecrypt[] = "Failed to decrypt provided credentials, check server error logs for details.";

class CorvessaAuthentication : public BusTestInstallation
{
protected:
    // The error of an authentication: its key and message, or nothing when it succeeded.
    struct Outcome
    {
        HRESULT hr = S_OK;
        std::string key;
        std::string message;
        std::string token;
        COleDateTime when;
    };

    Outcome Attempt(int directory, const std::string& user, const std::string& password)
    {
        Outcome outcome;
        outcome.token = "stale";
        try
        {
            outcome.hr = m_app->Authenticate(kApplication, directory, user, password, outcome.token, outcome.when);
        }
        catch (const CCorvessaException& e)
        {
            outcome.key = e.ErrorCode();
            outcome.message = e.ErrorMessage();
        }
        return outcome;
    }

    // A second directory (manual single sign-on unless told otherwise) with one account.
    void AddDirectoryAccount(int directory, const std::string& name, const std::string& accountId, int userId,
                             bool manualSso = true)
    {
        const std::string hash = CPasswordHash::Hash("pw-" + name, CPasswordHash::kMinIterations);
        Exec("INSERT OR IGNORE INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, "
             "DIR_USESSL) VALUES (" +
             std::to_string(directory) +
             ", 'Dir', 1, 'dc', 389, 0);"
             "INSERT OR REPLACE INTO BNT_DIRECTORY_SSO VALUES (" +
             std::to_string(directory) + ", " + (manualSso ? "1" : "0") +
             ");"
             "INSERT INTO BNT_DIRECTORY_ACCOUNT (BNT_DIRECTORYID, USERNAME, ACCOUNTID, PASSWORD_HASH) VALUES (" +
             std::to_string(directory) + ", '" + name + "', '" + accountId + "', '" + hash +
             "');"
             "INSERT INTO USER_ACCOUNT (USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES (" +
             std::to_string(userId) + ", " + std::to_string(directory) + ", '" + accountId + "');");
    }
};

TEST_F(CorvessaAuthentication, AccountsOfBothKindsAndTheirRefusals)
{
    Exec("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, LOGONPWD, ISENABLED, BNT_DBID) SELECT 5, "
         "'disabled', 'D', 'D', "
         "LOGONPWD, 0, 1 FROM USERS WHERE USERID = 1;"
         "INSERT INTO BNT_DIRECTORY (BNT_DIRECTORYID, DIR_NAME, DIR_TYPE, DIR_HOSTNAME, DIR_PORT, DIR_USESSL, "
         "DIR_ISTEMPLATE) VALUES (9, 'Template', 1, 'dc', 389, 0, 1);"
         "INSERT INTO BNT_DIRECTORY_SSO VALUES (9, 1);");
    // Directories 2 and 3 are the demo's LDAP directory and template.
    AddDirectoryAccount(13, "nosso", "S-1-5-21-9-9-9-3001", 1, false);
    AddDirectoryAccount(14, "unlinked", "S-1-5-21-9-9-9-4001", 1);
    Exec("DELETE FROM USER_ACCOUNT WHERE BNT_DIRECTORYID = 14");
    const struct
    {
        const char* name;
        int directory;
        const char* user;
        const char* password;
        const char* key;
        const char* message;
    } cases[] = {
        {"internal account", -1, "operator", "operator-demo", "", ""},
        {"internal name in another case", -1, "Operator", "operator-demo", "", ""},
        {"system administrator", -1, "sa", "sa-demo", "", ""},
        {"directory account", 1, "olive", "olive-demo", "", ""},
        {"directory name in another case", 1, "OLIVE", "olive-demo", "", ""},
        {"wrong password", -1, "operator", "wrong", "corvessa.authentication.failedtoauthenticate",
         "Authentication failed."},
        {"unknown user", -1, "nobody", "x", "corvessa.authentication.failedtoauthenticate", "Authentication failed."},
        {"disabled user", -1, "disabled", "operator-demo", "corvessa.authentication.failedtoauthenticate",
         "Authentication failed."},
        {"empty user name", -1, "", "x", "corvessa.authentication.failedtoauthenticate", kDecrypt},
        {"wrong directory password", 1, "olive", "operator-demo", "corvessa.authentication.failedtoauthenticate",
         kRetrieveSid},
        {"unknown directory account", 1, "nobody", "x", "corvessa.authentication.failedtoauthenticate", kRetrieveSid},
        {"internal name in a directory", 1, "operator", "operator-demo", "corvessa.authentication.failedtoauthenticate",
         kRetrieveSid},
        {"directory without manual sign-on", 13, "nosso", "pw-nosso", "corvessa.authentication.failedtoauthenticate",
         kRetrieveSid},
        {"account linked to nobody", 14, "unlinked", "pw-unlinked", "corvessa.authentication.failedtoauthenticate",
         kRetrieveSid},
        {"unknown directory", 7, "olive", "olive-demo", "corvessa.getdirectories.invaliddirectoryId",
         "Invalid directory Id"},
        {"directory template", 9, "olive", "olive-demo", "corvessa.getdirectories.invaliddirectoryId",
         "Invalid directory Id"},
        {"directory id 0", 0, "olive", "olive-demo", "corvessa.getdirectories.invaliddirectoryId",
         "Invalid directory Id"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Outcome outcome = Attempt(c.directory, c.user, c.password);
        EXPECT_EQ(outcome.key, c.key);
        EXPECT_EQ(outcome.message, c.message);
        if (*c.key == '\0')
        {
            EXPECT_EQ(outcome.hr, S_OK);
            EXPECT_EQ(outcome.token.size(), 36u);
            EXPECT_EQ(outcome.when.GetStatus(), COleDateTime::valid);
            EXPECT_EQ(Check(outcome.token), S_OK);
        }
        else
        {
            EXPECT_TRUE(outcome.token.empty());
            EXPECT_EQ(outcome.when.GetStatus(), COleDateTime::invalid);
        }
    }
    // operator, sa and the directory account's SID.
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 3u);
}

TEST_F(CorvessaAuthentication, InternalSidsAreUpperCasedAndShared)
{
    EXPECT_EQ(TestBusApp::GenerateSIDForInternalAccount("admin"), CString(L"INTERNAL_SID_FOR_ADMIN"));
    const std::string first = Login("operator", "operator-demo");
    const std::string second = Login("OPERATOR", "operator-demo");
    EXPECT_NE(first, second);
    EXPECT_EQ(UserPoolTestAccess::CachedCount(Cache()), 1u);
    EXPECT_NE(Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR"), nullptr);
}

TEST_F(CorvessaAuthentication, AnotherUsersSidNeverGivesThatUsersSession)
{
    Exec("INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, ISENABLED, BNT_DBID) VALUES (7, 'mallory', 'M', "
         "'M', 1, 1);");
    // A directory account whose id reads like the operator's internal SID.
    AddDirectoryAccount(5, "fake", "INTERNAL_SID_FOR_OPERATOR", 7);
    // The operator's Windows SID also in another directory, linked to another user.
    AddDirectoryAccount(6, "twin", "S-1-5-21-1004336348-1177238915-682003330-1001", 7);
    const std::string operatorToken = Login("operator", "operator-demo");
    const std::string oliveToken = Login("olive", "olive-demo", 1);
    EXPECT_EQ(Attempt(5, "fake", "pw-fake").message, kRetrieveSid);
    const Outcome twin = Attempt(6, "twin", "pw-twin");
    EXPECT_EQ(twin.key, "corvessa.authentication.failedtoauthenticate");
    EXPECT_TRUE(twin.token.empty());
    CWmipUserCacheEntry* entry = nullptr;
    ASSERT_EQ(m_app->Sessions().GetUserCacheEntryForToken(oliveToken, kApplication, &entry, true), S_OK);
    EXPECT_EQ(entry->GetUser()->GetUserID(), 1);
    m_app->Sessions().ReleaseUserCacheEntry(entry);
    EXPECT_EQ(Check(operatorToken), S_OK);
}

TEST_F(CorvessaAuthentication, EncryptedCredentialsAreDecryptedWithTheSessionKey)
{
    Exec("INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (241, 1);");
    EXPECT_TRUE(m_app->AreCredentialsEncrypted());
    std::string key;
    ASSERT_EQ(m_app->GetAuthenticationPublicKey(key), S_OK);
    std::string again;
    ASSERT_EQ(m_app->GetAuthenticationPublicKey(again), S_OK);
    EXPECT_EQ(key, again);
    // Plain text is not cipher text.
    const Outcome plain = Attempt(-1, "operator", "operator-demo");
    EXPECT_EQ(plain.hr, static_cast<HRESULT>(0x80090005u));
    EXPECT_TRUE(plain.token.empty());
    std::string user;
    std::string password;
    ASSERT_EQ(PublicPrivateKeyEncryptionUtility::Encrypt(key, "operator", user), S_OK);
    ASSERT_EQ(PublicPrivateKeyEncryptionUtility::Encrypt(key, "operator-demo", password), S_OK);
    const Outcome encrypted = Attempt(-1, user, password);
    EXPECT_EQ(encrypted.hr, S_OK);
    EXPECT_EQ(Check(encrypted.token), S_OK);
    std::string empty;
    ASSERT_EQ(PublicPrivateKeyEncryptionUtility::Encrypt(key, "", empty), S_OK);
    EXPECT_EQ(Attempt(-1, empty, password).message, kDecrypt);
}

TEST_F(CorvessaAuthentication, FailedKeyGenerationIsAnErrorAndIsTriedAgain)
{
    m_app->failKeyGeneration = true;
    std::string key = "unchanged";
    EXPECT_EQ(m_app->GetAuthenticationPublicKey(key), E_FAIL);
    EXPECT_EQ(key, "unchanged");
    const Outcome outcome = Attempt(-1, "operator", "operator-demo");
    EXPECT_EQ(outcome.key, "corvessa.authentication.failedtoauthenticate");
    EXPECT_NE(outcome.message.find("Failed to generate encryption keys."), std::string::npos);
    m_app->failKeyGeneration = false;
    EXPECT_EQ(m_app->GetAuthenticationPublicKey(key), S_OK);
    EXPECT_NE(key.find("PUBLIC KEY"), std::string::npos);
}

TEST_F(CorvessaAuthentication, UnreachableDatabaseStopsTheRequestFirst)
{
    std::filesystem::remove(Database());
    std::filesystem::create_directory(Database());  // cannot be opened as a database
    std::string token = "stale";
    COleDateTime when;
    EXPECT_THROW(m_app->Authenticate(kApplication, -1, "operator", "operator-demo", token, when), GenericException);
    EXPECT_TRUE(token.empty());
    EXPECT_THROW(m_app->AreCredentialsEncrypted(), GenericException);
}

}  // namespace
