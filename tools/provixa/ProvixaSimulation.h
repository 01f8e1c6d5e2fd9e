// ProvixaSimulation: the host's --simulate: simulated hardware driver and linkage servers
// registered under every communication-server host the installation's panels name (and this
// computer), with the three configuration servers, all answering success; status requests are
// answered with a fixed pattern in which every panel and device is online. Every call a
// server receives is printed as one line (procedure, block bytes) on the stream the host
// gives: its output, or standard error when the output is JSON (--json, the bus).
//
// One per host run, built and destroyed on the host's thread; the servers unregister when it
// goes. The printing is serialised by m_outputLock.
#pragma once

#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <vector>

namespace support {
class SimulatedInstallation;
}

class ProvixaSimulation
{
public:
    // Registers the servers; calls are reported on trace. Throws std::runtime_error when the
    // panels cannot be read or a binding is taken.
    explicit ProvixaSimulation(std::ostream& trace);
    ~ProvixaSimulation();
    ProvixaSimulation(const ProvixaSimulation&) = delete;
    ProvixaSimulation& operator=(const ProvixaSimulation&) = delete;

    // The distinct, non-empty panel hosts (ACCESSPANE.TERMINALNA) of the installation's
    // database. Throws std::runtime_error when the database cannot be read.
    static std::vector<std::wstring> PanelHosts();

private:
    // Serialises the lines the servers print; declared first so it outlives the servers.
    std::mutex m_outputLock;
    std::unique_ptr<support::SimulatedInstallation> m_servers;
};
