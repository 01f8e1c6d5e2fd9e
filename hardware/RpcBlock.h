// RpcBlock: reads and writes the little-endian fields of a request block exchanged with the
// hardware driver, linkage and configuration servers. Every access is checked against the
// block's length: a write that would not fit writes nothing and answers false, a read that
// would not fit answers false and leaves the value 0.
//
// Stateless helpers over a caller's span; thread-safe as far as the span is.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/win32/WinTypes.h"

class RpcBlock
{
public:
    RpcBlock() = delete;

    static bool PutLong(std::span<BYTE> block, std::size_t offset, LONG value);
    static bool PutShort(std::span<BYTE> block, std::size_t offset, USHORT value);
    static bool PutByte(std::span<BYTE> block, std::size_t offset, BYTE value);
    static bool PutLongLong(std::span<BYTE> block, std::size_t offset, LONGLONG value);

    static bool GetLong(std::span<const BYTE> block, std::size_t offset, LONG* value);
    static bool GetShort(std::span<const BYTE> block, std::size_t offset, USHORT* value);
    static bool GetByte(std::span<const BYTE> block, std::size_t offset, BYTE* value);
    static bool GetLongLong(std::span<const BYTE> block, std::size_t offset, LONGLONG* value);

    // The value at offset, 0 when the block is too short (for readers that checked the length).
    static LONG Long(std::span<const BYTE> block, std::size_t offset);
    static BYTE Byte(std::span<const BYTE> block, std::size_t offset);

    // Text as UTF-16 code units with a terminator, as the servers read it.
    static std::vector<BYTE> Utf16WithTerminator(const std::wstring& text);
    // UTF-16 bytes (one terminator at the end optional) back to text; false for an odd byte
    // count. An unpaired surrogate becomes U+FFFD.
    static bool FromUtf16(std::span<const BYTE> bytes, std::wstring* text);
};
