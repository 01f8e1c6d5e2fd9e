#include "bench/BenchInstallation.h"

#include <sqlite3.h>
#include <stdlib.h>

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "bench/SqliteStatement.h"
#include "platform/mfc/ModuleState.h"
#include "provider/CWmipApp.h"

namespace {

constexpr const wchar_t* kAdministratorSid = L"S-1-5-21-1004336348-1177238915-682003330-1500";
// The demo's account of the segment-restricted operator.
constexpr const wchar_t* kOperatorSid = L"S-1-5-21-1004336348-1177238915-682003330-1001";
// The demo's account of the porter (segment 1 only).
constexpr const wchar_t* kPorterSid = L"S-1-5-21-1004336348-1177238915-682003330-1008";

// Links the benchmark's caller to the system administrator through the demo's local directory.
constexpr const char* kAdministratorAccount =
    "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID, ACCOUNTID) VALUES "
    "(1500, -1, 1, 'S-1-5-21-1004336348-1177238915-682003330-1500');";

std::string ReadText(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    if (!stream)
        throw std::runtime_error("cannot read " + file.string());
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void Execute(sqlite3* database, const std::string& sql, const std::string& what)
{
    char* error = nullptr;
    if (sqlite3_exec(database, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK)
    {
        const std::string message = error != nullptr ? error : sqlite3_errmsg(database);
        sqlite3_free(error);
        throw std::runtime_error(what + ": " + message);
    }
}

// Cardholder segmentation on, so that a restricted operator's reads carry the segment filter.
constexpr const char* kCardholderSegmentation = "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;";

// The generated badges, their extensions and links: those of the generated persons.
constexpr const char* kRemoveGeneratedBadges =
    "DELETE FROM BADGELINK WHERE BADGEKEY >= 1001; DELETE FROM BADGE_FIPS201 WHERE BADGEKEY >= 1001; "
    "DELETE FROM BADGE WHERE BADGEKEY >= 1001;";
static_assert(BenchInstallation::kFirstGeneratedPerson == 1001, "the generated badges are those of the persons");

// Steps an insert once and resets it. Throws std::runtime_error naming what was inserted.
void StepInsert(sqlite3* database, sqlite3_stmt* insert, const char* what)
{
    if (sqlite3_step(insert) != SQLITE_DONE)
        throw std::runtime_error(std::string("cannot insert ") + what + ": " + sqlite3_errmsg(database));
    sqlite3_reset(insert);
}

}  // namespace

void BenchInstallation::DatabaseCloser::operator()(sqlite3* database) const
{
    sqlite3_close(database);
}

BenchInstallation::BenchInstallation()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "provixa-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot create a temporary PROVIXA_HOME below " +
                                 std::filesystem::temp_directory_path().string());
    m_home = pattern;
    m_databaseFile = m_home / "provixa.db";
    if (setenv("PROVIXA_HOME", m_home.c_str(), 1) != 0)
        throw std::runtime_error("cannot set PROVIXA_HOME");

    sqlite3* database = nullptr;
    const int opened =
        sqlite3_open_v2(m_databaseFile.c_str(), &database, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    m_database.reset(database);
    if (opened != SQLITE_OK)
        throw std::runtime_error("cannot create " + m_databaseFile.string());
    const std::filesystem::path source(PROVIXA_BENCH_SOURCE_DIR);
    Execute(database, ReadText(source / "db" / "schema.sql"), "db/schema.sql");
    Execute(database, ReadText(source / "db" / "demo.sql"), "db/demo.sql");
    Execute(database, kAdministratorAccount, "linking the benchmark's caller");
    Execute(database, kCardholderSegmentation, "turning cardholder segmentation on");

    m_applicationSwitch = std::make_unique<CModuleStateSwitch>(&theApp);
    theApp.InitInstance();
}

BenchInstallation::~BenchInstallation()
{
    theApp.ExitInstance();
    m_applicationSwitch.reset();
    m_database.reset();
    std::error_code ignored;
    std::filesystem::remove_all(m_home, ignored);
}

const wchar_t* BenchInstallation::OperatorSid()
{
    return kOperatorSid;
}

const wchar_t* BenchInstallation::PorterSid()
{
    return kPorterSid;
}

const wchar_t* BenchInstallation::AdministratorSid()
{
    return kAdministratorSid;
}

void BenchInstallation::FillEventTypes(int rowCount)
{
    if (rowCount < 1)
        throw std::runtime_error("the benched table needs at least one row");
    if (rowCount == m_eventTypeRows)
        return;
    sqlite3* database = m_database.get();
    Execute(database, "BEGIN", "starting the fill");
    try
    {
        Execute(database, "DELETE FROM EVENTYPE", "emptying EVENTYPE");
        SqliteStatement insert(database, "INSERT INTO EVENTYPE (EVTYPEID, EVTDESCR) VALUES (?, ?)");
        for (int id = 1; id <= rowCount; ++id)
        {
            const std::string description = "Generated event type " + std::to_string(id);
            sqlite3_bind_int(insert.Get(), 1, id);
            sqlite3_bind_text(insert.Get(), 2, description.c_str(), static_cast<int>(description.size()),
                              SQLITE_TRANSIENT);
            StepInsert(database, insert.Get(), "an event type");
        }
        Execute(database, "COMMIT", "committing the fill");
    }
    catch (const std::runtime_error&)
    {
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_eventTypeRows = rowCount;
}

void BenchInstallation::FillPersons(int personCount)
{
    if (personCount < 1)
        throw std::runtime_error("the person fill needs at least one person");
    if (personCount == m_personRows)
        return;
    sqlite3* database = m_database.get();
    Execute(database, "BEGIN", "starting the person fill");
    try
    {
        const std::string first = std::to_string(kFirstGeneratedPerson);
        Execute(database, kRemoveGeneratedBadges, "removing the generated badges");
        Execute(database, "DELETE FROM UDFEMP WHERE ID >= " + first + "; DELETE FROM EMP WHERE ID >= " + first,
                "emptying the generated persons");
        SqliteStatement person(database,
                               "INSERT INTO EMP (ID, LASTNAME, FIRSTNAME, MIDNAME, SSNO, ALLOWEDVISITORS, LASTCHANGED, "
                               "SEGMENTID, VISITOR, GUARD) VALUES (?, ?, ?, '', ?, ?, '2024-02-01 08:00:00', ?, ?, 0)");
        SqliteStatement udf(database, "INSERT INTO UDFEMP (ID) VALUES (?)");
        for (int n = 0; n < personCount; ++n)
        {
            const int id = kFirstGeneratedPerson + n;
            const std::string last = "Person" + std::to_string(id);
            const std::string firstName = "Given" + std::to_string(n % 1000);
            const std::string ssno = "G-" + std::to_string(id);
            sqlite3_bind_int(person.Get(), 1, id);
            sqlite3_bind_text(person.Get(), 2, last.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(person.Get(), 3, firstName.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(person.Get(), 4, ssno.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int(person.Get(), 5, n % 2);
            sqlite3_bind_int(person.Get(), 6, n % kPersonSegments + 1);
            const bool visitor = n % kVisitorEvery == 0;
            sqlite3_bind_int(person.Get(), 7, visitor ? 1 : 0);
            StepInsert(database, person.Get(), "a person");
            if (visitor)
                continue;
            sqlite3_bind_int(udf.Get(), 1, id);
            StepInsert(database, udf.Get(), "a person's fields");
        }
        Execute(database, "COMMIT", "committing the person fill");
    }
    catch (const std::runtime_error&)
    {
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_personRows = personCount;
    m_badgeRows = 0;
}

void BenchInstallation::FillBadges(int personCount)
{
    FillPersons(personCount);
    if (personCount == m_badgeRows)
        return;
    sqlite3* database = m_database.get();
    Execute(database, "BEGIN", "starting the badge fill");
    try
    {
        Execute(database, kRemoveGeneratedBadges, "removing the generated badges");
        SqliteStatement badge(database, "INSERT INTO BADGE (BADGEKEY, ID, ISSUECODE, TYPE, STATUS, EMPID, ACTIVATE, "
                                        "DEACTIVATE, LASTCHANGED) VALUES (?, ?, 0, 1, 1, ?, '2024-02-01 00:00:00', "
                                        "'2030-12-31 23:59:59', '2024-02-01 08:00:00')");
        SqliteStatement extension(database, "INSERT INTO BADGE_FIPS201 (BADGEKEY, FASCN, TPK_ALGORITHM_ID, "
                                            "CREDENTIAL_TYPE) VALUES (?, X'0AFF', 0, 1)");
        SqliteStatement link(database, "INSERT INTO BADGELINK (ACCLVLID, BADGEKEY) VALUES (?, ?)");
        for (int n = 0; n < personCount; ++n)
        {
            const int id = kFirstGeneratedPerson + n;
            sqlite3_bind_int(badge.Get(), 1, id);
            sqlite3_bind_int(badge.Get(), 2, 5000000 + id);
            sqlite3_bind_int(badge.Get(), 3, id);
            StepInsert(database, badge.Get(), "a badge");
            sqlite3_bind_int(extension.Get(), 1, id);
            StepInsert(database, extension.Get(), "a badge's extension");
            sqlite3_bind_int(link.Get(), 1, kGeneratedBadgeLevel);
            sqlite3_bind_int(link.Get(), 2, id);
            StepInsert(database, link.Get(), "a badge's level link");
        }
        Execute(database, "COMMIT", "committing the badge fill");
    }
    catch (const std::runtime_error&)
    {
        sqlite3_exec(database, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    m_badgeRows = personCount;
}
