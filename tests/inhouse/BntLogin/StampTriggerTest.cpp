// The stamps of db/schema.sql move on exactly what CBntAcsSystemOptions says they stand for: the
// option ids the triggers on CONFIG_VALUE name are the constants, and a write of each option moves
// its stamp while a write of any other leaves it; every table that can serve a value list, and
// the user-defined-field layout, sets the list stamp on every kind of write.
#include "inhouse/BntLogin/CBntAcsSystemOptions.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using support::InstallationDatabase;

class StampTriggers : public ::testing::Test
{
protected:
    void SetUp() override { InstallationDatabase::CreateSchema(m_path); }

    // The values of one column of a query, in order; a value holds neither char(1) nor char(2).
    std::vector<std::string> Column(const std::string& sql) const
    {
        std::vector<std::string> values;
        std::istringstream all(
            InstallationDatabase::Scalar(m_path, "SELECT group_concat(value, char(2)) FROM (" + sql + ")"));
        for (std::string value; std::getline(all, value, '\x02');)
            values.push_back(value);
        return values;
    }
    std::string Stamp(int row) const
    {
        return InstallationDatabase::Scalar(m_path,
                                            "SELECT STAMP FROM RIGHTS_STAMP WHERE STAMPID = " + std::to_string(row));
    }
    void Exec(const std::string& sql) const { InstallationDatabase::Execute(m_path, sql); }

    support::TemporaryHome m_home;
    const std::filesystem::path m_path = m_home.Path() / "stamps.db";
};

std::set<LONG> Ids(const auto& constants)
{
    return std::set<LONG>(constants.begin(), constants.end());
}

}  // namespace

TEST_F(StampTriggers, TheOptionIdsOfEachStampAreTheConstantsAndMoveItAlone)
{
    const struct
    {
        int row;
        const char* suffix;  // of the triggers' names
        std::set<LONG> constants;
    } stamps[] = {
        {1, "_RIGHTS", Ids(CBntAcsSystemOptions::kRightsStampOptionIds)},
        {2, "_LISTS", Ids(CBntAcsSystemOptions::kListStampOptionIds)},
    };
    const std::regex inList(R"(IN\s*\(([^)]*)\))");
    const std::regex number(R"(\d+)");
    for (const auto& stamp : stamps)
    {
        SCOPED_TRACE(stamp.suffix);
        // Read from the schema's triggers: each IN list of each of the three names the constants.
        std::set<std::string> kinds;
        for (const std::string& name : Column("SELECT name AS value FROM sqlite_master WHERE type = 'trigger' AND "
                                              "tbl_name = 'CONFIG_VALUE' AND name LIKE '%" +
                                              std::string(stamp.suffix) + "'"))
        {
            SCOPED_TRACE(name);
            kinds.insert(name);
            const std::string sql =
                InstallationDatabase::Scalar(m_path, "SELECT sql FROM sqlite_master WHERE name = '" + name + "'");
            EXPECT_NE(sql.find("WHERE STAMPID = " + std::to_string(stamp.row)), std::string::npos);
            int lists = 0;
            for (std::sregex_iterator list(sql.begin(), sql.end(), inList), end; list != end; ++list)
            {
                ++lists;
                const std::string ids = (*list)[1].str();
                std::set<LONG> named;
                for (std::sregex_iterator id(ids.begin(), ids.end(), number); id != end; ++id)
                    named.insert(std::stol(id->str()));
                EXPECT_EQ(named, stamp.constants) << ids;
            }
            EXPECT_GE(lists, 1);
        }
        EXPECT_EQ(kinds, (std::set<std::string>{"CONFIG_VALUE_D" + std::string(stamp.suffix),
                                                "CONFIG_VALUE_I" + std::string(stamp.suffix),
                                                "CONFIG_VALUE_U" + std::string(stamp.suffix)}));

        // And as they act: every kind of write of each listed option moves the stamp; of the
        // options around them, none does. (The schema stores no option.)
        std::set<LONG> probed = stamp.constants;
        for (const auto& other : stamps)
            probed.insert(other.constants.begin(), other.constants.end());
        for (const LONG id : {1000, 1008, 1601, 1602, 1603, 1604, 1609})
            probed.insert(id);
        for (const LONG id : probed)
        {
            SCOPED_TRACE(id);
            const std::string config = std::to_string(id);
            for (const std::string& write :
                 {"INSERT INTO CONFIG_VALUE (CONFIGID, NUMBERVALUE) VALUES (" + config + ", 7);",
                  "UPDATE CONFIG_VALUE SET NUMBERVALUE = 8 WHERE CONFIGID = " + config + ";",
                  "DELETE FROM CONFIG_VALUE WHERE CONFIGID = " + config + ";"})
            {
                SCOPED_TRACE(write);
                const std::string before = Stamp(stamp.row);
                Exec(write);
                EXPECT_EQ(Stamp(stamp.row) != before, stamp.constants.contains(id));
            }
        }
    }
}

// A value list reads the ID and NAME of its table (CWmipUDFClassMapper::PutListValueQualifiers),
// and the layout names its tables at run time: every table of that shape, and the layout's own,
// sets the list stamp anew on an insert, an update and a delete.
TEST_F(StampTriggers, EveryTableThatCanServeAValueListAndTheLayoutSetTheListStamp)
{
    std::set<std::string> tables = {"DDFLD", "UDFOBJS"};
    for (const std::string& table :
         Column("SELECT m.name AS value FROM sqlite_master m WHERE m.type = 'table' AND "
                "(SELECT COUNT(*) FROM pragma_table_info(m.name) c WHERE c.name IN ('ID', 'NAME')) = 2"))
        tables.insert(table);
    EXPECT_TRUE(tables.contains("DEPARTMENT") && tables.contains("BADGETYP") && tables.contains("DDTBL"));
    for (const std::string& table : tables)
    {
        SCOPED_TRACE(table);
        std::set<std::string> events;
        for (const std::string& trigger :
             Column("SELECT sql AS value FROM sqlite_master WHERE type = 'trigger' AND tbl_name = '" + table + "'"))
        {
            std::smatch event;
            if (trigger.find("SET STAMP = random() WHERE STAMPID = 2") != std::string::npos &&
                trigger.find(" WHEN ") == std::string::npos &&
                std::regex_search(trigger, event, std::regex(R"(AFTER (INSERT|UPDATE|DELETE) ON (\w+))")) &&
                event[2] == table)
                events.insert(event[1]);
        }
        EXPECT_EQ(events, (std::set<std::string>{"DELETE", "INSERT", "UPDATE"}));
    }
}
