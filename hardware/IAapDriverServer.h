// IAapDriverServer: the hardware driver server's interface as its clients call it: one method
// per procedure (AapProcedure.h gives the numbers and the block of each). A method receives
// the procedure's request block, which it may fill where the procedure has out fields (never
// past its end), and the call's two status words, preset by the client to kNotAnswered.
// The return value is the transport's: RPC_S_OK when the call completed, otherwise an RPC
// failure (the status words then mean nothing).
//
// Servers register under their host with kDriverServerEndpoints; any client thread may call
// at any time, so an implementation guards its own state.
#pragma once

#include <span>

#include "platform/rpc/RpcServer.h"
#include "platform/rpc/RpcServiceEndpoints.h"
#include "platform/rpc/RpcStatus.h"
#include "platform/win32/WinTypes.h"

// Where the hardware driver server listens.
inline constexpr RpcServiceEndpoints kDriverServerEndpoints{L"BntAapDriver", L"\\pipe\\BntAapDriver", L"DriverRpcPort",
                                                            5151};

// The two status words of one call.
struct AapCallStatus
{
    // The value both words hold until the server answers.
    static constexpr LONG kNotAnswered = static_cast<LONG>(0x8001FFFF);
    LONG first = kNotAnswered;
    LONG second = kNotAnswered;
};

class IAapDriverServer : public RpcServer
{
public:
    virtual RPC_STATUS SetPanelClock(std::span<BYTE> block, AapCallStatus& status) = 0;                    // 5
    virtual RPC_STATUS GetAlarmPanelOutputStatus(std::span<BYTE> block, AapCallStatus& status) = 0;        // 19
    virtual RPC_STATUS SetAlarmInputMask(std::span<BYTE> block, AapCallStatus& status) = 0;                // 20
    virtual RPC_STATUS PulseAlarmOutput(std::span<BYTE> block, AapCallStatus& status) = 0;                 // 21
    virtual RPC_STATUS DownloadDatabase(std::span<BYTE> block, AapCallStatus& status) = 0;                 // 23
    virtual RPC_STATUS ActivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status) = 0;              // 24
    virtual RPC_STATUS DeactivateAlarmOutput(std::span<BYTE> block, AapCallStatus& status) = 0;            // 25
    virtual RPC_STATUS GetPanelDeviceStatus(std::span<BYTE> block, AapCallStatus& status) = 0;             // 27
    virtual RPC_STATUS GetAlarmPanelInputStatus(std::span<BYTE> block, AapCallStatus& status) = 0;         // 29
    virtual RPC_STATUS ControlReaderOutput(std::span<BYTE> block, AapCallStatus& status) = 0;              // 44
    virtual RPC_STATUS SetReaderInputMask(std::span<BYTE> block, AapCallStatus& status) = 0;               // 45
    virtual RPC_STATUS GetPanelAuxStatus(std::span<BYTE> block, AapCallStatus& status) = 0;                // 56
    virtual RPC_STATUS GetPanelDeviceStatusTable(std::span<BYTE> block, AapCallStatus& status) = 0;        // 57
    virtual RPC_STATUS DownloadFirmware(std::span<BYTE> block, AapCallStatus& status) = 0;                 // 70
    virtual RPC_STATUS ResetUseLimit(std::span<BYTE> block, AapCallStatus& status) = 0;                    // 71
    virtual RPC_STATUS SetPanelConnection(std::span<BYTE> block, AapCallStatus& status) = 0;               // 72
    virtual RPC_STATUS DownloadReaderFirmware(std::span<BYTE> block, AapCallStatus& status) = 0;           // 146
    virtual RPC_STATUS BypassIntrusionZone(std::span<BYTE> block, AapCallStatus& status) = 0;              // 150
    virtual RPC_STATUS SetIntrusionZoneOutput(std::span<BYTE> block, AapCallStatus& status) = 0;           // 151
    virtual RPC_STATUS SetIntrusionAreaArmState(std::span<BYTE> block, AapCallStatus& status) = 0;         // 153
    virtual RPC_STATUS SilenceIntrusionArea(std::span<BYTE> block, AapCallStatus& status) = 0;             // 154
    virtual RPC_STATUS SetIntrusionOnboardRelay(std::span<BYTE> block, AapCallStatus& status) = 0;         // 158
    virtual RPC_STATUS SetIntrusionOffboardRelay(std::span<BYTE> block, AapCallStatus& status) = 0;        // 159
    virtual RPC_STATUS OpenIntrusionDoor(std::span<BYTE> block, AapCallStatus& status) = 0;                // 160
    virtual RPC_STATUS SetIntrusionDoorMode(std::span<BYTE> block, AapCallStatus& status) = 0;             // 161
    virtual RPC_STATUS GetIntrusionPanelStatus(std::span<BYTE> block, AapCallStatus& status) = 0;          // 162
    virtual RPC_STATUS GetIntrusionZoneStatus(std::span<BYTE> block, AapCallStatus& status) = 0;           // 163
    virtual RPC_STATUS GetIntrusionOnboardRelayStatus(std::span<BYTE> block, AapCallStatus& status) = 0;   // 164
    virtual RPC_STATUS GetIntrusionOffboardRelayStatus(std::span<BYTE> block, AapCallStatus& status) = 0;  // 165
    virtual RPC_STATUS GetIntrusionDoorStatus(std::span<BYTE> block, AapCallStatus& status) = 0;           // 166
    virtual RPC_STATUS GetIntrusionAreaStatus(std::span<BYTE> block, AapCallStatus& status) = 0;           // 167
    virtual RPC_STATUS GetElevatorTerminalStatus(std::span<BYTE> block, AapCallStatus& status) = 0;        // 190
    virtual RPC_STATUS SendElevatorTerminalCommand(std::span<BYTE> block, AapCallStatus& status) = 0;      // 191
    virtual RPC_STATUS GetDeviceStatus(std::span<BYTE> block, AapCallStatus& status) = 0;                  // 205
    virtual RPC_STATUS AcknowledgeAlarm(std::span<BYTE> block, AapCallStatus& status) = 0;                 // 206
    virtual RPC_STATUS SendCommandMap(std::span<BYTE> block, AapCallStatus& status) = 0;                   // 237
};
