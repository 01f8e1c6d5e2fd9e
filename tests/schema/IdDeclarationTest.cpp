// Every id a class holds declares the record it names or that it names none: the registry
// refuses a class with an id that declares neither, and the served schema has none, foreign
// keys of the installation database included.
#include <map>
#include <set>
#include <string>

#include <sqlite3.h>

#include <gtest/gtest.h>

#include "framework/CWmipMapperRegistry.h"
#include "schema/DeclareSchema.h"
#include "tests/schema/SchemaWalk.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestSqlite.h"

using schema_test::Narrow;

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    return text;
}

// "TABLE.COLUMN" of every column of the installation database that is a foreign key -> the
// "TABLE.COLUMN" it references.
std::map<std::string, std::string> ForeignKeyColumns()
{
    std::map<std::string, std::string> columns;
    const std::string script = support::InstallationDatabase::SourceText("db/schema.sql");
    const support::SqliteDatabase owned = script.empty() ? nullptr : support::OpenSqlite(":memory:");
    if (owned == nullptr)
        return columns;
    sqlite3* db = owned.get();
    if (sqlite3_exec(db, script.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK)
    {
        sqlite3_stmt* statement = nullptr;
        const char* sql = "SELECT m.name, f.\"from\", f.\"table\", f.\"to\" FROM sqlite_master AS m "
                          "JOIN pragma_foreign_key_list(m.name) AS f WHERE m.type = 'table'";
        if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) == SQLITE_OK)
        {
            const auto text = [&](int column) {
                return Upper(reinterpret_cast<const char*>(sqlite3_column_text(statement, column)));
            };
            while (sqlite3_step(statement) == SQLITE_ROW)
                columns[text(0) + "." + text(1)] = text(2) + "." + text(3);
            sqlite3_finalize(statement);
        }
    }
    return columns;
}

bool Declares(const CWMITypeInfo& type, const CString& property)
{
    for (const CWMITypeInfo::NamedRecord& named : type.GetNamedRecords())
        for (const CString& name : named.names)
            if (named.method.IsEmpty() && name.CompareNoCase(property) == 0)
                return true;
    for (const CWMITypeInfo::NoRecord& none : type.GetNoRecords())
        if (none.method.IsEmpty() && none.name.CompareNoCase(property) == 0)
            return !none.reason.IsEmpty();
    return false;
}

}  // namespace

// A class whose id-shaped property or input parameter declares nothing is refused at load and
// served by no one; beside it a class that declares each id, one way or the other, stays.
TEST(IdDeclarations, TheRegistryRefusesAClassWithAnIdThatDeclaresNothing)
{
    DeclareSchema();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const wchar_t* name : {L"Test_UndeclaredOwner", L"Test_UndeclaredParameter", L"Test_DeclaredIds"})
    {
        registry->RegisterClass(name, CString());
        registry->RegisterProperty(name, L"ID", CIM_SINT32, L"T", L"ID", 1, 0);
        registry->RegisterProperty(name, L"Name", CIM_STRING, L"T", L"NAME", 0, 64);
        registry->RegisterProperty(name, L"OwnerKey", CIM_STRING, L"T", L"OWNERNAME", 0, 64);
    }
    registry->RegisterProperty(L"Test_UndeclaredOwner", L"OwnerID", CIM_SINT32, L"T", L"OWNERID", 0, 0);
    registry->RegisterMethodParameter(L"Test_UndeclaredParameter", L"Move", true, L"BadgeID", CIM_SINT64);
    registry->RegisterProperty(L"Test_DeclaredIds", L"OwnerID", CIM_SINT32, L"T", L"OWNERID", 0, 0);
    registry->RegisterProperty(L"Test_DeclaredIds", L"SlotId", CIM_UINT8 | CIM_FLAG_ARRAY, L"T", L"SLOT", 0, 0);
    registry->RegisterMethodParameter(L"Test_DeclaredIds", L"Move", true, L"BadgeID", CIM_SINT64);
    registry->RegisterNamedRecord(L"Test_DeclaredIds",
                                  {CString(), {L"OwnerID"}, L"Bnt_Person", {L"ID"}, NamedRecordRoad::kFramework});
    registry->RegisterNoRecord(L"Test_DeclaredIds", {CString(), L"SlotId", L"a slot number of the record itself"});
    registry->RegisterNamedRecord(L"Test_DeclaredIds",
                                  {L"Move", {L"BadgeID"}, L"Bnt_Badge", {L"ID"}, NamedRecordRoad::kFramework});

    const std::vector<CString> refused = registry->RefuseClassesWithUndeclaredIds();
    std::vector<std::wstring> names;
    for (const CString& name : refused)
        names.push_back(name.GetString());
    EXPECT_EQ(names, (std::vector<std::wstring>{L"Test_UndeclaredOwner", L"Test_UndeclaredParameter"}));
    EXPECT_EQ(registry->GetTypeInfo(L"Test_UndeclaredOwner", true), nullptr);
    EXPECT_EQ(registry->GetTypeInfo(L"Test_UndeclaredParameter", true), nullptr);
    EXPECT_TRUE(registry->IsClassRefused(L"test_undeclaredparameter"));
    const CWMITypeInfo* kept = registry->GetTypeInfo(L"Test_DeclaredIds", true);
    ASSERT_NE(kept, nullptr);
    EXPECT_TRUE(kept->FindUndeclaredIds().empty());
    EXPECT_FALSE(registry->IsClassRefused(L"Test_DeclaredIds"));
}

// Walked from the registry: every served class loaded (none refused), and every property whose
// column is a foreign key of the installation database declares what it names, with a reason
// where it names none, and a record it names is one of the table the key references. The shape
// rule is the registry's; the foreign keys are the database's.
TEST(IdDeclarations, EveryServedIdAndForeignKeyDeclaresWhatItNames)
{
    DeclareSchema();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const std::map<std::string, std::string> foreignKeys = ForeignKeyColumns();
    ASSERT_EQ(foreignKeys.at("USER_SEGMENT_LINK.SEGMENTID"), "SEGMENT.SEGMENTID");
    std::size_t checked = 0;
    for (const SchemaDeclaration* d : schema_test::AllDeclarations())
    {
        if (d->IsClass())
        {
            EXPECT_FALSE(registry->IsClassRefused(d->className)) << Narrow(d->className);
        }
        if (d->kind == SchemaDeclarationKind::NoRecord)
        {
            EXPECT_GT(std::wstring(d->text).size(), 10u) << Narrow(d->className) << "." << Narrow(d->name);
        }
        if (d->kind != SchemaDeclarationKind::Property || *d->table == L'\0')
            continue;
        const CWMITypeInfo* type = registry->GetTypeInfo(d->className, true);
        ASSERT_NE(type, nullptr) << Narrow(d->className);
        EXPECT_TRUE(type->FindUndeclaredIds().empty()) << Narrow(d->className);
        const auto foreignKey = foreignKeys.find(Upper(Narrow(d->table)) + "." + Upper(Narrow(d->column)));
        if (foreignKey == foreignKeys.end())
            continue;
        ++checked;
        SCOPED_TRACE(Narrow(d->className) + "." + Narrow(d->name) + " references " + foreignKey->second);
        EXPECT_TRUE(Declares(*type, d->name) || (d->key != 0 && CString(d->name).CompareNoCase(L"ID") == 0));
        for (const CWMITypeInfo::NamedRecord& named : type->GetNamedRecords())
        {
            for (std::size_t i = 0; i < named.names.size() && named.method.IsEmpty(); ++i)
            {
                if (named.names[i].CompareNoCase(d->name) != 0)
                    continue;
                const CWMITypeInfo* referenced = registry->GetTypeInfo(named.referencedClass, true);
                ASSERT_NE(referenced, nullptr);
                CString column;
                ASSERT_TRUE(referenced->GetColumnForProperty(named.referencedKeys[i], column));
                EXPECT_EQ(Upper(Narrow(column.GetString())), foreignKey->second);
            }
        }
    }
    EXPECT_GE(checked, 20u);
}
