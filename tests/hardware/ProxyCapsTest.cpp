// The caps on what one driver call carries, each at the cap itself (sent) and one beyond it
// (refused before anything is sent): status records, intrusion objects, elevator terminals and
// the notes of an acknowledgement.
#include "tests/hardware/HardwareTestSupport.h"

#include "hardware/AapBlocks.h"
#include "hardware/LAAPProxy.h"

#include <functional>
#include <string>

using namespace hardwaretest;

TEST_F(SimulatedServersTest, EachCallCapTakesItsLimitAndRefusesOneMoreSendingNothing)
{
    LAAPProxy proxy;
    proxy.SetHostName(kHost);
    BYTE flag = 0;
    LONG flags = 0;
    // Arrays with room beyond every cap, so that only the cap can refuse.
    std::vector<LONG> words(kMaxIntrusionObjects + 1);
    std::vector<BYTE> bytes(kMaxIntrusionObjects + 1);
    std::vector<ELEVATOR_TERMINAL_STATUS> terminals(kMaxElevatorTerminals + 1);
    const struct
    {
        const char* cap;
        std::size_t limit;
        std::function<BOOL(std::size_t)> send;
    } caps[] = {
        {"status records", kMaxStatusRecords,
         [&](std::size_t n) {
             PanelDeviceStatusRequest request;
             request.panelId = 7;
             request.entries.resize(n);
             return proxy.GetPanelDeviceStatus(&request);
         }},
        {"intrusion zones", kMaxIntrusionObjects,
         [&](std::size_t n) { return proxy.GetIntrusionZoneStatus(7, &flag, static_cast<LONG>(n), words, words); }},
        {"intrusion relays", kMaxIntrusionObjects,
         [&](std::size_t n) { return proxy.GetIntrusionOnboardRelayStatus(7, &flag, static_cast<LONG>(n), bytes); }},
        {"elevator terminals", kMaxElevatorTerminals,
         [&](std::size_t n) { return proxy.GetElevatorTerminalStatus(7, &flags, terminals, static_cast<LONG>(n)); }},
        {"acknowledgement notes", kMaxAcknowledgeNotes,
         [&](std::size_t n) {
             return proxy.AcknowledgeAlarm(0, 0, 7, 1, 1, 0, 0, CString(std::wstring(n, L'x').c_str()), false, nullptr);
         }},
    };
    for (const auto& cap : caps)
    {
        SCOPED_TRACE(std::string(cap.cap) + " " + std::to_string(cap.limit));
        Driver().ClearCalls();
        EXPECT_TRUE(cap.send(cap.limit));
        EXPECT_EQ(Driver().Calls().size(), 1u);
        EXPECT_FALSE(cap.send(cap.limit + 1));
        EXPECT_EQ(Driver().Calls().size(), 1u) << "nothing sent beyond the cap";
    }
}
