// ProvixaBusHost: runs `provixa bus COMMAND`. It plays the bus-hosting service for a person:
// it constructs the front end's application object on the installation in PROVIXA_HOME,
// hands it a bus interface that prints every message as a JSON line, and calls the exported
// operations as a bus client would, printing each answer as JSON.
//
// Commands: version, publickey, login USER, whoami [USER], accesslevels [USER], logout, and
// shell, which reads one command a line from standard input (words split and quoted as a
// batch line) so that the token of a login lives for the whole session. Passwords come from
// the environment variable PROVIXA_PASSWORD, else from a terminal asking "Password:" with echo
// off, else (outside the shell) from the first line of standard input; never from the
// command line.
// When the installation asks for encrypted credentials (configuration value 241), the user
// name and password are encrypted with the front end's public key, as a client would.
//
// One run per process, on the main thread.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

class ProvixaLineWriter;

class ProvixaBusHost
{
public:
    // The environment variable that holds the password.
    static constexpr char kPasswordVariable[] = "PROVIXA_PASSWORD";
    // The application id the host presents with every request.
    static constexpr char kApplicationId[] = "provixa";

    ProvixaBusHost() = delete;

    // Runs the command in args (the words after "bus"). A failure prints
    // {"error": KEY, "message": TEXT, "hresult": CODE} to err (ProvixaOutput::FailureJson). help
    // (or --help), as a command or in the shell, prints Usage. A shell line longer than one binary
    // value of the largest size in Base64 and a batch line besides is refused, naming that limit;
    // the shell stops at the first result it cannot write.
    // Exit status: 0 success, 1 failed request (in the shell: any failed), 2 usage error.
    // With `simulate` the simulated hardware servers answer device methods (ProvixaSimulation),
    // their calls printed through `notes` (the writer behind err). A missing installation exits
    // with status 1.
    static int Run(const std::vector<std::string>& args, bool simulate, std::istream& in, std::ostream& out,
                   std::ostream& err, ProvixaLineWriter& notes);
    // The help text of the bus commands.
    static std::string Usage();
};
