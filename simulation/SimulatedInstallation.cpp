#include "simulation/SimulatedInstallation.h"

#include <set>
#include <stdexcept>

#include "platform/rpc/RpcBindingOrder.h"
#include "platform/rpc/RpcEndpointTable.h"

namespace support {

namespace {

void RegisterOrThrow(const std::wstring& host, const RpcServiceEndpoints& endpoints,
                     const std::shared_ptr<RpcServer>& server)
{
    if (RpcEndpointTable::Instance().RegisterService(host, endpoints, server) != RPC_S_OK)
        throw std::runtime_error("a simulated server's binding is already taken");
}

}  // namespace

SimulatedInstallation::SimulatedInstallation(const std::vector<std::wstring>& driverHosts)
    : m_driver(std::make_shared<SimulatedDriverServer>()), m_linkage(std::make_shared<SimulatedLinkageServer>()),
      m_commServer(std::make_shared<SimulatedCfgServer>(L"communication server")),
      m_linkageCfgServer(std::make_shared<SimulatedCfgServer>(L"linkage configuration server")),
      m_archiveServer(std::make_shared<SimulatedCfgServer>(L"archive server")),
      m_commEventServer(std::make_shared<SimulatedCommEventServer>())
{
    try
    {
        std::set<std::wstring> hosts;
        for (const std::wstring& host : driverHosts)
            hosts.insert(RpcBindingOrder::CanonicalHost(host));
        for (const std::wstring& host : hosts)
        {
            RegisterOrThrow(host, kDriverServerEndpoints, m_driver);
            RegisterOrThrow(host, kLinkageServerEndpoints, m_linkage);
        }
        RegisterOrThrow(L"", kCommServerCfgEndpoints, m_commServer);
        RegisterOrThrow(L"", kLinkageServerCfgEndpoints, m_linkageCfgServer);
        RegisterOrThrow(L"", kArchiveServerCfgEndpoints, m_archiveServer);
        RegisterOrThrow(L"", kCommServerEventEndpoints, m_commEventServer);
    }
    catch (...)
    {
        for (SimulatedServer* server : Servers())
            RpcEndpointTable::Instance().Unregister(dynamic_cast<RpcServer*>(server));
        throw;
    }
}

SimulatedInstallation::~SimulatedInstallation()
{
    for (SimulatedServer* server : Servers())
        RpcEndpointTable::Instance().Unregister(dynamic_cast<RpcServer*>(server));
}

std::vector<SimulatedServer*> SimulatedInstallation::Servers() const
{
    return {m_driver.get(),           m_linkage.get(),       m_commServer.get(),
            m_linkageCfgServer.get(), m_archiveServer.get(), m_commEventServer.get()};
}

}  // namespace support
