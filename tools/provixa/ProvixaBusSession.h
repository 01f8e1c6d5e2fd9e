// ProvixaBusSession: what a group of `provixa bus` commands needs of the session it runs in:
// the application object, the session's token (the command's user logs in first when one is
// named), the output, and the ways to refuse a command's words as a usage error or to report
// a front-end failure.
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
    // Who a command runs as outside the shell when it names no user.
    static constexpr char kDefaultUser[] = "sa";

    CCorvessaBaseApp& app;
    // The session token after logging in the user (empty: the command line's --user when
    // given, else the session's login, else outside the shell kDefaultUser). Throws a usage
    // error in the shell when no user is logged in or named, and as the host's login does.
    std::function<std::string(const std::string& user)> token;
    std::ostream& out;
    // Where warnings go (the error stream: the output carries JSON only).
    std::ostream& err;
    // Throws the usage error with the message; never returns.
    std::function<void(const std::string&)> usage;
    // Throws the refusal of a command that lacks something the command line cannot give (a
    // password), with the message: no usage error; never returns.
    std::function<void(const std::string&)> refused;
    // Throws the request failure of a front-end HRESULT; never returns.
    std::function<void(HRESULT)> failed;
    // Records what the command did that stands whatever follows (ProvixaHost::EffectText), for
    // the report of a result that cannot be written.
    std::function<void(const std::string&)> tookEffect;
};
