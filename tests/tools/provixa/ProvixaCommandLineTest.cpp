#include "tools/provixa/ProvixaCommandLine.h"

#include <gtest/gtest.h>

namespace {
using Command = ProvixaCommandLine::Command;

struct GoodLine
{
    std::vector<std::string> args;
    Command command;
    std::vector<std::string> operands;
    std::size_t assignments;
    bool json;
    const char* callerName;
    const char* callerSid;
};

const GoodLine kGoodLines[] = {
    {{"get", "x", "--help"}, Command::Help, {}, 0, false, "", ""},
    {{"init"}, Command::Init, {}, 0, false, "", ""},
    {{"--json", "classes"}, Command::Classes, {}, 0, true, "", ""},
    {{"get", "Bnt_Badge.ID=1", "--as", "operator"}, Command::Get, {"Bnt_Badge.ID=1"}, 0, false, "operator", ""},
    {{"--sid", "S-1-5-18", "enum", "Bnt_Badge"}, Command::Enum, {"Bnt_Badge"}, 0, false, "", "S-1-5-18"},
    {{"query", "SELECT * FROM Bnt_Badge WHERE Name = 'a=b'"},
     Command::Query,
     {"SELECT * FROM Bnt_Badge WHERE Name = 'a=b'"},
     0,
     false,
     "",
     ""},
    {{"put", "Bnt_Badge", "Name=x=y", "ID=3"}, Command::Put, {"Bnt_Badge"}, 2, false, "", ""},
    {{"put", "Bnt_Badge"}, Command::Put, {"Bnt_Badge"}, 0, false, "", ""},
    {{"delete", "Bnt_Badge.ID=1"}, Command::Delete, {"Bnt_Badge.ID=1"}, 0, false, "", ""},
    {{"exec", "Bnt_Reader.PanelID=1,ReaderID=2", "SetMode", "Mode=3"},
     Command::Exec,
     {"Bnt_Reader.PanelID=1,ReaderID=2", "SetMode"},
     1,
     false,
     "",
     ""},
};

struct BadLine
{
    std::vector<std::string> args;
    const char* error;
};

const BadLine kBadLines[] = {
    {{"--json"}, "no command given"},
    {{}, "no command given"},
    {{"list"}, "unknown command list"},
    {{"--verbose", "classes"}, "unknown option --verbose"},
    {{"classes", "extra"}, "classes takes 0 operands"},
    {{"get"}, "get takes 1 operand"},
    {{"exec", "Bnt_Reader"}, "exec takes 2 operands and NAME=VALUE pairs"},
    {{"put", "Bnt_Badge", "Name"}, "expected NAME=VALUE, got Name"},
    {{"put", "Bnt_Badge", "=x"}, "expected NAME=VALUE, got =x"},
    {{"classes", "--as"}, "--as needs a value"},
    {{"--as", "", "classes"}, "--as needs a value"},
    {{"--as", "operator", "--sid", "S-1-5-18", "classes"}, "give either --as or --sid, not both"},
    {{"--sid", "S-1-5-", "classes"}, "not a SID: S-1-5-"},
    {{"--sid", "operator", "classes"}, "not a SID: operator"},
    {{"--as", "admin", "--as", "operator", "classes"}, "--as given twice"},
    {{"--sid", "S-1-5-18", "--sid", "S-1-5-20", "classes"}, "--sid given twice"},
    {{"get", ""}, "get takes a non-empty operand"},
    {{"enum", ""}, "enum takes a non-empty operand"},
    {{"exec", "Bnt_Reader.PanelID=1,ReaderID=2", ""}, "exec takes a non-empty operand"},
};
}  // namespace

TEST(ProvixaCommandLine, ReadsEveryCommandWithItsOperandsAndOptions)
{
    for (const GoodLine& good : kGoodLines)
    {
        ProvixaCommandLine line;
        std::string error;
        ASSERT_TRUE(ProvixaCommandLine::Parse(good.args, &line, &error)) << error;
        EXPECT_EQ(line.command, good.command) << error;
        EXPECT_EQ(line.operands, good.operands);
        EXPECT_EQ(line.assignments.size(), good.assignments);
        EXPECT_EQ(line.json, good.json);
        EXPECT_EQ(line.callerName, good.callerName);
        EXPECT_EQ(line.callerSid, good.callerSid);
    }
}

TEST(ProvixaCommandLine, SplitsAssignmentsAtTheFirstEqualsSign)
{
    ProvixaCommandLine line;
    std::string error;
    ASSERT_TRUE(ProvixaCommandLine::Parse({"put", "Bnt_Badge", "Name=x=y", "Notes="}, &line, &error));
    ASSERT_EQ(line.assignments.size(), 2u);
    EXPECT_EQ(line.assignments[0], (std::pair<std::string, std::string>{"Name", "x=y"}));
    EXPECT_EQ(line.assignments[1], (std::pair<std::string, std::string>{"Notes", ""}));
}

TEST(ProvixaCommandLine, RefusesMalformedLinesWithAReason)
{
    for (const BadLine& bad : kBadLines)
    {
        ProvixaCommandLine line;
        std::string error;
        EXPECT_FALSE(ProvixaCommandLine::Parse(bad.args, &line, &error)) << bad.error;
        EXPECT_EQ(error, bad.error);
    }
}
