// IClslLinkageServer: the linkage server's interface as its clients call it, one method per
// procedure, each with its request block (little-endian):
//   1 LaunchTour {tour id, 0, badge id (64-bit at 8), 0 at 16, monitoring station id at 20,
//                 out result at 24}
//   7 RegisterHardwareEventProvider, 8 RegisterSoftwareEventProvider
//                {register flag byte at 0, provider identifier byte count at 4, computer name
//                 byte count at 8, then both texts as UTF-16 with terminators from 12}
// *answer receives the server's own status (0 accepted). The return value is the transport's:
// RPC_S_OK when the call completed.
//
// Servers register under their host with kLinkageServerEndpoints; any client thread may call
// at any time, so an implementation guards its own state.
#pragma once

#include <span>

#include "platform/rpc/RpcServer.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/win32/WinTypes.h"

inline constexpr RpcServiceEndpoints kLinkageServerEndpoints{L"BntLinkageServer", L"\\pipe\\BntLinkageServer",
                                                             L"LinkageServerRpcPort", 5152};

enum class ClslProcedure : LONG
{
    LaunchTour = 1,
    RegisterHardwareEventProvider = 7,
    RegisterSoftwareEventProvider = 8,
};

class IClslLinkageServer : public RpcServer
{
public:
    virtual RPC_STATUS LaunchTour(std::span<BYTE> block, LONG* answer) = 0;                     // 1
    virtual RPC_STATUS RegisterHardwareEventProvider(std::span<BYTE> block, LONG* answer) = 0;  // 7
    virtual RPC_STATUS RegisterSoftwareEventProvider(std::span<BYTE> block, LONG* answer) = 0;  // 8
};
