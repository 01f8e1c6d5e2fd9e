// The examples of README.md and of `provixa --help` run as written. The command lines are read
// out of the texts themselves (README: the indented lines, a line ending in | or \ joined with
// the next, and the `scripts/provixa ...` spans of its sentences; help: the lines under
// "Examples"), so a new example fails here until the table below says what it answers.
#include "tests/tools/provixa/ProvixaProgramTest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {
using provixa_program::Contains;
using provixa_program::Quote;
using provixa_program::ReadAll;

// The example that holds `fragment` exits with `status` and prints each of `texts` (standard
// output and error together) and never `absent`; status -1: it builds or tests the tree.
struct Example
{
    std::string fragment;
    int status;
    std::vector<std::string> texts;
    std::string absent = "";
};

constexpr int kBuildsTheTree = -1;

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

bool EndsWithContinuation(const std::string& line)
{
    const std::size_t end = line.find_last_not_of(' ');
    return end != std::string::npos && (line[end] == '|' || line[end] == '\\');
}

std::vector<std::string> ReadmeCommands(const std::string& readme)
{
    const std::vector<std::string> lines = Lines(readme);
    std::vector<std::string> commands;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        if (lines[i].rfind("    ", 0) == 0)
        {
            std::string command = lines[i].substr(4);
            while (EndsWithContinuation(command) && i + 1 < lines.size())
                command += "\n" + lines[++i].substr(4);
            commands.push_back(command);
            continue;
        }
        for (std::size_t at = 0; (at = lines[i].find("`scripts/provixa ", at)) != std::string::npos;)
        {
            const std::size_t end = lines[i].find('`', at + 1);
            commands.push_back(lines[i].substr(at + 1, end - at - 1));
            at = end + 1;
        }
    }
    return commands;
}

std::vector<std::string> HelpExamples(const std::string& help)
{
    std::vector<std::string> commands;
    bool inExamples = false;
    for (const std::string& line : Lines(help))
    {
        if (line.rfind("Examples", 0) == 0)
            inExamples = true;
        else if (line.empty())
            inExamples = false;
        else if (inExamples && line.rfind("  provixa ", 0) == 0)
            commands.push_back(line.substr(2));
    }
    return commands;
}

class ProvixaExamples : public provixa_program::ProvixaProgramTest
{
protected:
    // Runs each command with bash in `folder`, as `table` says it answers; every command has a
    // row and every row a command.
    void ExpectEachRuns(const std::vector<std::string>& commands, const std::vector<Example>& table,
                        const std::filesystem::path& folder, const std::string& before)
    {
        const bool haveJq = std::system("command -v jq >/dev/null 2>&1") == 0;
        std::vector<int> used(table.size(), 0);
        for (std::string command : commands)
        {
            std::size_t row = table.size();
            for (std::size_t i = 0; i < table.size(); ++i)
                if (Contains(command, table[i].fragment))
                {
                    EXPECT_EQ(row, table.size()) << "two rows match " << command;
                    row = i;
                    ++used[i];
                }
            if (row == table.size())
            {
                ADD_FAILURE() << "an example without a row: " << command;
                continue;
            }
            const Example& example = table[row];
            if (example.status == kBuildsTheTree)
                continue;
            // Without jq the host's part of the pipe still runs; its line holds the value.
            if (!haveJq && Contains(command, "| jq "))
                command = command.substr(0, command.find("| jq "));
            std::ofstream(m_root / "example.sh") << before << command << "\n";
            const std::string shell = "cd " + Quote(folder.string()) +
                                      " && unset PROVIXA_PASSWORD PROVIXA_HOME PROVIXA_DIRECTORY_PASSWORD && PATH=" +
                                      Quote((m_root / "bin").string()) + ":\"$PATH\" bash " +
                                      Quote((m_root / "example.sh").string()) + " </dev/null >" +
                                      Quote((m_root / "out").string()) + " 2>" + Quote((m_root / "err").string());
            const int raw = std::system(shell.c_str());
            const int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
            const std::string printed = ReadAll(m_root / "out") + ReadAll(m_root / "err");
            const std::string shown = command + "\n" + printed.substr(0, 600);
            EXPECT_EQ(status, example.status) << shown;
            for (const std::string& text : example.texts)
                EXPECT_TRUE(Contains(printed, text)) << text << " from:\n" << shown;
            if (!example.absent.empty())
            {
                EXPECT_FALSE(Contains(printed, example.absent)) << example.absent << " from:\n" << shown;
            }
        }
        for (std::size_t i = 0; i < table.size(); ++i)
            EXPECT_EQ(used[i], 1) << "no example or several hold " << table[i].fragment;
    }

    void SetUp() override
    {
        ProvixaProgramTest::SetUp();
        // `provixa` on the PATH is the built host; `scripts/provixa` sets up the reader's
        // ./var on first use, as the tree's script does once the host is built.
        std::filesystem::create_directories(m_root / "bin");
        std::filesystem::create_symlink(PROVIXA_BINARY, m_root / "bin" / "provixa");
        std::filesystem::create_directories(m_root / "reader" / "scripts");
        const std::filesystem::path script = m_root / "reader" / "scripts" / "provixa";
        std::ofstream(script) << "#!/bin/sh\nexport PROVIXA_HOME=\"${PROVIXA_HOME:-$PWD/var}\"\n"
                                 "[ -f \"$PROVIXA_HOME/provixa.db\" ] || provixa init >/dev/null\n"
                                 "exec provixa \"$@\"\n";
        std::filesystem::permissions(script, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
    }
};

const std::string kUpdateConfiguration = "communication server received procedure 1 UpdateConfiguration, 426 bytes";
}  // namespace

// The README's examples run in its order in one folder, as a reader follows it: the visit
// signed in is signed out, change.xml is written before the watch reads it.
TEST_F(ProvixaExamples, EachExampleOfTheReadmeRunsAsShown)
{
    const std::vector<Example> table = {
        {"query \"SELECT * FROM Bnt_WorldTimezone\"", 0, {"DisplayName = \"(UTC) Coordinated Universal Time\";"}},
        {"put Bnt_Badge BADGEKEY=1 PIN=1234", 0, {"Written Bnt_Badge.BADGEKEY=\"1\""}},
        {"--as porter query \"SELECT ID, LASTNAME FROM Bnt_Cardholder\"",
         0,
         {"LASTNAME = \"Adler\";", "LASTNAME = \"Imhof\";"},
         "Castell"},
        {"--as porter --simulate exec Bnt_Badge AddBadge",
         1,
         {"Error 0x80041003 (WBEM_E_ACCESS_DENIED): The client does not have sufficient segment access to perform "
          "the requested operation."}},
        {"scripts/provixa --help", 0, {"Usage: provixa", "Examples"}},
        {"--as operator --simulate exec \"Bnt_Panel.ID=1\" SetClock",
         0,
         {"driver server received procedure 5 SetPanelClock", "Done"}},
        {"GetHardwareStatus\\n",
         0,
         {"driver server received procedure 27 GetPanelDeviceStatus", "Status = 17;"}},
        {"exec Bnt_Badge AddBadge \"BadgeIn=Bnt_Badge{PERSONID=2,TYPE=4}\"",
         0,
         {kUpdateConfiguration, "BadgeOut = \ninstance of Bnt_Badge"}},
        {"DataType=2 U64@56=123456' 'wait' |\n    scripts/provixa --as operator --simulate batch -",
         0,
         {"linkage server received procedure 7 RegisterHardwareEventProvider", "Event (watch 1):",
          "SerialNumber = 42;"}},
        {"| jq .event.properties.SerialNumber", 0, {"42"}, "Watching"},
        {"SignVisitIn BadgeTypeID=2", 0, {kUpdateConfiguration, "Done"}},
        {"SignVisitOut", 0, {kUpdateConfiguration, "Done"}},
        {"scripts/provixa bus --help", 0, {"Bus commands"}},
        {"'login operator\\nwhoami\\n'", 0, {"\"token\":", "\"logon_id\":\"operator\""}},
        {"'exec Bnt_Panel SetClock ID=1'",
         0,
         {"\"page_size\":2", "\"LASTNAME\":\"Castell\"", "driver server received procedure 5 SetPanelClock"}},
        {"--page 2 --size 3 --order DisplayName",
         0,
         {"\"DisplayName\":\"(UTC-05:00) Eastern Time (US & Canada)\"", "\"page_number\":2,\"page_size\":3"}},
        {"bus get Bnt_Cardholder --page 2 --size 5", 0, {"\"LASTNAME\":\"Hahn\"", "\"page_number\":2"}},
        {"subs add description=Doors",
         0,
         {"\"address\":\"bnt.ir.internal.event_subscription_events\"", "\"description\":\"Doors\""}},
        {">change.xml", 0, {}},
        {"'swevent 2 2 0 change.xml'", 0, {"LASTNAME = \"Adler-Weiss\";", "LASTNAME = \"Adler\";"}},
        {"WHERE Duress = TRUE", 0, {"Duress = TRUE;", "Description = \"Granted Under Duress\";"}},
        {"--target provixa_bench", kBuildsTheTree, {}},
        {"scripts/test", kBuildsTheTree, {}},
    };
    ExpectEachRuns(ReadmeCommands(ReadAll(PROVIXA_README)), table, m_root / "reader", "");
}

// The help's examples run on the demo installation that init creates in a fresh home.
TEST_F(ProvixaExamples, EachExampleOfTheHelpRunsAsShown)
{
    const std::vector<Example> table = {
        {"get Bnt_Badge.BADGEKEY=1", 0, {"instance of Bnt_Badge", "BADGEKEY = 1;"}},
        {"--json query \"SELECT * FROM Bnt_Cardholder WHERE ID > 2\"",
         0,
         {"[{\"class\":\"Bnt_Cardholder\"", "\"ID\":3"},
         "\"ID\":2,"},
        {"put Bnt_Badge BADGEKEY=1 PIN=1234", 0, {"Written Bnt_Badge.BADGEKEY=\"1\""}},
        {"exec Bnt_Panel.ID=1 SetClock", 0, {"driver server received procedure 5 SetPanelClock", "Done"}},
    };
    const std::string freshHome = "rm -rf " + Quote(m_home.string()) + "\nexport PROVIXA_HOME=" +
                                  Quote(m_home.string()) + "\nprovixa init >/dev/null\n";
    ExpectEachRuns(HelpExamples(Provixa({"--help"}).out), table, m_root, freshHome);
}
