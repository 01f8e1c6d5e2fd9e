// The procedures of the hardware driver server's interface, by their numbers, with the name
// each is known by and the request block each carries (field offsets in bytes, little-endian;
// "in/out" blocks are filled by the server):
//   5   SetPanelClock              {panel id}
//   19  GetAlarmPanelOutputStatus  in/out 8456-byte board block keyed by the panel id
//   20  SetAlarmInputMask          4116-byte alarm input command block
//   21  PulseAlarmOutput           {panel id, alarm panel id, output id, duration}
//   23  DownloadDatabase           {panel id}
//   24  ActivateAlarmOutput        {panel id, alarm panel id, output id}
//   25  DeactivateAlarmOutput      {panel id, alarm panel id, output id}
//   27  GetPanelDeviceStatus       in/out 16-byte header (pointer word 0) + count 56-byte records
//   29  GetAlarmPanelInputStatus   in/out 8456-byte board block keyed by the panel id
//   44  ControlReaderOutput        in/out 8-byte reader output block
//   45  SetReaderInputMask         in/out 12-byte reader input block
//   56  GetPanelAuxStatus          in/out 72-byte block keyed by the panel id
//   57  GetPanelDeviceStatusTable  in/out 520-byte block keyed by the panel id
//   70  DownloadFirmware           {panel id}
//   71  ResetUseLimit              20-byte request, then the flag byte at 20
//   72  SetPanelConnection         {panel id, code}
//   146 DownloadReaderFirmware     {panel id, reader id, control type, flag}
//   150 BypassIntrusionZone        {panel id, zone id, bypass}
//   151 SetIntrusionZoneOutput     {panel id, output id, command}
//   153 SetIntrusionAreaArmState   {panel id, area, mode (16-bit at 8), out result at 12}
//   154 SilenceIntrusionArea       {panel id, area}
//   158 SetIntrusionOnboardRelay   {panel id, relay id, command}
//   159 SetIntrusionOffboardRelay  {panel id, relay id, command}
//   160 OpenIntrusionDoor          {panel id, door id}
//   161 SetIntrusionDoorMode       {panel id, door id, mode (16-bit at 8)}
//   162 GetIntrusionPanelStatus    {panel id, out state byte at 4, out flag byte at 5, out word at 8}
//   163 GetIntrusionZoneStatus     {panel id, out flag at 4, count at 8, arrays of count words}
//   164 GetIntrusionOnboardRelayStatus  {panel id, out flag at 4, count at 8, count state bytes}
//   165 GetIntrusionOffboardRelayStatus {as 164}
//   166 GetIntrusionDoorStatus     {as 163, two arrays}
//   167 GetIntrusionAreaStatus     {as 163, three arrays}
//   190 GetElevatorTerminalStatus  {panel id, out flags at 4, count at 8, count 16-byte entries}
//   191 SendElevatorTerminalCommand 44-byte elevator terminal command block
//   205 GetDeviceStatus            {panel id, device id, out answer at 8}
//   206 AcknowledgeAlarm           {current ack status, serial number, panel id, alarm id, user id,
//                                   alarm time, ack status, no-panel-host byte at 28,
//                                   out simultaneous ack status at 32, notes byte count at 36,
//                                   notes as UTF-16 with terminator from 40}
//   237 SendCommandMap             {byte count, then the serialised command map from 4}
#pragma once

#include "platform/win32/WinTypes.h"

enum class AapProcedure : LONG
{
    SetPanelClock = 5,
    GetAlarmPanelOutputStatus = 19,
    SetAlarmInputMask = 20,
    PulseAlarmOutput = 21,
    DownloadDatabase = 23,
    ActivateAlarmOutput = 24,
    DeactivateAlarmOutput = 25,
    GetPanelDeviceStatus = 27,
    GetAlarmPanelInputStatus = 29,
    ControlReaderOutput = 44,
    SetReaderInputMask = 45,
    GetPanelAuxStatus = 56,
    GetPanelDeviceStatusTable = 57,
    DownloadFirmware = 70,
    ResetUseLimit = 71,
    SetPanelConnection = 72,
    DownloadReaderFirmware = 146,
    BypassIntrusionZone = 150,
    SetIntrusionZoneOutput = 151,
    SetIntrusionAreaArmState = 153,
    SilenceIntrusionArea = 154,
    SetIntrusionOnboardRelay = 158,
    SetIntrusionOffboardRelay = 159,
    OpenIntrusionDoor = 160,
    SetIntrusionDoorMode = 161,
    GetIntrusionPanelStatus = 162,
    GetIntrusionZoneStatus = 163,
    GetIntrusionOnboardRelayStatus = 164,
    GetIntrusionOffboardRelayStatus = 165,
    GetIntrusionDoorStatus = 166,
    GetIntrusionAreaStatus = 167,
    GetElevatorTerminalStatus = 190,
    SendElevatorTerminalCommand = 191,
    GetDeviceStatus = 205,
    AcknowledgeAlarm = 206,
    SendCommandMap = 237,
};

// The name of a procedure ("SetPanelClock"); "unknown" for a number not listed above.
const wchar_t* AapProcedureName(AapProcedure procedure);
