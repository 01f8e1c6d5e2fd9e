#include "tools/provixa/ProvixaCommandLine.h"

#include "tools/provixa/ProvixaText.h"
#include "platform/security/Sid.h"
#include "platform/wmi/WbemName.h"

#include <cstddef>

namespace {
struct CommandSpec
{
    const char* name;
    ProvixaCommandLine::Command command;
    // Operands before the NAME=VALUE assignments, and whether assignments may follow.
    std::size_t fixedOperands;
    bool assignments;
    // Operands that may follow the fixed ones of a command without assignments.
    std::size_t optionalOperands = 0;
    // For a command whose one operand is a text of several words (a query): how it is quoted.
    const char* quotedExample = nullptr;
};

const CommandSpec kCommands[] = {
    {"init", ProvixaCommandLine::Command::Init, 0, false},
    {"classes", ProvixaCommandLine::Command::Classes, 0, false},
    {"get", ProvixaCommandLine::Command::Get, 1, false},
    {"enum", ProvixaCommandLine::Command::Enum, 1, false},
    {"query", ProvixaCommandLine::Command::Query, 1, false, 0, "query \"SELECT * FROM Bnt_Badge\""},
    {"put", ProvixaCommandLine::Command::Put, 1, true},
    {"delete", ProvixaCommandLine::Command::Delete, 1, false},
    {"exec", ProvixaCommandLine::Command::Exec, 2, true},
    {"batch", ProvixaCommandLine::Command::Batch, 1, false},
    {"watch", ProvixaCommandLine::Command::Watch, 1, false, 0, "watch \"SELECT * FROM Bnt_AccessEvent\""},
    {"hwevent", ProvixaCommandLine::Command::HwEvent, 0, true},
    {"wait", ProvixaCommandLine::Command::Wait, 0, false, 1},
    {"swevent", ProvixaCommandLine::Command::SwEvent, 4, false},
};
}  // namespace

std::string ProvixaCommandLine::Usage()
{
    return "Usage: provixa [--as NAME | --sid SID] [--json] [--simulate] COMMAND [OPERANDS]\n"
           "       provixa [--simulate] bus COMMAND ...\n"
           "\n"
           "Plays the WMI service for the Provixa provider on the installation in PROVIXA_HOME\n"
           "(default ./var).\n"
           "\n"
           "Commands:\n"
           "  init                          create PROVIXA_HOME with registry.ini, ACS.INI and the\n"
           "                                demo database (an existing database is kept)\n"
           "  classes                       list the classes of the namespace\n"
           "  get PATH                      show a class (Bnt_Badge) or an instance (Bnt_Badge.BADGEKEY=1)\n"
           "  enum CLASS                    show every instance of a class\n"
           "  query WQL                     run a WQL SELECT query\n"
           "  put CLASS PROP=VALUE ...      create an instance, or write back the stored instance that\n"
           "                                the key values name with the named properties changed;\n"
           "                                PROP= (nothing after =) clears a text property (see\n"
           "                                \"No value\" below)\n"
           "  delete PATH                   delete an instance\n"
           "  exec PATH METHOD [PARAM=VALUE ...]\n"
           "                                run a method of a class or instance; the method is named\n"
           "                                in the case its class declares it (AssignAccessLevel)\n"
           "  bus COMMAND ...               call the bus front end (provixa bus --help)\n"
           "  batch FILE|-                  run the command lines of FILE (or standard input) in\n"
           "                                one process, so caches and servers live between them\n"
           "                                (at most 10000 commands, each line at most 65536 bytes)\n"
           "  watch WQL                     subscribe to the events the query selects: hardware events\n"
           "                                (Bnt_AccessEvent, ...) and record changes\n"
           "                                (__InstanceModificationEvent, ...); inside a batch only\n"
           "  hwevent NAME=VALUE ...        hand one hardware event record to the library: record\n"
           "                                fields (EventType=0, PanelID=2, ...), U8@N, U16@N, U32@N\n"
           "                                or U64@N at record offset N, Text, HostName, AlarmID,\n"
           "                                or Record=HEX for the raw bytes\n"
           "  wait [MILLISECONDS]           print the events that arrived (in a batch); returns as soon\n"
           "                                as the events handed in have been processed, after at most\n"
           "                                MILLISECONDS (default 30000, at most 60000)\n"
           "  swevent TYPE TRANSACTION FLAGS FILE\n"
           "                                hand the software event in the XML FILE to the library:\n"
           "                                record type (2 cardholder, ...), transaction (1 created,\n"
           "                                2 modified, 3 deleted) and flags; record-change events\n"
           "                                come only this way (as the installation's services hand\n"
           "                                them in): put, delete and exec raise none\n"
           "\n"
           "Options:\n"
           "  --as NAME    call as the Windows account linked to the demo user NAME (operator,\n"
           "               porter, admin); --as sa calls as the local system account S-1-5-18\n"
           "  --sid SID    call as the Windows account with this SID\n"
           "               (default: the account this process runs as)\n"
           "  --json       print objects as JSON instead of MOF text\n"
           "  --simulate   answer hardware calls with simulated servers (every panel online)\n"
           "               and print each call a server receives\n"
           "  --help       show this text\n"
           "\n"
           "Examples (on the demo installation that init creates):\n"
           "  provixa --as operator get Bnt_Badge.BADGEKEY=1\n"
           "  provixa --as operator --json query \"SELECT * FROM Bnt_Cardholder WHERE ID > 2\"\n"
           "  provixa --as admin put Bnt_Cardholder ID=1 DEPARTMENT=Gates\n"
           "  provixa --as operator --simulate exec Bnt_Panel.ID=1 SetClock\n"
           "\n"
           "No value: put NAME= (nothing after =) writes a text property without a value (an empty\n"
           "text is stored as none; NAME=NULL is the text NULL). A number, boolean or date-time given no\n"
           "value keeps its stored one, so put cannot clear it: NAME= is refused for them.\n"
           "Arrays: only arrays of 32-bit numbers can be given on the command line, written\n"
           "VALUE,VALUE; a binary value is given in Base64 through the bus (provixa bus modify\n"
           "CLASS KEY=VALUE NAME=BASE64). A photo (Bnt_MultimediaObject, which takes no modify) is\n"
           "replaced by a delete, then an add: provixa bus delete Bnt_MultimediaObject PersonID=1\n"
           "ObjectType=1 DataType=0, then provixa bus add Bnt_MultimediaObject PersonID=1 ObjectType=1\n"
           "DataType=0 Data=BASE64.\n"
           "\n"
           "A failed or refused request, or an installation that cannot be used, prints its reason\n"
           "(for a request its HRESULT, its WBEM_* name and the provider's message) and exits with\n"
           "status 1; only a usage error (a command line the host cannot act on) exits with status 2.\n"
           "A reason that sends the reader to the provider log is followed by a line naming its file.\n"
           "A result that cannot be written (a full\n"
           "disk, a closed standard output) exits with status 1 too, naming what a write did all the\n"
           "same (PATH was written; its confirmation could not be printed), and stops a batch;\n"
           "a closed pipe ends the run quietly. Ctrl-C ends a batch naming the line it reached.\n"
           "With --json standard output carries\n"
           "JSON only: each watched event is a line {\"watch\": N, \"event\": OBJECT}, and progress\n"
           "notes and the simulated servers' calls go to standard error, where each failure is one\n"
           "line {\"error\": \"WBEM_E_NOT_FOUND\", \"hresult\": \"0x80041002\", \"message\": TEXT} (and\n"
           "\"log\": FILE when the message sends the reader to the provider log) and each warning\n"
           "one line {\"warning\": TEXT}.\n";
}

ProvixaCommandLine::FailureForm ProvixaCommandLine::FailureFormOf(const std::vector<std::string>& args)
{
    bool json = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--as" || args[i] == "--sid")
            ++i;
        else if (args[i] == "--json")
            json = true;
        else if (args[i] == "bus")
            return FailureForm::BusJson;
        else if (!args[i].starts_with("-"))
            break;
    }
    for (const std::string& arg : args)
        json = json || arg == "--json";
    return json ? FailureForm::WmiJson : FailureForm::Text;
}

bool ProvixaCommandLine::Parse(const std::vector<std::string>& args, ProvixaCommandLine* result, std::string* error)
{
    ProvixaCommandLine parsed;
    // The bus commands read their own words (ProvixaBusHost); --simulate may stand before them.
    std::size_t busAt = 0;
    while (busAt < args.size() && args[busAt] == "--simulate")
        ++busAt;
    if (busAt < args.size() && args[busAt] == "bus")
    {
        parsed.command = Command::Bus;
        parsed.simulate = busAt > 0;
        parsed.operands.assign(args.begin() + static_cast<std::ptrdiff_t>(busAt) + 1, args.end());
        *result = std::move(parsed);
        return true;
    }
    // Options before `bus` other than --simulate would be read as the host's and then ignored.
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        if (args[i] == "--as" || args[i] == "--sid")
            ++i;
        else if (args[i] == "bus")
        {
            *error = "bus takes its own options after its command (provixa bus --help); before it only "
                     "--simulate may stand";
            return false;
        }
        else if (!args[i].starts_with("-"))
            break;
    }
    std::vector<std::string> words;
    bool help = false;
    for (std::size_t i = 0; i < args.size(); ++i)
    {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h")
        {
            help = true;
        }
        else if (arg == "--json")
        {
            parsed.json = true;
        }
        else if (arg == "--simulate")
        {
            parsed.simulate = true;
        }
        else if (arg == "--as" || arg == "--sid")
        {
            if (i + 1 >= args.size() || args[i + 1].empty())
            {
                *error = arg + " needs a value";
                return false;
            }
            std::string& caller = arg == "--as" ? parsed.callerName : parsed.callerSid;
            // A second caller would silently replace the first: the request could run as an
            // account the person did not mean.
            if (!caller.empty())
            {
                *error = arg + " given twice";
                return false;
            }
            caller = args[++i];
        }
        else if (arg.size() > 2 && arg.compare(0, 2, "--") == 0)
        {
            *error = "unknown option " + arg;
            return false;
        }
        else
        {
            words.push_back(arg);
        }
    }
    if (!parsed.callerName.empty() && !parsed.callerSid.empty())
    {
        *error = "give either --as or --sid, not both";
        return false;
    }
    if (!parsed.callerSid.empty() && !SidCodec::FromText(ProvixaText::FromUtf8(parsed.callerSid)))
    {
        *error = "not a SID: " + parsed.callerSid;
        return false;
    }
    if (help)
    {
        parsed.command = Command::Help;
        *result = std::move(parsed);
        return true;
    }
    if (words.empty())
    {
        *error = "no command given";
        return false;
    }
    const CommandSpec* spec = nullptr;
    for (const CommandSpec& candidate : kCommands)
    {
        if (words.front() == candidate.name)
            spec = &candidate;
    }
    if (spec == nullptr)
    {
        *error = "unknown command " + words.front();
        return false;
    }
    parsed.command = spec->command;
    parsed.operands.assign(words.begin() + 1, words.end());
    const std::size_t count = parsed.operands.size();
    if (count < spec->fixedOperands || (!spec->assignments && count > spec->fixedOperands + spec->optionalOperands))
    {
        *error = std::string(spec->name) + " takes " + std::to_string(spec->fixedOperands) + " operand" +
                 (spec->fixedOperands == 1 ? "" : "s") + (spec->assignments ? " and NAME=VALUE pairs" : "");
        // The words of an unquoted query arrive one by one.
        if (spec->quotedExample != nullptr && count > spec->fixedOperands)
            *error += ", its WQL text: quote it, as in " + std::string(spec->quotedExample);
        return false;
    }
    // A path, class or query is never empty (an empty path would name a new, empty class).
    for (std::size_t i = 0; i < spec->fixedOperands; ++i)
    {
        if (parsed.operands[i].empty())
        {
            *error = std::string(spec->name) + " takes a non-empty operand";
            return false;
        }
    }
    for (std::size_t i = spec->fixedOperands; spec->assignments && i < count; ++i)
    {
        const std::string& assignment = parsed.operands[i];
        const std::size_t equals = assignment.find('=');
        if (equals == std::string::npos || equals == 0)
        {
            *error = "expected NAME=VALUE, got " + assignment;
            return false;
        }
        parsed.assignments.emplace_back(assignment.substr(0, equals), assignment.substr(equals + 1));
    }
    if (spec->assignments)
        parsed.operands.resize(spec->fixedOperands);
    // One name is given one value: a later one would silently win.
    for (std::size_t i = 0; i < parsed.assignments.size(); ++i)
    {
        for (std::size_t j = 0; j < i; ++j)
        {
            if (WbemName::Equal(ProvixaText::FromUtf8(parsed.assignments[i].first),
                                ProvixaText::FromUtf8(parsed.assignments[j].first)))
            {
                *error = parsed.assignments[i].first + " is given twice";
                return false;
            }
        }
    }
    *result = std::move(parsed);
    return true;
}
