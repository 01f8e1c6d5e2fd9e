#include "mappers/devices/ReaderDeviceBlock.h"

#include "hardware/RpcBlock.h"

std::optional<std::vector<BYTE>> ReaderDeviceBlock::Build(std::size_t size, LONG panelId, LONG readerId,
                                                          std::size_t commandOffset, BYTE command)
{
    if (readerId < 0 || readerId > kMaxReaderId || commandOffset >= size)
        return std::nullopt;
    std::vector<BYTE> block(size);
    RpcBlock::PutLong(block, 0, panelId);
    RpcBlock::PutShort(block, 4, static_cast<USHORT>(readerId));
    RpcBlock::PutByte(block, commandOffset, command);
    return block;
}
