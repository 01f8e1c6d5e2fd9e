// SimulatedInstallation: one simulated server of each kind (hardware driver, linkage, the
// communication, linkage and archive configuration servers, and the communication server's
// event door), registered in the process's
// endpoint table under the hosts given, on every binding of the ACS.INI binding order, and
// unregistered again when the object goes.
//
// Owned by one test or by the host for the length of a command. The servers are thread-safe;
// the object itself is built and destroyed on one thread.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simulation/SimulatedCfgServer.h"
#include "simulation/SimulatedCommEventServer.h"
#include "simulation/SimulatedDriverServer.h"
#include "simulation/SimulatedLinkageServer.h"

namespace support {

class SimulatedInstallation
{
public:
    // Registers the driver and linkage servers under each host of driverHosts (hosts naming
    // the same computer count once), and the three configuration servers and the event door
    // under this computer. Throws std::runtime_error when a binding is
    // already taken.
    explicit SimulatedInstallation(const std::vector<std::wstring>& driverHosts);
    ~SimulatedInstallation();
    SimulatedInstallation(const SimulatedInstallation&) = delete;
    SimulatedInstallation& operator=(const SimulatedInstallation&) = delete;

    SimulatedDriverServer& Driver() const { return *m_driver; }
    SimulatedLinkageServer& Linkage() const { return *m_linkage; }
    SimulatedCfgServer& CommServer() const { return *m_commServer; }
    SimulatedCfgServer& LinkageCfgServer() const { return *m_linkageCfgServer; }
    SimulatedCfgServer& ArchiveServer() const { return *m_archiveServer; }
    SimulatedCommEventServer& CommEventServer() const { return *m_commEventServer; }
    // Every server, in the order above.
    std::vector<SimulatedServer*> Servers() const;

private:
    std::shared_ptr<SimulatedDriverServer> m_driver;
    std::shared_ptr<SimulatedLinkageServer> m_linkage;
    std::shared_ptr<SimulatedCfgServer> m_commServer;
    std::shared_ptr<SimulatedCfgServer> m_linkageCfgServer;
    std::shared_ptr<SimulatedCfgServer> m_archiveServer;
    std::shared_ptr<SimulatedCommEventServer> m_commEventServer;
};

}  // namespace support
