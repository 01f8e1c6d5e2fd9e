#include "simulation/SimulatedCommEventServer.h"

#include <vector>

#include "hardware/RpcBlock.h"

namespace support {

namespace {

// The event record that heads every block.
constexpr std::size_t kRecordSize = 216;

}  // namespace

SimulatedCommEventServer::SimulatedCommEventServer() : SimulatedServer(L"communication server event door") {}

void SimulatedCommEventServer::SetRelay(Relay relay)
{
    const CheckedMutexLock lock(m_relayLock);
    m_relay = std::move(relay);
}

RPC_STATUS SimulatedCommEventServer::SubmitEvent(std::span<const BYTE> block, LONG* answer)
{
    std::vector<BYTE> recorded(block.begin(), block.end());
    LONG accepted = -1;
    const RPC_STATUS status = Answer(kSubmitEvent, L"SubmitEvent", recorded, &accepted, nullptr);
    if (answer != nullptr)
        *answer = accepted;
    LONG textBytes = 0;
    std::wstring text;
    // A block too short for its record or its text is recorded but never relayed.
    if (status != RPC_S_OK || accepted != 0 || !RpcBlock::GetLong(block, kRecordSize, &textBytes) || textBytes < 0 ||
        block.size() - kRecordSize - 4 < static_cast<std::size_t>(textBytes) ||
        !RpcBlock::FromUtf16(block.subspan(kRecordSize + 4, static_cast<std::size_t>(textBytes)), &text))
        return status;
    Relay relay;
    {
        const CheckedMutexLock lock(m_relayLock);
        relay = m_relay;
    }
    if (relay)
        relay(block.first(kRecordSize), text);
    return status;
}

}  // namespace support
