// The UTF-16 text of a server block read back: an odd byte count is refused before any unit is
// read, one terminator at the end is optional, and an unpaired surrogate reads as U+FFFD.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hardware/RpcBlock.h"

TEST(RpcBlock, Utf16TextReadsBackOnlyWhole)
{
    const std::vector<BYTE> written = RpcBlock::Utf16WithTerminator(L"Gate \u00e9");
    const struct
    {
        std::vector<BYTE> bytes;
        bool read;
        std::wstring text;
    } cases[] = {
        {written, true, L"Gate \u00e9"},
        {std::vector<BYTE>(written.begin(), written.end() - 2), true, L"Gate \u00e9"},
        {std::vector<BYTE>(written.begin(), written.end() - 1), false, L"kept"},
        {{0x41}, false, L"kept"},
        {{}, true, L""},
        {{0x00, 0xD8, 0x41, 0x00}, true, std::wstring{L'\xFFFD', L'A'}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.bytes.size());
        std::wstring text = L"kept";
        EXPECT_EQ(RpcBlock::FromUtf16(c.bytes, &text), c.read);
        EXPECT_EQ(text, c.text);
    }
}
