#include "tests/e2e/DoorInstallation.h"

#include "provider/CWmipApp.h"
#include "tests/support/AppInstallation.h"
#include "tests/support/TestSqlite.h"
#include "tools/provixa/ProvixaInstallation.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <memory>

#include <sys/stat.h>

namespace e2e {
namespace {
struct StatementCloser
{
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};

// The installation is made by the host's own `provixa init` code rather than from the scripts.
class DoorEnvironment : public support::AppInstallation
{
public:
    DoorEnvironment()
        : AppInstallation(support::TestCallers::Sql(
              {Callers::kAdministrator, Callers::kViewer, Callers::kClerk, Callers::kGuest, Callers::kInstaller}))
    {
    }

protected:
    void CreateDatabase(const std::filesystem::path& expected) override
    {
        std::string report;
        ASSERT_TRUE(ProvixaInstallation::Create(&report)) << report;
        std::filesystem::path database;
        std::string error;
        ASSERT_TRUE(ProvixaInstallation::DatabaseFile(&database, &error)) << error;
        ASSERT_EQ(database, expected);
    }
};

const DoorEnvironment* const kEnvironment =
    static_cast<const DoorEnvironment*>(::testing::AddGlobalTestEnvironment(new DoorEnvironment));
}  // namespace

std::filesystem::path DoorInstallation::Home()
{
    return kEnvironment->Home();
}

std::filesystem::path DoorInstallation::DatabaseFile()
{
    return kEnvironment->Database();
}

namespace {
// The doors write on threads of their own while a test reads: the connection waits as theirs do.
// Each thread keeps its connection while the database file stays the same file: a new one reads
// the whole schema again, which cost the sweeps that ask many small questions more than the
// questions. Each statement outside a transaction reads what was last committed.
sqlite3* OpenForReading()
{
    struct Kept
    {
        support::SqliteDatabase db;
        std::filesystem::path file;
        ino_t inode = 0;
        dev_t device = 0;
    };
    thread_local Kept kept;
    const std::filesystem::path file = DoorInstallation::DatabaseFile();
    struct stat status = {};
    if (::stat(file.c_str(), &status) != 0 || !kept.db || kept.file != file || kept.inode != status.st_ino ||
        kept.device != status.st_dev)
    {
        kept.db = support::OpenSqlite(file, SQLITE_OPEN_READONLY);
        kept.file = file;
        kept.inode = status.st_ino;
        kept.device = status.st_dev;
    }
    return kept.db.get();
}

Table RowsOn(sqlite3* db, const std::string& sql, const std::vector<std::string>& parameters = {})
{
    Table rows;
    if (db == nullptr)
        return rows;
    sqlite3_stmt* prepared = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &prepared, nullptr) != SQLITE_OK)
    {
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
        return rows;
    }
    const std::unique_ptr<sqlite3_stmt, StatementCloser> statement(prepared);
    for (std::size_t i = 0; i < parameters.size(); ++i)
        sqlite3_bind_text(statement.get(), static_cast<int>(i + 1), parameters[i].data(),
                          static_cast<int>(parameters[i].size()), SQLITE_TRANSIENT);
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(statement.get())) == SQLITE_ROW)
    {
        Row row;
        for (int i = 0; i < sqlite3_column_count(statement.get()); ++i)
        {
            const unsigned char* value = sqlite3_column_text(statement.get(), i);
            row.emplace_back(value != nullptr ? reinterpret_cast<const char*>(value) : "<null>");
        }
        rows.push_back(std::move(row));
    }
    if (step != SQLITE_DONE)
        ADD_FAILURE() << sql << ": " << sqlite3_errmsg(db);
    return rows;
}

Table SnapshotOn(sqlite3* db, const std::string& table)
{
    // Every column of every row, ordered by all of them, so that equal tables compare equal.
    const Table columns = RowsOn(db, "SELECT name FROM pragma_table_info(?)", {table});
    std::string order;
    for (std::size_t i = 1; i <= columns.size(); ++i)
        order += (i == 1 ? "" : ", ") + std::to_string(i);
    return RowsOn(db, "SELECT * FROM " + table + (order.empty() ? "" : " ORDER BY " + order));
}
}  // namespace

Table DoorInstallation::Rows(const std::string& sql, const std::vector<std::string>& parameters)
{
    return RowsOn(OpenForReading(), sql, parameters);
}

Table DoorInstallation::Snapshot(const std::string& table)
{
    return SnapshotOn(OpenForReading(), table);
}

std::vector<Table> DoorInstallation::WholeDatabase()
{
    // One connection reads the schema once for every table, and one read transaction makes the
    // tables one moment's picture.
    sqlite3* db = OpenForReading();
    std::vector<Table> tables;
    RowsOn(db, "BEGIN");
    for (const Row& table : RowsOn(db, "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"))
        tables.push_back(SnapshotOn(db, table.front()));
    RowsOn(db, "COMMIT");
    return tables;
}

Table DoorInstallation::Digest(const std::set<std::string>& leftOut)
{
    sqlite3* db = OpenForReading();
    // Per table: SELECT 'T', group_concat(r, char(10)) FROM (SELECT quote("A") || ',' || ... AS r
    // FROM "T" ORDER BY r); all of them in one statement.
    std::string sql;
    std::string table;
    std::string row;
    const auto close = [&] {
        if (table.empty())
            return;
        sql += (sql.empty() ? "" : " UNION ALL ") + ("SELECT '" + table + "', group_concat(r, char(10)) FROM (SELECT " +
                                                     row + " AS r FROM \"" + table + "\" ORDER BY r)");
    };
    for (const Row& column : RowsOn(db, "SELECT m.name, c.name FROM sqlite_master m, pragma_table_info(m.name) c "
                                        "WHERE m.type = 'table' ORDER BY m.name, c.cid"))
    {
        if (leftOut.contains(column[0]))
            continue;
        if (column[0] != table)
        {
            close();
            table = column[0];
            row.clear();
        }
        row += (row.empty() ? "quote(\"" : " || ',' || quote(\"") + column[1] + "\")";
    }
    close();
    return sql.empty() ? Table() : RowsOn(db, sql);
}
}  // namespace e2e
