// Byte-order helpers of the data streams: rotations and byte reversal of whole values.
//
// Pure functions; safe from any thread.
#pragma once

#include <bit>
#include <cstdint>

namespace ostrum::io {

inline uint16_t rotateLeft16(uint16_t value, int n)
{
    return std::rotl(value, n);
}

inline uint32_t rotateLeft32(uint32_t value, int n)
{
    return std::rotl(value, n);
}

inline uint32_t rotateRight32(uint32_t value, int n)
{
    return std::rotr(value, n);
}

inline uint16_t swapBytes16(uint16_t value)
{
    return static_cast<uint16_t>((value >> 8) | (value << 8));
}

inline uint32_t swapBytes32(uint32_t value)
{
    return __builtin_bswap32(value);
}

inline uint64_t swapBytes64(uint64_t value)
{
    return __builtin_bswap64(value);
}

// Byte order 1 is the machine's own (little-endian) order; any other value is big-endian.
constexpr int kMachineByteOrder = 1;
constexpr int kBigEndianByteOrder = 0;

// Whether values must be reversed between the machine and a wire of this byte order.
inline bool needsSwap(int byteOrder)
{
    return byteOrder != kMachineByteOrder && std::endian::native != std::endian::big;
}

// Reverses the bytes of a 16-, 32- or 64-bit unsigned value.
template <typename U>
U swapBytes(U value)
{
    if constexpr (sizeof(U) == 2)
    {
        return swapBytes16(value);
    }
    else if constexpr (sizeof(U) == 4)
    {
        return swapBytes32(value);
    }
    else
    {
        return swapBytes64(value);
    }
}

}  // namespace ostrum::io
