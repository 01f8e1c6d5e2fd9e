// What a delete leaves behind, over every registered class: the record with the most rows
// naming it is deleted through the WMI door, and afterwards no row of the database names it
// (the links read from the schema's foreign keys and from the declared named records and
// owners), and nothing changed but its own row and the rows removed with it. A class declared
// later is covered by its declaration.
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"
#include "tests/support/ClassGroups.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/PropertyText.h"
#include "tests/support/TestCallers.h"
#include "tests/e2e/KeptInstallation.h"

#include <algorithm>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace e2e;

namespace {
// A column that names a row of another table: TABLE.COLUMN -> TABLE.COLUMN.
struct Link
{
    std::string table;
    std::string column;
    std::string target;
    std::string targetColumn;
    std::string why;
};

std::string Narrow(const CString& text)
{
    return DoorTest::Utf8(text.GetString());
}

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return text;
}

// "TABLE.COLUMN" split; false when the text names no column.
bool SplitColumn(const CString& tableDotColumn, std::string& table, std::string& column)
{
    const std::string text = Upper(Narrow(tableDotColumn));
    const std::size_t dot = text.find('.');
    if (dot == std::string::npos || dot == 0 || dot + 1 == text.size())
        return false;
    table = text.substr(0, dot);
    column = text.substr(dot + 1);
    return true;
}

// Every link of the schema's foreign keys, and of each declared record one property of a
// class names (a named record of its writes, an owner it takes its segment from).
std::vector<Link> Links()
{
    std::vector<Link> links;
    for (const Row& key :
         DoorInstallation::Rows("SELECT m.name, p.\"from\", p.\"table\", p.\"to\" FROM sqlite_master m, "
                                "pragma_foreign_key_list(m.name) p WHERE m.type = 'table'"))
        links.push_back({Upper(key[0]), Upper(key[1]), Upper(key[2]), Upper(key[3]), "foreign key"});
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    const auto declare = [&](const CWMITypeInfo& type, const CString& name, const CString& targetClass,
                             const CString& targetKey, const char* why) {
        const CWMITypeInfo* target = registry->GetTypeInfo(targetClass, true);
        // A name may be a column itself (a column the class serves through no property).
        CString from = name;
        CString to;
        Link link;
        if (target != nullptr && (name.Find(L'.') > 0 || type.GetColumnForProperty(name, from)) &&
            target->GetColumnForProperty(targetKey, to) && SplitColumn(from, link.table, link.column) &&
            SplitColumn(to, link.target, link.targetColumn))
        {
            link.why = Narrow(type.GetClassName()) + "." + Narrow(name) + " " + why;
            links.push_back(link);
        }
    };
    for (const CString& name : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(name, true);
        if (type == nullptr)
            continue;
        for (const CWMITypeInfo::NamedRecord& record : type->GetNamedRecords())
            if (record.method.IsEmpty() && record.names.size() == 1 && record.referencedKeys.size() == 1)
                declare(*type, record.names[0], record.referencedClass, record.referencedKeys[0], "names it");
        for (const CWMITypeInfo::SegmentSource& source : type->GetSegmentSources())
            if (source.kind == CWMITypeInfo::SegmentSource::Kind::Owner && source.names.size() == 1 &&
                source.ownerKeys.size() == 1)
                declare(*type, source.names[0], source.ownerClass, source.ownerKeys[0], "is owned by it");
    }
    return links;
}

// The tables of the database by name, each with its column names and its rows (as
// DoorInstallation::WholeDatabase gives them).
struct Database
{
    std::vector<std::string> names;
    std::map<std::string, std::vector<std::string>> columns;
    std::map<std::string, Table> rows;

    static Database Read()
    {
        Database database;
        const std::vector<Table> tables = DoorInstallation::WholeDatabase();
        const Table names = DoorInstallation::Rows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name");
        EXPECT_EQ(names.size(), tables.size());
        for (std::size_t i = 0; i < names.size() && i < tables.size(); ++i)
        {
            const std::string name = Upper(names[i].front());
            database.names.push_back(name);
            database.rows[name] = tables[i];
            for (const Row& column :
                 DoorInstallation::Rows("SELECT name FROM pragma_table_info(?)", {names[i].front()}))
                database.columns[name].push_back(Upper(column.front()));
        }
        return database;
    }

    // The place of the column in the table's rows; npos when it has none.
    std::size_t Column(const std::string& table, const std::string& column) const
    {
        const auto found = columns.find(table);
        if (found == columns.end())
            return std::string::npos;
        const auto at = std::find(found->second.begin(), found->second.end(), column);
        return at == found->second.end() ? std::string::npos : std::size_t(at - found->second.begin());
    }
};

// The rows of `from` that `without` does not hold (as multisets; both sorted).
Table Minus(const Table& from, const Table& without)
{
    Table rest;
    std::set_difference(from.begin(), from.end(), without.begin(), without.end(), std::back_inserter(rest));
    return rest;
}

// Whether a row of the rows holds the value in the column.
bool Names(const Table& rows, std::size_t column, const std::string& value)
{
    return std::any_of(rows.begin(), rows.end(), [&](const Row& row) { return row[column] == value; });
}

bool IsDateTime(const std::string& value)
{
    return value.size() == 19 && value[4] == '-' && value[10] == ' ' && value[13] == ':';
}

// Whether two rows of a table are one row whose date-time stamps alone differ.
bool Restamped(const Row& was, const Row& is)
{
    if (was.size() != is.size() || was.empty() || was.front() != is.front())
        return false;
    for (std::size_t i = 0; i < was.size(); ++i)
        if (was[i] != is[i] && !((IsDateTime(was[i]) || was[i] == "<null>") && IsDateTime(is[i])))
            return false;
    return true;
}

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string Text(const Row& row)
{
    std::string text;
    for (const std::string& value : row)
        text += (text.empty() ? "" : "|") + value;
    return text;
}

// The audit trails a write adds to (and SQLite's counters of them), the mail it leaves to send,
// and the counter a write of what users' rights come from raises.
const std::set<std::string> kBookkeeping = {"EMAIL_OUTBOX", "REPL_TRANSACTION_LOG", "RIGHTS_STAMP", "SQLITE_SEQUENCE",
                                            "USER_TRANSACTION_LOG"};

// The users the program's tests log in as, and the demo operator whose password some of them
// take: the other tests of the program run on the same installation.
std::set<std::string> KeptUsers()
{
    std::set<std::string> users = {"Bnt_User.ID=1"};
    for (const support::TestCaller& caller : support::TestCallers::All())
        users.insert("Bnt_User.ID=" + std::to_string(caller.userId));
    return users;
}
const std::set<std::string> kKeptUsers = KeptUsers();

// A test per class group.
class DeleteSweep : public DoorTest, public ::testing::WithParamInterface<support::ClassGroup>
{
protected:
    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};
}  // namespace

TEST_P(DeleteSweep, ADeleteLeavesNoRowNamingTheRecordAndChangesNothingElse)
{
    const e2e::KeptInstallation kept;
    // Where the first badge's number was last seen: a row the demo holds none of, which names
    // the badge by its number rather than its key.
    support::InstallationDatabase::Execute(
        DoorInstallation::DatabaseFile(),
        "INSERT OR IGNORE INTO LASTLOCATION (PANELID, READERID, CARDNUM, EVENT_TIME_UTC, EVENTTYPE, EMPID, EVENTID, "
        "ACCESS_FLAG, IS_FROMREPLICATION, BNT_DBID_SRC) VALUES (1, 0, 100001, '2024-01-02 10:00:00', 0, 1, 1, 1, 0, 0);");
    const std::vector<Link> links = Links();
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    CallAs(Callers::kAdministrator);
    int deleted = 0;
    for (const CString& className : registry->GetTypeNames())
    {
        const CWMITypeInfo* type = registry->GetTypeInfo(className, true);
        if (type == nullptr || !type->GetTypeConstructor() || type->GetKeyProperties().empty())
            continue;
        // Each class is swept by the test of its group.
        EXPECT_EQ(std::count_if(support::kClassGroups.begin(), support::kClassGroups.end(),
                                [&](const support::ClassGroup& group) { return group.Holds(className.GetString()); }),
                  1)
            << Narrow(className);
        if (!GetParam().Holds(className.GetString()))
            continue;
        // The key columns, all of one table (a key without one, such as an association's
        // reference, leaves the class to the sweeps of its ends).
        std::string table;
        std::vector<std::string> keyColumns;
        for (const auto& [property, tableDotColumn] : type->GetKeyProperties())
        {
            std::string keyTable;
            std::string column;
            if (!SplitColumn(tableDotColumn, keyTable, column) || (!table.empty() && keyTable != table))
                keyColumns.clear();
            else
                keyColumns.push_back(column);
            table = keyTable;
            if (keyColumns.empty())
                break;
        }
        if (keyColumns.empty())
            continue;
        SCOPED_TRACE(Narrow(className));
        const Reply instances = Enum(Form::Sync, className.GetString());
        if (FAILED(instances.result) || instances.objects.empty())
            continue;
        const Database before = Database::Read();
        // The instance with the most rows naming it by a key.
        std::wstring path;
        std::vector<std::string> key;
        std::size_t most = 0;
        for (const ComPtr<IWbemClassObject>& instance : instances.objects)
        {
            if (kKeptUsers.contains(support::PropertyText(instance.Get(), L"__RELPATH")))
                continue;
            std::vector<std::string> values;
            std::size_t naming = 0;
            for (std::size_t i = 0; i < keyColumns.size(); ++i)
            {
                values.push_back(support::PropertyText(instance.Get(), type->GetKeyProperties()[i].first));
                for (const Link& link : links)
                    if (link.target == table && link.targetColumn == keyColumns[i])
                        for (const Row& row : before.rows.at(link.table))
                            naming += row[before.Column(link.table, link.column)] == values.back();
            }
            if (path.empty() || naming > most)
            {
                path = Widen(support::PropertyText(instance.Get(), L"__RELPATH"));
                key = values;
                most = naming;
            }
        }
        const Reply reply = Delete(Form::Sync, path);
        const Database after = Database::Read();
        if (FAILED(reply.result))
        {
            // A refused delete changes nothing, and is the class's own answer, never a write the
            // database would not take (a row still naming the record).
            EXPECT_EQ(after.rows, before.rows) << Utf8(path) << " " << Hex(reply.result);
            EXPECT_FALSE(Refused(reply, WBEM_E_FAILED, CWmipMessages::kInstanceNotWritten)) << Utf8(path);
            continue;
        }
        ++deleted;
        SCOPED_TRACE(Utf8(path));
        // The rows that went: the record's own, then those a link ties to a row that went.
        std::map<std::string, Table> gone;
        std::map<std::string, Table> unexplained;
        for (const std::string& name : before.names)
        {
            if (kBookkeeping.contains(name))
                continue;
            Table added = Minus(after.rows.at(name), before.rows.at(name));
            unexplained[name] = Minus(before.rows.at(name), after.rows.at(name));
            // A row whose last-changed stamp alone moved is the same row.
            std::erase_if(added, [&](const Row& row) {
                return std::erase_if(unexplained[name], [&](const Row& was) { return Restamped(was, row); }) != 0;
            });
            EXPECT_EQ(added, Table()) << name << ": rows added or changed";
        }
        const auto explain = [&](const std::string& name, const std::function<bool(const Row&)>& explained) {
            bool any = false;
            Table& rows = unexplained[name];
            for (auto row = rows.begin(); row != rows.end();)
                if (explained(*row))
                {
                    gone[name].push_back(*row);
                    row = rows.erase(row);
                    any = true;
                }
                else
                    ++row;
            return any;
        };
        explain(table, [&](const Row& row) {
            for (std::size_t i = 0; i < keyColumns.size(); ++i)
                if (row[before.Column(table, keyColumns[i])] != key[i])
                    return false;
            return true;
        });
        for (bool more = true; more;)
        {
            more = false;
            for (const Link& link : links)
            {
                const std::size_t column = before.Column(link.table, link.column);
                const std::size_t target = before.Column(link.target, link.targetColumn);
                if (column == std::string::npos || target == std::string::npos)
                    continue;
                // A row that names one that went, or one owned by a row that went and named by
                // no row left.
                more = explain(link.table,
                               [&](const Row& row) {
                                   return row[column] != "<null>" && Names(gone[link.target], target, row[column]);
                               }) ||
                       more;
                more = explain(link.target,
                               [&](const Row& row) {
                                   return Names(gone[link.table], column, row[target]) &&
                                          !Names(after.rows.at(link.table), column, row[target]);
                               }) ||
                       more;
            }
        }
        for (const auto& [name, rows] : unexplained)
            for (const Row& row : rows)
                ADD_FAILURE() << name << " lost a row nothing ties to the deleted record: " << Text(row);
        // No row left names a value that went with its last row.
        for (const Link& link : links)
        {
            const std::size_t column = before.Column(link.table, link.column);
            const std::size_t target = before.Column(link.target, link.targetColumn);
            if (column == std::string::npos || target == std::string::npos)
                continue;
            for (const Row& went : gone[link.target])
            {
                const Table& left = after.rows.at(link.target);
                if (std::any_of(left.begin(), left.end(), [&](const Row& row) { return row[target] == went[target]; }))
                    continue;
                for (const Row& row : after.rows.at(link.table))
                    EXPECT_NE(row[column], went[target])
                        << link.table << "." << link.column << " (" << link.why << ") names the deleted " << link.target
                        << "." << link.targetColumn << ": " << Text(row);
            }
        }
    }
    EXPECT_GT(deleted, 0);
}

INSTANTIATE_TEST_SUITE_P(Classes, DeleteSweep, ::testing::ValuesIn(support::kClassGroups), support::ClassGroupName);
