#include "platform/rpc/RpcEndpointTable.h"

#include <cwctype>

#include "platform/rpc/RpcBindingOrder.h"

RpcEndpointTable& RpcEndpointTable::Instance()
{
    // Never destroyed: the application's server threads make their last attempt from the
    // destructors of process-wide objects, after function statics may have gone.
    static RpcEndpointTable* const table = new RpcEndpointTable;
    return *table;
}

RpcEndpointTable::Key RpcEndpointTable::KeyOf(const RpcStringBinding& binding)
{
    std::wstring host = binding.NetworkAddress();
    for (wchar_t& c : host)
        c = static_cast<wchar_t>(std::towupper(c));
    return {std::move(host), binding.ProtocolSequence(), binding.Endpoint()};
}

RPC_STATUS RpcEndpointTable::Register(const RpcStringBinding& binding, std::shared_ptr<RpcServer> server)
{
    if (!RpcStringBinding::IsSupportedProtocol(binding.ProtocolSequence()))
        return RPC_S_PROTSEQ_NOT_SUPPORTED;
    if (server == nullptr)
        return RPC_S_INVALID_STRING_BINDING;
    const CheckedMutexLock lock(m_lock);
    const auto [slot, added] = m_servers.try_emplace(KeyOf(binding), std::move(server));
    return added ? RPC_S_OK : RPC_S_INVALID_STRING_BINDING;
}

RPC_STATUS RpcEndpointTable::RegisterService(const std::wstring& host, const RpcServiceEndpoints& service,
                                             const std::shared_ptr<RpcServer>& server)
{
    const std::vector<RpcStringBinding> bindings = RpcBindingOrder::ForHost(host, service);
    for (std::size_t i = 0; i < bindings.size(); ++i)
    {
        const RPC_STATUS status = Register(bindings[i], server);
        if (status != RPC_S_OK)
        {
            for (std::size_t j = 0; j < i; ++j)
                Unregister(bindings[j]);
            return status;
        }
    }
    return RPC_S_OK;
}

bool RpcEndpointTable::Unregister(const RpcStringBinding& binding)
{
    const CheckedMutexLock lock(m_lock);
    return m_servers.erase(KeyOf(binding)) > 0;
}

std::size_t RpcEndpointTable::Unregister(const RpcServer* server)
{
    const CheckedMutexLock lock(m_lock);
    return std::erase_if(m_servers, [server](const auto& entry) { return entry.second.get() == server; });
}

void RpcEndpointTable::Clear()
{
    std::map<Key, std::shared_ptr<RpcServer>> released;
    {
        const CheckedMutexLock lock(m_lock);
        released.swap(m_servers);
    }
    // The servers are released here, outside the lock: a server's destructor may unregister.
}

std::shared_ptr<RpcServer> RpcEndpointTable::Resolve(const RpcStringBinding& binding) const
{
    const CheckedMutexLock lock(m_lock);
    const auto found = m_servers.find(KeyOf(binding));
    return found != m_servers.end() ? found->second : nullptr;
}

RPC_STATUS RpcEndpointTable::Bind(const std::wstring& host, const RpcServiceEndpoints& service,
                                  Resolved* resolved) const
{
    for (const RpcStringBinding& binding : RpcBindingOrder::ForHost(host, service))
    {
        std::shared_ptr<RpcServer> server = Resolve(binding);
        if (server != nullptr)
        {
            *resolved = Resolved{binding, std::move(server)};
            return RPC_S_OK;
        }
    }
    return RPC_S_SERVER_UNAVAILABLE;
}
