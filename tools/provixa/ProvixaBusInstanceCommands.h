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
// outside the shell ProvixaBusSession::kDefaultUser's.
//
// Stateless; one command at a time on the host's thread.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/provixa/ProvixaBusSession.h"

class ProvixaBusInstanceCommands
{
public:
    ProvixaBusInstanceCommands() = delete;

    // True for the commands this class runs.
    static bool Handles(const std::string& name);
    // Runs the command on the words after its name (options included) and prints the answer
    // as JSON. Words that do not say what to do go to the session's usage error, a failed
    // HRESULT to its failure; what the front end throws is thrown on.
    static void Run(ProvixaBusSession& session, const std::string& name, std::vector<std::string> words);
    // Reads `text`, a paging number of the bus (a page, a size), into *value: empty on success,
    // else why not, naming the word as `shown` ("--size -1", "page=0") and the numbers it takes
    // (from `lowest` to the largest the front end takes). Every paging number is read so.
    static std::string ReadNumber(const std::string& shown, const std::string& text, std::int32_t lowest,
                                  std::int32_t* value);
    // The help lines of the commands.
    static std::string Usage();
};
