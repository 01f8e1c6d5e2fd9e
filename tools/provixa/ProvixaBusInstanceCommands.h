// ProvixaBusInstanceCommands: the instance commands of `provixa bus`, run as a bus client
// would run them: get (a page of a type's instances, or their count), add, modify, delete and
// exec (a method of a type or an instance). Values are given as NAME=VALUE words and sent as
// text (the front end converts them by each property's type); binary values are given and
// shown in Base64.
//
//   get CLASS [--filter WQL-CONDITION] [--page N] [--size M] [--order a,b] [--desc]
//   add CLASS NAME=VALUE...            modify CLASS NAME=VALUE...      delete CLASS KEY=VALUE...
//   exec CLASS METHOD [KEY=VALUE...] [--param NAME=VALUE]...
// Each takes [--user USER] to log in first; without it the session's login is used, or
// outside the shell the system administrator's ("sa").
//
// Stateless; one command at a time on the host's thread.
#pragma once

#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

class CCorvessaBaseApp;

class ProvixaBusInstanceCommands
{
public:
    // A command line that does not say what to do.
    struct UsageError
    {
        std::string message;
    };
    // The session token after logging in the named user (empty: the session's own or the
    // default user). Throws as the host's login does.
    using TokenSource = std::function<std::string(const std::string& user)>;

    static constexpr char kDefaultUser[] = "sa";

    ProvixaBusInstanceCommands() = delete;

    // True for the commands this class runs.
    static bool Handles(const std::string& name);
    // Runs the command on the words after its name (options included); prints the answer as
    // JSON. The front end's HRESULT; throws UsageError and what the front end throws.
    static HRESULT Run(CCorvessaBaseApp& app, const std::string& name, const std::vector<std::string>& words,
                       const TokenSource& token, std::ostream& out);
    // The help lines of the commands.
    static std::string Usage();
};
