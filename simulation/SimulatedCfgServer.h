// SimulatedCfgServer: a configuration server (communication, linkage or archive) that records
// every configuration message and answers with the configured status (SimulatedServer). A
// message is recorded as procedure kUpdateConfiguration with the block {code, then the
// message's bytes}; the answer's first status word is the server's answer.
//
// Shared (std::shared_ptr) between its owner and the endpoint table. Thread-safe.
#pragma once

#include <string>

#include "hardware/ICfgMessageServer.h"
#include "simulation/SimulatedServer.h"

namespace support {

class SimulatedCfgServer : public ICfgMessageServer, public SimulatedServer
{
public:
    static constexpr LONG kUpdateConfiguration = 1;

    explicit SimulatedCfgServer(std::wstring serverName);

    RPC_STATUS UpdateConfiguration(LONG code, std::span<const BYTE> block, LONG* answer) override;
};

}  // namespace support
