// SimulatedCommEventServer: the communication server's event door (ICommEventServer). Records
// every submitted event as procedure kSubmitEvent with its block and answers with the
// configured status (SimulatedServer); an accepted event is then relayed, as the real server
// relays the events it receives, to the relay when one is set: the 216-byte record and its
// text, on the submitting thread.
//
// Shared (std::shared_ptr) between its owner and the endpoint table. Thread-safe; the relay is
// called outside the lock and must stay valid until it is replaced or cleared.
#pragma once

#include <functional>
#include <mutex>
#include <span>
#include <string>

#include "platform/win32/ThreadSafety.h"
#include "hardware/ICommEventServer.h"
#include "simulation/SimulatedServer.h"

namespace support {

class SimulatedCommEventServer : public ICommEventServer, public SimulatedServer
{
public:
    static constexpr LONG kSubmitEvent = 1;
    using Relay = std::function<void(std::span<const BYTE> record, const std::wstring& text)>;

    SimulatedCommEventServer();

    // The receiver of accepted events; an empty relay stops relaying.
    void SetRelay(Relay relay);

    RPC_STATUS SubmitEvent(std::span<const BYTE> block, LONG* answer) override;

private:
    mutable CheckedMutex m_relayLock;
    Relay m_relay GUARDED_BY(m_relayLock);
};

}  // namespace support
