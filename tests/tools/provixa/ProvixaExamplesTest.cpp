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
        // The change is seen at once; a cardholder's department tells the panels nothing.
        {"put Bnt_Cardholder ID=1 DEPARTMENT=Gates", 0, {"Written Bnt_Cardholder.ID=1"}, "warning"},
        {"get Bnt_Cardholder.ID=1", 0, {"DEPARTMENT = \"Gates\";"}},
        {"--as porter query \"SELECT ID, LASTNAME FROM Bnt_Cardholder\"",
         0,
         {"LASTNAME = \"Adler\";", "LASTNAME = \"Imhof\";"},
         "Castell"},
        {"--as porter --simulate exec Bnt_Badge AddBadge",
         1,
         {"Error 0x80041003 (WBEM_E_ACCESS_DENIED): The client does not have sufficient user permissions to "
          "perform the requested operation."},
         "segment access"},
        {"scripts/provixa --help", 0, {"Usage: provixa", "Examples"}},
        {"--as operator --simulate exec \"Bnt_Panel.ID=1\" SetClock",
         0,
         {"driver server received procedure 5 SetPanelClock", "Done"}},
        {"GetHardwareStatus\\n", 0, {"driver server received procedure 27 GetPanelDeviceStatus", "Status = 17;"}},
        {"exec Bnt_Badge AddBadge \"BadgeIn=Bnt_Badge{PERSONID=2,TYPE=4}\"",
         0,
         {kUpdateConfiguration, "BadgeOut = \ninstance of Bnt_Badge"}},
        {"DataType=2 U64@56=123456' 'wait' |\n    scripts/provixa --as operator --simulate batch -",
         0,
         {"linkage server received procedure 7 RegisterHardwareEventProvider",
          "Event (watch 1):", "SerialNumber = 42;"}},
        {"| jq .event.properties.SerialNumber", 0, {"42"}, "Watching"},
        {"SignVisitIn BadgeTypeID=2", 0, {kUpdateConfiguration, "Done"}},
        {"SignVisitOut", 0, {kUpdateConfiguration, "Done"}},
        {"scripts/provixa bus --help", 0, {"Bus commands"}},
        {"'login operator\\nwhoami\\n'", 0, {"\"token\":", "\"logon_id\":\"operator\""}},
        // The demo's directory accounts.
        {"'login --directory 1 olive\\nwhoami\\n'", 0, {"\"token\":", "\"logon_id\":\"operator\""}},
        {"bus cardholder 1 aadler --user operator", 0, {"{\"cardholder_id\":1}"}},
        {"'exec Bnt_Panel SetClock ID=1'",
         0,
         {"\"page_size\":2", "\"LASTNAME\":\"Castell\"", "driver server received procedure 5 SetPanelClock"}},
        // A photo is replaced by a delete, then an add.
        {"delete Bnt_MultimediaObject PersonID=1 ObjectType=1 DataType=0\\nadd Bnt_MultimediaObject",
         0,
         {"{\"deleted\":true}\n{\"class\":\"Bnt_MultimediaObject\",\"values\":{\"DataType\":0,\"ObjectType\":1,"
          "\"PersonID\":1}}"}},
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
        {"put Bnt_Cardholder ID=1 DEPARTMENT=Gates", 0, {"Written Bnt_Cardholder.ID=1"}},
        {"exec Bnt_Panel.ID=1 SetClock", 0, {"driver server received procedure 5 SetPanelClock", "Done"}},
    };
    const std::string freshHome = "rm -rf " + Quote(m_home.string()) +
                                  "\nexport PROVIXA_HOME=" + Quote(m_home.string()) + "\nprovixa init >/dev/null\n";
    ExpectEachRuns(HelpExamples(Provixa({"--help"}).out), table, m_root, freshHome);
}

// What the sentences of the README and of the help say the host does, each as the command line
// a reader would type to see it, run in order in one folder.
TEST_F(ProvixaExamples, EachSentenceOfTheReadmeAndTheHelpIsWhatTheHostDoes)
{
    const std::string operatorShell = "| PROVIXA_PASSWORD=operator-demo scripts/provixa bus shell";
    const std::vector<Example> table = {
        // A home without an installation.
        {"PROVIXA_HOME=$PWD/empty provixa --as admin get Bnt_Badge.BADGEKEY=1",
         1,
         {"provixa: no installation at ", "/empty: run 'provixa init' first"}},
        // NAME=NULL is the text; class and property names are matched without regard to case.
        {"scripts/provixa --as admin put Bnt_Cardholder ID=1 DEPARTMENT=NULL && "
         "scripts/provixa --as admin --json get bnt_cardholder.id=1",
         0,
         {"Written Bnt_Cardholder.ID=1", "{\"class\":\"Bnt_Cardholder\"", "\"DEPARTMENT\":\"NULL\""}},
        // init keeps an existing database; without --as or --sid the caller is this process's account.
        {"PROVIXA_HOME=var provixa init && scripts/provixa --as admin get Bnt_Cardholder.ID=1",
         0,
         {"database kept: ", "DEPARTMENT = \"NULL\";"}},
        {"scripts/provixa enum Bnt_Badge",
         1,
         {"Error 0x00040009 (WBEM_S_ACCESS_DENIED): The client does not have access to use Fluxmere."}},
        // The shapes of --json.
        {"scripts/provixa --as admin --json get Bnt_Visit",
         0,
         {"{\"class\":\"Bnt_Visit\",\"superclass\":\"Bnt_Element\",\"properties\":{", "\"methods\":"}},
        {"scripts/provixa --as admin --json enum Bnt_WorldTimezone",
         0,
         {"[{\"class\":\"Bnt_WorldTimezone\",\"path\":"}},
        {"scripts/provixa --as admin --json put Bnt_Cardholder ID=1 DEPARTMENT=Gates",
         0,
         {"{\"path\":\"Bnt_Cardholder.ID=1\"}"}},
        // Without --simulate a write stands with a warning naming the server it missed (with --json
        // a JSON line, naming the log that keeps the message).
        {"scripts/provixa --as admin --json delete Bnt_Badge.BADGEKEY=7",
         0,
         {"{\"deleted\":\"Bnt_Badge.BADGEKEY=7\"}",
          "/var/Logs/Fluxmere.log\",\"warning\":\"a configuration message could not be delivered to the Communication "
          "Server"}},
        {"scripts/provixa --as operator --simulate --json exec Bnt_Panel.ID=1 SetClock 2>/dev/null",
         0,
         {"null\n"},
         "SetPanelClock"},
        {"printf '%s\\n' 'watch \"SELECT * FROM Bnt_AccessEvent\"' 'hwevent PanelID=1 SerialNumber=43' 'wait' | "
         "scripts/provixa --as operator --simulate --json batch - 2>/dev/null",
         0,
         {"{\"watch\":1,\"event\":{\"class\":\"Bnt_AccessEvent\""},
         "Watching"},
        // Without --simulate a hardware method fails and the provider log names the server.
        {"scripts/provixa --as operator exec Bnt_Panel.ID=2 SetClock; test $? = 1 && grep 'ERROR wpPanelMapper' var/Logs/Fluxmere.log",
         0,
         {"Error 0x80041001 (WBEM_E_FAILED): The request failed; the provider log holds the details.",
          "The hardware command failed. The hardware driver server on \"localhost\" cannot be reached."}},
        // The batch's limits; wait belongs to a batch.
        {"scripts/provixa --as admin wait", 2, {"provixa: wait runs only inside a batch"}},
        {"printf 'wait 60001\\n' | scripts/provixa --as admin batch -",
         2,
         {"provixa: line 1: wait takes a number of milliseconds from 0 to 60000"}},
        {"printf 'wait 60000\\n' | scripts/provixa --as admin batch -", 0, {}, "milliseconds from 0 to 60000"},
        // (a line that names no command runs quickly: only the last answer is kept)
        {"yes nosuch | head -n 10001 | scripts/provixa --as admin batch - 2>&1 | tail -n 1",
         0,
         {"provixa: line 10001: a batch runs at most 10000 commands"}},
        {"yes nosuch | head -n 10000 | scripts/provixa --as admin batch - 2>&1 | tail -n 1",
         0,
         {"provixa: line 10000: "},
         "at most 10000 commands"},
        // An event class, the base one too, is watched, never enumerated.
        {"scripts/provixa --as admin enum __Event",
         1,
         {"provixa: __Event is an event class: its events are watched, not enumerated"}},
        // Every file the home holds may be named in any script: the home, the log folder the
        // registry names and the database ACS.INI names.
        {"H=\"$PWD/h\xc3\xb4me \xe2\x9c\x93\" && PROVIXA_HOME=\"$H\" provixa init >/dev/null && "
         "mv \"$H/provixa.db\" \"$H/d\xc3\xa4tabase \xe2\x9c\x93.db\" && "
         "sed -i 's/sqlite:provixa.db/sqlite:d\xc3\xa4tabase \xe2\x9c\x93.db/' \"$H/ACS.INI\" && "
         "sed -i 's/sz:Logs/sz:J\xc3\xb6urnal \xe2\x9c\x93/' \"$H/registry.ini\" && "
         "PROVIXA_HOME=\"$H\" provixa --as admin put Bnt_Cardholder ID=1 DEPARTMENT=G\xc3\xb6te && "
         "PROVIXA_HOME=\"$H\" provixa --as admin get Bnt_Cardholder.ID=1 && "
         "grep -c 'PutInstance. Done' \"$H/J\xc3\xb6urnal \xe2\x9c\x93/Fluxmere.log\" && ls \"$H\"",
         0,
         {"Written Bnt_Cardholder.ID=1", "DEPARTMENT = \"G\xc3\xb6te\";", "d\xc3\xa4tabase \xe2\x9c\x93.db\n",
          "J\xc3\xb6urnal \xe2\x9c\x93\n"}},
        // A visit signed in without a badge tells the communication server nothing.
        {"scripts/provixa --as operator --simulate exec Bnt_Visit.ID=2 SignVisitIn", 0, {"Done"}, "server received"},
        // The demo passwords.
        {"printf 'login porter\\nwhoami\\n' | PROVIXA_PASSWORD=porter-demo scripts/provixa bus shell",
         0,
         {"\"logon_id\":\"porter\""}},
        {"printf 'login admin\\nwhoami\\n' | PROVIXA_PASSWORD=admin-demo scripts/provixa bus shell",
         0,
         {"\"logon_id\":\"admin\""}},
        // The bus: the count, its refusals, the subscription a modify changes only in part.
        {"echo sa-demo | scripts/provixa bus get Bnt_Badge --size 0", 0, {"\"page_size\":0,\"total_count\":6"}},
        {"echo sa-demo | scripts/provixa bus exec Bnt_Badge AddBadge --param 'BadgeIn=Bnt_Badge{PERSONID=2}'",
         1,
         {"{\"error\":\"corvessa.general.exception\"",
          "the parameter BadgeIn of AddBadge takes an embedded object, an instance of its class"}},
        {"echo sa-demo | scripts/provixa bus get Bnt_Badge --filter 'NOPE = 1'; test $? = 1 && "
         "grep 'NOPE is not a property' var/Logs/Fluxmere.log",
         0,
         {"{\"error\":\"corvessa.general.invalidfilter\",\"hresult\":\"0x80040521\",\"log\":\"",
          "/var/Logs/Fluxmere.log\",\"message\":\"Invalid filter specified. Check server logs for more details.\"}",
          "property NOPE is not a property of class Bnt_Badge"}},
        {"printf 'login operator\\nsubs add description=Doors filter=F\\nsubs modify 3 description=Gates\\nsubs get 3\\n' " +
             operatorShell,
         0,
         {"\"description\":\"Gates\",\"disabled_date\":null,\"exchange_name\":\"amq.topic\",\"filter\":\"F\",\"id\":3"}},
        // A page holds 100 instances unless --size says otherwise; subs add and list take the fields the
        // help names (the newest subscription first with desc=true).
        {"echo sa-demo | scripts/provixa bus get Bnt_WorldTimezone", 0, {"\"page_number\":1,\"page_size\":100,"}},
        {"printf 'login operator\\nsubs add description=Bus host=broker port=5671 secure=true durable=true\\n"
         "subs list size=1 order=id desc=true\\n' " +
             operatorShell,
         0,
         {"{\"items\":[{", "\"description\":\"Bus\",", "\"id\":4,\"is_durable\":true,",
          "\"message_broker_hostname\":\"broker\",\"message_broker_port\":5671,",
          "\"requires_secure_connection\":true,", "],\"page_number\":1,\"page_size\":1,\"total_count\":4}"}},
        {"echo sa-demo | scripts/provixa bus exec Bnt_VideoRecorder GetAuthenticationData ID=7",
         0,
         {"{\"AuthenticationData\":\""}},
        // What it does not do on Linux.
        {"scripts/provixa --as admin query 'ASSOCIATORS OF {Bnt_Badge.BADGEKEY=1}'",
         1,
         {"Error 0x80041024 (WBEM_E_PROVIDER_NOT_CAPABLE): Only WQL SELECT queries are supported."}},
        {"test -s var/Logs/Fluxmere.log && test -f var/registry.ini && test -f var/ACS.INI", 0, {}},
    };
    std::vector<std::string> commands;
    for (const Example& example : table)
        commands.push_back(example.fragment);
    ExpectEachRuns(commands, table, m_root / "reader", "");
}
