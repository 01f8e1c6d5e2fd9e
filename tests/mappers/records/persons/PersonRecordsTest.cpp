#include "tests/mappers/records/persons/PersonRecordsTest.h"
#include "tests/support/TestSqlite.h"

#include "platform/com/Variant.h"

#include <sqlite3.h>

#include <memory>
#include <mutex>

namespace records_test {
namespace {
// Cardholder and visitor segmentation are on, and the installation supports Onity locks (option
// 1007). Set before the first login: a login reads the options once, and the provider keeps its
// logins.
constexpr const char* kOptions = "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID IN (1003, 1004);"
                                 "INSERT OR REPLACE INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (1007, 1);";

support::SqliteDatabase Open()
{
    return support::OpenSqlite(e2e::DoorInstallation::DatabaseFile(), SQLITE_OPEN_READWRITE);
}
}  // namespace

void PersonRecordsTest::SetUpTestSuite()
{
    static std::once_flag once;
    std::call_once(once, [] {
        ExecSql(support::TestCallers::Sql({RecordsCallers::kRecordsAdmin, RecordsCallers::kHeadquartersClerk,
                                           RecordsCallers::kVisitorClerk, RecordsCallers::kViewer,
                                           RecordsCallers::kNobody, RecordsCallers::kHalfViewer}) +
                kOptions);
    });
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
