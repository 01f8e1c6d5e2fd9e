// RpcServer: the base of every server object that answers remote calls in this process. A
// server interface (the hardware driver server, the linkage server, a configuration server)
// derives from it, declares one method per procedure, and is registered in the
// RpcEndpointTable under the bindings it listens on; a client finds it through its binding
// and casts it to the interface it expects.
//
// Shared (std::shared_ptr) between the endpoint table and every client bound to it; a server
// is called from any client thread at once, so each implementation guards its own state.
#pragma once

class RpcServer
{
public:
    RpcServer() = default;
    virtual ~RpcServer() = default;
    RpcServer(const RpcServer&) = delete;
    RpcServer& operator=(const RpcServer&) = delete;
};
