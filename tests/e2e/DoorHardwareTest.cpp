// The device classes' WMI methods through the door, against simulated hardware servers:
// every command method's block as the driver server received it, its audit record (none when
// the command failed), the permission refusal, and the panel's status update on the access,
// intrusion and elevator roads with what the status methods then answer.
#include "tests/e2e/DoorCommandTest.h"

#include "framework/CWmipMessages.h"
#include "hardware/AapProcedure.h"
#include "hardware/RpcBlock.h"
#include "mappers/devices/IntrusionStatusKey.h"
#include "provider/CWmipApp.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/support/BlockBytes.h"
#include "tests/support/InstallationDatabase.h"

#include <map>
#include <optional>

namespace e2e {
namespace {

using support::SimulatedAnswer;
using support::Words;

std::vector<BYTE> Set(std::vector<BYTE> block, std::size_t offset, BYTE value)
{
    block.at(offset) = value;
    return block;
}

class DoorHardware : public DoorCommandTest
{
protected:
    static void SetUpTestSuite() { AddCallers({Callers::kLooker, Callers::kMasker}); }

    support::SimulatedDriverServer& Driver() override { return m_servers->Driver(); }

    // The "Status" a GetHardwareStatus call answered.
    std::string Status(const std::wstring& path)
    {
        const Reply reply = Exec(Form::Sync, path, L"GetHardwareStatus");
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        return reply.objects.empty() ? "<none>" : support::PropertyText(reply.objects.front().Get(), L"Status");
    }

    std::optional<support::SimulatedInstallation> m_servers{std::in_place, std::vector<std::wstring>{L"localhost"}};
};

struct CommandCase
{
    const wchar_t* path;
    const wchar_t* method;
    AapProcedure procedure;
    std::vector<BYTE> block;
    const char* operation;
    const char* objectKind;
    const char* name;
};

std::vector<CommandCase> CommandCases()
{
    const std::vector<BYTE> input = Words({1, 0, 0});
    // The second input and output are tried on a reader whose number differs from its panel's.
    const std::vector<BYTE> input2 = Words({2, 1, 0});
    const std::vector<BYTE> output = Words({1, 0});
    const std::vector<BYTE> output2 = Words({2, 1});
    std::vector<BYTE> reset = Words({1, 0, -1, -1, 0});
    reset.push_back(1);
    return {
        {L"Bnt_Panel.ID=1", L"DownloadFirmware", AapProcedure::DownloadFirmware, Words({1}), "20", "33", "Lobby panel"},
        {L"Bnt_Panel.ID=1", L"DownloadDatabase", AapProcedure::DownloadDatabase, Words({1}), "20", "33", "Lobby panel"},
        {L"Bnt_Panel.ID=1", L"ResetUseLimit", AapProcedure::ResetUseLimit, reset, "34", "33", "Lobby panel"},
        {L"Bnt_Panel.ID=1", L"Connect", AapProcedure::SetPanelConnection, Words({1, 1}), "12", "33", "Lobby panel"},
        {L"Bnt_Panel.ID=1", L"Disconnect", AapProcedure::SetPanelConnection, Words({1, 0}), "12", "33", "Lobby panel"},
        {L"Bnt_Panel.ID=1", L"SetClock", AapProcedure::SetPanelClock, Words({1}), "14", "33", "Lobby panel"},
        {L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"Mask", AapProcedure::SetReaderInputMask, Set(input, 8, 0x81), "16",
         "7", "Lobby door contact"},
        {L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"Unmask", AapProcedure::SetReaderInputMask, Set(input, 8, 0x80),
         "24", "7", "Lobby door contact"},
        {L"Bnt_ReaderInput2.PanelID=2,ReaderID=1", L"Mask", AapProcedure::SetReaderInputMask, Set(input2, 9, 0x81),
         "16", "7", "Dock exit REX"},
        {L"Bnt_ReaderInput2.PanelID=2,ReaderID=1", L"Unmask", AapProcedure::SetReaderInputMask, Set(input2, 9, 0x80),
         "24", "7", "Dock exit REX"},
        {L"Bnt_ReaderOutput1.PanelID=1,ReaderID=0", L"Activate", AapProcedure::ControlReaderOutput, Set(output, 6, 9),
         "22", "9", "Lobby strike"},
        {L"Bnt_ReaderOutput1.PanelID=1,ReaderID=0", L"Deactivate", AapProcedure::ControlReaderOutput, Set(output, 6, 8),
         "23", "9", "Lobby strike"},
        {L"Bnt_ReaderOutput1.PanelID=1,ReaderID=0", L"Pulse", AapProcedure::ControlReaderOutput, Set(output, 6, 0x80),
         "26", "9", "Lobby strike"},
        {L"Bnt_ReaderOutput2.PanelID=2,ReaderID=1", L"Activate", AapProcedure::ControlReaderOutput, Set(output2, 7, 9),
         "22", "9", "Dock exit sounder"},
        {L"Bnt_ReaderOutput2.PanelID=2,ReaderID=1", L"Deactivate", AapProcedure::ControlReaderOutput,
         Set(output2, 7, 8), "23", "9", "Dock exit sounder"},
        {L"Bnt_ReaderOutput2.PanelID=2,ReaderID=1", L"Pulse", AapProcedure::ControlReaderOutput, Set(output2, 7, 0x80),
         "26", "9", "Dock exit sounder"},
    };
}

TEST_F(DoorHardware, EveryCommandSendsItsBlockAndAuditsOnlyASuccess)
{
    for (const CommandCase& c : CommandCases())
    {
        SCOPED_TRACE(Utf8(c.path) + " " + Utf8(c.method));
        for (const Form form : kBothForms)
        {
            ExpectSentAndAuditedOnlyOnSuccess([&] { return Exec(form, c.path, c.method); }, c.procedure, c.block,
                                              c.operation, c.objectKind, c.name);
            if (HasFatalFailure())
                return;
        }
    }
}

TEST_F(DoorHardware, ACallerWithoutTheMethodsPermissionIsRefusedAndNothingIsSent)
{
    CallAs(Callers::kLooker);
    const std::size_t audits = AuditCount();
    for (const CommandCase& c : CommandCases())
    {
        SCOPED_TRACE(Utf8(c.path) + " " + Utf8(c.method));
        const Reply refused = Exec(Form::Sync, c.path, c.method);
        EXPECT_TRUE(Refused(refused, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
    }
    for (const wchar_t* path : {L"Bnt_Panel.ID=1", L"Bnt_ReaderOutput2.PanelID=1,ReaderID=1"})
    {
        EXPECT_TRUE(
            Refused(Exec(Form::Sync, path, L"GetHardwareStatus"), WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
    }
    EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_Panel.ID=1", L"UpdateHardwareStatus"), WBEM_E_ACCESS_DENIED,
                        CWmipMessages::kAccessDenied));
    EXPECT_TRUE(Driver().Calls().empty());
    EXPECT_EQ(AuditCount(), audits);

    // Mask and unmask have rights of their own.
    CallAs(Callers::kMasker);
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"Mask").result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_ReaderInput1.PanelID=1,ReaderID=0", L"Unmask"), WBEM_E_ACCESS_DENIED,
                        CWmipMessages::kAccessDenied));
    EXPECT_EQ(Driver().Calls().size(), 1u);
}

TEST_F(DoorHardware, PathsThatNameNoDeviceAndUnreachableHostsFail)
{
    EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_Panel.ID=99", L"SetClock"), WBEM_E_NOT_FOUND, CWmipMessages::kNotFound));
    EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_ReaderInput1.PanelID=1,ReaderID=7", L"Mask"), WBEM_E_NOT_FOUND,
                        CWmipMessages::kNotFound));
    EXPECT_TRUE(Driver().Calls().empty());
    // Without a server at the panel's host the command fails plainly, the reason in the log.
    const std::size_t audits = AuditCount();
    const std::wstring unreachable =
        L"The hardware command failed. The hardware driver server on \"localhost\" cannot be reached.";
    const int lines = LogLines(unreachable);
    m_servers.reset();
    m_servers.emplace(std::vector<std::wstring>{L"FARAWAY"});
    EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_Panel.ID=1", L"SetClock"), WBEM_E_FAILED, CWmipMessages::kFailed));
    EXPECT_EQ(LogLines(unreachable), lines + 1);
    EXPECT_EQ(AuditCount(), audits);
}

TEST_F(DoorHardware, StatusMethodsAnswerZeroForDevicesTheCacheNeverSaw)
{
    const std::size_t audits = AuditCount();
    EXPECT_EQ(Status(L"Bnt_Panel.ID=2"), "0");
    EXPECT_EQ(Status(L"Bnt_ReaderInput2.PanelID=2,ReaderID=1"), "0");
    EXPECT_EQ(Status(L"Bnt_ReaderOutput2.PanelID=2,ReaderID=1"), "0");
    EXPECT_EQ(AuditCount(), audits + 3);
    EXPECT_EQ(LastAudit().at(0), "64");
    EXPECT_EQ(LastAudit().at(1), "9");
    EXPECT_TRUE(Driver().Calls().empty());
}

// The access road's answers: the panel record, reader 0 and the alarm panels 65 and 193.
void ScriptAccessPanel(support::SimulatedDriverServer& driver)
{
    // Records: 0 panel, 1 reader 0, 2 reader 1, 3 alarm panel 65, 4 alarm panel 193.
    const auto record = [](std::size_t index, std::size_t field) { return 16 + index * 56 + field; };
    driver.SetAnswer(Procedure(AapProcedure::GetPanelDeviceStatus),
                     SimulatedAnswer::Patched({
                         {5, {0x2A}},
                         {record(0, 8), {0x03}},
                         {record(0, 16), {0, 0, 0, 0x04}},  // A bit 26
                         {record(1, 8), {0x01}},
                         {record(1, 16), {0x08, 0x00, 0x01, 0x01}},  // A bits 3, 16, 24
                         {record(1, 20), {0x05}},                    // B bits 0, 2
                         {record(1, 24), {0x10}},                    // W24 bit 4
                         {record(1, 48), {2, 0, 0, 0}},              // mode
                         {record(3, 8), {0x02}},
                         {record(4, 8), {0x01}},
                     }));
    // Alarm panel 65 (k = 0): input 3 state 2 and masked, output 17 state 1.
    driver.SetAnswer(Procedure(AapProcedure::GetAlarmPanelInputStatus),
                     SimulatedAnswer::Patched({{5 + 3, {2}}, {38 + 3, {1}}}));
    driver.SetAnswer(Procedure(AapProcedure::GetAlarmPanelOutputStatus), SimulatedAnswer::Patched({{17 - 11, {1}}}));
}

TEST_F(DoorHardware, AccessPanelUpdateStoresEveryDeviceForTheStatusMethods)
{
    ScriptAccessPanel(Driver());
    const std::size_t audits = AuditCount();
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=1", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(AuditCount(), audits + 1);
    EXPECT_EQ(LastAudit().at(0), "46");

    // The request: the panel record, then the readers with mode -1, then the alarm panels.
    const auto requests = Driver().CallsOf(Procedure(AapProcedure::GetPanelDeviceStatus));
    ASSERT_EQ(requests.size(), 1u);
    const std::vector<BYTE>& block = requests[0].block;
    ASSERT_EQ(block.size(), 16u + 5 * 56);
    EXPECT_EQ(RpcBlock::Long(block, 8), 5);
    EXPECT_EQ(RpcBlock::Long(block, 12), 0);
    const LONG types[] = {1, 2, 2, 3, 3};
    const LONG ids[] = {0, 0, 1, 65, 193};
    const LONG modes[] = {0, -1, -1, 0, 0};
    for (std::size_t i = 0; i < 5; ++i)
    {
        EXPECT_EQ(RpcBlock::Long(block, 16 + i * 56), types[i]) << i;
        EXPECT_EQ(RpcBlock::Long(block, 16 + i * 56 + 4), ids[i]) << i;
        EXPECT_EQ(RpcBlock::Long(block, 16 + i * 56 + 48), modes[i]) << i;
    }
    // "Access panel" reports no alarm outputs; the other three tables were asked for.
    EXPECT_TRUE(Driver().CallsOf(Procedure(AapProcedure::GetAlarmPanelOutputStatus)).empty());
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::GetPanelAuxStatus)).size(), 1u);

    CWimpHardwareStatusCache& cache = Cache();
    // Panel: bits 0,1 from the status byte, bit 2 from A bit 26, the header byte from bit 4.
    EXPECT_EQ(cache.GetPanelStatus(1), 0x3 | 0x4 | 0x2A << 4);
    // Reader 0: bit 0; A bits 0..15 (bit 3) at 4..19; B bits 0..3 at 24..27; W24 bits 0..2.
    EXPECT_EQ(cache.GetReaderStatus(1, 0), 0x1 | 0x8 << 4 | 0x5 << 24);
    EXPECT_EQ(cache.GetReaderMode(1, 0), 2);
    // The mode word is preset to -1 and reader 1's was left so by the server.
    EXPECT_EQ(cache.GetReaderMode(1, 1), -1);
    EXPECT_EQ(Status(L"Bnt_ReaderInput1.PanelID=1,ReaderID=0"), "2");    // A bit 16 wins over bit 3
    EXPECT_EQ(Status(L"Bnt_ReaderInput2.PanelID=1,ReaderID=0"), "256");  // W24 bit 4
    EXPECT_EQ(Status(L"Bnt_ReaderOutput1.PanelID=1,ReaderID=0"), "1");   // A bit 24
    EXPECT_EQ(Status(L"Bnt_ReaderOutput2.PanelID=1,ReaderID=0"), "0");
    EXPECT_EQ(Status(L"Bnt_Panel.ID=1"), std::to_string(0x7 | 0x2A << 4));
    // Alarm panels: 65 gets its status word and its inputs and outputs (all 0: this panel type
    // is not asked for them); 193 only its word.
    EXPECT_EQ(cache.GetDeviceStatus(1, 65), 0x2);
    EXPECT_EQ(cache.GetInputStatus(1, 65, 3), 2 + 0x100);
    EXPECT_EQ(cache.GetInputStatus(1, 65, 4), 0);
    EXPECT_EQ(cache.GetOutputStatus(1, 65, 17), 0);
    EXPECT_EQ(cache.GetDeviceStatus(1, 193), 0x1);

    // A panel type that reports its alarm outputs (named without regard to case) is asked too.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE PANELTYPE SET NAME = 'bnt-1000' WHERE PANELTYPEID = 15");
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=1", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE PANELTYPE SET NAME = 'Access panel' WHERE PANELTYPEID = 15");
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::GetAlarmPanelOutputStatus)).size(), 1u);
    EXPECT_EQ(cache.GetOutputStatus(1, 65, 17), 1);
    EXPECT_EQ(cache.GetOutputStatus(1, 65, 18), 0);
}

TEST_F(DoorHardware, AFailedAccessPanelCallLeavesTheCacheUntouched)
{
    ScriptAccessPanel(Driver());
    Cache().SetPanelStatus(2, 77);
    Cache().SetReaderStatus(2, 0, 55);
    for (const AapProcedure failing : {AapProcedure::GetPanelDeviceStatus, AapProcedure::GetAlarmPanelInputStatus,
                                       AapProcedure::GetPanelAuxStatus, AapProcedure::GetPanelDeviceStatusTable})
    {
        SCOPED_TRACE(Utf8(AapProcedureName(failing)));
        Driver().ClearCalls();
        Driver().SetAnswer(Procedure(failing), SimulatedAnswer::Status(1));
        const std::size_t audits = AuditCount();
        const wchar_t* const reason = L"UpdateHardwareStatus: the panel's status could not be read.";
        const int reasons = LogLines(reason);
        EXPECT_TRUE(Refused(Exec(Form::Sync, L"Bnt_Panel.ID=2", L"UpdateHardwareStatus"), WBEM_E_FAILED,
                            CWmipMessages::kFailed));
        EXPECT_EQ(LogLines(reason), reasons + 1);
        EXPECT_EQ(AuditCount(), audits);
        EXPECT_EQ(Cache().GetPanelStatus(2), 77);
        EXPECT_EQ(Cache().GetReaderStatus(2, 0), 55);
        // After the device request every table is still asked for.
        const std::size_t expected = failing == AapProcedure::GetPanelDeviceStatus ? 1u : 4u;
        EXPECT_EQ(Driver().Calls().size(), expected);
        Driver().SetAnswer(Procedure(failing), SimulatedAnswer());
    }
    // The cache lives as long as the application: the seeded panel goes back to unseen values.
    Cache().SetPanelStatus(2, 0);
    Cache().SetReaderStatus(2, 0, 0);
}

TEST_F(DoorHardware, IntrusionPanelUpdateStoresUnderTheKeysTheReadersUse)
{
    // Panel 3: 64 zones, 4 onboard relays, 16 offboard relays, 8 doors, 8 areas.
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionPanelStatus), SimulatedAnswer::Patched({{4, {1}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionZoneStatus),
                       SimulatedAnswer::Patched({{12, {6}}, {12 + 4 * 63, {9}}, {12 + 64 * 4, {33}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionOnboardRelayStatus),
                       SimulatedAnswer::Patched({{4, {1}}, {12, {5}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionOffboardRelayStatus),
                       SimulatedAnswer::Patched({{12 + 15, {4}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionDoorStatus),
                       SimulatedAnswer::Patched({{12, {1}}, {12 + 8 * 4 + 4, {3}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionAreaStatus), SimulatedAnswer::Status(1));
    const auto at = [](IntrusionCategory category, LONG number) {
        const IntrusionStatusKey key = IntrusionStatusKey::Of(category, number);
        return Cache().GetOutputStatus(3, key.deviceKey, key.subItem);
    };
    // The cache keeps what earlier updates of panel 3 stored; the relay starts empty here, so that
    // an answer left unstored shows as 0.
    const IntrusionStatusKey relay = IntrusionStatusKey::Of(IntrusionCategory::OnboardRelay, 0);
    Cache().SetOutputStatus(3, relay.deviceKey, relay.subItem, 0);
    const std::size_t audits = AuditCount();
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=3", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(AuditCount(), audits);

    EXPECT_EQ(Cache().GetPanelStatus(3), 1);
    // Zones from the first array, doors from the second; relays as bytes.
    EXPECT_EQ(at(IntrusionCategory::Zone, 0), 6);
    EXPECT_EQ(at(IntrusionCategory::Zone, 63), 9);
    EXPECT_EQ(at(IntrusionCategory::Door, 1), 3);
    EXPECT_EQ(at(IntrusionCategory::Door, 0), 0);
    EXPECT_EQ(at(IntrusionCategory::OffboardRelay, 15), 4);
    // The onboard relays answered with flag 1 and the areas failed: neither is stored.
    EXPECT_EQ(at(IntrusionCategory::OnboardRelay, 0), 0);
    // The items as stored: zone n of panel P is (P, 1, n), door n (P, 4, 15000 + n), off-board
    // relay n (P, 3, 10000 + n); nothing at a category's plain positions but the zones'.
    EXPECT_EQ(Cache().GetOutputStatus(3, 1, 63), 9);
    EXPECT_EQ(Cache().GetOutputStatus(3, 4, 15001), 3);
    EXPECT_EQ(Cache().GetOutputStatus(3, 3, 10015), 4);
    EXPECT_EQ(Cache().GetOutputStatus(3, 4, 1), 0);
    const auto zoneQuery = Driver().CallsOf(Procedure(AapProcedure::GetIntrusionZoneStatus));
    ASSERT_EQ(zoneQuery.size(), 1u);
    EXPECT_EQ(zoneQuery[0].block.size(), 12u + 64 * 8);
    EXPECT_EQ(RpcBlock::Long(zoneQuery[0].block, 8), 64);
}

TEST_F(DoorHardware, IntrusionPanelsAskOnlyForWhatTheyHaveAndStoreOfflineWhenSilent)
{
    // Panel 4: one zone (not asked), two onboard relays, no offboard relay, one door, four areas.
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionPanelStatus), SimulatedAnswer::Patched({{4, {2}}}));
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=4", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(Driver().CallsOf(Procedure(AapProcedure::GetIntrusionZoneStatus)).empty());
    EXPECT_TRUE(Driver().CallsOf(Procedure(AapProcedure::GetIntrusionOffboardRelayStatus)).empty());
    EXPECT_TRUE(Driver().CallsOf(Procedure(AapProcedure::GetIntrusionDoorStatus)).empty());
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::GetIntrusionOnboardRelayStatus)).size(), 1u);
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::GetIntrusionAreaStatus)).size(), 1u);
    // State 2 is an answer, not "online".
    EXPECT_EQ(Cache().GetPanelStatus(4), 0);

    // State 0 (or no answer): offline, no arrays asked for.
    Cache().SetPanelStatus(4, 1);
    Driver().ClearCalls();
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionPanelStatus), SimulatedAnswer());
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=4", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Driver().Calls().size(), 1u);
    EXPECT_EQ(Cache().GetPanelStatus(4), 0);
    Cache().SetPanelStatus(4, 1);
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionPanelStatus), SimulatedAnswer::Failing());
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=4", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Cache().GetPanelStatus(4), 0);
}

TEST_F(DoorHardware, ElevatorPanelUpdateStoresTheTerminalsUnlessThePanelHasNone)
{
    // Terminal 2's state (entry 2, offset 8) is 7; flags: online.
    Driver().SetAnswer(Procedure(AapProcedure::GetElevatorTerminalStatus),
                       SimulatedAnswer::Patched({{4, {1}}, {12 + 2 * 16 + 8, {7}}}));
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=5", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    const auto calls = Driver().CallsOf(Procedure(AapProcedure::GetElevatorTerminalStatus));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(RpcBlock::Long(calls[0].block, 8), 255);
    EXPECT_EQ(RpcBlock::Long(calls[0].block, 12 + 254 * 16), 254);
    EXPECT_EQ(Cache().GetPanelStatus(5), 1);
    EXPECT_EQ(Cache().GetOutputStatus(5, 2, 0), 7);

    Cache().SetOutputStatus(5, 2, 0, 11);
    Driver().SetAnswer(Procedure(AapProcedure::GetElevatorTerminalStatus),
                       SimulatedAnswer::Patched({{4, {4}}, {12 + 2 * 16 + 8, {9}}}));
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=5", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Cache().GetPanelStatus(5), 0);
    EXPECT_EQ(Cache().GetOutputStatus(5, 2, 0), 11);

    Driver().SetAnswer(Procedure(AapProcedure::GetElevatorTerminalStatus), SimulatedAnswer::Status(1));
    Cache().SetPanelStatus(5, 1);
    ASSERT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=5", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Cache().GetPanelStatus(5), 0);
}

TEST_F(DoorHardware, ConnectionsWithoutDialUpNumbersSendNothingAndSucceed)
{
    const std::size_t audits = AuditCount();
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=3", L"Connect").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=3", L"Disconnect").result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(Driver().Calls().empty());
    EXPECT_EQ(AuditCount(), audits);
}

TEST_F(DoorHardware, WithBothDialUpNumbersConnectUsesTheFirstAndDisconnectTheSecond)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE ACCESSPANE SET HOSTNUM2 = '555-0101' WHERE PANELID = 2");
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=2", L"Connect").result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Exec(Form::Sync, L"Bnt_Panel.ID=2", L"Disconnect").result, WBEM_S_NO_ERROR);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE ACCESSPANE SET HOSTNUM2 = NULL WHERE PANELID = 2");
    const auto calls = Driver().Calls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].block, Words({2, 1}));
    EXPECT_EQ(calls[1].block, Words({2, 3}));
}

TEST_F(DoorHardware, ARecorderPanelIsAskedDirectlyAndAFailedAnswerReadsOffline)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE PANELTYPE SET NAME = 'bnvr' WHERE PANELTYPEID = 15");
    Cache().SetPanelStatus(2, 5);
    Driver().SetAnswer(Procedure(AapProcedure::GetDeviceStatus), SimulatedAnswer::Patched({{8, {1}}}));
    const std::string online = Status(L"Bnt_Panel.ID=2");
    Driver().SetAnswer(Procedure(AapProcedure::GetDeviceStatus), SimulatedAnswer::Failing());
    const std::string failed = Status(L"Bnt_Panel.ID=2");
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE PANELTYPE SET NAME = 'Access panel' WHERE PANELTYPEID = 15");
    EXPECT_EQ(online, "1");
    EXPECT_EQ(failed, "0");
    const auto calls = Driver().CallsOf(Procedure(AapProcedure::GetDeviceStatus));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].block, Words({2, -1, 0}));
    // Any other type answers from the cache.
    EXPECT_EQ(Status(L"Bnt_Panel.ID=2"), "5");
}

TEST_F(DoorHardware, AReaderIdBeyondSixteenBitsIsRefusedBeforeAnyCall)
{
    support::InstallationDatabase::Execute(
        DoorInstallation::DatabaseFile(),
        "INSERT INTO READER (PANELID, READERID, AUX1NAME, OUT1NAME) VALUES (2, 65536, 'Far contact', 'Far strike')");
    const Reply masked = Exec(Form::Sync, L"Bnt_ReaderInput1.PanelID=2,ReaderID=65536", L"Mask");
    const Reply pulsed = Exec(Form::Sync, L"Bnt_ReaderOutput1.PanelID=2,ReaderID=65536", L"Pulse");
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM READER WHERE READERID = 65536");
    // Its low 16 bits would address reader 0 of the panel.
    EXPECT_TRUE(Refused(masked, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidParameter));
    EXPECT_TRUE(Refused(pulsed, WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidParameter));
    EXPECT_TRUE(Driver().Calls().empty());
}

TEST_F(DoorHardware, PanelsShowTheirOwnNameApartFromTheirTypesName)
{
    const Reply panel = Get(Form::Sync, L"Bnt_Panel.ID=1");
    ASSERT_EQ(panel.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(panel.objects[0].Get(), L"Name"), "Lobby panel");
    EXPECT_EQ(support::PropertyText(panel.objects[0].Get(), L"PanelType"), "Access panel");
    EXPECT_EQ(support::PropertyText(panel.objects[0].Get(), L"Workstation"), "localhost");
}

}  // namespace
}  // namespace e2e
