// AlarmInputBlock: the 4116-byte alarm input command block: panel id at 0, alarm panel id at
// 4, then 32 entries of 128 bytes (input n at 8 + 128 * (n - 1)) and 12 bytes of 0. Only the
// addressed input's entry is filled: 1 at entry offset 10, the command at 12 (16 bits) and 1
// at 36; every other byte is 0.
#pragma once

#include <optional>
#include <vector>

#include "platform/win32/WinTypes.h"

class AlarmInputBlock
{
public:
    static constexpr LONG kFirstInput = 1;
    static constexpr LONG kLastInput = 32;
    static constexpr std::size_t kEntryOffset = 8;
    static constexpr std::size_t kEntrySize = 128;
    // Commands.
    static constexpr USHORT kMask = 0x81;
    static constexpr USHORT kUnmask = 0;

    AlarmInputBlock() = delete;

    // The block; none when the input has no entry (outside kFirstInput..kLastInput), so that
    // nothing is written outside the block.
    static std::optional<std::vector<BYTE>> Build(LONG panelId, LONG alarmPanelId, LONG inputId, USHORT command);
};
