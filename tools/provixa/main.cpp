// provixa: the command-line host of the Provixa provider (see ProvixaHost and --help).
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"

#include "platform/com/ComError.h"

#include <cerrno>
#include <exception>
#include <fcntl.h>
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
}  // namespace

int main(int argc, char** argv)
{
    HoldClosedStandardStreams();
    try
    {
        const std::vector<std::string> args(argv + 1, argv + argc);
        ProvixaCommandLine commandLine;
        std::string error;
        if (!ProvixaCommandLine::Parse(args, &commandLine, &error))
        {
            std::cerr << "provixa: " << error << "\nTry 'provixa --help'.\n";
            return ProvixaHost::kUsageError;
        }
        return ProvixaHost::Run(commandLine, std::cout, std::cerr);
    }
    catch (const _com_error& failure)
    {
        std::cerr << ProvixaOutput::Error(failure.Error(), nullptr) << "\n";
        return ProvixaHost::kRequestFailed;
    }
    catch (const std::exception& failure)
    {
        std::cerr << "provixa: " << failure.what() << "\n";
        return ProvixaHost::kRequestFailed;
    }
}
