// CfgMessage: a configuration message for the communication, linkage and archive servers: a
// packed 416-byte block laid out as the servers read it, plus its text. The constructor sets
// the block as the servers expect a fresh message (offsets in bytes):
//   4 code, 8 second argument, 12..59 zero, 60 zero, 64 zero byte, 72..91 zero,
//   92 third argument, 96..103 zero, 104 -1, 108..127 zero, 128 zero byte, 132 zero,
//   136 zero 16-bit, 144..415 the data block (272 bytes, zero);
// the bytes the servers leave unset (0..3 where the original object kept its table pointer,
// 65..71, 129..131, 138..143) are zero here too. Callers fill further fields through the
// typed setters before sending.
//
// A value type; one thread at a time.
#pragma once

#include <array>
#include <span>
#include <vector>

#include "platform/mfc/CString.h"
#include "platform/win32/WinTypes.h"

class CfgMessage
{
public:
    static constexpr std::size_t kBlockSize = 416;
    static constexpr std::size_t kCodeOffset = 4;
    static constexpr std::size_t kSecondOffset = 8;
    static constexpr std::size_t kThirdOffset = 92;
    static constexpr std::size_t kMinusOneOffset = 104;
    static constexpr std::size_t kDataOffset = 144;
    static constexpr std::size_t kDataSize = 272;
    // Longest text a message carries, in characters.
    static constexpr int kMaxTextLength = 4096;

    CfgMessage(int code, int second, int third);

    int GetCode() const;
    void SetCode(int code);

    // Typed access to a field of the block. A field that does not lie wholly inside the block
    // is refused: the setters change nothing and answer false, the getters answer 0.
    bool SetLong(std::size_t offset, LONG value);
    bool SetLongLong(std::size_t offset, LONGLONG value);
    bool SetShort(std::size_t offset, USHORT value);
    bool SetByte(std::size_t offset, BYTE value);
    LONG GetLong(std::size_t offset) const;
    LONGLONG GetLongLong(std::size_t offset) const;

    // The 272-byte data block (offset 144).
    std::span<BYTE> Data();
    // Zeroes exactly the data block.
    void ClearData();

    const CString& GetText() const { return m_text; }
    // Sets the text; false (text unchanged) when it is longer than kMaxTextLength.
    bool SetText(const CString& text);

    // The packed block as the servers receive it: the 416 bytes, the text's byte count as a
    // 32-bit word, and the text as UTF-16 with its terminator.
    std::vector<BYTE> ToBlock() const;
    const std::array<BYTE, kBlockSize>& Block() const { return m_block; }

private:
    std::array<BYTE, kBlockSize> m_block{};
    CString m_text;
};
