// RpcServiceEndpoints: where one kind of server listens: its local (ncalrpc) endpoint, its
// named pipe, and the ACS.INI "[Service]" key naming its TCP port with the port used when the
// key is missing or out of range (no key: the server takes no TCP calls). The clients give one
// constant of this kind per server.
#pragma once

#include "platform/win32/WinTypes.h"

struct RpcServiceEndpoints
{
    const wchar_t* localEndpoint;
    const wchar_t* pipeEndpoint;
    const wchar_t* portKey;
    UINT defaultPort;
};
