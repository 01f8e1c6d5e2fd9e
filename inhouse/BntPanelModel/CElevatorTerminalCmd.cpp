#include "inhouse/BntPanelModel/CElevatorTerminalCmd.h"

#include <algorithm>
#include <stdexcept>
#include <string>

#include "inhouse/BntCoreDb/CDynamicRecordset.h"

namespace RpcUtil {

namespace {

constexpr std::size_t kPanelOffset = 0;
constexpr std::size_t kTerminalOffset = 4;
constexpr std::size_t kCommandTypeOffset = 8;
constexpr std::size_t kModeOffset = 16;
constexpr std::size_t kFloorListOffset = 40;

void PutLong(std::span<BYTE> block, std::size_t offset, LONG value)
{
    const auto bits = static_cast<DWORD>(value);
    for (std::size_t i = 0; i < 4; ++i)
        block[offset + i] = static_cast<BYTE>(bits >> (8 * i));
}

LONG GetLong(std::span<const BYTE> block, std::size_t offset)
{
    DWORD bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<DWORD>(block[offset + i]) << (8 * i);
    return static_cast<LONG>(bits);
}

}  // namespace

CElevatorTerminalCmd::CElevatorTerminalCmd(LONG panelId, LONG terminal)
{
    PutLong(m_block, kPanelOffset, panelId);
    PutLong(m_block, kTerminalOffset, terminal);
}

void CElevatorTerminalCmd::SetCommandType(LONG commandType)
{
    PutLong(m_block, kCommandTypeOffset, commandType);
}

void CElevatorTerminalCmd::SetMode(LONG mode)
{
    PutLong(m_block, kModeOffset, mode);
}

void CElevatorTerminalCmd::SetAllowedFloorListID(LONG floorListId)
{
    PutLong(m_block, kFloorListOffset, floorListId);
}

LONG CElevatorTerminalCmd::GetAllowedFloorListID() const
{
    return GetLong(m_block, kFloorListOffset);
}

void CElevatorTerminalCmd::LoadFloorList(CBntDatabase* database)
{
    if (database == nullptr)
        throw std::invalid_argument("no database for the floor list");
    // List 0, the default of a command given no list, is the floors stored under 0 (usually
    // none). Any other id must name a list: a mistyped id would otherwise send no floors and
    // take every floor from the terminal.
    if (GetAllowedFloorListID() != kDefaultFloorList)
    {
        CDynamicRecordset list(database);
        list.SetTable(L"ELEVATOR_FLOOR_LIST");
        list.AddColumnToSet(L"FLOOR_LISTID");
        list.AddFilterLong(L"FLOOR_LISTID", GetAllowedFloorListID());
        list.OpenForwardOnly();
        if (list.IsEOF())
            throw std::invalid_argument("no floor list with the id " + std::to_string(GetAllowedFloorListID()));
    }
    CDynamicRecordset floors(database);
    floors.SetTable(L"ELEVATOR_FLOOR_LIST_FLOOR");
    floors.AddColumnToSet(L"FLOOR");
    floors.AddFilterLong(L"FLOOR_LISTID", GetAllowedFloorListID());
    floors.OpenForwardOnly();
    std::array<BYTE, kFloorBytes> map{};
    for (; !floors.IsEOF(); floors.MoveNext())
    {
        const LONG floor = floors.GetLong(L"FLOOR");
        if (floor < kFirstFloor || floor > kLastFloor)
            throw std::out_of_range("floor outside the terminal's floor map");
        const auto bit = static_cast<std::size_t>(floor - kFirstFloor);
        map[bit / 8] |= static_cast<BYTE>(1u << (bit % 8));
    }
    std::copy(map.begin(), map.end(), m_block.begin() + kFloorsOffset);
}

}  // namespace RpcUtil
