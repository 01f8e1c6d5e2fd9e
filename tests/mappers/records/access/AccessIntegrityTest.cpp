// Access records stay whole: a deleted level or person takes its requests with it, a request must name a
// person, level, panel and reader that exist, and a user modify changes what it carries while
// the properties the system owns stay fixed.
#include "tests/mappers/records/access/AccessRecordsTest.h"

#include "inhouse/BntUserDb/CBaseUser.h"

#include <string>
#include <vector>

using namespace e2e;

namespace {
class AccessIntegrity : public access_test::AccessRecordsTest
{
protected:
    void SetUp() override
    {
        AccessRecordsTest::SetUp();
        CallAs(Callers::kAdministrator);
    }
    static long Count(const std::string& table, const std::string& where)
    {
        return std::stol(Scalar("SELECT COUNT(*) FROM " + table + " WHERE " + where));
    }
};

struct RefusedReference
{
    const wchar_t* className;
    std::vector<std::pair<const wchar_t*, long>> values;
    const char* property;
};
}  // namespace

TEST_F(AccessIntegrity, DeletingALevelTakesItsRequests)
{
    const long level = NewLevel("Doomed level", 1);
    const std::string id = std::to_string(level);
    const long request = std::stol(Scalar("SELECT COALESCE(MAX(ID), 0) + 1 FROM ACCESS_REQUEST"));
    ExecSql("INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_USERID) VALUES (" +
            std::to_string(request) + ", 1, 3, " + id + ", 1);");
    ASSERT_EQ(Delete(Form::Sync, L"Bnt_AccessLevel.ID=" + std::to_wstring(level)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("ACCESS_REQUEST", "ACCESSLVID = " + id), 0);
    EXPECT_EQ(Count("ACCESS_REQUEST", "1=1"), Count("ACCESS_REQUEST", "ACCESSLVID IN (SELECT ACCESSLVID FROM "
                                                                      "ACCESSLVL) OR TYPE = 0"));
}

TEST_F(AccessIntegrity, DeletingAPersonTakesItsRequests)
{
    const long person = std::stol(Scalar("SELECT MAX(ID) + 1 FROM EMP"));
    const long request = std::stol(Scalar("SELECT COALESCE(MAX(ID), 0) + 1 FROM ACCESS_REQUEST"));
    ExecSql("INSERT INTO EMP (ID, LASTNAME, FIRSTNAME, SEGMENTID, VISITOR) VALUES (" + std::to_string(person) +
            ", 'Leaver', 'Lee', 1, 0);"
            "INSERT INTO ACCESS_REQUEST (ID, TYPE, EMPID, ACCESSLVID, SUBMITTED_USERID) VALUES (" +
            std::to_string(request) + ", 1, " + std::to_string(person) + ", 1, 1);");
    ASSERT_EQ(Delete(Form::Sync, L"Bnt_Cardholder.ID=" + std::to_wstring(person)).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Count("ACCESS_REQUEST", "EMPID = " + std::to_string(person)), 0);
}

TEST_F(AccessIntegrity, ARequestMustNameRowsThatExist)
{
    const RefusedReference refused[] = {
        {L"Bnt_AccessLevelRequest", {{L"PersonID", 2147483647}, {L"AccessLevelID", 1}}, "PersonID"},
        {L"Bnt_AccessLevelRequest", {{L"PersonID", 3}, {L"AccessLevelID", -5}}, "AccessLevelID"},
        {L"Bnt_ReaderRequest", {{L"PersonID", 999}, {L"PanelID", 1}, {L"ReaderID", 0}}, "PersonID"},
        {L"Bnt_ReaderRequest", {{L"PersonID", 3}, {L"PanelID", 77}, {L"ReaderID", 0}}, "PanelID"},
        {L"Bnt_ReaderRequest", {{L"PersonID", 3}, {L"PanelID", 1}, {L"ReaderID", 9}}, "ReaderID"},
    };
    const long before = Count("ACCESS_REQUEST", "1=1");
    for (const RefusedReference& entry : refused)
    {
        SCOPED_TRACE(Utf8(entry.className) + " " + entry.property);
        std::vector<std::pair<const wchar_t*, _variant_t>> values;
        for (const auto& [name, value] : entry.values)
            values.emplace_back(name, _variant_t(static_cast<LONG>(value)));
        const Reply reply = Put(Form::Sync, NewInstance(entry.className, values).Get(), WBEM_FLAG_CREATE_ONLY);
        EXPECT_EQ(reply.result, WBEM_E_INVALID_PARAMETER) << Description(reply.statusObject.Get());
        EXPECT_TRUE(
            EndsWith(Description(reply.statusObject.Get()),
                     std::string("The property ") + entry.property + " did not exist or contained an invalid value."))
            << Description(reply.statusObject.Get());
    }
    EXPECT_EQ(Count("ACCESS_REQUEST", "1=1"), before);
    const Reply written = Put(Form::Sync,
                              NewInstance(L"Bnt_ReaderRequest", {{L"PersonID", _variant_t(static_cast<LONG>(3))},
                                                                 {L"PanelID", _variant_t(static_cast<LONG>(1))},
                                                                 {L"ReaderID", _variant_t(static_cast<LONG>(1))}})
                                  .Get(),
                              WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    EXPECT_EQ(Count("ACCESS_REQUEST", "1=1"), before + 1);
}

TEST_F(AccessIntegrity, AUserModifyChangesWhatItCarriesAndKeepsWhatTheSystemOwns)
{
    const std::string storedRow =
        "SELECT LOGONID, FIRSTNAME, LASTNAME, SYSTEM_USER_PERMID, CARD_USER_PERMID, CREATED FROM USERS WHERE USERID = 1";
    const Table before = DoorInstallation::Rows(storedRow);
    const Reply changed = Put(
        Form::Sync,
        NewInstance(L"Bnt_User", {{L"ID", _variant_t(static_cast<LONG>(1))}, {L"Notes", _variant_t(L"Night shift")}})
            .Get(),
        WBEM_FLAG_UPDATE_ONLY);
    ASSERT_EQ(changed.result, WBEM_S_NO_ERROR) << Description(changed.statusObject.Get());
    EXPECT_EQ(Scalar("SELECT NOTES FROM USERS WHERE USERID = 1"), "Night shift");
    EXPECT_EQ(DoorInstallation::Rows(storedRow), before);

    const Reply fixed = Put(Form::Sync,
                            NewInstance(L"Bnt_User", {{L"ID", _variant_t(static_cast<LONG>(1))},
                                                      {L"Created", _variant_t(L"20200101000000.000000+000")}})
                                .Get(),
                            WBEM_FLAG_UPDATE_ONLY);
    EXPECT_EQ(fixed.result, WBEM_E_FAILED);
    EXPECT_TRUE(EndsWith(Description(fixed.statusObject.Get()),
                         "The property Created is not editable, but a value was specified that was different from the "
                         "current value."))
        << Description(fixed.statusObject.Get());
    EXPECT_EQ(DoorInstallation::Rows(storedRow), before);
}

TEST(FieldAuthority, TheAllFieldsGroupGrantsEveryFieldGroup)
{
    const struct
    {
        LONG callerGroup;
        LONG group;
        bool granted;
    } cases[] = {
        {-1, 0, true}, {-1, 5, true}, {-1, -1, true}, {0, 5, true}, {5, 5, true}, {5, 6, false}, {5, -1, false},
    };
    for (const auto& entry : cases)
        EXPECT_EQ(CBaseUser::HasUDFAuthority(nullptr, entry.callerGroup, entry.group), entry.granted)
            << entry.callerGroup << " grants " << entry.group;
}
