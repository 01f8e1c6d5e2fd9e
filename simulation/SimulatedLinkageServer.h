// SimulatedLinkageServer: a linkage server that records every call (procedures 1, 7 and 8 with
// their blocks) and answers with the configured statuses and out-data (SimulatedServer); the
// answer's first status word is the server's answer.
//
// Shared (std::shared_ptr) between its owner and the endpoint table. Thread-safe.
#pragma once

#include "hardware/IClslLinkageServer.h"
#include "simulation/SimulatedServer.h"

namespace support {

class SimulatedLinkageServer : public IClslLinkageServer, public SimulatedServer
{
public:
    SimulatedLinkageServer();

    RPC_STATUS LaunchTour(std::span<BYTE> block, LONG* answer) override;
    RPC_STATUS RegisterHardwareEventProvider(std::span<BYTE> block, LONG* answer) override;
    RPC_STATUS RegisterSoftwareEventProvider(std::span<BYTE> block, LONG* answer) override;
};

}  // namespace support
