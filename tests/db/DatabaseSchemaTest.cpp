// Loads db/schema.sql and db/demo.sql into an in-memory SQLite database and checks that the
// installation's tables, keys and demo data are what the mappers and the login rely on.

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestSqlite.h"

namespace {

struct StatementFinalizer
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

using Database = support::SqliteDatabase;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

Database OpenMemoryDatabase()
{
    return support::OpenSqlite(":memory:");
}

// Runs a script; the result is the error text, empty on success.
std::string Execute(sqlite3* db, const std::string& sql)
{
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) == SQLITE_OK)
    {
        return {};
    }
    std::string message = error != nullptr ? error : "unknown error";
    sqlite3_free(error);
    return message;
}

Statement Prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* raw = nullptr;
    const int rc = sqlite3_prepare_v2(db, sql.c_str(), -1, &raw, nullptr);
    EXPECT_EQ(rc, SQLITE_OK) << sql << ": " << sqlite3_errmsg(db);
    return Statement(raw);
}

std::vector<std::vector<std::string>> Rows(sqlite3* db, const std::string& sql)
{
    std::vector<std::vector<std::string>> rows;
    Statement statement = Prepare(db, sql);
    if (!statement)
    {
        return rows;
    }
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
    {
        std::vector<std::string> row;
        for (int i = 0; i < sqlite3_column_count(statement.get()); ++i)
        {
            const unsigned char* text = sqlite3_column_text(statement.get(), i);
            row.emplace_back(text != nullptr ? reinterpret_cast<const char*>(text) : "<null>");
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

struct ColumnInfo
{
    std::string type;
    bool notNull = false;
    int primaryKeyPosition = 0;
    bool exists = false;
};

ColumnInfo Column(sqlite3* db, const std::string& table, const std::string& column)
{
    ColumnInfo info;
    for (const auto& row : Rows(db, "PRAGMA table_info(" + table + ")"))
    {
        // cid, name, type, notnull, dflt_value, pk
        if (row[1] == column)
        {
            info.exists = true;
            info.type = row[2];
            info.notNull = row[3] == "1";
            info.primaryKeyPosition = std::stoi(row[5]);
        }
    }
    return info;
}

class InstallationDatabase : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_db = OpenMemoryDatabase();
        ASSERT_TRUE(m_db);
        ASSERT_EQ(Execute(m_db.get(), support::InstallationDatabase::SourceText("db/schema.sql")), "");
        ASSERT_EQ(Execute(m_db.get(), support::InstallationDatabase::SourceText("db/demo.sql")), "");
    }

    Database m_db;
};

TEST(DatabaseScripts, SchemaLoadsTwiceOnlyIntoFreshDatabases)
{
    Database db = OpenMemoryDatabase();
    const std::string schema = support::InstallationDatabase::SourceText("db/schema.sql");
    ASSERT_FALSE(schema.empty());
    EXPECT_EQ(Execute(db.get(), schema), "");
    // A second run must fail rather than silently merge into an existing installation.
    EXPECT_NE(Execute(db.get(), schema), "");
}

TEST(DatabaseScripts, AProgramRunByHandFindsThemOrStopsNamingTheMissingOne)
{
    // As a developer runs one test program: from another folder, without ctest's environment.
    const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
    const std::string byHand =
        "cd / && env -u PROVIXA_SOURCE_DIR '" + self +
        "' --gtest_filter=DatabaseScripts.SchemaLoadsTwiceOnlyIntoFreshDatabases >/dev/null 2>&1";
    EXPECT_EQ(std::system(byHand.c_str()), 0);
    EXPECT_EXIT(
        {
            setenv("PROVIXA_SOURCE_DIR", "/nonexistent", 1);
            support::InstallationDatabase::SourceText("db/schema.sql");
        },
        ::testing::ExitedWithCode(support::InstallationDatabase::kMissingSourceExitCode),
        "db/schema.sql not found under /nonexistent");
}

TEST_F(InstallationDatabase, DemoDataSatisfiesEveryForeignKey)
{
    EXPECT_TRUE(Rows(m_db.get(), "PRAGMA foreign_key_check").empty());
    const auto integrity = Rows(m_db.get(), "PRAGMA integrity_check");
    ASSERT_EQ(integrity.size(), 1u);
    EXPECT_EQ(integrity[0][0], "ok");
}

struct ColumnSpot
{
    const char* table;
    const char* column;
    const char* type;
    bool notNull;
    bool key;
};

TEST_F(InstallationDatabase, MappedColumnsExistWithTheirTypesAndKeys)
{
    const ColumnSpot spots[] = {
        {"USERS", "USERID", "INTEGER", false, true},
        {"USERS", "LOGONID", "TEXT", false, false},
        {"USERS", "LOGONPWD", "TEXT", false, false},
        {"USERS", "FIRSTNAME", "TEXT", true, false},
        {"USERS", "ISENABLED", "INTEGER", true, false},
        {"USERS", "SYSTEM_USER_PERMID", "INTEGER", true, false},
        {"USERS", "USER_PERM_UDFID", "INTEGER", true, false},
        {"USERS", "CREATED", "TEXT", false, false},
        {"USERS", "BNT_DBID", "INTEGER", true, false},
        {"USER_PERM", "USER_PERMID", "INTEGER", false, true},
        {"USER_PERM", "TYPE", "INTEGER", false, false},
        {"USER_PERM_GRANT", "PERMISSIONID", "INTEGER", true, true},
        {"USER_PERM_REPORT", "NAME", "TEXT", true, false},
        {"USER_PERM_UDF", "USER_PERM_UDFID", "INTEGER", false, true},
        {"USER_PERM_DEVICE_GROUP_LINK", "DEVICEGROUPID", "INTEGER", true, true},
        {"USER_ACCOUNT", "USER_ACCOUNTID", "INTEGER", false, true},
        {"USER_ACCOUNT", "ACCOUNTID", "TEXT", true, false},
        {"USER_SEGMENT_LINK", "SEGMENTID", "INTEGER", true, true},
        {"SEGMENT", "SEGMENTID", "INTEGER", false, true},
        {"SEGMENT", "TYPE", "INTEGER", true, false},
        {"SEGMENT_GROUP_MEMBER", "SEGMENTID_MEMBER", "INTEGER", false, true},
        {"EMP_SEGMENT_LINK", "EMPID", "INTEGER", false, true},
        {"CONFIG_VALUE", "NUMBERVALUE", "INTEGER", false, false},
        {"NEXTID", "TYPE", "INTEGER", false, true},
        {"NEXTID", "NEXTVAL", "INTEGER", true, false},
        {"USER_TRANSACTION_LOG", "DESCRIPTION", "TEXT", true, false},
        {"USER_TRANSACTION_LOG", "OBJECT_TYPE", "INTEGER", true, false},
        {"REPL_TRANSACTION_LOG", "OLD_BADGEID", "INTEGER", false, false},
        {"BNT_DIRECTORY", "DIR_ISTEMPLATE", "INTEGER", true, false},
        {"BNT_DIRECTORY", "DIR_HOSTNAME", "TEXT", true, false},
        {"CARDHOLDER_ACCOUNT", "CARDHOLDER_ACCOUNTID", "INTEGER", false, true},
        {"EMP", "ID", "INTEGER", false, true},
        {"EMP", "VISITOR", "INTEGER", true, false},
        {"EMP", "SEGMENTID", "INTEGER", true, false},
        {"UDFEMP", "ID", "INTEGER", false, true},
        {"VISITOR_UDF", "ID", "INTEGER", false, true},
        {"BADGE", "BADGEKEY", "INTEGER", false, true},
        {"BADGE", "ID", "INTEGER", false, false},
        {"BADGE", "PIN", "BLOB", false, false},
        {"BADGE", "STATUS", "INTEGER", true, false},
        {"BADGELINK", "ACCLVLID", "INTEGER", false, true},
        {"BADGETYP", "DEFGROUP", "INTEGER", false, false},
        {"BADGE_FIPS201", "TWIC_PRIVACY_KEY", "BLOB", false, false},
        {"ACCESSLVL", "DESCRIPT", "TEXT", true, false},
        {"ACCGPLINK", "ACCESSGPID", "INTEGER", false, true},
        {"USERS_ACCESSLEVEL_LINK", "HAS_AAM_VIEWONLY_ACCESS", "INTEGER", true, false},
        {"ACCESSPANE", "PANELID", "INTEGER", false, true},
        {"ACCESSPANE", "PANELTYPE", "INTEGER", false, false},
        {"ACCESSPANE", "PANELTZ", "INTEGER", true, false},
        {"PANELTYPE", "PANELTYPEID", "INTEGER", false, true},
        {"READER", "READERID", "INTEGER", false, true},
        {"READER", "PANELID", "INTEGER", false, true},
        {"ALARM", "TXTID", "INTEGER", false, false},
        {"TEXTOBJ", "TXTID", "INTEGER", false, true},
        {"INTRUSION_DEVICE", "DEVTYPE", "INTEGER", false, false},
        {"PTZ_PRESET", "PAN", "REAL", false, false},
        {"MONDEVLINK", "ENTIREDEVICE", "INTEGER", true, false},
        {"MONZONE", "MZID", "INTEGER", false, true},
        {"EVENTS", "SERIALNUM", "INTEGER", false, true},
        {"EVENTS", "EVENT_TIME_UTC", "TEXT", false, false},
        {"WORLDTZ", "DisplayName", "TEXT", false, false},
        {"VISIT", "TIMEIN_UTC", "TEXT", false, false},
        {"VISIT_EVENT", "VISIT_EVENT_SIGN_IN_LOCATIONID", "INTEGER", false, false},
        {"MMOBJS", "BNT_BLOB", "BLOB", false, false},
        {"DDTBL", "NAME", "TEXT", true, false},
        {"UDFOBJS", "LFIELD", "INTEGER", true, false},
        {"BDGREQFLDLINK", "BADGETYPEID", "INTEGER", false, true},
        {"USER_PTZ_PRIORITY", "PRIORITY", "INTEGER", true, false},
        {"BUSINESS_EVENT_SUBSCRIPTION", "BUSINESS_EVENT_SUBSCRIPTIONID", "INTEGER", false, true},
        {"BUSINESS_EVENT_SUBSCRIPTION", "DISABLED_DATE", "TEXT", false, false},
    };
    for (const ColumnSpot& spot : spots)
    {
        SCOPED_TRACE(std::string(spot.table) + "." + spot.column);
        const ColumnInfo info = Column(m_db.get(), spot.table, spot.column);
        ASSERT_TRUE(info.exists);
        EXPECT_EQ(info.type, spot.type);
        EXPECT_EQ(info.notNull, spot.notNull);
        EXPECT_EQ(info.primaryKeyPosition > 0, spot.key);
    }
}

TEST_F(InstallationDatabase, UnknownColumnsAreAbsent)
{
    EXPECT_FALSE(Column(m_db.get(), "USERS", "PASSWORD").exists);
    EXPECT_FALSE(Column(m_db.get(), "NO_SUCH_TABLE", "ID").exists);
}

TEST_F(InstallationDatabase, DefaultsMatchTheDeclaredDefaultValues)
{
    // A user inserted without its permission groups gets 0, its primary segment -1.
    ASSERT_EQ(Execute(m_db.get(), "INSERT INTO USERS (USERID, FIRSTNAME, LASTNAME, ISENABLED, BNT_DBID) "
                                  "VALUES (50, 'F', 'L', 1, 1)"),
              "");
    const auto rows = Rows(m_db.get(), "SELECT SEGMENTID, SYSTEM_USER_PERMID, CARD_USER_PERMID, "
                                       "REPORT_USER_PERMID, USER_PERM_UDFID FROM USERS WHERE USERID = 50");
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"-1", "0", "0", "0", "0"}));

    ASSERT_EQ(Execute(m_db.get(), "INSERT INTO BADGE (BADGEKEY, ID, EMPID) VALUES (60, 5, 1)"), "");
    const auto badge = Rows(m_db.get(), "SELECT STATUS, PRINTS, DEFAULT_DOOR, PASSAGE_MODE, SEGMENTID "
                                        "FROM BADGE WHERE BADGEKEY = 60");
    ASSERT_EQ(badge.size(), 1u);
    EXPECT_EQ(badge[0], (std::vector<std::string>{"1", "0", "1", "0", "-1"}));
}

TEST_F(InstallationDatabase, RequiredColumnsRefuseNull)
{
    const char* refused[] = {
        "INSERT INTO USERS (USERID, LASTNAME, ISENABLED, BNT_DBID) VALUES (51, 'L', 1, 1)",
        "INSERT INTO USER_ACCOUNT (USER_ACCOUNTID, USERID, BNT_DIRECTORYID) VALUES (9, 1, 1)",
        "INSERT INTO NEXTID (TYPE, NEXTVAL) VALUES (999, NULL)",
        "INSERT INTO USER_TRANSACTION_LOG (TRANS_TIME, USERID, OPERATION, OBJECT_TYPE) VALUES ('2024-01-01 00:00:00', 1, 4, 48)",
        "INSERT INTO ACCESSLVL (ACCESSLVID, SEGMENTID) VALUES (77, 1)",
    };
    for (const char* sql : refused)
    {
        SCOPED_TRACE(sql);
        EXPECT_NE(Execute(m_db.get(), sql), "");
    }
}

TEST_F(InstallationDatabase, KeysRefuseDuplicates)
{
    EXPECT_NE(Execute(m_db.get(), "INSERT INTO USER_PERM_GRANT VALUES (1, 0x10000000)"), "");
    EXPECT_NE(Execute(m_db.get(), "INSERT INTO READER (PANELID, READERID) VALUES (1, 0)"), "");
    EXPECT_NE(Execute(m_db.get(), "INSERT INTO USERS (USERID, LOGONID, FIRSTNAME, LASTNAME, ISENABLED, BNT_DBID) "
                                  "VALUES (52, 'OPERATOR', 'F', 'L', 1, 1)"),
              "")
        << "logon ids are unique without regard to case";
    EXPECT_EQ(Execute(m_db.get(), "INSERT INTO READER (PANELID, READERID) VALUES (2, 5)"), "");
}

TEST_F(InstallationDatabase, DeletingAUserRemovesItsLinksWhenForeignKeysAreEnforced)
{
    ASSERT_EQ(Execute(m_db.get(), "PRAGMA foreign_keys = ON"), "");
    ASSERT_EQ(Execute(m_db.get(), "DELETE FROM USERS WHERE USERID = 1"), "");
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USER_ACCOUNT WHERE USERID = 1")[0][0], "0");
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USER_ACCOUNT")[0][0], "2") << "the other users' stay";
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USER_SEGMENT_LINK")[0][0], "0");
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USERS_ACCESSLEVEL_LINK WHERE USERID = 1")[0][0], "0");
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USERS_ACCESSLEVEL_LINK")[0][0], "1") << "the porter's stays";
    EXPECT_NE(Execute(m_db.get(), "INSERT INTO USER_SEGMENT_LINK VALUES (777, 1)"), "");
}

bool IsLowerHex(const std::string& text, size_t length)
{
    return text.size() == length && text.find_first_not_of("0123456789abcdef") == std::string::npos;
}

TEST_F(InstallationDatabase, DemoPasswordsAreSaltedPbkdf2Hashes)
{
    const auto rows = Rows(m_db.get(), "SELECT LOGONID, LOGONPWD FROM USERS ORDER BY USERID");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "sa");
    EXPECT_EQ(rows[1][0], "operator");
    EXPECT_EQ(rows[2][0], "porter");
    EXPECT_EQ(rows[3][0], "admin");
    std::set<std::string> salts;
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row[0]);
        std::vector<std::string> parts;
        std::stringstream stream(row[1]);
        for (std::string part; std::getline(stream, part, '$');)
        {
            parts.push_back(part);
        }
        ASSERT_EQ(parts.size(), 4u);
        EXPECT_EQ(parts[0], "pbkdf2-sha256");
        EXPECT_EQ(parts[1], "100000");
        EXPECT_TRUE(IsLowerHex(parts[2], 32)) << parts[2];
        EXPECT_TRUE(IsLowerHex(parts[3], 64)) << parts[3];
        salts.insert(parts[2]);
    }
    EXPECT_EQ(salts.size(), 4u) << "each user has its own salt";
}

TEST_F(InstallationDatabase, DemoInstallationIsConsistent)
{
    // The administrator is user -1 and sees all segments.
    EXPECT_EQ(Rows(m_db.get(), "SELECT USERID, SEGMENTID FROM USERS WHERE LOGONID = 'sa'"),
              (std::vector<std::vector<std::string>>{{"-1", "-1"}}));
    // The operator's Windows account resolves to the operator.
    EXPECT_EQ(Rows(m_db.get(), "SELECT U.LOGONID FROM USER_ACCOUNT A JOIN USERS U ON U.USERID = A.USERID "
                               "WHERE A.ACCOUNTID = 'S-1-5-21-1004336348-1177238915-682003330-1001'"),
              (std::vector<std::vector<std::string>>{{"operator"}}));
    // The operator holds both demo segments; the porter, with the operator's permission groups
    // and managed levels, Headquarters alone, and its Windows account resolves to it.
    EXPECT_EQ(Rows(m_db.get(),
                   "SELECT U.USERID, U.SEGMENTID, (SELECT GROUP_CONCAT(L.SEGMENTID) FROM USER_SEGMENT_LINK L "
                   "WHERE L.USERID = U.USERID) FROM USERS U WHERE U.USERID IN (1, 3) ORDER BY U.USERID"),
              (std::vector<std::vector<std::string>>{{"1", "1", "2"}, {"3", "1", "<null>"}}));
    EXPECT_EQ(Rows(m_db.get(),
                   "SELECT COUNT(*) FROM USERS O JOIN USERS P ON P.SYSTEM_USER_PERMID = O.SYSTEM_USER_PERMID "
                   "AND P.CARD_USER_PERMID = O.CARD_USER_PERMID AND P.MONITOR_USER_PERMID = "
                   "O.MONITOR_USER_PERMID WHERE O.LOGONID = 'operator' AND P.LOGONID = 'porter'")[0][0],
              "1");
    EXPECT_EQ(Rows(m_db.get(),
                   "SELECT ACCESSLVID, HAS_AAM_VIEWONLY_ACCESS FROM USERS_ACCESSLEVEL_LINK WHERE USERID = 3 "
                   "EXCEPT SELECT ACCESSLVID, HAS_AAM_VIEWONLY_ACCESS FROM USERS_ACCESSLEVEL_LINK WHERE USERID = 1"),
              (std::vector<std::vector<std::string>>{}));
    EXPECT_EQ(Rows(m_db.get(), "SELECT U.LOGONID FROM USER_ACCOUNT A JOIN USERS U ON U.USERID = A.USERID "
                               "WHERE A.ACCOUNTID = 'S-1-5-21-1004336348-1177238915-682003330-1008'"),
              (std::vector<std::vector<std::string>>{{"porter"}}));
    // Every permission group the operator points to exists with the matching type.
    EXPECT_EQ(Rows(m_db.get(), "SELECT P.TYPE FROM USERS U JOIN USER_PERM P ON P.USER_PERMID IN "
                               "(U.SYSTEM_USER_PERMID, U.CARD_USER_PERMID, U.MONITOR_USER_PERMID) "
                               "WHERE U.USERID = 1 ORDER BY P.TYPE"),
              (std::vector<std::vector<std::string>>{{"1"}, {"2"}, {"3"}}));
    // The operator's system group and the administrator's three groups grant the use of the
    // provider.
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USER_PERM_GRANT WHERE PERMISSIONID = 0x100000D0")[0][0], "4");
    // The administrator's Windows account resolves to a user each of whose three groups grants
    // every right the classes ask for, among them the highest system id.
    EXPECT_EQ(Rows(m_db.get(),
                   "SELECT COUNT(*) FROM USER_ACCOUNT A JOIN USERS U ON U.USERID = A.USERID "
                   "JOIN USER_PERM_GRANT G ON G.USER_PERMID IN (U.SYSTEM_USER_PERMID, U.CARD_USER_PERMID, "
                   "U.MONITOR_USER_PERMID) WHERE A.ACCOUNTID = 'S-1-5-21-1004336348-1177238915-682003330-1090' "
                   "AND G.PERMISSIONID IN (0x100000D0, 0x20000057, 0x10000FFF, 0x30000014)")[0][0],
              "12");
    // Stored configuration values read by number, then the system options (standalone server).
    EXPECT_EQ(Rows(m_db.get(), "SELECT CONFIGID, NUMBERVALUE FROM CONFIG_VALUE ORDER BY CONFIGID"),
              (std::vector<std::vector<std::string>>{{"33", "300"},
                                                     {"34", "60"},
                                                     {"37", "60"},
                                                     {"39", "300"},
                                                     {"1001", "1"},
                                                     {"1002", "0"},
                                                     {"1003", "1"},
                                                     {"1004", "1"},
                                                     {"1005", "1"},
                                                     {"1010", "2"},
                                                     {"1011", "<null>"},
                                                     {"1601", "1"},
                                                     {"1602", "1"},
                                                     {"1603", "0"},
                                                     {"1604", "2"},
                                                     {"1605", "4"},
                                                     {"1606", "1"},
                                                     {"1607", "0"}}));
    // Each counter is past the ids the demo already uses.
    const struct
    {
        int type;
        const char* maxSql;
    } counters[] = {
        {1, "SELECT MAX(ID) FROM BADGE"},
        {2, "SELECT MAX(ID) FROM EMP"},
        {15, "SELECT MAX(USERID) FROM USERS"},
        {25, "SELECT MAX(BADGEKEY) FROM BADGE"},
        {32768, "SELECT MAX(ACCESSLVID) FROM ACCESSLVL"},
        {32780, "SELECT MAX(ID) FROM BADGSTAT"},
        {32781, "SELECT MAX(ID) FROM BADGETYP"},
        {32803, "SELECT MAX(USER_ACCOUNTID) FROM USER_ACCOUNT"},
    };
    for (const auto& counter : counters)
    {
        SCOPED_TRACE(counter.type);
        const auto next = Rows(m_db.get(), "SELECT NEXTVAL FROM NEXTID WHERE TYPE = " + std::to_string(counter.type));
        ASSERT_EQ(next.size(), 1u);
        EXPECT_GT(std::stoll(next[0][0]), std::stoll(Rows(m_db.get(), counter.maxSql)[0][0]));
    }
    // Cardholders and visitors each have their user-defined-field row.
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM EMP E WHERE NOT EXISTS (SELECT 1 FROM UDFEMP U WHERE U.ID = E.ID) "
                               "AND NOT EXISTS (SELECT 1 FROM VISITOR_UDF V WHERE V.ID = E.ID)")[0][0],
              "0");
}

// The demo's restricted account holds only Headquarters: its primary segment, no secondary one,
// and every level it is linked to stands in segment 1.
TEST_F(InstallationDatabase, ThePorterHoldsOnlyHeadquartersRecordsAndLinks)
{
    EXPECT_EQ(Rows(m_db.get(), "SELECT SEGMENTID FROM USERS WHERE LOGONID = 'porter'"),
              (std::vector<std::vector<std::string>>{{"1"}}));
    EXPECT_EQ(Rows(m_db.get(), "SELECT COUNT(*) FROM USER_SEGMENT_LINK WHERE USERID = 3")[0][0], "0");
    EXPECT_EQ(Rows(m_db.get(), "SELECT L.ACCESSLVID, A.SEGMENTID FROM USERS_ACCESSLEVEL_LINK L JOIN ACCESSLVL A "
                               "ON A.ACCESSLVID = L.ACCESSLVID WHERE L.USERID = 3"),
              (std::vector<std::vector<std::string>>{{"1", "1"}}));
}

TEST_F(InstallationDatabase, IdGeneratorIncrementsInOneStatement)
{
    const auto next = Rows(m_db.get(), "UPDATE NEXTID SET NEXTVAL = NEXTVAL + 1 WHERE TYPE = 15 RETURNING NEXTVAL - 1");
    ASSERT_EQ(next.size(), 1u);
    EXPECT_EQ(next[0][0], "91");
    EXPECT_EQ(Rows(m_db.get(), "SELECT NEXTVAL FROM NEXTID WHERE TYPE = 15")[0][0], "92");
}

}  // namespace
