// Every table and column that a declaration names exists in the installation's database schema.
#include <algorithm>
#include <map>
#include <memory>
#include <set>
#include <string>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include "tests/schema/SchemaWalk.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestSqlite.h"

using schema_test::Narrow;
using schema_test::OfKind;

namespace {

using SqlitePtr = support::SqliteDatabase;

std::string UpperName(std::string text)
{
    for (char& c : text)
    {
        if (c >= 'a' && c <= 'z')
        {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// Table name -> the column names that `sql` pairs with it (table, column), upper-cased (SQLite
// matches identifiers without regard to case).
std::map<std::string, std::set<std::string>> LoadTableColumns(sqlite3* db, const char* sql)
{
    std::map<std::string, std::set<std::string>> columns;
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK)
    {
        return columns;
    }
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> statement(raw, sqlite3_finalize);
    while (sqlite3_step(statement.get()) == SQLITE_ROW)
    {
        const auto* table = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0));
        const auto* column = reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 1));
        columns[UpperName(table)].insert(UpperName(column));
    }
    return columns;
}

std::map<std::string, std::set<std::string>> LoadColumns(sqlite3* db)
{
    return LoadTableColumns(db, "SELECT m.name, p.name FROM sqlite_master AS m JOIN pragma_table_info(m.name) AS p "
                                "WHERE m.type IN ('table', 'view')");
}

// Table name -> the columns of its primary key.
std::map<std::string, std::set<std::string>> LoadPrimaryKeys(sqlite3* db)
{
    return LoadTableColumns(db, "SELECT m.name, p.name FROM sqlite_master AS m JOIN pragma_table_info(m.name) AS p "
                                "WHERE m.type = 'table' AND p.pk > 0");
}

// The installation's schema, built in memory.
SqlitePtr SchemaDatabase()
{
    const std::string script = support::InstallationDatabase::SourceText("db/schema.sql");
    EXPECT_FALSE(script.empty()) << "db/schema.sql not found below PROVIXA_SOURCE_DIR";
    SqlitePtr db = support::OpenSqlite(":memory:");
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db.get(), script.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
    return db;
}

}  // namespace

TEST(SchemaColumns, NamesOnlyTablesAndColumnsOfTheInstallationDatabase)
{
    const SqlitePtr db = SchemaDatabase();
    ASSERT_NE(db, nullptr);
    const std::map<std::string, std::set<std::string>> columns = LoadColumns(db.get());
    ASSERT_FALSE(columns.empty());

    for (const SchemaDeclaration* d : OfKind(SchemaDeclarationKind::Property))
    {
        const std::string table = Narrow(d->table);
        if (table.empty())
        {
            continue;
        }
        const std::string location = table + "." + Narrow(d->column);
        const auto found = columns.find(UpperName(table));
        ASSERT_NE(found, columns.end()) << Narrow(d->className) << "." << Narrow(d->name) << ": " << location;
        EXPECT_TRUE(found->second.contains(UpperName(Narrow(d->column))))
            << Narrow(d->className) << "." << Narrow(d->name) << ": " << location;
    }
}

TEST(SchemaColumns, WritesTableAndColumnAsUpperCaseIdentifiersExceptTheWorldTimeZoneColumns)
{
    for (const SchemaDeclaration* d : OfKind(SchemaDeclarationKind::Property))
    {
        const std::string table = Narrow(d->table);
        const std::string column = Narrow(d->column);
        EXPECT_EQ(table, UpperName(table));
        if (table != "WORLDTZ")
        {
            EXPECT_EQ(column, UpperName(column)) << table << "." << column;
        }
    }
    EXPECT_EQ(std::wstring(schema_test::FindProperty(L"Bnt_WorldTimezone", L"DisplayName")->column), L"DisplayName");
}

// Where the classes of one table declare different keys, the table is keyed on the largest set,
// which holds every other: each class's key still names one row.
TEST(SchemaColumns, ATableWhoseClassesDeclareDifferentKeysIsKeyedOnTheLargestSet)
{
    std::map<std::string, std::map<std::string, std::set<std::string>>> declared;  // table -> class -> keys
    for (const SchemaDeclaration* d : OfKind(SchemaDeclarationKind::Property))
    {
        if (d->key != 0 && d->table != nullptr && *d->table != L'\0')
        {
            declared[UpperName(Narrow(d->table))][Narrow(d->className)].insert(UpperName(Narrow(d->column)));
        }
    }
    const SqlitePtr db = SchemaDatabase();
    ASSERT_NE(db, nullptr);
    const std::map<std::string, std::set<std::string>> primaryKeys = LoadPrimaryKeys(db.get());
    std::set<std::string> differing;
    for (const auto& [table, classes] : declared)
    {
        std::set<std::set<std::string>> sets;
        for (const auto& [className, keys] : classes)
        {
            sets.insert(keys);
        }
        if (sets.size() < 2)
        {
            continue;
        }
        differing.insert(table);
        const auto found = primaryKeys.find(table);
        ASSERT_NE(found, primaryKeys.end()) << table;
        for (const auto& [className, keys] : classes)
        {
            EXPECT_TRUE(std::includes(found->second.begin(), found->second.end(), keys.begin(), keys.end()))
                << table << " is not keyed on every key column of " << className;
        }
        EXPECT_TRUE(sets.contains(found->second)) << table << " is keyed on more than any class declares";
    }
    EXPECT_EQ(differing, (std::set<std::string>{"CCTVDEVICE", "MONDEVLINK", "VEXLET_DEVICE"}));
}
