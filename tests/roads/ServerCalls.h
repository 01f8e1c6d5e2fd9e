// What the simulated servers were called for while a road ran, for the roads' tests: each call as
// the server's name and the procedure's. Header-only.
#pragma once

#include "simulation/SimulatedInstallation.h"
#include "tests/e2e/DoorTest.h"

#include <string>
#include <vector>

namespace isolation {

// The calls every server of the installation recorded, in the servers' order; then cleared.
inline std::vector<std::string> TakeServerCalls(const support::SimulatedInstallation& servers)
{
    std::vector<std::string> calls;
    for (support::SimulatedServer* server : servers.Servers())
    {
        for (const support::SimulatedCall& call : server->Calls())
            calls.push_back(e2e::DoorTest::Utf8(server->ServerName()) + " " + e2e::DoorTest::Utf8(call.name));
        server->ClearCalls();
    }
    return calls;
}

}  // namespace isolation
