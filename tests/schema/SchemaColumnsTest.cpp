// Every table and column that a declaration names exists in the installation's database schema.
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

// Table name -> its column names, upper-cased (SQLite matches identifiers without regard to case).
std::map<std::string, std::set<std::string>> LoadColumns(sqlite3* db)
{
    std::map<std::string, std::set<std::string>> columns;
    sqlite3_stmt* raw = nullptr;
    const char* sql = "SELECT m.name, p.name FROM sqlite_master AS m JOIN pragma_table_info(m.name) AS p "
                      "WHERE m.type IN ('table', 'view')";
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

}  // namespace

TEST(SchemaColumns, NamesOnlyTablesAndColumnsOfTheInstallationDatabase)
{
    const std::string script = support::InstallationDatabase::SourceText("db/schema.sql");
    ASSERT_FALSE(script.empty()) << "db/schema.sql not found below PROVIXA_SOURCE_DIR";
    const SqlitePtr db = support::OpenSqlite(":memory:");
    ASSERT_NE(db, nullptr);
    char* error = nullptr;
    ASSERT_EQ(sqlite3_exec(db.get(), script.c_str(), nullptr, nullptr, &error), SQLITE_OK) << (error ? error : "");
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
