// The sizes of the hardware driver server's request blocks and the records that LAAPProxy
// exchanges as structures (it lays them out in the blocks byte for byte, AapProcedure.h).
#pragma once

#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "Libraries/BntIRUtility/Variant.h"
#include "platform/win32/WinTypes.h"

inline constexpr std::size_t kReaderInputBlockSize = 12;
inline constexpr std::size_t kReaderOutputBlockSize = 8;
inline constexpr std::size_t kAlarmInputCommandBlockSize = 4116;
inline constexpr std::size_t kElevatorTerminalCommandBlockSize = 44;
inline constexpr std::size_t kResetUseLimitRequestSize = 20;
inline constexpr std::size_t kAlarmPanelBoardBlockSize = 8456;
inline constexpr std::size_t kPanelAuxStatusBlockSize = 72;
inline constexpr std::size_t kPanelDeviceStatusTableSize = 520;
inline constexpr std::size_t kDeviceStatusHeaderSize = 16;
inline constexpr std::size_t kSystemStatusEntrySize = 56;
inline constexpr std::size_t kElevatorTerminalStatusSize = 16;

// Most status records, intrusion objects and elevator terminals one call may ask for; larger
// counts are refused before any call.
inline constexpr LONG kMaxStatusRecords = 4096;
inline constexpr LONG kMaxIntrusionObjects = 4096;
inline constexpr LONG kMaxElevatorTerminals = 255;
// Longest acknowledgement note, in characters.
inline constexpr std::size_t kMaxAcknowledgeNotes = 4096;
// Largest serialised command map, in bytes.
inline constexpr std::size_t kMaxCommandMapBytes = 65536;

// One device of a panel's status request (56 bytes on the wire: type 0, device id 4, status
// byte 8, flag word A 16, flag word B 20, flag word 24, word 28, mode 48).
struct SYSTEM_STATUS_ENTRY
{
    static constexpr LONG kPanel = 1;
    static constexpr LONG kReader = 2;
    static constexpr LONG kAlarmPanel = 3;

    LONG type = 0;
    LONG deviceId = 0;
    BYTE status = 0;
    LONG flagsA = 0;
    LONG flagsB = 0;
    LONG flags24 = 0;
    LONG word28 = 0;
    LONG mode = 0;
};

// The device status request: the panel, the status byte the server fills (offset 5 of the
// 16-byte header) and the records (the header's count; its pointer word travels as 0 with the
// records beside the header).
struct PanelDeviceStatusRequest
{
    LONG panelId = 0;
    BYTE status = 0;
    std::vector<SYSTEM_STATUS_ENTRY> entries;
};

// One elevator terminal's status (16 bytes on the wire: index 0, state 8).
struct ELEVATOR_TERMINAL_STATUS
{
    LONG index = 0;
    LONG word4 = 0;
    LONG state = 0;
    LONG word12 = 0;
};

// The three words of a reader mode request.
struct ReaderModeRequest
{
    LONG readerId = 0;
    LONG mode = 0;
    LONG flags = 0;
};

using AapCommandMap = Bnt::IR::Utility::Variant::Map;
