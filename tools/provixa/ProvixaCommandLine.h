// ProvixaCommandLine: the arguments of the provixa host, read into a command, its operands and
// the options (--as NAME, --sid SID, --json, --simulate, --help), with the usage text.
//
// A value object; not shared between threads.
#pragma once

#include <string>
#include <utility>
#include <vector>

class ProvixaCommandLine
{
public:
    enum class Command
    {
        Help,
        Init,
        Classes,
        Get,
        Enum,
        Query,
        Put,
        Delete,
        Exec,
        Bus,
        Batch,
        Watch,
        HwEvent,
        Wait,
        SwEvent,
    };

    // Reads the arguments (without the program name). True with *result filled; false with
    // *error saying what is wrong (unknown command or option, wrong operand count, a missing
    // option value, both --as and --sid, a --sid that is not a SID, an assignment without
    // '=' or without a name, no command at all). Options may stand anywhere; "--help" asks for
    // help.
    static bool Parse(const std::vector<std::string>& args, ProvixaCommandLine* result, std::string* error);

    // The form the failures of a run of the arguments take, whether or not they parse.
    enum class FailureForm
    {
        Text,     // lines a person reads
        WmiJson,  // --json on the WMI door: JSON lines keyed by the WBEM_* name
        BusJson,  // the bus (any word "bus" where the command stands): JSON lines keyed as the bus keys
    };
    static FailureForm FailureFormOf(const std::vector<std::string>& args);
    // The help text.
    static std::string Usage();

    Command command = Command::Help;
    // The operands after the command, in order (for bus: every word after "bus", options too).
    std::vector<std::string> operands;
    bool json = false;
    // --simulate: serve hardware calls with the simulated servers (ProvixaSimulation).
    bool simulate = false;
    // --as: a demo account name (LOGONID); empty when not given.
    std::string callerName;
    // --sid: the caller's SID text; empty when not given.
    std::string callerSid;

    // The NAME=VALUE operands that follow the fixed operands (put, exec), split at the first
    // "=", in order; the operands above hold only the fixed ones.
    std::vector<std::pair<std::string, std::string>> assignments;
};
