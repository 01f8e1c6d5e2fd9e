// RpcUtil::CElevatorTerminalCmd: the 44-byte command block of an elevator keypad terminal,
// built in place: panel id at 0, terminal at 4, command type at 8, mode at 16, the allowed
// floors as a bit map at 20 (floor n is bit (n - 1) % 8 of byte 20 + (n - 1) / 8, floors 1 to
// 160) and the allowed floor list id at 40. Every byte not set is 0.
//
// A per-call object owned by its caller; not shared between threads.
#pragma once

#include <array>
#include <span>

#include "platform/win32/WinTypes.h"

class CBntDatabase;

namespace RpcUtil {

class CElevatorTerminalCmd
{
public:
    static constexpr std::size_t kBlockSize = 44;
    static constexpr std::size_t kFloorsOffset = 20;
    static constexpr std::size_t kFloorBytes = 20;
    static constexpr LONG kFirstFloor = 1;
    static constexpr LONG kLastFloor = static_cast<LONG>(kFloorBytes * 8);
    // The list of a command given none.
    static constexpr LONG kDefaultFloorList = 0;
    // Command types.
    static constexpr LONG kSetTerminalMode = 1;
    static constexpr LONG kSetAllowedFloors = 16;

    CElevatorTerminalCmd(LONG panelId, LONG terminal);

    void SetCommandType(LONG commandType);
    void SetMode(LONG mode);
    void SetAllowedFloorListID(LONG floorListId);
    LONG GetAllowedFloorListID() const;

    // Marks the floors stored under the list id at offset 40 (ELEVATOR_FLOOR_LIST_FLOOR); a list
    // with no floors leaves the map empty. List 0 (kDefaultFloorList) needs no ELEVATOR_FLOOR_LIST
    // row; any other id that row does not name throws std::invalid_argument and leaves the map
    // unchanged. A floor outside kFirstFloor..kLastFloor throws
    // std::out_of_range and leaves the map unchanged, so that no floor lands outside the block;
    // database failures pass out as CDBException; a null database throws std::invalid_argument.
    void LoadFloorList(CBntDatabase* database);

    // The block, valid as long as the object.
    std::span<BYTE> Block() { return m_block; }

private:
    std::array<BYTE, kBlockSize> m_block{};
};

}  // namespace RpcUtil
