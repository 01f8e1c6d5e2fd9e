// provixa: the command-line host of the Provixa provider (see ProvixaHost and --help).
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"

#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"
#include "tools/provixa/ProvixaFailureLines.h"

#include <cerrno>
#include <csignal>
#include <exception>
#include <fcntl.h>
#include <malloc.h>
#include <unistd.h>
#include <iostream>
#include <string>
#include <vector>

namespace {
// A standard stream the caller closed is held by a descriptor that refuses to be written, so
// that no file the host opens takes its number (and its output), and a write to it fails as
// a write to a closed stream does.
void HoldClosedStandardStreams()
{
    for (int fd = 0; fd <= 2; ++fd)
    {
        if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF)
            continue;
        const int held = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (held >= 0 && held != fd)
        {
            ::dup2(held, fd);
            ::close(held);
        }
    }
}

// Writes the failure line in the form the arguments ask for (ProvixaFailureLines): as it stands,
// or as one JSON line with `status` when the line names no code of its own.
void PrintFailure(const std::vector<std::string>& args, const std::string& line, HRESULT status)
{
    const ProvixaCommandLine::FailureForm form = ProvixaCommandLine::FailureFormOf(args);
    if (form == ProvixaCommandLine::FailureForm::Text)
        std::cerr << line << "\n";
    else
        std::cerr << ProvixaFailureLines::Convert(
                         line, [form](HRESULT code) { return ProvixaHost::FailureKey(form, code); }, status)
                  << "\n";
}

// A reader that went away ends the run quietly, whether or not the parent ignored SIGPIPE: as a
// filter does, by the signal. A file-size limit is reported as a full disk is (the write fails
// and says why) rather than ending the run without a word.
void SetSignals()
{
    std::signal(SIGPIPE, SIG_DFL);
    std::signal(SIGXFSZ, SIG_IGN);
}
}  // namespace

int main(int argc, char** argv)
{
    // Blocks from 128 KiB up are mapped and given back as soon as they are freed: otherwise the
    // allocator raises that bound to the largest block freed so far, and the copies a binary value
    // of megabytes passes through stay in the process's size after they are let go.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    SetSignals();
    HoldClosedStandardStreams();
    const std::vector<std::string> args(argv + 1, argv + argc);
    try
    {
        ProvixaCommandLine commandLine;
        std::string error;
        if (!ProvixaCommandLine::Parse(args, &commandLine, &error))
        {
            const bool text = ProvixaCommandLine::FailureFormOf(args) == ProvixaCommandLine::FailureForm::Text;
            const bool helped = error.find("--help") != std::string::npos;
            PrintFailure(args,
                         "provixa: " + error +
                             (text     ? "\nTry 'provixa --help'."
                              : helped ? ""
                                       : " (provixa --help)"),
                         WBEM_E_INVALID_PARAMETER);
            return ProvixaHost::kUsageError;
        }
        return ProvixaHost::Run(commandLine, std::cout, std::cerr);
    }
    catch (const _com_error& failure)
    {
        PrintFailure(args, ProvixaOutput::Error(failure.Error(), nullptr), WBEM_E_FAILED);
        return ProvixaHost::kRequestFailed;
    }
    catch (const std::exception& failure)
    {
        PrintFailure(args, std::string("provixa: ") + failure.what(), WBEM_E_FAILED);
        return ProvixaHost::kRequestFailed;
    }
}
