#include "mappers/devices/AlarmInputBlock.h"

#include "hardware/AapBlocks.h"
#include "hardware/RpcBlock.h"

namespace {

// Fields within an input's entry.
constexpr std::size_t kSelectedOffset = 10;
constexpr std::size_t kCommandOffset = 12;
constexpr std::size_t kValidOffset = 36;

}  // namespace

std::optional<std::vector<BYTE>> AlarmInputBlock::Build(LONG panelId, LONG alarmPanelId, LONG inputId, USHORT command)
{
    if (inputId < kFirstInput || inputId > kLastInput)
        return std::nullopt;
    std::vector<BYTE> block(kAlarmInputCommandBlockSize, 0);
    const std::size_t entry = kEntryOffset + kEntrySize * static_cast<std::size_t>(inputId - kFirstInput);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutLong(block, 4, alarmPanelId);
    RpcBlock::PutShort(block, entry + kSelectedOffset, 1);
    RpcBlock::PutShort(block, entry + kCommandOffset, command);
    RpcBlock::PutLong(block, entry + kValidOffset, 1);
    return block;
}
