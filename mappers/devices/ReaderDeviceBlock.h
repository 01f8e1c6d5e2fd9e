// ReaderDeviceBlock: the reader input and output command blocks (12 and 8 bytes): panel id at
// 0, the reader id's 16 bits at 4, the command byte at the offset of the input or output
// meant, every other byte 0.
#pragma once

#include <optional>
#include <vector>

#include "platform/win32/WinTypes.h"

class ReaderDeviceBlock
{
public:
    // Offsets of the command bytes.
    static constexpr std::size_t kInput1 = 8;
    static constexpr std::size_t kInput2 = 9;
    static constexpr std::size_t kOutput1 = 6;
    static constexpr std::size_t kOutput2 = 7;
    // Reader ids travel as 16 bits.
    static constexpr LONG kMaxReaderId = 0xFFFF;

    ReaderDeviceBlock() = delete;

    // The block of size bytes; none when the reader id does not fit its 16 bits (negative or
    // above kMaxReaderId), so that no other reader is addressed.
    static std::optional<std::vector<BYTE>> Build(std::size_t size, LONG panelId, LONG readerId,
                                                  std::size_t commandOffset, BYTE command);
};
