// ICfgMessageServer: the configuration-message door of the communication, linkage and archive
// servers. One procedure: UpdateConfiguration (code, block), the block being a configuration
// message as CfgMessage lays it out (416 bytes, then the message text's byte count as a 32-bit
// word and the text as UTF-16 with its terminator). *answer receives the server's status (0
// accepted); the return value is the transport's.
//
// The servers run on this computer: each registers with its own endpoints below, reached
// locally (and through its pipe when "UsePipes" is 1), never over TCP.
#pragma once

#include <span>

#include "platform/rpc/RpcServer.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/win32/WinTypes.h"

inline constexpr RpcServiceEndpoints kCommServerCfgEndpoints{L"BntCommServerCfg", L"\\pipe\\BntCommServerCfg", nullptr,
                                                             0};
inline constexpr RpcServiceEndpoints kLinkageServerCfgEndpoints{L"BntLinkageServerCfg", L"\\pipe\\BntLinkageServerCfg",
                                                                nullptr, 0};
inline constexpr RpcServiceEndpoints kArchiveServerCfgEndpoints{L"BntArchiveServerCfg", L"\\pipe\\BntArchiveServerCfg",
                                                                nullptr, 0};

class ICfgMessageServer : public RpcServer
{
public:
    virtual RPC_STATUS UpdateConfiguration(LONG code, std::span<const BYTE> block, LONG* answer) = 0;
};
