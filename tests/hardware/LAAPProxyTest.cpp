// The hardware driver server client: the block every operation sends, byte for byte, the
// result rule, the out-data it hands back, and the refusals made before any call.
#include "hardware/LAAPProxy.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <string>

#include "Libraries/BntIRUtility/VariantArchive.h"
#include "hardware/AapProcedure.h"
#include "tests/hardware/HardwareTestSupport.h"

using namespace hardwaretest;

namespace {

struct ProcedureCase
{
    const char* name;
    AapProcedure procedure;
    std::function<BOOL(LAAPProxy&)> call;
    std::vector<BYTE> expected;
};

std::vector<ProcedureCase> Cases()
{
    static std::vector<BYTE> inputBlock = With(std::vector<BYTE>(12), 0, {7, 0, 0, 0, 3, 0, 0, 0, 0x81, 0});
    static std::vector<BYTE> outputBlock = With(std::vector<BYTE>(8), 0, {7, 0, 0, 0, 3, 0, 0, 9});
    static std::vector<BYTE> alarmInputBlock = With(std::vector<BYTE>(4116), 0, {7});
    static std::vector<BYTE> elevatorBlock = With(std::vector<BYTE>(44), 4, {2});
    static std::vector<BYTE> boardBlock = With(std::vector<BYTE>(8456), 0, {7});
    static std::vector<BYTE> auxBlock = With(std::vector<BYTE>(72), 0, {7});
    static std::vector<BYTE> tableBlock = With(std::vector<BYTE>(520), 0, {7});
    static const std::vector<BYTE> request = With(Words({7, 0, -1, -1, 0}), 16, {0});
    return {
        {"ActivateAlarmOutput", AapProcedure::ActivateAlarmOutput,
         [](LAAPProxy& p) { return p.ActivateAlarmOutput(7, 65, 17); }, Words({7, 65, 17})},
        {"DeactivateAlarmOutput", AapProcedure::DeactivateAlarmOutput,
         [](LAAPProxy& p) { return p.DeactivateAlarmOutput(7, 66, 18); }, Words({7, 66, 18})},
        {"PulseAlarmOutput", AapProcedure::PulseAlarmOutput,
         [](LAAPProxy& p) { return p.PulseAlarmOutput(7, 65, 17, 30); }, Words({7, 65, 17, 30})},
        {"SetAlarmInputMask", AapProcedure::SetAlarmInputMask,
         [](LAAPProxy& p) { return p.SetAlarmInputMask(alarmInputBlock); }, alarmInputBlock},
        {"SetReaderInputMask", AapProcedure::SetReaderInputMask,
         [](LAAPProxy& p) { return p.SetReaderInputMask(inputBlock); }, inputBlock},
        {"ControlReaderOutput", AapProcedure::ControlReaderOutput,
         [](LAAPProxy& p) { return p.ControlReaderOutput(outputBlock); }, outputBlock},
        {"SendElevatorTerminalCommand", AapProcedure::SendElevatorTerminalCommand,
         [](LAAPProxy& p) { return p.SendElevatorTerminalCommand(elevatorBlock); }, elevatorBlock},
        {"SetElevatorTerminalMode", AapProcedure::SendElevatorTerminalCommand,
         [](LAAPProxy& p) { return p.SetElevatorTerminalMode(7, 3, 5); },
         With(With(With(std::vector<BYTE>(44), 0, {7}), 4, {3}), 8, {1, 0, 0, 0, 0, 0, 0, 0, 5})},
        {"GetDeviceStatus", AapProcedure::GetDeviceStatus,
         [](LAAPProxy& p) {
             bool online = true;
             return p.GetDeviceStatus(7, -1, &online);
         },
         Words({7, -1, 0})},
        {"SetIntrusionAreaArmState", AapProcedure::SetIntrusionAreaArmState,
         [](LAAPProxy& p) { return p.SetIntrusionAreaArmState(7, 2, 0x0304, nullptr); },
         With(Words({7, 2, 0, 0}), 8, {4, 3})},
        {"SilenceIntrusionArea", AapProcedure::SilenceIntrusionArea,
         [](LAAPProxy& p) { return p.SilenceIntrusionArea(7, 2); }, Words({7, 2})},
        {"OpenIntrusionDoor", AapProcedure::OpenIntrusionDoor, [](LAAPProxy& p) { return p.OpenIntrusionDoor(7, 4); },
         Words({7, 4})},
        {"SetIntrusionDoorMode", AapProcedure::SetIntrusionDoorMode,
         [](LAAPProxy& p) { return p.SetIntrusionDoorMode(7, 4, 2); }, Words({7, 4, 2})},
        {"SetIntrusionOffboardRelay", AapProcedure::SetIntrusionOffboardRelay,
         [](LAAPProxy& p) { return p.SetIntrusionOffboardRelay(7, 5, 2); }, Words({7, 5, 2})},
        {"SetIntrusionOnboardRelay", AapProcedure::SetIntrusionOnboardRelay,
         [](LAAPProxy& p) { return p.SetIntrusionOnboardRelay(7, 5, 1); }, Words({7, 5, 1})},
        {"BypassIntrusionZone", AapProcedure::BypassIntrusionZone,
         [](LAAPProxy& p) { return p.BypassIntrusionZone(7, 9, 1); }, Words({7, 9, 1})},
        {"SetIntrusionZoneOutput", AapProcedure::SetIntrusionZoneOutput,
         [](LAAPProxy& p) { return p.SetIntrusionZoneOutput(7, 9, 0); }, Words({7, 9, 0})},
        {"AcknowledgeAlarm", AapProcedure::AcknowledgeAlarm,
         [](LAAPProxy& p) { return p.AcknowledgeAlarm(1, 2, 7, 4, 5, 6, 8, L"ok", true, nullptr); },
         With(With(Words({1, 2, 7, 4, 5, 6, 8, 0, 0, 6}), 28, {1}), 40, {'o', 0, 'k', 0, 0, 0})},
        {"DownloadFirmware", AapProcedure::DownloadFirmware, [](LAAPProxy& p) { return p.DownloadFirmware(7); },
         Words({7})},
        {"DownloadDatabase", AapProcedure::DownloadDatabase, [](LAAPProxy& p) { return p.DownloadDatabase(7); },
         Words({7})},
        {"SetPanelClock", AapProcedure::SetPanelClock, [](LAAPProxy& p) { return p.SetPanelClock(7); }, Words({7})},
        {"DownloadReaderFirmware", AapProcedure::DownloadReaderFirmware,
         [](LAAPProxy& p) { return p.DownloadReaderFirmware(7, 3, 12, 1); }, Words({7, 3, 12, 1})},
        {"ResetUseLimit", AapProcedure::ResetUseLimit, [](LAAPProxy& p) { return p.ResetUseLimit(request, 1); },
         With(request, 20, {1})},
        {"SetPanelConnection", AapProcedure::SetPanelConnection,
         [](LAAPProxy& p) { return p.SetPanelConnection(7, 3); }, Words({7, 3})},
        {"GetPanelDeviceStatus", AapProcedure::GetPanelDeviceStatus,
         [](LAAPProxy& p) {
             PanelDeviceStatusRequest r;
             r.panelId = 7;
             r.entries = {SYSTEM_STATUS_ENTRY{SYSTEM_STATUS_ENTRY::kReader, 3}};
             r.entries[0].mode = -1;
             return p.GetPanelDeviceStatus(&r);
         },
         With(With(Words({7, 0, 1, 0, 2, 3}), 72, {}), 64, {0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0})},
        {"GetAlarmPanelInputStatus", AapProcedure::GetAlarmPanelInputStatus,
         [](LAAPProxy& p) { return p.GetAlarmPanelInputStatus(boardBlock); }, boardBlock},
        {"GetAlarmPanelOutputStatus", AapProcedure::GetAlarmPanelOutputStatus,
         [](LAAPProxy& p) { return p.GetAlarmPanelOutputStatus(boardBlock); }, boardBlock},
        {"GetPanelAuxStatus", AapProcedure::GetPanelAuxStatus,
         [](LAAPProxy& p) { return p.GetPanelAuxStatus(auxBlock); }, auxBlock},
        {"GetPanelDeviceStatusTable", AapProcedure::GetPanelDeviceStatusTable,
         [](LAAPProxy& p) { return p.GetPanelDeviceStatusTable(tableBlock); }, tableBlock},
        {"GetIntrusionPanelStatus", AapProcedure::GetIntrusionPanelStatus,
         [](LAAPProxy& p) { return p.GetIntrusionPanelStatus(7, nullptr, nullptr, nullptr); }, Words({7, 0, 0})},
        {"GetIntrusionZoneStatus", AapProcedure::GetIntrusionZoneStatus,
         [](LAAPProxy& p) {
             BYTE flag = 0;
             std::vector<LONG> a(2), b(2);
             return p.GetIntrusionZoneStatus(7, &flag, 2, a, b);
         },
         Words({7, 0, 2, 0, 0, 0, 0})},
        {"GetIntrusionOnboardRelayStatus", AapProcedure::GetIntrusionOnboardRelayStatus,
         [](LAAPProxy& p) {
             BYTE flag = 0;
             std::vector<BYTE> s(3);
             return p.GetIntrusionOnboardRelayStatus(7, &flag, 3, s);
         },
         With(Words({7, 0, 3}), 12, {0, 0, 0})},
        {"GetIntrusionOffboardRelayStatus", AapProcedure::GetIntrusionOffboardRelayStatus,
         [](LAAPProxy& p) {
             BYTE flag = 0;
             std::vector<BYTE> s(2);
             return p.GetIntrusionOffboardRelayStatus(7, &flag, 2, s);
         },
         With(Words({7, 0, 2}), 12, {0, 0})},
        {"GetIntrusionDoorStatus", AapProcedure::GetIntrusionDoorStatus,
         [](LAAPProxy& p) {
             BYTE flag = 0;
             std::vector<LONG> a(1), b(1);
             return p.GetIntrusionDoorStatus(7, &flag, 1, a, b);
         },
         Words({7, 0, 1, 0, 0})},
        {"GetIntrusionAreaStatus", AapProcedure::GetIntrusionAreaStatus,
         [](LAAPProxy& p) {
             BYTE flag = 0;
             std::vector<LONG> a(1), b(1), c(1);
             return p.GetIntrusionAreaStatus(7, &flag, 1, a, b, c);
         },
         Words({7, 0, 1, 0, 0, 0})},
        {"GetElevatorTerminalStatus", AapProcedure::GetElevatorTerminalStatus,
         [](LAAPProxy& p) {
             LONG flags = 0;
             std::vector<ELEVATOR_TERMINAL_STATUS> e(2);
             e[1].index = 1;
             return p.GetElevatorTerminalStatus(7, &flags, e, 2);
         },
         Words({7, 0, 2, 0, 0, 0, 0, 1, 0, 0, 0})},
    };
}

TEST_F(SimulatedServersTest, EveryProcedureSendsItsBlockAndFollowsTheResultRule)
{
    for (const ProcedureCase& c : Cases())
    {
        SCOPED_TRACE(c.name);
        const LONG number = static_cast<LONG>(c.procedure);
        Driver().ClearCalls();
        Driver().SetAnswer(number, {});
        LAAPProxy proxy;
        proxy.SetHostName(kHost);
        EXPECT_TRUE(c.call(proxy));
        const auto calls = Driver().Calls();
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].procedure, number);
        EXPECT_EQ(calls[0].name, AapProcedureName(c.procedure));
        EXPECT_EQ(calls[0].block, c.expected);

        // The first status word decides; the second is not examined.
        Driver().SetAnswer(number, support::SimulatedAnswer::Status(0, 5));
        EXPECT_TRUE(c.call(proxy));
        Driver().SetAnswer(number, support::SimulatedAnswer::Status(1));
        EXPECT_FALSE(c.call(proxy));
        Driver().SetAnswer(number, support::SimulatedAnswer::Failing());
        EXPECT_FALSE(c.call(proxy));
        EXPECT_EQ(Driver().Calls().size(), 4u);

        // No host, or a host nobody serves: nothing is sent.
        LAAPProxy unaimed;
        EXPECT_FALSE(c.call(unaimed));
        LAAPProxy elsewhere;
        elsewhere.SetHostName(L"NOWHERE");
        EXPECT_FALSE(c.call(elsewhere));
        EXPECT_EQ(Driver().Calls().size(), 4u);
    }
}

TEST_F(SimulatedServersTest, MissingOrWrongSizedBlocksAreRefusedBeforeAnyCall)
{
    LAAPProxy proxy;
    proxy.SetHostName(kHost);
    std::vector<BYTE> shortBlock(11);
    std::vector<BYTE> longBlock(13);
    std::vector<LONG> two(2);
    std::vector<BYTE> bytes(2);
    std::vector<ELEVATOR_TERMINAL_STATUS> entries(2);
    BYTE flag = 0;
    LONG flags = 0;
    EXPECT_FALSE(proxy.SetReaderInputMask(shortBlock));
    EXPECT_FALSE(proxy.SetReaderInputMask(longBlock));
    EXPECT_FALSE(proxy.SetReaderInputMask({}));
    EXPECT_FALSE(proxy.ControlReaderOutput(shortBlock));
    EXPECT_FALSE(proxy.SetAlarmInputMask(shortBlock));
    EXPECT_FALSE(proxy.GetAlarmPanelInputStatus(shortBlock));
    EXPECT_FALSE(proxy.ResetUseLimit({}, 1));
    EXPECT_FALSE(proxy.GetPanelDeviceStatus(nullptr));
    EXPECT_FALSE(proxy.GetDeviceStatus(7, -1, nullptr));
    // A count beyond an array, a negative count, or a missing flag.
    EXPECT_FALSE(proxy.GetIntrusionZoneStatus(7, &flag, 3, two, two));
    EXPECT_FALSE(proxy.GetIntrusionZoneStatus(7, &flag, -1, two, two));
    EXPECT_FALSE(proxy.GetIntrusionZoneStatus(7, nullptr, 2, two, two));
    EXPECT_FALSE(proxy.GetIntrusionAreaStatus(7, &flag, 2, two, two, std::span<LONG>(two).first(1)));
    EXPECT_FALSE(proxy.GetIntrusionOnboardRelayStatus(7, &flag, 3, bytes));
    EXPECT_FALSE(proxy.GetElevatorTerminalStatus(7, &flags, entries, 3));
    EXPECT_FALSE(proxy.GetElevatorTerminalStatus(7, &flags, entries, -2));
    EXPECT_FALSE(proxy.AcknowledgeAlarm(0, 0, 7, 1, 1, 0, 0, CString(std::wstring(kMaxAcknowledgeNotes + 1, L'x')),
                                        false, nullptr));
    EXPECT_FALSE(proxy.SetReaderMode(7, nullptr));
    PanelDeviceStatusRequest tooMany;
    tooMany.entries.resize(kMaxStatusRecords + 1);
    EXPECT_FALSE(proxy.GetPanelDeviceStatus(&tooMany));
    EXPECT_TRUE(Driver().Calls().empty());
}

TEST_F(SimulatedServersTest, OutDataComesBackFromTheServerWithinTheBlock)
{
    LAAPProxy proxy;
    proxy.SetHostName(kHost);

    // The device status answer is read whenever the call completed, whatever the status words.
    Driver().SetAnswer(static_cast<LONG>(AapProcedure::GetDeviceStatus),
                       support::SimulatedAnswer::Patched({{8, {1}}}, 1));
    bool online = false;
    EXPECT_FALSE(proxy.GetDeviceStatus(7, -1, &online));
    EXPECT_TRUE(online);
    Driver().SetAnswer(static_cast<LONG>(AapProcedure::GetDeviceStatus), support::SimulatedAnswer::Failing());
    EXPECT_FALSE(proxy.GetDeviceStatus(7, -1, &online));
    EXPECT_FALSE(online);

    Driver().SetAnswer(static_cast<LONG>(AapProcedure::GetPanelDeviceStatus),
                       support::SimulatedAnswer::Patched(
                           {{5, {0x2A}}, {16 + 56 + 8, {3}}, {16 + 56 + 16, {0x10, 0, 0, 0x0C}}, {16 + 56 + 48, {4}}}));
    PanelDeviceStatusRequest request;
    request.panelId = 7;
    request.entries = {SYSTEM_STATUS_ENTRY{SYSTEM_STATUS_ENTRY::kPanel},
                       SYSTEM_STATUS_ENTRY{SYSTEM_STATUS_ENTRY::kReader, 2}};
    ASSERT_TRUE(proxy.GetPanelDeviceStatus(&request));
    EXPECT_EQ(request.status, 0x2A);
    EXPECT_EQ(request.entries[1].status, 3);
    EXPECT_EQ(request.entries[1].flagsA, 0x0C000010);
    EXPECT_EQ(request.entries[1].mode, 4);
    EXPECT_EQ(request.entries[1].deviceId, 2);

    // Two zones: flag, then the two arrays one after the other.
    Driver().SetAnswer(static_cast<LONG>(AapProcedure::GetIntrusionZoneStatus),
                       support::SimulatedAnswer::Patched({{4, {1}}, {12, {5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8}}}));
    BYTE flag = 0;
    std::vector<LONG> first(2), second(2);
    ASSERT_TRUE(proxy.GetIntrusionZoneStatus(7, &flag, 2, first, second));
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(first, (std::vector<LONG>{5, 6}));
    EXPECT_EQ(second, (std::vector<LONG>{7, 8}));

    // A server that writes more than the block holds writes nothing past it.
    Driver().SetAnswer(static_cast<LONG>(AapProcedure::GetIntrusionOnboardRelayStatus),
                       support::SimulatedAnswer::Patched({{12, {1, 2, 3, 4, 5, 6}}}));
    std::vector<BYTE> states(4, 0xEE);
    ASSERT_TRUE(proxy.GetIntrusionOnboardRelayStatus(7, &flag, 2, std::span<BYTE>(states).first(2)));
    EXPECT_EQ(states, (std::vector<BYTE>{1, 2, 0xEE, 0xEE}));

    Driver().SetAnswer(static_cast<LONG>(AapProcedure::AcknowledgeAlarm),
                       support::SimulatedAnswer::Patched({{32, {9}}}));
    LONG simultaneous = 0;
    ASSERT_TRUE(proxy.AcknowledgeAlarm(0, 0, 7, 1, 1, 0, 0, L"", false, &simultaneous));
    EXPECT_EQ(simultaneous, 9);
}

TEST_F(SimulatedServersTest, CommandMapsTravelAsVariantArchives)
{
    LAAPProxy proxy;
    proxy.SetHostName(kHost);
    const ReaderModeRequest mode{3, static_cast<LONG>(0x80000001u), 2};
    ASSERT_TRUE(proxy.SetReaderMode(7, &mode));
    ASSERT_TRUE(proxy.OpenDoor(7, -3));
    const auto calls = Driver().CallsOf(static_cast<LONG>(AapProcedure::SendCommandMap));
    ASSERT_EQ(calls.size(), 2u);

    const auto decode = [](const std::vector<BYTE>& block) {
        AapCommandMap map;
        EXPECT_EQ(static_cast<std::size_t>(RpcBlock::Long(block, 0)), block.size() - 4);
        Bnt::IR::Utility::VariantArchive::Load(std::span<const BYTE>(block).subspan(4), &map);
        return map;
    };
    const AapCommandMap setMode = decode(calls[0].block);
    EXPECT_EQ(setMode.at("CommandId"), Bnt::IR::Utility::Variant("SetReaderMode"));
    EXPECT_EQ(setMode.at("PanelId"), Bnt::IR::Utility::Variant(7));
    // Reader, mode and flags go as unsigned values, the panel as a signed one.
    EXPECT_EQ(setMode.at("ReaderId").Which(), 3);
    EXPECT_EQ(setMode.at("Mode"), Bnt::IR::Utility::Variant(0x80000001u));
    EXPECT_EQ(setMode.at("Flags"), Bnt::IR::Utility::Variant(2u));
    EXPECT_EQ(setMode.size(), 5u);

    const AapCommandMap openDoor = decode(calls[1].block);
    EXPECT_EQ(openDoor.at("CommandId"), Bnt::IR::Utility::Variant("OpenDoor"));
    EXPECT_EQ(openDoor.at("ReaderId"), Bnt::IR::Utility::Variant(-3));
    EXPECT_EQ(openDoor.size(), 3u);
}

TEST_F(SimulatedServersTest, CallsOfOneProxyNeverOverlap)
{
    std::atomic<int> inFlight{0};
    std::atomic<int> overlaps{0};
    support::SimulatedAnswer answer;
    answer.fill = [&](std::span<BYTE>) {
        if (inFlight.fetch_add(1) != 0)
            ++overlaps;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
        inFlight.fetch_sub(1);
    };
    Driver().SetDefaultAnswer(answer);
    LAAPProxy shared;
    shared.SetHostName(kHost);
    std::vector<std::thread> threads;
    std::atomic<int> succeeded{0};
    for (int t = 0; t < 6; ++t)
    {
        threads.emplace_back([&shared, &succeeded, t] {
            for (int i = 0; i < 20; ++i)
                succeeded += shared.SetPanelConnection(t, i) ? 1 : 0;
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(succeeded.load(), 120);
    EXPECT_EQ(overlaps.load(), 0);
    EXPECT_EQ(Driver().Calls().size(), 120u);
}

TEST_F(SimulatedServersTest, AChangeOfHostDropsTheBinding)
{
    LAAPProxy proxy;
    EXPECT_EQ(proxy.GetHostName(), L"");
    proxy.SetHostName(kHost);
    ASSERT_TRUE(proxy.SetPanelClock(1));
    proxy.SetHostName(L"NOWHERE");
    EXPECT_EQ(proxy.GetHostName(), L"NOWHERE");
    EXPECT_FALSE(proxy.SetPanelClock(1));
    proxy.SetHostName(kHost);
    EXPECT_TRUE(proxy.SetPanelClock(1));
    EXPECT_EQ(Driver().Calls().size(), 2u);
}

}  // namespace
