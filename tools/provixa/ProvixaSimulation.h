// ProvixaSimulation: the host's --simulate: simulated hardware driver and linkage servers
// registered under every communication-server host the installation's panels name (and this
// computer), with the three configuration servers, all answering success; status requests are
// answered with a fixed pattern in which every panel and device is online. Every call a
// server receives is printed as one line (procedure, block bytes) through the line writer the
// host gives: its output's, or standard error's when the output is JSON (--json, the bus). The
// communication server's event door relays the events it accepts to RelayEventsTo's receiver,
// as the real server passes them to the hardware event provider.
//
// One per host run, built and destroyed on the host's thread; the servers unregister when it
// goes. The writer keeps each line whole against the host's own.
#pragma once

#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

class ProvixaLineWriter;

namespace support {
class SimulatedInstallation;
}

class ProvixaSimulation
{
public:
    // Registers the servers; calls are reported on trace. Throws std::runtime_error when the
    // panels cannot be read or a binding is taken.
    explicit ProvixaSimulation(ProvixaLineWriter& trace);
    ~ProvixaSimulation();
    ProvixaSimulation(const ProvixaSimulation&) = delete;
    ProvixaSimulation& operator=(const ProvixaSimulation&) = delete;

    // The distinct, non-empty panel hosts (ACCESSPANE.TERMINALNA) of the installation's
    // database. Throws std::runtime_error when the database cannot be read.
    static std::vector<std::wstring> PanelHosts();

    // The receiver of the events the communication server accepts (the record and its text);
    // an empty one stops the relay. It must stay valid until replaced or cleared.
    void RelayEventsTo(std::function<void(std::span<const BYTE> record, const std::wstring& text)> receiver);

private:
    std::unique_ptr<support::SimulatedInstallation> m_servers;
};
