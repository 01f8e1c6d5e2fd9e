// ICommEventServer: the event door of the communication server on this computer, through which
// events injected by outside software (Bnt_IncomingEvent) reach the installation: the server
// relays each one as it relays the events of its panels, so the hardware event provider and
// its watchers receive it. One procedure: SubmitEvent (block), the block being the 216-byte
// hardware event record, then the event text's byte count as a 32-bit word and the text as
// UTF-16 with its terminator. *answer receives the server's status (0 accepted); the return
// value is the transport's.
//
// The server registers with kCommServerEventEndpoints, reached locally (and through its pipe
// when "UsePipes" is 1), never over TCP. Any client thread may call at any time.
#pragma once

#include <span>

#include "platform/rpc/RpcServer.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/win32/WinTypes.h"

inline constexpr RpcServiceEndpoints kCommServerEventEndpoints{L"BntCommServerEvent", L"\\pipe\\BntCommServerEvent",
                                                               nullptr, 0};

class ICommEventServer : public RpcServer
{
public:
    virtual RPC_STATUS SubmitEvent(std::span<const BYTE> block, LONG* answer) = 0;
};
