// The alarm input command block: only the addressed input's entry is filled, at the offsets
// the panel reads, and an input without an entry gives no block at all.
#include "mappers/devices/AlarmInputBlock.h"

#include <gtest/gtest.h>

#include <limits>

#include "hardware/RpcBlock.h"

namespace {

TEST(AlarmInputBlock, FillsOnlyTheAddressedEntry)
{
    const struct
    {
        LONG input;
        USHORT command;
        std::size_t entry;
    } cases[] = {{1, AlarmInputBlock::kMask, 8},
                 {3, AlarmInputBlock::kMask, 264},
                 {3, AlarmInputBlock::kUnmask, 264},
                 {32, AlarmInputBlock::kMask, 3976}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.input);
        const std::optional<std::vector<BYTE>> block = AlarmInputBlock::Build(9, 66, c.input, c.command);
        ASSERT_TRUE(block);
        ASSERT_EQ(block->size(), 4116u);
        std::vector<BYTE> expected(4116, 0);
        RpcBlock::PutLong(expected, 0, 9);
        RpcBlock::PutLong(expected, 4, 66);
        RpcBlock::PutShort(expected, c.entry + 10, 1);
        RpcBlock::PutShort(expected, c.entry + 12, c.command);
        RpcBlock::PutLong(expected, c.entry + 36, 1);
        EXPECT_EQ(*block, expected);
    }
}

TEST(AlarmInputBlock, AnInputWithoutAnEntryGivesNoBlock)
{
    for (const LONG input : {0, 33, -1, 65536, std::numeric_limits<LONG>::min()})
        EXPECT_FALSE(AlarmInputBlock::Build(1, 1, input, AlarmInputBlock::kMask)) << input;
}

}  // namespace
