// Request blocks written in tests: little-endian 32-bit word lists, and blocks with bytes set
// at an offset (grown when the offset lies past the end).
#pragma once

#include <initializer_list>
#include <vector>

#include "hardware/RpcBlock.h"

namespace support {

inline std::vector<BYTE> Words(std::initializer_list<LONG> words)
{
    std::vector<BYTE> block(words.size() * 4);
    std::size_t offset = 0;
    for (const LONG word : words)
    {
        RpcBlock::PutLong(block, offset, word);
        offset += 4;
    }
    return block;
}

inline std::vector<BYTE> With(std::vector<BYTE> block, std::size_t offset, std::initializer_list<BYTE> bytes)
{
    for (const BYTE b : bytes)
    {
        if (offset >= block.size())
            block.resize(offset + 1);
        block[offset++] = b;
    }
    return block;
}

}  // namespace support
