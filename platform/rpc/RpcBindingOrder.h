// RpcBindingOrder: the string bindings a client tries, in order, to reach one server on a
// host, from ACS.INI section "Service":
//   1. ncalrpc at the server's local endpoint, when the host is this computer (its name
//      without regard to case, "localhost", "." or empty);
//   2. ncacn_np at the server's pipe, when "UsePipes" is 1;
//   3. ncacn_ip_tcp at the port of the server's key ("DriverRpcPort", "LinkageServerRpcPort");
//      a missing key, 0 or a value above 65535 gives the server's default port. A server
//      without a port key is not reached over TCP.
// The host goes into the bindings upper-cased (the local host as this computer's name).
//
// Stateless; reads ACS.INI on every call, so a changed file takes effect on the next binding.
#pragma once

#include <string>
#include <vector>

#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStringBinding.h"

class RpcBindingOrder
{
public:
    static constexpr wchar_t kProfileFile[] = L"ACS.INI";
    static constexpr wchar_t kServiceSection[] = L"Service";
    static constexpr wchar_t kUsePipesKey[] = L"UsePipes";
    static constexpr UINT kMaxPort = 65535;

    RpcBindingOrder() = delete;

    // The bindings for the server on host, in the order above; empty only for a server
    // without a port key on another computer without pipes.
    static std::vector<RpcStringBinding> ForHost(const std::wstring& host, const RpcServiceEndpoints& service);

    // This computer's name, upper-cased ("LOCALHOST" when it cannot be had).
    static std::wstring LocalComputerName();
    // True when host names this computer (see above).
    static bool IsLocalHost(const std::wstring& host);
    // The host as the bindings carry it: upper-cased, the local host as LocalComputerName.
    static std::wstring CanonicalHost(const std::wstring& host);
};
