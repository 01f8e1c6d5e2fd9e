#include "simulation/SimulatedCfgServer.h"

#include <vector>

#include "hardware/RpcBlock.h"

namespace support {

SimulatedCfgServer::SimulatedCfgServer(std::wstring serverName) : SimulatedServer(std::move(serverName)) {}

RPC_STATUS SimulatedCfgServer::UpdateConfiguration(LONG code, std::span<const BYTE> block, LONG* answer)
{
    // The message is the client's; the record carries the code ahead of a copy of it.
    std::vector<BYTE> recorded(4);
    RpcBlock::PutLong(recorded, 0, code);
    recorded.insert(recorded.end(), block.begin(), block.end());
    return Answer(kUpdateConfiguration, L"UpdateConfiguration", recorded, answer, nullptr);
}

}  // namespace support
