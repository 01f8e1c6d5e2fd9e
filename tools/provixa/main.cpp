// provixa: the command-line host of the Provixa provider (see ProvixaHost and --help).
#include "tools/provixa/ProvixaCommandLine.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaOutput.h"

#include "platform/com/ComError.h"

#include <exception>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
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
