#include "simulation/SimulatedDriverServer.h"

#include "hardware/AapProcedure.h"

namespace support {

SimulatedDriverServer::SimulatedDriverServer() : SimulatedServer(L"driver server") {}

RPC_STATUS SimulatedDriverServer::Record(AapProcedure procedure, std::span<BYTE> block, AapCallStatus& status)
{
    return Answer(static_cast<LONG>(procedure), AapProcedureName(procedure), block, &status.first, &status.second);
}

RPC_STATUS SimulatedDriverServer::SetPanelClock(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetPanelClock, block, status);
}

RPC_STATUS SimulatedDriverServer::GetAlarmPanelOutputStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetAlarmPanelOutputStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::SetAlarmInputMask(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetAlarmInputMask, block, status);
}

RPC_STATUS SimulatedDriverServer::PulseAlarmOutput(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::PulseAlarmOutput, block, status);
}

RPC_STATUS SimulatedDriverServer::DownloadDatabase(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::DownloadDatabase, block, status);
}

RPC_STATUS SimulatedDriverServer::ActivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::ActivateAlarmOutput, block, status);
}

RPC_STATUS SimulatedDriverServer::DeactivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::DeactivateAlarmOutput, block, status);
}

RPC_STATUS SimulatedDriverServer::GetPanelDeviceStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetPanelDeviceStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetAlarmPanelInputStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetAlarmPanelInputStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::ControlReaderOutput(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::ControlReaderOutput, block, status);
}

RPC_STATUS SimulatedDriverServer::SetReaderInputMask(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetReaderInputMask, block, status);
}

RPC_STATUS SimulatedDriverServer::GetPanelAuxStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetPanelAuxStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetPanelDeviceStatusTable(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetPanelDeviceStatusTable, block, status);
}

RPC_STATUS SimulatedDriverServer::DownloadFirmware(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::DownloadFirmware, block, status);
}

RPC_STATUS SimulatedDriverServer::ResetUseLimit(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::ResetUseLimit, block, status);
}

RPC_STATUS SimulatedDriverServer::SetPanelConnection(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetPanelConnection, block, status);
}

RPC_STATUS SimulatedDriverServer::DownloadReaderFirmware(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::DownloadReaderFirmware, block, status);
}

RPC_STATUS SimulatedDriverServer::BypassIntrusionZone(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::BypassIntrusionZone, block, status);
}

RPC_STATUS SimulatedDriverServer::SetIntrusionZoneOutput(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetIntrusionZoneOutput, block, status);
}

RPC_STATUS SimulatedDriverServer::SetIntrusionAreaArmState(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetIntrusionAreaArmState, block, status);
}

RPC_STATUS SimulatedDriverServer::SilenceIntrusionArea(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SilenceIntrusionArea, block, status);
}

RPC_STATUS SimulatedDriverServer::SetIntrusionOnboardRelay(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetIntrusionOnboardRelay, block, status);
}

RPC_STATUS SimulatedDriverServer::SetIntrusionOffboardRelay(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetIntrusionOffboardRelay, block, status);
}

RPC_STATUS SimulatedDriverServer::OpenIntrusionDoor(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::OpenIntrusionDoor, block, status);
}

RPC_STATUS SimulatedDriverServer::SetIntrusionDoorMode(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SetIntrusionDoorMode, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionPanelStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionPanelStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionZoneStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionZoneStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionOnboardRelayStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionOnboardRelayStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionOffboardRelayStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionOffboardRelayStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionDoorStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionDoorStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetIntrusionAreaStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetIntrusionAreaStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::GetElevatorTerminalStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetElevatorTerminalStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::SendElevatorTerminalCommand(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SendElevatorTerminalCommand, block, status);
}

RPC_STATUS SimulatedDriverServer::GetDeviceStatus(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::GetDeviceStatus, block, status);
}

RPC_STATUS SimulatedDriverServer::AcknowledgeAlarm(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::AcknowledgeAlarm, block, status);
}

RPC_STATUS SimulatedDriverServer::SendCommandMap(std::span<BYTE> block, AapCallStatus& status)
{
    return Record(AapProcedure::SendCommandMap, block, status);
}

}  // namespace support
