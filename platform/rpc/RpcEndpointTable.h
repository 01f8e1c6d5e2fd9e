// RpcEndpointTable: the process's table of listening servers. A server object registers under
// one or more string bindings (host, protocol sequence, endpoint); a client resolves a binding
// to the server object, or finds none, which it treats like an unreachable server. Hosts
// compare without regard to case; protocol sequences and endpoints exactly.
//
// One table per process (Instance). Thread-safe: registrations and lookups take m_lock; a
// resolved server stays alive while a client holds it, even after it is unregistered.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <tuple>
#include <vector>

#include "platform/win32/ThreadSafety.h"
#include "platform/rpc/RpcServer.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/rpc/RpcStringBinding.h"

class RpcEndpointTable
{
public:
    // A client's binding to a server: the binding text that answered and the server.
    struct Resolved
    {
        RpcStringBinding binding;
        std::shared_ptr<RpcServer> server;
    };

    RpcEndpointTable() = default;
    RpcEndpointTable(const RpcEndpointTable&) = delete;
    RpcEndpointTable& operator=(const RpcEndpointTable&) = delete;

    // The process's table.
    static RpcEndpointTable& Instance();

    // Registers the server under the binding. RPC_S_OK; RPC_S_PROTSEQ_NOT_SUPPORTED for an
    // unknown protocol sequence; RPC_S_INVALID_STRING_BINDING for a null server or a binding
    // already taken by another server.
    RPC_STATUS Register(const RpcStringBinding& binding, std::shared_ptr<RpcServer> server);
    // Registers the server under every binding that RpcBindingOrder gives for the host, as a
    // server listening on all its transports. RPC_S_OK or the first failure (nothing is then
    // left registered by this call).
    RPC_STATUS RegisterService(const std::wstring& host, const RpcServiceEndpoints& service,
                               const std::shared_ptr<RpcServer>& server);
    // Removes the binding; true when it was registered.
    bool Unregister(const RpcStringBinding& binding);
    // Removes every binding of the server; the number removed.
    std::size_t Unregister(const RpcServer* server);
    // Removes everything.
    void Clear();

    // The server registered under the binding; null when none.
    std::shared_ptr<RpcServer> Resolve(const RpcStringBinding& binding) const;
    // The first binding of RpcBindingOrder for the host at which a server is registered, into
    // *resolved. RPC_S_OK; RPC_S_SERVER_UNAVAILABLE when none answers.
    RPC_STATUS Bind(const std::wstring& host, const RpcServiceEndpoints& service, Resolved* resolved) const;

    // The server of Bind as the interface a client expects; null when none answers or the
    // server that answers is of another kind.
    template <class Interface>
    std::shared_ptr<Interface> BindInterface(const std::wstring& host, const RpcServiceEndpoints& service) const
    {
        Resolved resolved;
        if (Bind(host, service, &resolved) != RPC_S_OK)
            return nullptr;
        return std::dynamic_pointer_cast<Interface>(resolved.server);
    }

private:
    using Key = std::tuple<std::wstring, std::wstring, std::wstring>;
    static Key KeyOf(const RpcStringBinding& binding);

    mutable CheckedMutex m_lock;
    std::map<Key, std::shared_ptr<RpcServer>> m_servers GUARDED_BY(m_lock);
};
