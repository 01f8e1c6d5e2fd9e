// SimulatedDriverServer: a hardware driver server that records every call and answers with
// the configured statuses and out-data (SimulatedServer). Each procedure is recorded under its
// number and name (hardware/AapProcedure.h).
//
// Shared (std::shared_ptr) between its owner and the endpoint table. Thread-safe.
#pragma once

#include "hardware/AapProcedure.h"
#include "hardware/IAapDriverServer.h"
#include "simulation/SimulatedServer.h"

namespace support {

class SimulatedDriverServer : public IAapDriverServer, public SimulatedServer
{
public:
    SimulatedDriverServer();

    RPC_STATUS SetPanelClock(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetAlarmPanelOutputStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetAlarmInputMask(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS PulseAlarmOutput(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS DownloadDatabase(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS ActivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS DeactivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetPanelDeviceStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetAlarmPanelInputStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS ControlReaderOutput(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetReaderInputMask(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetPanelAuxStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetPanelDeviceStatusTable(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS DownloadFirmware(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS ResetUseLimit(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetPanelConnection(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS DownloadReaderFirmware(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS BypassIntrusionZone(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetIntrusionZoneOutput(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetIntrusionAreaArmState(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SilenceIntrusionArea(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetIntrusionOnboardRelay(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetIntrusionOffboardRelay(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS OpenIntrusionDoor(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SetIntrusionDoorMode(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionPanelStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionZoneStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionOnboardRelayStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionOffboardRelayStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionDoorStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetIntrusionAreaStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetElevatorTerminalStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SendElevatorTerminalCommand(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS GetDeviceStatus(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS AcknowledgeAlarm(std::span<BYTE> block, AapCallStatus& status) override;
    RPC_STATUS SendCommandMap(std::span<BYTE> block, AapCallStatus& status) override;

private:
    RPC_STATUS Record(AapProcedure procedure, std::span<BYTE> block, AapCallStatus& status);
};

}  // namespace support
