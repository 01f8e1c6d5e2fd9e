#include "tests/mappers/records/persons/PersonRecordsTest.h"

#include "platform/com/Variant.h"

#include <sqlite3.h>

#include <memory>
#include <mutex>

namespace records_test {
namespace {
// Groups 61 (all person rights), 62 (view visitors), 64 (view only), 65 (none), 66 (view visitors
// and the first of the two cardholder view rights) of the cardholder type;
// 63 of the system type lets them use the provider and view directories. Cardholder and visitor
// segmentation are on.
constexpr const char* kSetup = R"(
INSERT INTO USER_PERM (USER_PERMID, NAME, SEGMENTID, TYPE, DEVICES_ARE_EXCLUDED) VALUES
    (61, 'Records: persons', -1, 2, 0), (62, 'Records: visitors', -1, 2, 0),
    (63, 'Records: provider', -1, 1, 0), (64, 'Records: view only', -1, 2, 0),
    (65, 'Records: none', -1, 2, 0), (66, 'Records: half view', -1, 2, 0);
INSERT INTO USER_PERM_GRANT (USER_PERMID, PERMISSIONID) VALUES
    (61, 0x20000003), (61, 0x20000057), (61, 0x20000023), (61, 0x20000004), (61, 0x20000005),
    (61, 0x20000009), (61, 0x20000024), (61, 0x20000025), (61, 0x20000026), (61, 0x20000045),
    (61, 0x20000046), (61, 0x20000049), (61, 0x2000004A),
    (62, 0x20000023), (62, 0x20000049),
    (63, 0x100000D0), (63, 0x100000BB),
    (64, 0x20000003), (64, 0x20000057), (64, 0x20000023), (64, 0x20000049), (64, 0x20000045),
    (66, 0x20000003), (66, 0x20000023);
INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, SEGMENTID, MZID, LOGONPWD, ISENABLED,
                   SYSTEM_USER_PERMID, MONITOR_USER_PERMID, CARD_USER_PERMID, REPORT_USER_PERMID,
                   USER_PERM_UDFID, CREATED, LASTCHANGED, NOTES, IS_AUTO_CREATED_USER, BNT_DBID) VALUES
    (21, 'recordsadmin', 'Rita', 'Records', -1, 0, NULL, 1, 63, 0, 61, 0, 0, NULL, NULL, NULL, 0, 1),
    (22, 'hqclerk', 'Hugo', 'Quarters', 1, 0, NULL, 1, 63, 0, 61, 0, 0, NULL, NULL, NULL, 0, 1),
    (23, 'visitorclerk', 'Vic', 'Clerk', -1, 0, NULL, 1, 63, 0, 62, 0, 0, NULL, NULL, NULL, 0, 1),
    (24, 'recordsviewer', 'Val', 'Viewer', -1, 0, NULL, 1, 63, 0, 64, 0, 0, NULL, NULL, NULL, 0, 1),
    (25, 'recordsnobody', 'Nils', 'Nobody', 1, 0, NULL, 1, 63, 0, 65, 0, 0, NULL, NULL, NULL, 0, 1),
    (26, 'recordshalf', 'Hal', 'Half', -1, 0, NULL, 1, 63, 0, 66, 0, 0, NULL, NULL, NULL, 0, 1);
INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES
    (21, 21, 1, 'S-1-5-21-1004336348-1177238915-682003330-3001'),
    (22, 22, 1, 'S-1-5-21-1004336348-1177238915-682003330-3002'),
    (23, 23, 1, 'S-1-5-21-1004336348-1177238915-682003330-3003'),
    (24, 24, 1, 'S-1-5-21-1004336348-1177238915-682003330-3004'),
    (25, 25, 1, 'S-1-5-21-1004336348-1177238915-682003330-3005'),
    (26, 26, 1, 'S-1-5-21-1004336348-1177238915-682003330-3006');
UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004);
)";

struct SqliteCloser
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

std::unique_ptr<sqlite3, SqliteCloser> Open()
{
    sqlite3* raw = nullptr;
    sqlite3_open_v2(e2e::DoorInstallation::DatabaseFile().c_str(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, SqliteCloser> db(raw);
    sqlite3_busy_timeout(db.get(), 10000);
    return db;
}
}  // namespace

void PersonRecordsTest::SetUpTestSuite()
{
    static std::once_flag once;
    std::call_once(once, [] { ExecSql(kSetup); });
}

void PersonRecordsTest::ExecSql(const std::string& sql)
{
    const auto db = Open();
    char* message = nullptr;
    const int rc = sqlite3_exec(db.get(), sql.c_str(), nullptr, nullptr, &message);
    const std::string text = message != nullptr ? message : "";
    sqlite3_free(message);
    ASSERT_EQ(rc, SQLITE_OK) << text << "\n" << sql;
}

std::string PersonRecordsTest::Scalar(const std::string& sql)
{
    const e2e::Table rows = e2e::DoorInstallation::Rows(sql);
    return rows.empty() || rows.front().empty() ? std::string() : rows.front().front();
}

long PersonRecordsTest::KeyOf(const e2e::Reply& reply)
{
    const std::string text = Utf8(reply.text);
    const std::size_t digits = text.find_first_of("-0123456789", text.find('='));
    return !reply.hasText || digits == std::string::npos ? 0 : std::stol(text.substr(digits));
}

long PersonRecordsTest::NewPerson(const wchar_t* className, const wchar_t* lastName, long segment)
{
    CallAs(RecordsCallers::kRecordsAdmin);
    ComPtr<IWbemClassObject> person = NewInstance(className);
    if (person == nullptr)
        return 0;
    _variant_t name(lastName);
    _variant_t segmentValue(static_cast<LONG>(segment));
    person->Put(L"LASTNAME", 0, &name, 0);
    person->Put(L"PRIMARYSEGMENTID", 0, &segmentValue, 0);
    const e2e::Reply written = Put(e2e::Form::Sync, person.Get(), WBEM_FLAG_CREATE_ONLY);
    EXPECT_EQ(written.result, WBEM_S_NO_ERROR) << Description(written.statusObject.Get());
    return KeyOf(written);
}
}  // namespace records_test
