// The WMI methods of the readers, alarm panels, inputs and outputs, intrusion areas and
// devices, cameras and elevator terminals through the door, against the simulated driver
// server: every command's block as the server received it with its input parameters, its
// audit record (none when the command failed), the caller's permission, the refusals that
// send nothing, and the status answers read back after the panel's status update.
#include "tests/e2e/DoorCommandTest.h"

#include "Libraries/BntIRUtility/VariantArchive.h"
#include "framework/CWmipMessages.h"
#include "hardware/AapBlocks.h"
#include "hardware/AapProcedure.h"
#include "hardware/RpcBlock.h"
#include "mappers/devices/CWmipAreaMapper.h"
#include "mappers/devices/CWmipReaderMapper.h"
#include "platform/rpc/RpcEndpointTable.h"
#include "provider/CWmipApp.h"
#include "simulation/SimulatedInstallation.h"
#include "tests/support/BlockBytes.h"
#include "tests/support/InstallationDatabase.h"
#include "tests/support/TestSqlite.h"

#include <algorithm>
#include <functional>
#include <optional>
#include <thread>
#include <utility>

namespace e2e {
namespace {

using support::SimulatedAnswer;
using support::With;
using support::Words;
using Variant = Bnt::IR::Utility::Variant;

// The block LAAPProxy sends for a command map: its byte count, then the archive.
std::vector<BYTE> MapBlock(const Variant::Map& map)
{
    const std::vector<std::uint8_t> archive = Bnt::IR::Utility::VariantArchive::Save(map);
    std::vector<BYTE> block = Words({static_cast<LONG>(archive.size())});
    block.insert(block.end(), archive.begin(), archive.end());
    return block;
}

std::vector<BYTE> ReaderMode(LONG panel, ULONG reader, ULONG mode)
{
    return MapBlock({{"CommandId", Variant("SetReaderMode")},
                     {"PanelId", Variant(static_cast<int>(panel))},
                     {"ReaderId", Variant(static_cast<unsigned int>(reader))},
                     {"Mode", Variant(static_cast<unsigned int>(mode))},
                     {"Flags", Variant(0u)}});
}

// The 16-byte arm request: panel, area, the 16-bit mode, the result word.
std::vector<BYTE> ArmBlock(LONG panel, LONG area, LONG mode)
{
    std::vector<BYTE> block = Words({panel, area, 0, 0});
    RpcBlock::PutShort(block, 8, static_cast<USHORT>(mode));
    return block;
}

// The 4116-byte alarm input block with input n's entry filled.
std::vector<BYTE> AlarmInputBlock(LONG panel, LONG alarmPanel, std::size_t input, BYTE command)
{
    std::vector<BYTE> block(4116, 0);
    RpcBlock::PutLong(block, 0, panel);
    RpcBlock::PutLong(block, 4, alarmPanel);
    const std::size_t entry = 8 + 128 * (input - 1);
    block[entry + 10] = 1;
    block[entry + 12] = command;
    block[entry + 36] = 1;
    return block;
}

std::vector<BYTE> ElevatorBlock(LONG panel, LONG terminal, LONG type, LONG mode, LONG list)
{
    std::vector<BYTE> block(44, 0);
    RpcBlock::PutLong(block, 0, panel);
    RpcBlock::PutLong(block, 4, terminal);
    RpcBlock::PutLong(block, 8, type);
    RpcBlock::PutLong(block, 16, mode);
    RpcBlock::PutLong(block, 40, list);
    return block;
}

using Params = std::vector<std::pair<const wchar_t*, _variant_t>>;

struct DeviceMethodCase
{
    const wchar_t* path;
    const wchar_t* method;
    Params params;
    DWORD permission;
    AapProcedure procedure;
    std::vector<BYTE> block;
    const char* operation;
    const char* objectKind;
    // A piece of the audit text (the device's name, or "" for an empty text).
    const char* text;
};

std::vector<DeviceMethodCase> DeviceMethodCases()
{
    static constexpr wchar_t kLobbyReader[] = L"Bnt_Reader.PanelID=1,ReaderID=0";
    static constexpr wchar_t kArea[] = L"Bnt_IntrusionArea.ID=1";
    static constexpr wchar_t kDoor[] = L"Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3";
    static constexpr wchar_t kOffboard[] = L"Bnt_OffBoardRelay.DeviceID=1,ID=2,PanelID=3";
    static constexpr wchar_t kOnboard[] = L"Bnt_OnBoardRelay.DeviceID=0,ID=3,PanelID=3";
    static constexpr wchar_t kZone[] = L"Bnt_IntrusionZone.DeviceID=0,ID=4,PanelID=3";
    static constexpr wchar_t kZoneOutput[] = L"Bnt_IntrusionZoneOutput.DeviceID=1,ID=5,PanelID=3";
    static constexpr wchar_t kTerminal[] = L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5";
    std::vector<BYTE> floors = ElevatorBlock(5, 2, 16, 0, 1);
    floors[20] = 0x01;   // floor 1
    floors[21] = 0x01;   // floor 9
    floors[21] |= 0x08;  // floor 12
    return {
        {kLobbyReader,
         L"OpenDoor",
         {},
         0x30000012,
         AapProcedure::SendCommandMap,
         MapBlock({{"CommandId", Variant("OpenDoor")}, {"PanelId", Variant(1)}, {"ReaderId", Variant(0)}}),
         "8",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetMode",
         {{L"Mode", _variant_t(7L)}},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 7),
         "6",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetMode",
         {},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 0),
         "6",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetBiometricVerifyMode",
         {{L"Value", _variant_t(true)}},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 19),
         "6",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetBiometricVerifyMode",
         {},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 18),
         "6",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetFirstCardUnlockMode",
         {{L"Value", _variant_t(true)}},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 25),
         "6",
         "25",
         "Lobby entry"},
        {kLobbyReader,
         L"SetFirstCardUnlockMode",
         {{L"Value", _variant_t(false)}},
         0x30000011,
         AapProcedure::SendCommandMap,
         ReaderMode(1, 0, 24),
         "6",
         "25",
         "Lobby entry"},
        {L"Bnt_Reader.PanelID=6,ReaderID=1",
         L"DownloadFirmware",
         {},
         0x30000011,
         AapProcedure::DownloadReaderFirmware,
         Words({6, 1, 20, 1}),
         "20",
         "25",
         "Annex onboard in"},
        {L"Bnt_AlarmInput.ID=1",
         L"Mask",
         {},
         0x30000015,
         AapProcedure::SetAlarmInputMask,
         AlarmInputBlock(6, 66, 3, 0x81),
         "16",
         "7",
         "Annex window"},
        {L"Bnt_AlarmInput.ID=2",
         L"Unmask",
         {},
         0x3000001A,
         AapProcedure::SetAlarmInputMask,
         AlarmInputBlock(6, 66, 32, 0),
         "24",
         "7",
         "Annex roof hatch"},
        {L"Bnt_AlarmOutput.ID=1",
         L"Activate",
         {},
         0x30000010,
         AapProcedure::ActivateAlarmOutput,
         Words({6, 66, 17}),
         "22",
         "9",
         "Annex siren"},
        {L"Bnt_AlarmOutput.ID=1",
         L"Deactivate",
         {},
         0x30000010,
         AapProcedure::DeactivateAlarmOutput,
         Words({6, 66, 17}),
         "23",
         "9",
         "Annex siren"},
        {L"Bnt_AlarmOutput.ID=1",
         L"Pulse",
         {},
         0x30000010,
         AapProcedure::PulseAlarmOutput,
         Words({6, 66, 17, 5}),
         "26",
         "9",
         "Annex siren"},
        {kArea,
         L"Disarm",
         {},
         0x3000002C,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 0),
         "23",
         "122",
         "Vault"},
        {kArea,
         L"MasterDelayArm",
         {},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 3),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"MasterInstantArm",
         {},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 4),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"PerimeterDelayArm",
         {},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 5),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"PerimeterInstantArm",
         {},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 6),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"Arm",
         {{L"ArmState", _variant_t(1L)}},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 1),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"Arm",
         {{L"ArmState", _variant_t(65535L)}},
         0x3000002B,
         AapProcedure::SetIntrusionAreaArmState,
         ArmBlock(3, 0, 65535),
         "22",
         "122",
         "Vault"},
        {kArea,
         L"SilenceAlarms",
         {},
         0x3000002D,
         AapProcedure::SilenceIntrusionArea,
         Words({3, 0}),
         "144",
         "122",
         "Vault"},
        {kDoor, L"Open", {}, 0x30000012, AapProcedure::OpenIntrusionDoor, Words({3, 0}), "8", "121", "Vault door"},
        {kDoor,
         L"SetMode",
         {{L"Mode", _variant_t(9L)}},
         0x30000011,
         AapProcedure::SetIntrusionDoorMode,
         Words({3, 0, 9}),
         "6",
         "121",
         "Vault door"},
        {kDoor,
         L"SetMode",
         {},
         0x30000011,
         AapProcedure::SetIntrusionDoorMode,
         Words({3, 0, 0}),
         "6",
         "121",
         "Vault door"},
        {kOffboard,
         L"Activate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionOffboardRelay,
         Words({3, 1, 1}),
         "22",
         "120",
         "Vault siren relay"},
        {kOffboard,
         L"Deactivate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionOffboardRelay,
         Words({3, 1, 0}),
         "23",
         "120",
         "Vault siren relay"},
        {kOffboard,
         L"Toggle",
         {},
         0x30000010,
         AapProcedure::SetIntrusionOffboardRelay,
         Words({3, 1, 2}),
         "6",
         "120",
         "Vault siren relay"},
        {kOnboard,
         L"Activate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionOnboardRelay,
         Words({3, 0, 1}),
         "22",
         "119",
         "Vault strobe relay"},
        {kOnboard,
         L"Deactivate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionOnboardRelay,
         Words({3, 0, 0}),
         "23",
         "119",
         "Vault strobe relay"},
        {kZone,
         L"Bypass",
         {},
         0x3000002C,
         AapProcedure::BypassIntrusionZone,
         Words({3, 0, 1}),
         "6",
         "118",
         "Vault motion zone"},
        {kZone,
         L"UnBypass",
         {},
         0x3000002B,
         AapProcedure::BypassIntrusionZone,
         Words({3, 0, 0}),
         "6",
         "118",
         "Vault motion zone"},
        {kZoneOutput,
         L"Activate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionZoneOutput,
         Words({3, 1, 1}),
         "22",
         "118",
         "Vault beacon output"},
        {kZoneOutput,
         L"Deactivate",
         {},
         0x30000010,
         AapProcedure::SetIntrusionZoneOutput,
         Words({3, 1, 0}),
         "23",
         "118",
         "Vault beacon output"},
        {kTerminal,
         L"SetTerminalMode",
         {{L"Mode", _variant_t(3L)}},
         0x30000036,
         AapProcedure::SendElevatorTerminalCommand,
         ElevatorBlock(5, 2, 1, 3, 0),
         "6",
         "146",
         "mode 3"},
        {kTerminal,
         L"SetTerminalMode",
         {{L"Mode", _variant_t(7L)}},
         0x30000036,
         AapProcedure::SendElevatorTerminalCommand,
         ElevatorBlock(5, 2, 1, 7, 0),
         "6",
         "146",
         ""},
        {kTerminal,
         L"SetAllowedFloors",
         {{L"AllowedFloorListID", _variant_t(1L)}},
         0x30000036,
         AapProcedure::SendElevatorTerminalCommand,
         floors,
         "6",
         "146",
         "Tower lobby keypad"},
        {kTerminal,
         L"SetAllowedFloors",
         {},
         0x30000036,
         AapProcedure::SendElevatorTerminalCommand,
         ElevatorBlock(5, 2, 16, 0, 0),
         "6",
         "146",
         "Tower lobby keypad"},
    };
}

class DoorDeviceMethods : public DoorCommandTest
{
protected:
    static void SetUpTestSuite() { AddCallers({Callers::kOnlooker, Callers::kStatusReader, Callers::kDock}); }

    support::SimulatedDriverServer& Driver() override { return m_servers.Driver(); }

    // The method called with the input parameters given (none: no object).
    Reply Call(const std::wstring& path, const std::wstring& method, const Params& params = {}, Form form = Form::Sync)
    {
        ComPtr<IWbemClassObject> in;
        if (!params.empty())
            in = MethodParameters(path.substr(0, path.find(L'.')), method, params);
        return Exec(form, path, method, in.Get());
    }

    // The output property of a status-like method, as text.
    std::string Output(const std::wstring& path, const wchar_t* method, const wchar_t* property)
    {
        const Reply reply = Call(path, method);
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result) << " " << Utf8(path);
        return reply.objects.empty() ? "<none>" : support::PropertyText(reply.objects.front().Get(), property);
    }
    std::string Status(const std::wstring& path) { return Output(path, L"GetHardwareStatus", L"Status"); }

    // AcknowledgeAlarm of alarm 3 of the panel, with every number given.
    Reply Acknowledge(LONG panel)
    {
        return Call(L"Bnt_IncomingEvent", L"AcknowledgeAlarm",
                    {{L"CurrentAckStatus", _variant_t(2L)},
                     {L"SerialNumber", _variant_t(41L)},
                     {L"PanelID", _variant_t(panel)},
                     {L"AlarmID", _variant_t(3L)},
                     {L"AckStatus", _variant_t(1L)}});
    }

    support::SimulatedInstallation m_servers{std::vector<std::wstring>{L"localhost"}};
};

TEST_F(DoorDeviceMethods, EveryCommandSendsItsBlockAndAuditsOnlyASuccess)
{
    for (const DeviceMethodCase& c : DeviceMethodCases())
    {
        SCOPED_TRACE(Utf8(c.path) + " " + Utf8(c.method));
        ExpectSentAndAuditedOnlyOnSuccess([&] { return Call(c.path, c.method, c.params); }, c.procedure, c.block,
                                          c.operation, c.objectKind, c.text);
        if (HasFatalFailure())
            return;
    }
}

TEST_F(DoorDeviceMethods, ACallerWithoutTheMethodsPermissionIsRefusedAndNothingIsSent)
{
    CallAs(Callers::kOnlooker);
    const std::size_t audits = AuditCount();
    std::size_t allowed = 0;
    for (const DeviceMethodCase& c : DeviceMethodCases())
    {
        SCOPED_TRACE(Utf8(c.path) + " " + Utf8(c.method));
        // The onlooker holds the status right, which the reader and door mode commands need.
        const bool mayCommand = c.permission == 0x30000011;
        allowed += mayCommand ? 1 : 0;
        const Reply reply = Call(c.path, c.method, c.params);
        if (mayCommand)
        {
            EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        }
        else
        {
            EXPECT_TRUE(Refused(reply, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
        }
    }
    EXPECT_EQ(Driver().Calls().size(), allowed);
    EXPECT_EQ(AuditCount(), audits + allowed);
}

TEST_F(DoorDeviceMethods, AnInstanceMethodOnAClassPathIsRefusedAndNothingIsSent)
{
    // A class path names no device: the first row of the table must not stand in for one.
    const std::size_t audits = AuditCount();
    const std::pair<const wchar_t*, const wchar_t*> calls[] = {
        {L"Bnt_Reader", L"OpenDoor"},      {L"Bnt_Panel", L"SetClock"},          {L"Bnt_IntrusionDoor", L"Open"},
        {L"Bnt_IntrusionArea", L"Disarm"}, {L"Bnt_Panel", L"GetHardwareStatus"},
    };
    for (const auto& [path, method] : calls)
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(path) + " " + Utf8(method) + " " + NameOf(form));
            EXPECT_TRUE(
                Refused(Call(path, method, {}, form), WBEM_E_INVALID_OBJECT_PATH, CWmipMessages::kInvalidObjectPath));
        }
    EXPECT_TRUE(Driver().Calls().empty());
    EXPECT_EQ(AuditCount(), audits);
    // A static method needs no instance and still runs on its class path.
    EXPECT_EQ(Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", {{L"Source", _variant_t(L"Nowhere")}}).result,
              WBEM_E_INVALID_PARAMETER);
}

TEST_F(DoorDeviceMethods, OutOfRangeValuesAreRefusedBeforeAnythingIsSent)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO ALARMINPUT (NAME, ALARMINPUTID, PANELID, ALARMPID, INPUTID) VALUES
            ('Annex input zero', 90, 6, 66, 0), ('Annex input 33', 91, 6, 66, 33);)");
    const std::size_t audits = AuditCount();
    const struct
    {
        const wchar_t* path;
        const wchar_t* method;
        Params params;
        HRESULT expected;
        // The reason the provider log gives, where it gives one.
        const wchar_t* reason = nullptr;
    } cases[] = {
        {L"Bnt_AlarmInput.ID=90", L"Mask", {}, WBEM_E_INVALID_PARAMETER},
        {L"Bnt_AlarmInput.ID=91", L"Unmask", {}, WBEM_E_INVALID_PARAMETER},
        {L"Bnt_IntrusionArea.ID=1", L"Arm", {}, WBEM_E_INVALID_PARAMETER},
        {L"Bnt_IntrusionArea.ID=1", L"Arm", {{L"ArmState", _variant_t(0L)}}, WBEM_E_INVALID_PARAMETER},
        {L"Bnt_IntrusionArea.ID=1", L"Arm", {{L"ArmState", _variant_t(-4L)}}, WBEM_E_INVALID_PARAMETER},
        // 65536 would reach the panel as 0, which disarms.
        {L"Bnt_IntrusionArea.ID=1", L"Arm", {{L"ArmState", _variant_t(65536L)}}, WBEM_E_INVALID_PARAMETER},
        {L"Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3",
         L"SetMode",
         {{L"Mode", _variant_t(65537L)}},
         WBEM_E_INVALID_PARAMETER},
        {L"Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3",
         L"SetMode",
         {{L"Mode", _variant_t(-1L)}},
         WBEM_E_INVALID_PARAMETER},
        // Elevator alarm panels take no command: the refusal ends as a plain failure.
        {L"Bnt_AlarmInput.ID=3", L"Mask", {}, WBEM_E_FAILED, L"The operation is not supported for this hardware type."},
        {L"Bnt_AlarmOutput.ID=2",
         L"Pulse",
         {},
         WBEM_E_FAILED,
         L"The operation is not supported for this hardware type."},
        // Toggle belongs to the off-board relays only.
        {L"Bnt_OnBoardRelay.DeviceID=0,ID=3,PanelID=3", L"Toggle", {}, WBEM_E_INVALID_METHOD},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Utf8(c.path) + " " + Utf8(c.method));
        const int reasons = c.reason != nullptr ? LogLines(c.reason) : 0;
        EXPECT_EQ(Call(c.path, c.method, c.params).result, c.expected);
        if (c.reason != nullptr)
        {
            EXPECT_EQ(LogLines(c.reason), reasons + 1) << Utf8(c.reason);
        }
    }
    // Arm's parameter is checked before the caller: a caller without the right gets the same.
    CallAs(Callers::kOnlooker);
    EXPECT_TRUE(Refused(Call(L"Bnt_IntrusionArea.ID=1", L"Arm", {{L"ArmState", _variant_t(0L)}}),
                        WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidParameter));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM ALARMINPUT WHERE ALARMINPUTID IN (90, 91)");
    EXPECT_TRUE(Driver().Calls().empty());
    EXPECT_EQ(AuditCount(), audits);
}

TEST_F(DoorDeviceMethods, EachDeviceRangeTakesBothEndsAndRefusesOneBeyondSendingNothing)
{
    // Each range is tried at min - 1, min, max and max + 1: inputs of an alarm panel (rows
    // 1000 + input), readers of a panel, floors of a terminal's map (one list per floor, listed
    // as 1000 + floor), and the 16-bit arm states and door modes.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO ALARMINPUT (NAME, ALARMINPUTID, PANELID, ALARMPID, INPUTID) VALUES
            ('Range input', 1000, 6, 66, 0), ('Range input', 1001, 6, 66, 1),
            ('Range input', 1032, 6, 66, 32), ('Range input', 1033, 6, 66, 33);
        INSERT INTO READER (PANELID, READERID, AUX1NAME) VALUES
            (2, -1, 'Below contact'), (2, 65535, 'Last contact'), (2, 65536, 'Far contact');
        INSERT INTO ELEVATOR_FLOOR_LIST (FLOOR_LISTID, NAME) VALUES
            (1000, 'Below'), (1001, 'First'), (1160, 'Last'), (1161, 'Beyond');
        INSERT INTO ELEVATOR_FLOOR_LIST_FLOOR (FLOOR_LISTID, FLOOR) VALUES
            (1000, 0), (1001, 1), (1160, 160), (1161, 161);)");
    const auto number = [](LONG n) { return std::to_wstring(n); };
    const struct
    {
        const char* range;
        LONG min;
        LONG max;
        // What a value beyond either end answers.
        HRESULT beyond;
        std::function<Reply(LONG)> send;
    } ranges[] = {
        {"alarm input", 1, 32, WBEM_E_INVALID_PARAMETER,
         [&](LONG n) { return Call(L"Bnt_AlarmInput.ID=" + number(1000 + n), L"Mask"); }},
        {"reader", 0, 65535, WBEM_E_INVALID_PARAMETER,
         [&](LONG n) { return Call(L"Bnt_ReaderInput1.PanelID=2,ReaderID=" + number(n), L"Mask"); }},
        {"floor", 1, 160, WBEM_E_FAILED,
         [&](LONG n) {
             return Call(L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5", L"SetAllowedFloors",
                         {{L"AllowedFloorListID", _variant_t(1000 + n)}});
         }},
        {"arm state", 1, 65535, WBEM_E_INVALID_PARAMETER,
         [&](LONG n) {
             return Call(L"Bnt_IntrusionArea.ID=1", L"Arm", {{L"ArmState", _variant_t(n)}});
         }},
        {"door mode", 0, 65535, WBEM_E_INVALID_PARAMETER,
         [&](LONG n) {
             return Call(L"Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3", L"SetMode", {{L"Mode", _variant_t(n)}});
         }},
    };
    for (const auto& range : ranges)
        for (const LONG value : {range.min - 1, range.min, range.max, range.max + 1})
        {
            SCOPED_TRACE(std::string(range.range) + " " + std::to_string(value));
            const bool inside = value >= range.min && value <= range.max;
            Driver().ClearCalls();
            const std::size_t audits = AuditCount();
            const Reply reply = range.send(value);
            EXPECT_EQ(reply.result, inside ? WBEM_S_NO_ERROR : range.beyond) << Hex(reply.result);
            EXPECT_EQ(Driver().Calls().size(), inside ? 1u : 0u);
            EXPECT_EQ(AuditCount(), audits + (inside ? 1 : 0));
        }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        DELETE FROM ALARMINPUT WHERE ALARMINPUTID BETWEEN 1000 AND 1033;
        DELETE FROM READER WHERE PANELID = 2 AND READERID NOT IN (0, 1);
        DELETE FROM ELEVATOR_FLOOR_LIST_FLOOR WHERE FLOOR_LISTID >= 1000;
        DELETE FROM ELEVATOR_FLOOR_LIST WHERE FLOOR_LISTID >= 1000;)");
}

TEST_F(DoorDeviceMethods, AFloorListBeyondTheTerminalsMapSendsNothing)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO ELEVATOR_FLOOR_LIST (FLOOR_LISTID, NAME) VALUES (2, 'Top'), (3, 'Above'), (4, 'Below');
        INSERT INTO ELEVATOR_FLOOR_LIST_FLOOR (FLOOR_LISTID, FLOOR) VALUES (2, 160), (3, 161), (4, 0);)");
    const std::wstring terminal = L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5";
    EXPECT_EQ(Call(terminal, L"SetAllowedFloors", {{L"AllowedFloorListID", _variant_t(2L)}}).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(Call(terminal, L"SetAllowedFloors", {{L"AllowedFloorListID", _variant_t(3L)}}).result, WBEM_E_FAILED);
    EXPECT_EQ(Call(terminal, L"SetAllowedFloors", {{L"AllowedFloorListID", _variant_t(4L)}}).result, WBEM_E_FAILED);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM ELEVATOR_FLOOR_LIST_FLOOR WHERE FLOOR_LISTID > 1; "
                                           "DELETE FROM ELEVATOR_FLOOR_LIST WHERE FLOOR_LISTID > 1;");
    const auto calls = Driver().Calls();
    ASSERT_EQ(calls.size(), 1u);
    // Floor 160 is the last bit of the map, which ends before the list id.
    EXPECT_EQ(calls[0].block, With(ElevatorBlock(5, 2, 16, 0, 2), 39, {0x80}));
}

TEST_F(DoorDeviceMethods, StatusMethodsAnswerWhatTheStatusUpdateStored)
{
    // Each device of the vault panel reads the entry of the server's arrays that its number
    // names, counting from 0: zone 0 (zone output 1 shares its kind), door 0, on-board relay 0,
    // off-board relay 1 and area 0.
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionPanelStatus), SimulatedAnswer::Patched({{4, {1}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionZoneStatus),
                       SimulatedAnswer::Patched({{12 + 4 * 0, {6}}, {12 + 4 * 1, {8}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionOnboardRelayStatus),
                       SimulatedAnswer::Patched({{12 + 0, {5}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionOffboardRelayStatus),
                       SimulatedAnswer::Patched({{12 + 1, {4}}}));
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionDoorStatus),
                       SimulatedAnswer::Patched({{12 + 8 * 4 + 0, {3}}}));
    // Areas (eight): the value comes from the second array.
    Driver().SetAnswer(Procedure(AapProcedure::GetIntrusionAreaStatus),
                       SimulatedAnswer::Patched({{12 + 8 * 4 + 0, {2}}, {12 + 8 * 4 + 4, {7}}}));
    ASSERT_EQ(Call(L"Bnt_Panel.ID=3", L"UpdateHardwareStatus").result, WBEM_S_NO_ERROR);
    Driver().ClearCalls();

    const std::size_t audits = AuditCount();
    EXPECT_EQ(Status(L"Bnt_IntrusionZone.DeviceID=0,ID=4,PanelID=3"), "6");
    EXPECT_EQ(Status(L"Bnt_IntrusionZoneOutput.DeviceID=1,ID=5,PanelID=3"), "8");
    EXPECT_EQ(Status(L"Bnt_OnBoardRelay.DeviceID=0,ID=3,PanelID=3"), "5");
    EXPECT_EQ(Status(L"Bnt_OffBoardRelay.DeviceID=1,ID=2,PanelID=3"), "4");
    EXPECT_EQ(Status(L"Bnt_IntrusionDoor.DeviceID=0,ID=1,PanelID=3"), "3");
    EXPECT_EQ(Status(L"Bnt_IntrusionArea.ID=1"), "2");
    EXPECT_EQ(Status(L"Bnt_IntrusionArea.ID=2"), "7") << "area 1 reads the server's second entry";
    EXPECT_EQ(AuditCount(), audits + 7);

    // Alarm panels, inputs and outputs, elevator terminals and readers read their cache keys.
    Cache().SetDeviceStatus(6, 66, 0x2);
    Cache().SetInputStatus(6, 66, 3, 0x102);
    Cache().SetOutputStatus(6, 66, 17, 1);
    Cache().SetOutputStatus(5, 2, 0, 7);
    Cache().SetReaderStatus(6, 1, 0x100);
    Cache().SetReaderStatus(6, 2, 0x35);
    Cache().SetReaderStatus(6, 0, 0);
    Cache().SetReaderMode(6, 0, 4);
    EXPECT_EQ(Status(L"Bnt_AlarmPanel.ID=66,PanelID=6"), "2");
    EXPECT_EQ(Status(L"Bnt_AlarmInput.ID=1"), "258");
    EXPECT_EQ(Status(L"Bnt_AlarmOutput.ID=1"), "1");
    EXPECT_EQ(Status(L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5"), "7");
    // Reader 1 is an onboard reader whose partner (the reader it is slave of) is reader 2:
    // the partner's four door bits are added.
    EXPECT_EQ(Status(L"Bnt_Reader.PanelID=6,ReaderID=1"), std::to_string(0x100 | 0x5));
    EXPECT_EQ(Status(L"Bnt_Reader.PanelID=6,ReaderID=0"), "0");
    EXPECT_EQ(Output(L"Bnt_Reader.PanelID=6,ReaderID=0", L"GetMode", L"Mode"), "4");
    // An elevator alarm panel's input still answers from the cache.
    EXPECT_EQ(Status(L"Bnt_AlarmInput.ID=3"), "0");
    EXPECT_TRUE(Driver().Calls().empty());
}

TEST_F(DoorDeviceMethods, AlarmCommandsNeedTheirAlarmPanelAndSlaveReadersAddTheirMastersDoor)
{
    // An output whose alarm panel row is gone: refused as a plain failure, nothing sent.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO RELAYOUTPT (NAME, RELAYOUTPTID, PANELID, ALARMPID, OUTPUTID, PULSEDURAT) VALUES
            ('Orphan output', 90, 6, 99, 1, 1);
        UPDATE READER SET SLAVEID = 3 WHERE PANELID = 6 AND READERID = 0;)");
    const wchar_t* const unsupported = L"The operation is not supported for this hardware type.";
    const int unsupportedBefore = LogLines(unsupported);
    const Reply orphan = Call(L"Bnt_AlarmOutput.ID=90", L"Activate");
    Cache().SetReaderStatus(6, 3, 0x20);
    Cache().SetReaderStatus(6, 0, 0x1F);
    const std::string slave = Status(L"Bnt_Reader.PanelID=6,ReaderID=3");
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        DELETE FROM RELAYOUTPT WHERE RELAYOUTPTID = 90;
        UPDATE READER SET SLAVEID = NULL WHERE PANELID = 6 AND READERID = 0;)");
    EXPECT_TRUE(Refused(orphan, WBEM_E_FAILED, CWmipMessages::kFailed));
    EXPECT_EQ(LogLines(unsupported), unsupportedBefore + 1);
    EXPECT_TRUE(Driver().Calls().empty());
    // Reader 3 is a logical slave whose master is reader 0: only the master's four door bits.
    EXPECT_EQ(slave, std::to_string(0x20 | 0xF));
}

TEST_F(DoorDeviceMethods, CameraStatusAsksTheDriverServerAndReadsOfflineWhenItCannot)
{
    const std::wstring camera = L"Bnt_Camera.ID=1,PanelID=6";
    Driver().SetAnswer(Procedure(AapProcedure::GetDeviceStatus), SimulatedAnswer::Patched({{8, {1}}}));
    EXPECT_EQ(Status(camera), "1");
    Driver().SetAnswer(Procedure(AapProcedure::GetDeviceStatus), SimulatedAnswer::Failing());
    EXPECT_EQ(Status(camera), "0");
    const auto calls = Driver().CallsOf(Procedure(AapProcedure::GetDeviceStatus));
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[0].block, Words({6, 1, 0}));
    EXPECT_EQ(LastAudit().at(1), "15");
    // The status right alone does not read a camera: viewing cameras is needed.
    CallAs(Callers::kStatusReader);
    EXPECT_TRUE(Refused(Call(camera, L"GetHardwareStatus"), WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::GetDeviceStatus)).size(), 2u);
}

TEST(AreaType, FollowsTheAreasTypeAndPanel)
{
    const struct
    {
        LONG type;
        LONG panel;
        LONG expected;
    } cases[] = {{0, 6, 2}, {0, 0, 3}, {1, 0, 4}, {1, 6, 4}, {2, 6, 5}, {7, 0, 1}, {-1, 6, 1}};
    for (const auto& c : cases)
        EXPECT_EQ(CWmipAreaMapper::AreaTypeOf(c.type, c.panel), c.expected) << c.type << " " << c.panel;
}

TEST_F(DoorDeviceMethods, PlainVideoClassesListOnlyTheirOwnRows)
{
    // The demo's authentication modes: 1 and 2 of database 1, 3 of database 2.
    const Table groups = Values(Enum(Form::Sync, L"Bnt_CameraGroup").objects, {L"ID", L"Name"});
    const Table links = Values(Enum(Form::Sync, L"Bnt_CameraGroupCameraLink").objects, {L"CameraGroupID", L"CameraID"});
    const Table modes = Values(Enum(Form::Sync, L"Bnt_AuthenticationMode").objects, {L"ID"});
    const Table areas = Values(Enum(Form::Sync, L"Bnt_Area").objects, {L"ID", L"AreaType"});
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), "DELETE FROM PIV_AUTHENTICATION_MODE");
    // The reader group (type 1) is no camera group.
    EXPECT_EQ(groups, (Table{{"1", "Annex cameras"}}));
    EXPECT_EQ(links, (Table{{"1", "1"}}));
    // The operator works on database 1.
    EXPECT_EQ(modes, (Table{{"1"}, {"2"}}));
    EXPECT_EQ(areas, (Table{{"1", "3"}, {"2", "3"}, {"3", "2"}}));
}

TEST_F(DoorDeviceMethods, MoveBadgeChecksBadgeReaderAreaAndTheCallersDeviceRight)
{
    const auto move = [&](LONG area, const wchar_t* badge, LONG panel, LONG reader, LONG segment) {
        Params params{{L"AreaID", _variant_t(area)},
                      {L"PanelID", _variant_t(panel)},
                      {L"ReaderID", _variant_t(reader)},
                      {L"SegmentID", _variant_t(segment)},
                      {L"UTCTime", _variant_t(L"20261207083000.000000+000")}};
        if (badge != nullptr)
            params.emplace_back(L"BadgeID", _variant_t(badge));
        return Call(L"Bnt_Area", L"MoveBadge", params);
    };
    const auto location = [] {
        return DoorInstallation::Rows("SELECT BADGEID, SEGMENTID, AREAAPBID, PANELID, READERID, MOVED_UTC "
                                      "FROM APB_BADGE_LOCATION ORDER BY BADGEID");
    };
    const std::size_t audits = AuditCount();
    const HRESULT kInvalid = static_cast<HRESULT>(0x80040526);
    EXPECT_EQ(move(2, L"999", 1, 0, 1).result, kInvalid);
    EXPECT_EQ(move(2, L"100001", 1, 7, 1).result, kInvalid);
    EXPECT_EQ(move(2, L"100001", 1, 0, 2).result, kInvalid);
    EXPECT_EQ(move(42, L"100001", 1, 0, 1).result, kInvalid);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE ACCESSPANE SET SEGMENTID = 2 WHERE PANELID = 6");
    // The panel is of segment 2, the area of segment 1: a plain failure.
    EXPECT_EQ(move(3, L"100001", 6, 0, 2).result, WBEM_E_FAILED);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE ACCESSPANE SET SEGMENTID = 1 WHERE PANELID = 6");
    EXPECT_EQ(Call(L"Bnt_Area", L"MoveBadge", {{L"BadgeID", _variant_t(L"100001")}}).result, WBEM_E_INVALID_PARAMETER);
    EXPECT_TRUE(location().empty());

    EXPECT_EQ(move(2, L"100001", 1, 0, 1).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(move(3, L"100002", 6, 0, 1).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(location(), (Table{{"100001", "1", "2", "1", "0", "2026-12-07 08:30:00"},
                                 {"100002", "1", "3", "6", "0", "2026-12-07 08:30:00"}}));
    // A badge moves: its one row per segment follows it.
    EXPECT_EQ(move(1, L"100001", 1, 1, 1).result, WBEM_S_NO_ERROR);
    EXPECT_EQ(location().at(0).at(2), "1");
    EXPECT_EQ(AuditCount(), audits);

    // A caller whose group excludes the annex readers may not move badges through them.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        UPDATE USER_PERM SET DEVICES_ARE_EXCLUDED = 1 WHERE USER_PERMID = 56;
        INSERT INTO USER_PERM_DEVICE_GROUP_LINK (USER_PERMID, DEVICEGROUPID) VALUES (56, 2);)");
    CallAs(Callers::kOnlooker);
    const Reply excluded = move(3, L"100003", 6, 0, 1);
    const Reply elsewhere = move(2, L"100003", 1, 0, 1);
    // Listed alone (not excluded), the group allows the listed readers only.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE USER_PERM SET DEVICES_ARE_EXCLUDED = 0 WHERE USER_PERMID = 56");
    const Reply included = move(3, L"100004", 6, 0, 1);
    const Reply unlisted = move(2, L"100004", 1, 1, 1);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        DELETE FROM USER_PERM_DEVICE_GROUP_LINK WHERE USER_PERMID = 56;
        DELETE FROM APB_BADGE_LOCATION;)");
    EXPECT_TRUE(Refused(excluded, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
    EXPECT_EQ(elsewhere.result, WBEM_S_NO_ERROR);
    EXPECT_EQ(included.result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(Refused(unlisted, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
}

// A caller of segment 2 moves only its segment's badges through its segment's readers into its
// segment's areas, in the segment it holds: anything else is answered as if it did not exist.
// Cardholder segmentation is on from before the caller's first login (a login reads the options
// once) and off again after.
TEST_F(DoorDeviceMethods, MoveBadgeFindsOnlyWhatTheCallerMaySee)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "INSERT INTO AREAAPB (AREAAPBID, NAME, AREAAPB_TYPE, SEGMENTID) VALUES "
                                           "(9, 'Dock yard', 0, 2);"
                                           "UPDATE CONFIG_VALUE SET NUMBERVALUE = 1 WHERE CONFIGID = 1003;");
    CallAs(Callers::kDock);
    const HRESULT kInvalid = static_cast<HRESULT>(0x80040526);
    const struct
    {
        const char* what;
        LONG area;
        const wchar_t* badge;
        LONG panel;
        LONG segment;
        HRESULT expected;
    } cases[] = {
        {"segment 1's badge, reader and area, in segment 1", 2, L"100001", 1, 1, kInvalid},
        {"its own badge through segment 1's reader, in segment 1, into its own area", 9, L"100003", 1, 1, kInvalid},
        {"segment 1's badge through its own reader", 9, L"100001", 2, 2, kInvalid},
        {"segment 1's area", 2, L"100003", 2, 2, kInvalid},
        {"its own badge, reader and area", 9, L"100003", 2, 2, WBEM_S_NO_ERROR},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const Reply moved = Call(L"Bnt_Area", L"MoveBadge",
                                 {{L"AreaID", _variant_t(c.area)},
                                  {L"BadgeID", _variant_t(c.badge)},
                                  {L"PanelID", _variant_t(c.panel)},
                                  {L"ReaderID", _variant_t(0L)},
                                  {L"SegmentID", _variant_t(c.segment)}});
        EXPECT_EQ(moved.result, c.expected) << Hex(moved.result);
        EXPECT_EQ(DoorInstallation::Rows("SELECT COUNT(*) FROM APB_BADGE_LOCATION"),
                  (Table{{SUCCEEDED(c.expected) ? "1" : "0"}}));
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM APB_BADGE_LOCATION;"
                                           "DELETE FROM AREAAPB WHERE AREAAPBID = 9;"
                                           "UPDATE CONFIG_VALUE SET NUMBERVALUE = 0 WHERE CONFIGID = 1003;");
}

// An event naming a panel of a segment the caller cannot access is refused, and an alarm of such
// a panel is not acknowledged, with nothing logged or sent; the caller's own segment is served.
TEST_F(DoorDeviceMethods, IncomingEventsServeOnlyTheCallersSegments)
{
    CallAs(Callers::kDock);
    const auto acknowledge = [&](LONG panel) { return Acknowledge(panel).result; };
    const auto send = [&](const wchar_t* source, const wchar_t* device, const wchar_t* flag) {
        Params params{{L"Source", _variant_t(source)}};
        if (device != nullptr)
            params.emplace_back(L"Device", _variant_t(device));
        if (flag != nullptr)
            params.emplace_back(flag, _variant_t(true));
        return Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", params).result;
    };
    // A panel of another segment is named to no server, and neither is one that does not exist:
    // the caller reaches one segment only, so both are answered alike.
    const struct
    {
        const char* what;
        std::function<HRESULT()> call;
        HRESULT expected;
        std::size_t sent = 1;
    } cases[] = {
        {"segment 1's logical source", [&] { return send(L"Building management", nullptr, nullptr); },
         WBEM_E_INVALID_PARAMETER},
        {"a grant at segment 1's reader", [&] { return send(L"Lobby panel", L"Lobby entry", L"IsAccessGrant"); },
         WBEM_E_INVALID_PARAMETER},
        {"a denial at segment 1's reader", [&] { return send(L"Lobby panel", L"Lobby exit", L"IsAccessDeny"); },
         WBEM_E_INVALID_PARAMETER},
        {"an alarm of segment 1's panel", [&] { return acknowledge(1); }, WBEM_S_NO_ERROR, 0},
        {"an alarm of a panel that does not exist", [&] { return acknowledge(42); }, WBEM_S_NO_ERROR, 0},
        {"a grant at its own reader", [&] { return send(L"Dock panel", L"Dock entry", L"IsAccessGrant"); },
         WBEM_S_NO_ERROR},
        {"an alarm of its own panel", [&] { return acknowledge(2); }, WBEM_S_NO_ERROR},
    };
    const Table before = DoorInstallation::Snapshot("EVENTS");
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        Driver().ClearCalls();
        m_servers.CommEventServer().ClearCalls();
        EXPECT_EQ(c.call(), c.expected);
        if (FAILED(c.expected))
        {
            EXPECT_TRUE(Driver().Calls().empty());
            EXPECT_TRUE(m_servers.CommEventServer().Calls().empty());
            EXPECT_EQ(DoorInstallation::Snapshot("EVENTS"), before);
        }
        else
        {
            EXPECT_EQ(Driver().Calls().size() + m_servers.CommEventServer().Calls().size(), c.sent);
        }
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), "DELETE FROM EVENTS WHERE MACHINE = 2");
}

TEST_F(DoorDeviceMethods, IncomingEventsAreCheckedThenLoggedAsTheRecordCarriesThem)
{
    // The pump's sub-device id differs from its device's and its source's, so a swap shows.
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "UPDATE VEXLET_DEVICE SET SUB_DEVICEID = 4 WHERE PANELID = 8 AND "
                                           "SUB_DEVICEID = 1");
    const auto events = [] {
        return DoorInstallation::Rows("SELECT MACHINE, DEVID, INPUTDEVID, EVENTTYPE, EVENTID, EVENT_TEXT, CARDNUM, "
                                      "CARD_EXTENDED_ID FROM EVENTS ORDER BY rowid");
    };
    const Table before = events();
    const std::wstring longId(65, L'x');
    const std::wstring fullId(64, L'y');
    const struct
    {
        Params params;
        HRESULT expected;
        Row logged;
        // A refusal's reason, as the provider log names it.
        const wchar_t* reason = nullptr;
        // How often the request logs that reason (0: its text is neither logged nor returned).
        int reasonLines = 1;
    } cases[] = {
        // A logical source, device and sub-device with a card: event type 30, the text kept.
        {{{L"Source", _variant_t(L"Building management")},
          {L"Device", _variant_t(L"Chiller")},
          {L"SubDevice", _variant_t(L"Chiller pump  ")},
          {L"Description", _variant_t(L"Overheat")},
          {L"BadgeID", _variant_t(L"77")},
          {L"ExtendedID", _variant_t(L"ext-1")}},
         WBEM_S_NO_ERROR,
         {"8", "1", "4", "30", "0", "Overheat", "77", "ext-1"}},
        // The source alone, no card (0 and below carry none).
        {{{L"Source", _variant_t(L"Building management ")}, {L"BadgeID", _variant_t(L"0")}},
         WBEM_S_NO_ERROR,
         {"8", "0", "0", "30", "0", "<null>", "<null>", "<null>"}},
        {{{L"Source", _variant_t(L"Building management")}, {L"ExtendedID", _variant_t(fullId.c_str())}},
         WBEM_S_NO_ERROR,
         {"8", "0", "0", "30", "0", "<null>", "<null>", Utf8(fullId)}},
        // An access denied at a reader: type 1, subtype 65, no text.
        {{{L"Source", _variant_t(L"Lobby panel")},
          {L"Device", _variant_t(L"Lobby exit")},
          {L"IsAccessDeny", _variant_t(true)},
          {L"Description", _variant_t(L"dropped")}},
         WBEM_S_NO_ERROR,
         {"1", "1", "0", "1", "65", "<null>", "<null>", "<null>"}},
        {{{L"Source", _variant_t(L"Lobby panel")},
          {L"Device", _variant_t(L"Lobby entry")},
          {L"IsAccessGrant", _variant_t(true)},
          {L"BadgeID", _variant_t(L"100001")}},
         WBEM_S_NO_ERROR,
         {"1", "0", "0", "0", "0", "<null>", "100001", "<null>"}},
        // Refusals: nothing is logged.
        {{{L"Source", _variant_t(L"Lobby panel")},
          {L"IsAccessGrant", _variant_t(true)},
          {L"IsAccessDeny", _variant_t(true)}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"SendIncomingEvent: IsAccessGrant and IsAccessDeny are mutually exclusive."},
        {{{L"Source", _variant_t(L"Lobby panel")}, {L"IsAccessGrant", _variant_t(true)}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Invalid or missing reader device."},
        {{{L"Source", _variant_t(L"Lobby panel")},
          {L"Device", _variant_t(L"Nowhere")},
          {L"IsAccessGrant", _variant_t(true)}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Reader Nowhere is invalid."},
        {{{L"Source", _variant_t(L"No panel")},
          {L"Device", _variant_t(L"Lobby entry")},
          {L"IsAccessGrant", _variant_t(true)}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Access Panel No panel is invalid."},
        {{{L"Source", _variant_t(L"Lobby panel")}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Logical Source Lobby panel is invalid."},
        {{{L"Source", _variant_t(L"   ")}}, WBEM_E_INVALID_PARAMETER, {}, L"Logical Source  is invalid."},
        {{{L"Source", _variant_t(L"Building management")}, {L"Device", _variant_t(L"Boiler")}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Logical Device Boiler is invalid."},
        {{{L"Source", _variant_t(L"Building management")},
          {L"Device", _variant_t(L"Chiller")},
          {L"SubDevice", _variant_t(L"Valve")}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"Logical Sub-Device Valve is invalid."},
        // An identifier beyond the record's 64 characters, a time the record cannot carry.
        {{{L"Source", _variant_t(L"Building management")}, {L"ExtendedID", _variant_t(longId.c_str())}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"SendIncomingEvent: ExtendedID is longer than the event record allows."},
        {{{L"Source", _variant_t(L"Building management")}, {L"Time", _variant_t(L"19600101000000.000000+000")}},
         WBEM_E_INVALID_PARAMETER,
         {},
         L"SendIncomingEvent: Time 19600101000000.000000+000 is invalid."},
        {{{L"Description", _variant_t(L"no source")}},
         WBEM_E_FAILED,
         {},
         L"The required property Source had no value and no default was provided.",
         0},
    };
    Table expected = before;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(Hex(c.expected) + " " + (c.logged.empty() ? std::string("refused") : c.logged.front()));
        const int reasons = c.reason != nullptr ? LogLines(c.reason) : 0;
        EXPECT_EQ(Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", c.params).result, c.expected);
        if (c.reason != nullptr)
        {
            EXPECT_EQ(LogLines(c.reason), reasons + c.reasonLines) << Utf8(c.reason);
        }
        if (!c.logged.empty())
            expected.push_back(c.logged);
        EXPECT_EQ(events(), expected);
    }
    // The time given is the event's time; logical-source events are numbered per source.
    EXPECT_EQ(
        Call(L"Bnt_IncomingEvent", L"SendIncomingEvent",
             {{L"Source", _variant_t(L"Building management")}, {L"Time", _variant_t(L"20261207081530.000000+000")}})
            .result,
        WBEM_S_NO_ERROR);
    const Table last = DoorInstallation::Rows(
        "SELECT SERIALNUM, EVENT_TIME_UTC FROM EVENTS WHERE MACHINE = 8 ORDER BY rowid DESC LIMIT 1");
    EXPECT_EQ(last, (Table{{"4", "2026-12-07 08:15:30"}}));
    EXPECT_TRUE(Driver().Calls().empty());
    // Every logged event went to the communication server, which relays it; nothing else did.
    const auto submitted = m_servers.CommEventServer().Calls();
    ASSERT_EQ(submitted.size(), 6u);
    EXPECT_EQ(RpcBlock::Long(submitted[3].block, 0), 216);
    EXPECT_EQ(submitted[3].block[5], 1) << "access denied";

    // The record carries the time as 32-bit seconds since 1970: both ends are taken, a second
    // beyond either is refused.
    const std::pair<const wchar_t*, const char*> times[] = {
        {L"19700101000000.000000+000", "1970-01-01 00:00:00"},
        {L"19691231235959.000000+000", nullptr},
        {L"21060207062815.000000+000", "2106-02-07 06:28:15"},
        {L"21060207062816.000000+000", nullptr},
    };
    for (const auto& [time, logged] : times)
    {
        SCOPED_TRACE(Utf8(time));
        const Table rows = events();
        const std::wstring reason = L"SendIncomingEvent: Time " + std::wstring(time) + L" is invalid.";
        const int reasons = LogLines(reason);
        const HRESULT sent = Call(L"Bnt_IncomingEvent", L"SendIncomingEvent",
                                  {{L"Source", _variant_t(L"Building management")}, {L"Time", _variant_t(time)}})
                                 .result;
        EXPECT_EQ(sent, logged != nullptr ? WBEM_S_NO_ERROR : WBEM_E_INVALID_PARAMETER);
        EXPECT_EQ(LogLines(reason), reasons + (logged == nullptr ? 1 : 0));
        if (logged == nullptr)
        {
            EXPECT_EQ(events(), rows);
            continue;
        }
        EXPECT_EQ(DoorInstallation::Rows("SELECT EVENT_TIME_UTC FROM EVENTS ORDER BY rowid DESC LIMIT 1"),
                  (Table{{logged}}));
    }

    // A communication server that answers "no", or whose call does not complete, takes no
    // event: a failure, and no log row, on the logical source's path and on the panel's.
    const Table logged = events();
    const Params logical = {{L"Source", _variant_t(L"Building management")}};
    const Params atReader = {{L"Source", _variant_t(L"Lobby panel")},
                             {L"Device", _variant_t(L"Lobby entry")},
                             {L"IsAccessGrant", _variant_t(true)}};
    const SimulatedAnswer refusals[] = {SimulatedAnswer::Status(1), SimulatedAnswer::Status(-1),
                                        SimulatedAnswer::Failing()};
    for (const SimulatedAnswer& refusal : refusals)
        for (const Params* params : {&logical, &atReader})
        {
            SCOPED_TRACE(std::to_string(refusal.first) + " " + std::to_string(refusal.transport));
            m_servers.CommEventServer().ClearCalls();
            m_servers.CommEventServer().SetDefaultAnswer(refusal);
            const int reasons = LogLines(L"SendIncomingEvent. Failed to send the event.");
            EXPECT_EQ(Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", *params).result, WBEM_E_FAILED);
            EXPECT_EQ(LogLines(L"SendIncomingEvent. Failed to send the event."), reasons + 1);
            EXPECT_EQ(m_servers.CommEventServer().Calls().size(), 1u) << "the call reached the server";
            EXPECT_EQ(events(), logged);
        }
    m_servers.CommEventServer().SetDefaultAnswer(SimulatedAnswer());

    // Without the communication server the event goes nowhere: a failure, and no log row.
    RpcEndpointTable::Instance().Unregister(&m_servers.CommEventServer());
    EXPECT_EQ(
        Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", {{L"Source", _variant_t(L"Building management")}}).result,
        WBEM_E_FAILED);
    EXPECT_EQ(events(), logged);
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM EVENTS WHERE MACHINE IN (1, 8);"
                                           "UPDATE VEXLET_DEVICE SET SUB_DEVICEID = 1 WHERE PANELID = 8 AND "
                                           "SUB_DEVICEID = 4");
}

TEST_F(DoorDeviceMethods, AlarmsAreAcknowledgedOnThePanelsHostOrTheFirstLocalServerThatAccepts)
{
    const auto acknowledge = [&](LONG panel, const wchar_t* host,
                                 const wchar_t* alarmTime = L"20261207080000.000000+000") {
        Params params{{L"CurrentAckStatus", _variant_t(2L)}, {L"SerialNumber", _variant_t(41L)},
                      {L"PanelID", _variant_t(panel)},       {L"AlarmID", _variant_t(3L)},
                      {L"AckStatus", _variant_t(5L)},        {L"AckNotes", _variant_t(L"seen  ")},
                      {L"AlarmTime", _variant_t(alarmTime)}};
        if (host != nullptr)
            params.emplace_back(L"CommServerHostName", _variant_t(host));
        return Call(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", params);
    };
    Driver().SetAnswer(Procedure(AapProcedure::AcknowledgeAlarm), SimulatedAnswer::Patched({{32, {9}}}));
    const Reply accepted = acknowledge(1, nullptr);
    EXPECT_EQ(accepted.result, WBEM_S_NO_ERROR) << Hex(accepted.result);
    ASSERT_EQ(accepted.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(accepted.objects[0].Get(), L"ReturnValue"), "1");
    EXPECT_EQ(support::PropertyText(accepted.objects[0].Get(), L"SimultaneousAckStatus"), "9");
    auto calls = Driver().CallsOf(Procedure(AapProcedure::AcknowledgeAlarm));
    ASSERT_EQ(calls.size(), 1u);
    // Current status, serial, panel, alarm, the operator's user id, the alarm time in whole OLE
    // days (2026-12-07 08:00:00 UTC is day 46363.33), status, then the panel-host flag 0.
    EXPECT_EQ(std::vector<BYTE>(calls[0].block.begin(), calls[0].block.begin() + 32),
              Words({2, 41, 1, 3, 1, 46363, 5, 0}));
    EXPECT_EQ(RpcBlock::Long(calls[0].block, 36), 10);
    // The day is cut, never rounded: from midnight to the last second before the next one,
    // noon and the afternoon included, an alarm of 7 December is matched on day 46363.
    const std::pair<const wchar_t*, LONG> days[] = {
        {L"20261207000000.000000+000", 46363}, {L"20261207115959.000000+000", 46363},
        {L"20261207120000.000000+000", 46363}, {L"20261207153000.000000+000", 46363},
        {L"20261207235959.000000+000", 46363}, {L"20261208000000.000000+000", 46364},
    };
    for (const auto& [time, day] : days)
    {
        Driver().ClearCalls();
        EXPECT_EQ(acknowledge(1, nullptr, time).result, WBEM_S_NO_ERROR) << Utf8(time);
        calls = Driver().CallsOf(Procedure(AapProcedure::AcknowledgeAlarm));
        ASSERT_EQ(calls.size(), 1u) << Utf8(time);
        EXPECT_EQ(RpcBlock::Long(calls[0].block, 20), day) << Utf8(time);
    }

    // Refused by the server: still S_OK, with no simultaneous status.
    Driver().SetAnswer(Procedure(AapProcedure::AcknowledgeAlarm), SimulatedAnswer::Status(1));
    const Reply rejected = acknowledge(1, nullptr);
    EXPECT_EQ(rejected.result, WBEM_S_NO_ERROR);
    ASSERT_EQ(rejected.objects.size(), 1u);
    EXPECT_EQ(support::PropertyText(rejected.objects[0].Get(), L"ReturnValue"), "0");
    EXPECT_EQ(support::PropertyText(rejected.objects[0].Get(), L"SimultaneousAckStatus"), "0");
    // A logical source has no host: the local servers are tried, the no-host flag is set. Its
    // panel id differs from the operator's user id, so a swap of the two shows.
    Driver().ClearCalls();
    Driver().SetAnswer(Procedure(AapProcedure::AcknowledgeAlarm), SimulatedAnswer());
    EXPECT_EQ(acknowledge(8, nullptr).result, WBEM_S_NO_ERROR);
    calls = Driver().CallsOf(Procedure(AapProcedure::AcknowledgeAlarm));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(std::vector<BYTE>(calls[0].block.begin(), calls[0].block.begin() + 32),
              Words({2, 41, 8, 3, 1, 46363, 5, 1}));
    // A host that does not answer: S_OK without a call reaching the simulated server.
    Driver().ClearCalls();
    EXPECT_EQ(acknowledge(1, L"FARAWAY").result, WBEM_S_NO_ERROR);
    EXPECT_TRUE(Driver().Calls().empty());

    // A missing number is refused, and so is a caller outside the panel's devices.
    EXPECT_TRUE(Refused(Call(L"Bnt_IncomingEvent", L"AcknowledgeAlarm", {{L"PanelID", _variant_t(1L)}}),
                        WBEM_E_INVALID_PARAMETER, CWmipMessages::kInvalidParameter));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        UPDATE USER_PERM SET DEVICES_ARE_EXCLUDED = 1 WHERE USER_PERMID = 56;
        INSERT INTO USER_PERM_DEVICE_GROUP_LINK (USER_PERMID, DEVICEGROUPID) VALUES (56, 2);)");
    CallAs(Callers::kOnlooker);
    const Reply excluded = acknowledge(6, nullptr);
    const HRESULT other = acknowledge(1, nullptr).result;
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        UPDATE USER_PERM SET DEVICES_ARE_EXCLUDED = 0 WHERE USER_PERMID = 56;
        DELETE FROM USER_PERM_DEVICE_GROUP_LINK WHERE USER_PERMID = 56;)");
    EXPECT_TRUE(Refused(excluded, WBEM_E_ACCESS_DENIED, CWmipMessages::kAccessDenied));
    EXPECT_EQ(other, WBEM_S_NO_ERROR);
    EXPECT_EQ(Driver().CallsOf(Procedure(AapProcedure::AcknowledgeAlarm)).size(), 1u);
}

// Every method that asks a server asks it with the database's write lock free: each simulated
// server, during each call it answers, has another connection try to take the lock. Every
// device command, the camera's live status, an alarm's acknowledgement on its panel's host and
// on the local servers, a tour's launch, and an event's hand-over for a logical source and for
// a reader.
TEST_F(DoorDeviceMethods, EveryServerIsAskedWithTheWriteLockFree)
{
    std::vector<std::string> asked;
    for (support::SimulatedServer* server : m_servers.Servers())
        server->SetObserver([&](const support::SimulatedServer& by, const support::SimulatedCall& call) {
            const bool free = support::InstallationDatabase::WriteLockFree(DoorInstallation::DatabaseFile());
            asked.push_back(Utf8(by.ServerName()) + " " + Utf8(call.name) + (free ? "" : ", the write lock held"));
        });
    const auto driver = [](AapProcedure procedure) { return "driver server " + Utf8(AapProcedureName(procedure)); };
    const std::string handedOver = "communication server event door SubmitEvent";
    struct ServerCall
    {
        std::string what;
        std::function<Reply()> call;
        std::string asked;
    };
    const std::vector<DeviceMethodCase> commands = DeviceMethodCases();
    std::vector<ServerCall> cases;
    for (const DeviceMethodCase& c : commands)
        cases.push_back({Utf8(c.path) + " " + Utf8(c.method), [&] { return Call(c.path, c.method, c.params); },
                         driver(c.procedure)});
    cases.push_back({"camera status", [&] { return Call(L"Bnt_Camera.ID=1,PanelID=6", L"GetHardwareStatus"); },
                     driver(AapProcedure::GetDeviceStatus)});
    cases.push_back(
        {"alarm of a panel with a host", [&] { return Acknowledge(1); }, driver(AapProcedure::AcknowledgeAlarm)});
    cases.push_back({"alarm of a logical source, on the local servers", [&] { return Acknowledge(8); },
                     driver(AapProcedure::AcknowledgeAlarm)});
    cases.push_back({"tour launch",
                     [&] {
                         CallAs(Callers::kAdministrator);
                         const Reply reply =
                             Call(L"Bnt_GuardTour.ID=1", L"LaunchTour",
                                  {{L"BadgeID", _variant_t(L"100001")}, {L"MonStationID", _variant_t(1L)}});
                         CallAs(Callers::kOperator);
                         return reply;
                     },
                     "linkage server LaunchTour"});
    cases.push_back(
        {"event of a logical source",
         [&] {
             return Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", {{L"Source", _variant_t(L"Building management")}});
         },
         handedOver});
    cases.push_back({"event at a reader",
                     [&] {
                         return Call(L"Bnt_IncomingEvent", L"SendIncomingEvent",
                                     {{L"Source", _variant_t(L"Lobby panel")},
                                      {L"Device", _variant_t(L"Lobby entry")},
                                      {L"IsAccessGrant", _variant_t(true)}});
                     },
                     handedOver});
    const std::string lastEvent = support::InstallationDatabase::Scalar(DoorInstallation::DatabaseFile(),
                                                                        "SELECT COALESCE(MAX(rowid), 0) FROM EVENTS");
    for (const ServerCall& c : cases)
    {
        SCOPED_TRACE(c.what);
        asked.clear();
        const Reply reply = c.call();
        EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << Hex(reply.result);
        EXPECT_EQ(asked, std::vector<std::string>{c.asked});
    }
    for (support::SimulatedServer* server : m_servers.Servers())
        server->SetObserver(nullptr);
    // Both events were logged once the server took them.
    EXPECT_EQ(
        DoorInstallation::Rows("SELECT MACHINE, EVENTTYPE FROM EVENTS WHERE rowid > ? ORDER BY rowid", {lastEvent}),
        (Table{{"8", "30"}, {"1", "0"}}));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM EVENTS WHERE rowid > " + lastEvent);
}

// The two ends of an event: the card number (offset 56) and serial number (offset 8) of each
// record the communication server took, and the panel's log rows written after `lastEvent`.
Table HandedOver(const std::vector<support::SimulatedCall>& calls)
{
    Table records;
    for (const support::SimulatedCall& call : calls)
        records.push_back(
            {std::to_string(RpcBlock::Long(call.block, 56)), std::to_string(RpcBlock::Long(call.block, 8))});
    return records;
}

Table LoggedAfter(const std::string& lastEvent, LONG panel)
{
    return DoorInstallation::Rows(
        "SELECT CARDNUM, SERIALNUM FROM EVENTS WHERE MACHINE = ? AND rowid > ? ORDER BY rowid",
        {std::to_string(panel), lastEvent});
}

// An event's log row is written in the frame, under the panel's next serial number, before the
// event is handed over. A second writer that logs an event of the same panel while the first
// one's hand-over is under way (the server's observer runs it to its end) therefore draws the
// next number: each event is handed over once, under its own number (a logical source's record
// carries it; a reader's leaves 0), with its own row, and both calls answer success.
TEST_F(DoorDeviceMethods, TwoWritersAtOnceHandOverEachEventOnceUnderItsOwnLoggedNumber)
{
    const std::string lastEvent = support::InstallationDatabase::Scalar(DoorInstallation::DatabaseFile(),
                                                                        "SELECT COALESCE(MAX(rowid), 0) FROM EVENTS");
    const auto event = [](const Params& where, const wchar_t* badge) {
        Params params = where;
        params.emplace_back(L"BadgeID", _variant_t(badge));
        return params;
    };
    const Params logical = {{L"Source", _variant_t(L"Building management")}};
    const Params atReader = {{L"Source", _variant_t(L"Lobby panel")},
                             {L"Device", _variant_t(L"Lobby entry")},
                             {L"IsAccessGrant", _variant_t(true)}};
    const struct
    {
        const char* what;
        const Params& where;
        LONG panel;
        // Whether the record carries its serial number.
        bool numbered;
    } cases[] = {
        {"a logical source's events", logical, 8, true},
        {"a reader's events", atReader, 1, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        const LONG serial = std::stol(support::InstallationDatabase::Scalar(
            DoorInstallation::DatabaseFile(),
            "SELECT COALESCE(MAX(SERIALNUM), 0) + 1 FROM EVENTS WHERE MACHINE = " + std::to_string(c.panel)));
        m_servers.CommEventServer().ClearCalls();
        HRESULT second = WBEM_E_FAILED;
        bool started = false;
        m_servers.CommEventServer().SetObserver([&](const support::SimulatedServer&, const support::SimulatedCall&) {
            if (std::exchange(started, true))
                return;
            std::thread writer([&] {
                const CallerIdentity::Scope caller(CallerIdentity(Callers::kOperator, SecurityImpersonation));
                second = Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", event(c.where, L"22")).result;
            });
            writer.join();
        });
        const HRESULT first = Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", event(c.where, L"11")).result;
        m_servers.CommEventServer().SetObserver(nullptr);
        EXPECT_EQ(first, WBEM_S_NO_ERROR) << Hex(first);
        EXPECT_EQ(second, WBEM_S_NO_ERROR) << Hex(second);
        const std::string own = std::to_string(serial);
        const std::string next = std::to_string(serial + 1);
        EXPECT_EQ(HandedOver(m_servers.CommEventServer().Calls()),
                  (Table{{"11", c.numbered ? own : "0"}, {"22", c.numbered ? next : "0"}}));
        EXPECT_EQ(LoggedAfter(lastEvent, c.panel), (Table{{"11", own}, {"22", next}}));
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM EVENTS WHERE rowid > " + lastEvent);
}

// Another process holds the database's write lock from the moment the server takes the event
// until the call has answered, longer than any wait for it: the event is already logged and the
// call answers success, so a caller that retries a failure hands nothing over twice.
TEST_F(DoorDeviceMethods, AnEventTheServerTookIsASuccessWhileAnotherProcessHoldsTheLock)
{
    const std::string lastEvent = support::InstallationDatabase::Scalar(DoorInstallation::DatabaseFile(),
                                                                        "SELECT COALESCE(MAX(rowid), 0) FROM EVENTS");
    const std::string serial = support::InstallationDatabase::Scalar(
        DoorInstallation::DatabaseFile(), "SELECT COALESCE(MAX(SERIALNUM), 0) + 1 FROM EVENTS WHERE MACHINE = 8");
    const Params params = {{L"Source", _variant_t(L"Building management")}, {L"BadgeID", _variant_t(L"33")}};
    const support::SqliteDatabase other = support::OpenSqlite(DoorInstallation::DatabaseFile());
    ASSERT_NE(other, nullptr);
    bool held = false;
    m_servers.CommEventServer().ClearCalls();
    m_servers.CommEventServer().SetObserver([&](const support::SimulatedServer&, const support::SimulatedCall&) {
        held = sqlite3_exec(other.get(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) == SQLITE_OK;
    });
    HRESULT answered = Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", params).result;
    // The caller retries what failed.
    if (FAILED(answered))
        answered = Call(L"Bnt_IncomingEvent", L"SendIncomingEvent", params).result;
    m_servers.CommEventServer().SetObserver(nullptr);
    ASSERT_TRUE(held);
    ASSERT_EQ(sqlite3_exec(other.get(), "ROLLBACK", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ(answered, WBEM_S_NO_ERROR) << Hex(answered);
    EXPECT_EQ(HandedOver(m_servers.CommEventServer().Calls()), (Table{{"33", serial}}));
    EXPECT_EQ(LoggedAfter(lastEvent, 8), (Table{{"33", serial}}));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM EVENTS WHERE rowid > " + lastEvent);
}

// List 0 (the method without a list) is the floors stored under 0, and needs no list row; any
// other id must name a list: one that names none (999, -1, 998 even with floors stored under it)
// sends nothing, answers 0x80041001 with no text of its own, writes no audit record and logs the
// id it could not load. The terminal is read as the caller, behind the method's permission.
TEST_F(DoorDeviceMethods, AFloorListIdOtherThanZeroMustNameAList)
{
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO ELEVATOR_FLOOR_LIST_FLOOR (FLOOR_LISTID, FLOOR) VALUES (0, 5), (998, 7), (998, 16);
        INSERT INTO ELEVATOR_FLOOR_LIST (FLOOR_LISTID, NAME) VALUES (997, 'Empty');
        INSERT INTO ELEVATOR_KEYPAD_TERMINAL (TERMINALID, PANELID, IPADDRESS, NAME) VALUES (8, 2, 4, 'Dock keypad');)");
    const std::wstring lobby = L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5";
    const std::wstring dock = L"Bnt_ElevatorTerminal.ID=8,IPAddress=4,PanelID=2";
    // The block with the floors set at 20 and on.
    const auto floors = [](LONG panel, LONG terminal, LONG list, std::vector<BYTE> map) {
        std::vector<BYTE> block = ElevatorBlock(panel, terminal, 16, 0, list);
        std::copy(map.begin(), map.end(), block.begin() + 20);
        return block;
    };
    const struct
    {
        const char* what;
        const wchar_t* caller;
        const std::wstring& terminal;
        std::optional<LONG> list;
        HRESULT expected;
        const wchar_t* reason;
        // The block sent and the audit text (nothing sent on a failure).
        std::vector<BYTE> sent;
        const char* audit;
        // The log line of a list that cannot load.
        const wchar_t* logged;
    } cases[] = {
        {"list 0, the method without a list", Callers::kOperator, lobby, std::nullopt, WBEM_S_NO_ERROR, nullptr,
         floors(5, 2, 0, {0x10}), "Tower lobby keypad", nullptr},
        {"list 0 named", Callers::kOperator, lobby, 0, WBEM_S_NO_ERROR, nullptr, floors(5, 2, 0, {0x10}),
         "Tower lobby keypad", nullptr},
        {"an id no list row names",
         Callers::kOperator,
         lobby,
         999,
         WBEM_E_FAILED,
         CWmipMessages::kFailed,
         {},
         nullptr,
         L"no floor list with the id 999"},
        {"a negative id",
         Callers::kOperator,
         lobby,
         -1,
         WBEM_E_FAILED,
         CWmipMessages::kFailed,
         {},
         nullptr,
         L"no floor list with the id -1"},
        {"floors stored under an id no list row names",
         Callers::kOperator,
         lobby,
         998,
         WBEM_E_FAILED,
         CWmipMessages::kFailed,
         {},
         nullptr,
         L"no floor list with the id 998"},
        {"a list with no floors", Callers::kOperator, lobby, 997, WBEM_S_NO_ERROR, nullptr, floors(5, 2, 997, {}),
         "Tower lobby keypad", nullptr},
        {"a listed list", Callers::kOperator, lobby, 1, WBEM_S_NO_ERROR, nullptr, floors(5, 2, 1, {0x01, 0x09}),
         "Tower lobby keypad", nullptr},
        {"without the command right",
         Callers::kOnlooker,
         lobby,
         std::nullopt,
         WBEM_E_ACCESS_DENIED,
         CWmipMessages::kAccessDenied,
         {},
         nullptr,
         nullptr},
        {"segment 2 only, segment 1's terminal",
         Callers::kDock,
         lobby,
         std::nullopt,
         WBEM_E_NOT_FOUND,
         CWmipMessages::kNotFound,
         {},
         nullptr,
         nullptr},
        {"segment 2 only, its own terminal", Callers::kDock, dock, 1, WBEM_S_NO_ERROR, nullptr,
         floors(2, 4, 1, {0x01, 0x09}), "Dock keypad", nullptr},
        {"segment 2 only, its own terminal, an id no list row names",
         Callers::kDock,
         dock,
         999,
         WBEM_E_FAILED,
         CWmipMessages::kFailed,
         {},
         nullptr,
         L"no floor list with the id 999"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CallAs(c.caller);
        Driver().ClearCalls();
        const std::size_t audits = AuditCount();
        const Row lastAudit = LastAudit();
        const int logged = c.logged != nullptr ? LogLines(c.logged) : 0;
        Params params;
        if (c.list)
            params.emplace_back(L"AllowedFloorListID", _variant_t(*c.list));
        const Reply reply = Call(c.terminal, L"SetAllowedFloors", params);
        const auto calls = Driver().Calls();
        if (c.reason != nullptr)
        {
            EXPECT_TRUE(Refused(reply, c.expected, c.reason));
            EXPECT_TRUE(calls.empty());
            EXPECT_EQ(AuditCount(), audits);
            EXPECT_EQ(LastAudit(), lastAudit);
            if (c.logged != nullptr)
            {
                EXPECT_EQ(LogLines(c.logged), logged + 1);
            }
            continue;
        }
        EXPECT_EQ(reply.result, c.expected) << Hex(reply.result);
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].block, c.sent);
        ASSERT_EQ(AuditCount(), audits + 1);
        const Row audit = LastAudit();
        ASSERT_EQ(audit.size(), 3u);
        EXPECT_EQ(audit[0], "6");
        EXPECT_EQ(audit[1], "146");
        EXPECT_NE(audit[2].find(c.audit), std::string::npos) << audit[2];
    }
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        DELETE FROM ELEVATOR_FLOOR_LIST_FLOOR WHERE FLOOR_LISTID IN (0, 998);
        DELETE FROM ELEVATOR_FLOOR_LIST WHERE FLOOR_LISTID = 997;
        DELETE FROM ELEVATOR_KEYPAD_TERMINAL WHERE TERMINALID = 8;)");
}

// A command the driver server did not take (it answered "no", the call did not complete, the
// server cannot be reached) is a plain failure: 0x80041001 without a text of its own, no
// audit record, and an error line in the provider log that says why. Refusals before the
// command keep their codes and texts and log no such line.
TEST_F(DoorDeviceMethods, ACommandTheServerDidNotTakeIsAPlainFailureItsReasonLogged)
{
    support::InstallationDatabase::Execute(
        DoorInstallation::DatabaseFile(),
        "INSERT INTO ELEVATOR_KEYPAD_TERMINAL (TERMINALID, PANELID, IPADDRESS, NAME) VALUES (8, 2, 4, 'Dock keypad');");
    const std::wstring lobby = L"Bnt_ElevatorTerminal.ID=1,IPAddress=2,PanelID=5";
    const std::wstring dock = L"Bnt_ElevatorTerminal.ID=8,IPAddress=4,PanelID=2";
    const std::wstring refusedLine = L"The hardware command failed. The hardware driver server on \"localhost\" "
                                     L"refused the command (status 0x00000001).";
    const std::wstring incompleteLine = L"The hardware command failed. The call to the hardware driver server on "
                                        L"\"localhost\" did not complete (RPC status 1726).";
    const struct
    {
        const char* what;
        const wchar_t* caller;
        const std::wstring& terminal;
        SimulatedAnswer answer;
        HRESULT expected;
        const wchar_t* reason;
        // The log line that names why; none for a refusal before the command.
        const std::wstring* line;
        std::size_t sent;
    } cases[] = {
        {"refused by the server", Callers::kOperator, lobby, SimulatedAnswer::Status(1), WBEM_E_FAILED,
         CWmipMessages::kFailed, &refusedLine, 1},
        {"a call that did not complete", Callers::kOperator, lobby, SimulatedAnswer::Failing(), WBEM_E_FAILED,
         CWmipMessages::kFailed, &incompleteLine, 1},
        {"segment 2 only, its own terminal refused", Callers::kDock, dock, SimulatedAnswer::Status(1), WBEM_E_FAILED,
         CWmipMessages::kFailed, &refusedLine, 1},
        {"without the command right", Callers::kOnlooker, lobby, SimulatedAnswer::Status(1), WBEM_E_ACCESS_DENIED,
         CWmipMessages::kAccessDenied, nullptr, 0},
        {"segment 2 only, segment 1's terminal", Callers::kDock, lobby, SimulatedAnswer::Status(1), WBEM_E_NOT_FOUND,
         CWmipMessages::kNotFound, nullptr, 0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.what);
        CallAs(c.caller);
        Driver().ClearCalls();
        Driver().SetDefaultAnswer(c.answer);
        const std::size_t audits = AuditCount();
        const int refused = LogLines(refusedLine);
        const int incomplete = LogLines(incompleteLine);
        const Reply reply = Call(c.terminal, L"SetTerminalMode", {{L"Mode", _variant_t(3L)}});
        EXPECT_TRUE(Refused(reply, c.expected, c.reason));
        EXPECT_EQ(Driver().Calls().size(), c.sent);
        EXPECT_EQ(AuditCount(), audits);
        EXPECT_EQ(LogLines(refusedLine), refused + (c.line == &refusedLine ? 1 : 0));
        EXPECT_EQ(LogLines(incompleteLine), incomplete + (c.line == &incompleteLine ? 1 : 0));
    }
    Driver().SetDefaultAnswer(SimulatedAnswer());
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(),
                                           "DELETE FROM ELEVATOR_KEYPAD_TERMINAL WHERE TERMINALID = 8;");
}

TEST_F(DoorDeviceMethods, RequestableReadersAreThoseOfOpenLevelsEachListedOnce)
{
    const auto listed = [&] {
        return Values(Enum(Form::Sync, L"Bnt_RequestableReader").objects, {L"PanelID", L"ReaderID"});
    };
    // Level 1 (open to requests) links the lobby readers; level 2 (closed) the dock readers.
    EXPECT_EQ(listed(), (Table{{"1", "0"}, {"1", "1"}}));
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        INSERT INTO ACCESSLVL (ACCESSLVID, DESCRIPT, SEGMENTID, AVAILABLE_FOR_REQUEST, COMMAND, DOWNLOAD,
                               FIRST_CARD_UNLOCK) VALUES (90, 'Lobby nights', 1, 1, 0, 1, 0);
        INSERT INTO ACCLVLINK (ACCESSLVID, PANELID, READERID, TZID) VALUES (90, 1, 0, 1), (90, 2, 1, 1);)");
    const Table withSecondLevel = listed();
    support::InstallationDatabase::Execute(DoorInstallation::DatabaseFile(), R"(
        DELETE FROM ACCLVLINK WHERE ACCESSLVID = 90;
        DELETE FROM ACCESSLVL WHERE ACCESSLVID = 90;)");
    EXPECT_EQ(withSecondLevel, (Table{{"1", "0"}, {"1", "1"}, {"2", "1"}}));
}

TEST_F(DoorDeviceMethods, IntrusionClassesListOnlyTheirDeviceType)
{
    const auto names = [&](const wchar_t* className) { return Values(Enum(Form::Sync, className).objects, {L"Name"}); };
    EXPECT_EQ(names(L"Bnt_IntrusionDoor"), (Table{{"Vault door"}}));
    EXPECT_EQ(names(L"Bnt_OffBoardRelay"), (Table{{"Vault siren relay"}}));
    EXPECT_EQ(names(L"Bnt_OnBoardRelay"), (Table{{"Vault strobe relay"}}));
    // Zone outputs are zones too.
    EXPECT_EQ(names(L"Bnt_IntrusionZone"), (Table{{"Vault beacon output"}, {"Vault motion zone"}}));
    EXPECT_EQ(names(L"Bnt_IntrusionZoneOutput"), (Table{{"Vault beacon output"}}));
    EXPECT_EQ(names(L"Bnt_IntrusionArea"), (Table{{"Vault"}, {"Vault antechamber"}}));
}

TEST_F(DoorDeviceMethods, AReadersAuditTextNamesItAndItsKeys)
{
    const ComPtr<IWbemClassObject> reader = Instance(L"Bnt_Reader.PanelID=6,ReaderID=2");
    ASSERT_TRUE(reader);
    CWmipReaderMapper mapper(nullptr, nullptr, nullptr, Door::kWmi);
    EXPECT_EQ(mapper.GetTransactionObject(), 25);
    EXPECT_EQ(Utf8(mapper.GetTransactionValues(brontel::UserTranOperation::Modify, reader.Get()).GetString()),
              "Annex onboard out(6,2)");
    // Under the provider readers are read-only.
    EXPECT_EQ(mapper.GetModifyPermission(), 0u);
}

}  // namespace
}  // namespace e2e
