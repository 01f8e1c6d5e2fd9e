// Runs the built provixa program on a fresh installation and reads what a person sees of a
// query: the instances as MOF text, and the same instances as JSON that parses and matches
// the database.
#include "tests/tools/provixa/ProvixaJsonReader.h"
#include "tests/tools/provixa/ProvixaProgramTest.h"
#include "tests/support/TestSqlite.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {
using ProgramRun = provixa_program::Outcome;
using provixa_program::Quote;
using provixa_program::ReadAll;

using provixa_program::Json;
using provixa_program::JsonReader;

std::size_t Occurrences(const std::string& text, const std::string& part)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++count;
    return count;
}

class ProvixaQueryBinary : public provixa_program::ProvixaProgramTest
{
protected:
    // The world time zones of the installation's database: ID -> display name.
    std::map<long long, std::string> WorldTimezones() const
    {
        std::map<long long, std::string> zones;
        const support::SqliteDatabase db = support::OpenSqlite(m_home / "provixa.db", SQLITE_OPEN_READONLY);
        sqlite3_stmt* statement = nullptr;
        if (db == nullptr || sqlite3_prepare_v2(db.get(), "SELECT WORLDTZID, DisplayName FROM WORLDTZ", -1, &statement,
                                                nullptr) != SQLITE_OK)
        {
            ADD_FAILURE() << "cannot read the world time zones";
            return zones;
        }
        const std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> owned(statement, sqlite3_finalize);
        while (sqlite3_step(statement) == SQLITE_ROW)
            zones[sqlite3_column_int64(statement, 0)] =
                reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
        return zones;
    }
};
}  // namespace

TEST_F(ProvixaQueryBinary, OperatorQueryOfWorldTimezonesPrintsEveryInstance)
{
    const ProgramRun init = Provixa({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    const std::map<long long, std::string> zones = WorldTimezones();
    ASSERT_EQ(zones.size(), 4u);

    const ProgramRun text = Provixa({"--as", "operator", "query", "SELECT * FROM Bnt_WorldTimezone"});
    EXPECT_EQ(text.status, 0) << text.err;
    EXPECT_TRUE(text.err.empty()) << text.err;
    EXPECT_EQ(Occurrences(text.out, "instance of Bnt_WorldTimezone\n{\n"), zones.size()) << text.out;
    EXPECT_EQ(Occurrences(text.out, "\n};\n"), zones.size()) << text.out;
    for (const auto& [id, name] : zones)
    {
        EXPECT_EQ(Occurrences(text.out, "\tID = " + std::to_string(id) + ";\n"), 1u) << id;
        EXPECT_EQ(Occurrences(text.out, "\tDisplayName = \"" + name + "\";\n"), 1u) << name;
    }
    EXPECT_EQ(Occurrences(text.out, "\tWindows_TZID = \"Tokyo Standard Time\";\n"), 1u);
}

TEST_F(ProvixaQueryBinary, JsonOfTheQueryParsesAndHoldsEveryInstance)
{
    const ProgramRun init = Provixa({"init"});
    ASSERT_EQ(init.status, 0) << init.err;
    const std::map<long long, std::string> zones = WorldTimezones();

    const ProgramRun run = Provixa({"--as", "operator", "--json", "query", "SELECT * FROM Bnt_WorldTimezone"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty()) << run.err;
    Json document;
    std::string error;
    ASSERT_TRUE(JsonReader::Parse(run.out, document, error)) << error << "\n" << run.out;
    ASSERT_EQ(document.kind, Json::Kind::Array);
    ASSERT_EQ(document.items.size(), zones.size());
    std::map<long long, std::string> seen;
    for (const Json& instance : document.items)
    {
        ASSERT_EQ(instance.kind, Json::Kind::Object);
        const auto className = instance.members.find("class");
        const auto path = instance.members.find("path");
        const auto properties = instance.members.find("properties");
        ASSERT_NE(className, instance.members.end());
        ASSERT_NE(path, instance.members.end());
        ASSERT_NE(properties, instance.members.end());
        EXPECT_EQ(className->second.text, "Bnt_WorldTimezone");
        const Json& values = properties->second;
        ASSERT_EQ(values.kind, Json::Kind::Object);
        EXPECT_EQ(values.members.size(), 20u);
        const auto id = values.members.find("ID");
        const auto name = values.members.find("DisplayName");
        const auto daylight = values.members.find("IsDaylightSaving");
        ASSERT_NE(id, values.members.end());
        ASSERT_NE(name, values.members.end());
        ASSERT_NE(daylight, values.members.end());
        EXPECT_EQ(id->second.kind, Json::Kind::Number);
        EXPECT_EQ(name->second.kind, Json::Kind::String);
        EXPECT_EQ(daylight->second.kind, Json::Kind::Boolean);
        const long long key = static_cast<long long>(id->second.number);
        EXPECT_EQ(path->second.text.substr(path->second.text.find(':') + 1),
                  "Bnt_WorldTimezone.ID=" + std::to_string(key));
        seen[key] = name->second.text;
    }
    EXPECT_EQ(seen, zones);

    // A query that selects nothing is an empty array, and still succeeds.
    const ProgramRun none =
        Provixa({"--as", "operator", "--json", "query", "SELECT * FROM Bnt_WorldTimezone WHERE ID = 99"});
    EXPECT_EQ(none.status, 0) << none.err;
    Json empty;
    ASSERT_TRUE(JsonReader::Parse(none.out, empty, error)) << error;
    EXPECT_EQ(empty.kind, Json::Kind::Array);
    EXPECT_TRUE(empty.items.empty());
}

TEST_F(ProvixaQueryBinary, JsonReaderRefusesMalformedText)
{
    // The checks above are only as good as the reader; it must refuse what is not JSON.
    const struct
    {
        std::string text;
        bool valid;
    } cases[] = {
        {"[]", true},
        {" [1, -2.5e3, \"a\\u00e9\\ud83d\\ude00\", true, false, null, {\"k\": []}] ", true},
        {"[1,]", false},
        {"[1 2]", false},
        {"{\"a\":1,\"a\":2}", false},
        {"{\"a\" 1}", false},
        {"[\"unterminated]", false},
        {"[\"tab\there\"]", false},
        {"[\"\\ud83d\"]", false},
        {"[01]", false},
        {"[1.]", false},
        {"[] []", false},
        {"", false},
        {std::string(100, '['), false},
    };
    for (const auto& c : cases)
    {
        Json value;
        std::string error;
        EXPECT_EQ(JsonReader::Parse(c.text, value, error), c.valid) << c.text.substr(0, 40) << " " << error;
    }
}
