// ProvixaHost: runs one provixa command. For every command but init and help it plays the WMI
// service for the library: it fills a class repository with the system classes and the Bnt_
// classes of the registered declarations, loads the library's instance provider through the
// provider shell into a namespace "root\Brontel", names the caller of the thread (--as, --sid
// or the process's own account) and sends the request through the namespace, as a WMI client
// would.
//
// One per process, on the main thread; the library's application object is initialised for
// the length of Run.
#pragma once

#include "tools/provixa/ProvixaCommandLine.h"

#include "platform/win32/WinTypes.h"

#include <ostream>
#include <string>

class ProvixaLineWriter;

class ProvixaHost
{
public:
    // Exit statuses of Run.
    static constexpr int kSuccess = 0;
    static constexpr int kRequestFailed = 1;
    static constexpr int kUsageError = 2;

    // The namespace the host serves.
    static constexpr wchar_t kNamespace[] = L"root\\Brontel";

    ProvixaHost() = delete;

    // Runs the command; objects and reports go to `out`, failures to `err` (one line each:
    // the HRESULT in hex, its name and the provider's description; in the form of the run, and
    // naming the provider log's file when the reason sends the reader there: ProvixaFailureLines),
    // every line whole whatever thread writes it (ProvixaLineWriter). The exit status above; a result that could not be
    // written to `out` fails the command with a line on `err` saying why.
    static int Run(const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err);

    // The error key of a code in a JSON failure line of the form (ProvixaFailureLines): the
    // WBEM_* name on the WMI door, the front end's key on the bus.
    static std::string FailureKey(ProvixaCommandLine::FailureForm form, HRESULT status);

    // What a command did that stands whatever follows it, for ReportUnwritten.
    enum class Effect
    {
        Written,    // "PATH was written"
        Deleted,    // "PATH was deleted"
        MethodRan,  // "the method METHOD of PATH ran"
    };
    static std::string EffectText(Effect effect, const std::string& path, const std::string& method = "");

    // Hands over what `out` holds and, when its result could not all be written (a full disk, a
    // closed standard output), says so on `err` once (a later call stays silent): with `effect`
    // (EffectText; empty for none) what the command did nevertheless, so that nobody does it
    // again ("provixa: Bnt_Cardholder.ID=10 was written; its confirmation could not be printed:
    // No space left on device"). Both doors call it after each command. True when the result
    // could not be written: the command then exits with the failed-request status, since its
    // reader did not get its result, while the message says what took effect.
    static bool ReportUnwritten(std::ostream& out, std::ostream& err, const std::string& effect);

    // Warns on err of each change the installation kept although a server did not take its
    // configuration message: the user learns that the panels were not told, and that the
    // provider log keeps the message where it does (the file is named as for a failure:
    // ProvixaFailureLines). Both doors call it after each command.
    static void WarnOfUnreachedServers(std::ostream& err);

private:
    // Run's work on the line-writing streams; `notes` is the writer the simulated servers'
    // lines go to (the error stream's, `errorLines`, when the output is JSON; the bus's always).
    static int RunCommand(const ProvixaCommandLine& commandLine, std::ostream& out, std::ostream& err,
                          ProvixaLineWriter& notes, ProvixaLineWriter& errorLines);
};
