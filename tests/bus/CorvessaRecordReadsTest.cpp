#include <gtest/gtest.h>

#include <string>

#include "bus/CCorvessaException.h"
#include "bus/CCorvessaQpidInstance.h"
#include "inhouse/BntUtility/CPasswordHash.h"
#include "platform/com/WbemConstants.h"
#include "tests/bus/BusTestInstallation.h"

namespace {

using qpid::types::Variant;

class CorvessaRecordReads : public BusTestInstallation
{
protected:
    int UseCount() { return Cache().FindUserEntry(L"INTERNAL_SID_FOR_OPERATOR")->GetUseCount(); }
};

// --- Multimedia objects --------------------------------------------------------------------

TEST_F(CorvessaRecordReads, TheMimeTypeOfEachStoredKind)
{
    const std::string token = Login("operator", "operator-demo");
    const struct
    {
        const char* name;
        const char* blob;  // SQL blob literal
        std::string bytes;
        const char* contentType;
    } cases[] = {
        {"png", "X'89504E470D0A1A0A0000'", std::string("\x89PNG\r\n\x1A\n\0\0", 10), "image/png"},
        {"jpeg", "X'FFD8FFE000104A464946'", std::string("\xFF\xD8\xFF\xE0\0\x10JFIF", 10), "image/jpeg"},
        {"gif87a", "X'474946383761'", "GIF87a", "image/gif"},
        {"gif89a", "X'474946383961'", "GIF89a", "image/gif"},
        {"tiff little-endian", "X'49492A00'", std::string("II*\0", 4), "image/tiff"},
        {"tiff big-endian", "X'4D4D002A'", std::string("MM\0*", 4), "image/tiff"},
        {"icon", "X'00000100'", std::string("\0\0\1\0", 4), "image/x-icon"},
        {"bitmap", "X'424D3600'", std::string("BM6\0", 4), "image/x-ms-bmp"},
        {"pdf", "X'255044462D'", "%PDF-", "application/octet-stream"},
        // An empty value is none, as the WMI door reads it: the object is not found.
        {"empty", "X''", "", nullptr},
        {"none", "NULL", "", nullptr},
    };
    for (const auto& test : cases)
    {
        Exec(std::string("DELETE FROM MMOBJS WHERE EMPID = 2; INSERT INTO MMOBJS (EMPID, OBJECT, TYPE, BNT_BLOB) "
                         "VALUES (2, 8, 2, ") +
             test.blob + ");");
        Variant contentType;
        Variant data;
        ASSERT_EQ(m_app->GetMultimediaObjectData(token, kApplication, 2, 8, 2, contentType, data), S_OK) << test.name;
        if (test.contentType == nullptr)
        {
            EXPECT_TRUE(contentType.isVoid() && data.isVoid()) << test.name;
            continue;
        }
        EXPECT_EQ(contentType.asString(), test.contentType) << test.name;
        EXPECT_EQ(data.asString(), test.bytes) << test.name;
    }
    EXPECT_EQ(UseCount(), 0);
}

TEST_F(CorvessaRecordReads, MissingObjectsAndRefusedValuesLeaveTheOutputsUntouched)
{
    const std::string token = Login("operator", "operator-demo");
    Variant contentType("kept");
    Variant data("kept");
    // No such object of the person.
    EXPECT_EQ(m_app->GetMultimediaObjectData(token, kApplication, 3, 1, 0, contentType, data), S_OK);
    // Values outside the properties' lists select what is stored under them: here nothing.
    EXPECT_EQ(m_app->GetMultimediaObjectData(token, kApplication, 1, 7, 0, contentType, data), S_OK);
    EXPECT_EQ(m_app->GetMultimediaObjectData(token, kApplication, 1, 1, 99, contentType, data), S_OK);
    EXPECT_EQ(contentType.asString(), "kept");
    EXPECT_EQ(data.asString(), "kept");
    EXPECT_EQ(UseCount(), 0);
    EXPECT_THROW(m_app->GetMultimediaObjectData("bad", kApplication, 1, 1, 0, contentType, data), CCorvessaException);
    // The demo's stored photo of person 1.
    ASSERT_EQ(m_app->GetMultimediaObjectData(token, kApplication, 1, 1, 0, contentType, data), S_OK);
    EXPECT_EQ(contentType.asString(), "image/png");
    EXPECT_EQ(data.asString().size(), 16u);
}

// --- Directories ---------------------------------------------------------------------------

TEST_F(CorvessaRecordReads, DirectoriesNeedNoTokenAndTakeAFilter)
{
    struct Case
    {
        const char* filter;
        HRESULT hr;
        std::vector<std::int32_t> ids;
    };
    const Case cases[] = {
        {"", S_OK, {1, 2}},  // the template (3) is not a directory
        {"   \t ", S_OK, {1, 2}},
        {"Type = 3", S_OK, {1}},
        {" Name = 'Corporate LDAP' ", S_OK, {2}},
        {"Type = 3 OR Port = 636", S_OK, {1, 2}},
        {"Type =", corvessa::kInvalidFilter, {}},
        {"Nope = 3", corvessa::kInvalidFilter, {}},
        {"Type = 3) OR (1 = 1", corvessa::kInvalidFilter, {}},
    };
    for (const Case& test : cases)
    {
        CCorvessaBaseApp::InstanceList directories;
        directories.push_back(std::make_unique<CCorvessaQpidInstance>());  // emptied first
        EXPECT_EQ(m_app->GetDirectories(test.filter, directories), test.hr) << test.filter;
        std::vector<std::int32_t> ids;
        for (const auto& directory : directories)
        {
            EXPECT_EQ(directory->GetClassNameW(), CString(L"Bnt_Directory"));
            ids.push_back(directory->GetInstanceValues().at("ID").asInt32());
        }
        EXPECT_EQ(ids, test.ids) << test.filter;
    }
}

TEST_F(CorvessaRecordReads, TheApplicationGoesCleanlyAfterTheMappersCachedTheirClasses)
{
    CCorvessaBaseApp::InstanceList directories;
    ASSERT_EQ(m_app->GetDirectories("", directories), S_OK);
    directories.clear();
    // The class cache lets go of the services object the mappers were given.
    m_app.reset();
    m_app = std::make_unique<TestBusApp>(m_clock);
    ASSERT_EQ(m_app->GetDirectories("Type = 3", directories), S_OK);
    EXPECT_EQ(directories.size(), 1u);
}

// --- The cardholder of a directory account -------------------------------------------------

TEST_F(CorvessaRecordReads, CardholderOfADirectoryAccount)
{
    // The LDAP directory signs on "cclara" (linked to cardholder 3), but its accounts are not
    // Windows accounts, so no cardholder is found by their SID.
    Exec("INSERT INTO BNT_DIRECTORY_SSO VALUES (2, 1);"
         "UPDATE BNT_DIRECTORY_ACCOUNT SET PASSWORD_HASH = '" +
         CPasswordHash::Hash("clara-pw", CPasswordHash::kMinIterations) +
         "' WHERE BNT_DIRECTORYID = 2 AND ACCOUNTID = 'cclara';"
         "INSERT INTO CARDHOLDER_ACCOUNT (CARDHOLDER_ACCOUNTID, EMPID, BNT_DIRECTORYID, ACCOUNTID) VALUES (7, 3, 2, "
         "'cclara');");
    const std::string token = Login("operator", "operator-demo");
    const std::string invalid =
        "corvessa.general.invalidcredentials | The sign-in was refused: the account and password given were not "
        "accepted, check server logs for details.";
    const struct
    {
        const char* name;
        int directory;
        const char* user;
        const char* password;
        const char* outcome;
        LONG cardholder;
    } cases[] = {
        {"linked cardholder", 1, "aadler", "ada-demo", "no error", 1},
        {"name in another case", 1, "AADLER", "ada-demo", "no error", 1},
        {"wrong password", 1, "aadler", "olive-demo", invalid.c_str(), -5},
        {"account of a system user", 1, "olive", "olive-demo", invalid.c_str(), -5},
        {"unknown account", 1, "nobody", "x", invalid.c_str(), -5},
        {"empty user name", 1, "", "x",
         "corvessa.general.exception | Failed to decrypt provided credentials, check server error logs for details.",
         -5},
        {"unknown directory", 7, "aadler", "ada-demo",
         "corvessa.getdirectories.invaliddirectoryId | Invalid directory Id", -5},
        {"internal accounts have no cardholder link", -1, "operator", "operator-demo",
         "corvessa.getdirectories.invaliddirectoryId | Invalid directory Id", -5},
        {"no cardholder by the SID", 2, "cclara", "clara-pw",
         "corvessa.general.notfound | Failed to find a cardholder linked to the provided directory account. Check "
         "server error logs for details.",
         0},
    };
    for (const auto& test : cases)
    {
        LONG cardholder = -5;
        HRESULT hr = E_FAIL;
        EXPECT_EQ(BusErrorOf([&] {
                      hr = m_app->GetCardholderFromDirectory(token, kApplication, test.directory, test.user,
                                                             test.password, &cardholder);
                  }),
                  test.outcome)
            << test.name;
        if (std::string(test.outcome) == "no error")
        {
            EXPECT_EQ(hr, S_OK) << test.name;
        }
        EXPECT_EQ(cardholder, test.cardholder) << test.name;
        // The token's entry goes back on every path.
        EXPECT_EQ(UseCount(), 0) << test.name;
    }
    LONG cardholder = 0;
    EXPECT_EQ(BusErrorOf([&] {
                  m_app->GetCardholderFromDirectory("bad", kApplication, 1, "aadler", "ada-demo", &cardholder);
              }),
              "corvessa.general.invalidsessiontoken | An add authentication request must be called prior to use of "
              "this session token.");
}

}  // namespace
