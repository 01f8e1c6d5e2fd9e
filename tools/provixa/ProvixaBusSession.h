// ProvixaBusSession: what a group of `provixa bus` commands needs of the session it runs in:
// the application object, the session's token (the command's user logs in first when one is
// named), the output, and the way to refuse a command's words as a usage error.
//
// Owned by the bus command run, on its one thread.
#pragma once

#include <functional>
#include <ostream>
#include <string>

#include "platform/win32/WinTypes.h"

class CCorvessaBaseApp;

struct ProvixaBusSession
{
    CCorvessaBaseApp& app;
    // The session token; throws a usage error when no user is logged in or named.
    std::function<std::string()> token;
    std::ostream& out;
    // Throws the usage error with the message; never returns.
    std::function<void(const std::string&)> usage;
    // Throws the request failure of a front-end HRESULT; never returns.
    std::function<void(HRESULT)> failed;
};
