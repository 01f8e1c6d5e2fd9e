// The RPC runtime's status codes that the clients see (their Windows numbers).
#pragma once

#include "platform/win32/WinTypes.h"

using RPC_STATUS = LONG;

constexpr RPC_STATUS RPC_S_OK = 0;
// A string binding that cannot be parsed or composed (missing protocol, stray brackets).
constexpr RPC_STATUS RPC_S_INVALID_STRING_BINDING = 1700;
// A protocol sequence other than ncalrpc, ncacn_np and ncacn_ip_tcp.
constexpr RPC_STATUS RPC_S_PROTSEQ_NOT_SUPPORTED = 1703;
// No server answers at any binding of the host: the server is unreachable.
constexpr RPC_STATUS RPC_S_SERVER_UNAVAILABLE = 1722;
// The server was reached but the call did not complete.
constexpr RPC_STATUS RPC_S_CALL_FAILED = 1726;
