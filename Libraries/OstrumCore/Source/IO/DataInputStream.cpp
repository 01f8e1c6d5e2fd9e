#include "Libraries/OstrumCore/Source/IO/DataInputStream.h"

#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/Utils/MemoryArrayHandle.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

namespace ostrum::io {

namespace {

constexpr int kStackStringLimit = 1024;
constexpr int kSkipChunk = 4096;

// The most bytes a variable-length integer of this width can take.
template <typename T>
constexpr int maxVarBytes()
{
    return sizeof(T) == 2 ? 3 : (sizeof(T) == 4 ? 5 : 10);
}

}  // namespace

DataInputStream::DataInputStream(InputStream* in, int byteOrder) : FilterInputStream(in), m_swap(needsSwap(byteOrder))
{
}

void DataInputStream::readFully(unsigned char* buffer, int length)
{
    int done = 0;
    while (done < length)
    {
        const int n = m_in->read(buffer + done, length - done);
        if (n <= 0)
        {
            throw EndOfStreamException();
        }
        done += n;
    }
}

void DataInputStream::skipFully(uint32_t count)
{
    unsigned char scratch[kSkipChunk];
    while (count > 0)
    {
        const int chunk = static_cast<int>(std::min<uint32_t>(count, kSkipChunk));
        readFully(scratch, chunk);
        count -= static_cast<uint32_t>(chunk);
    }
}

template <typename T>
T DataInputStream::readFixed()
{
    using U = std::make_unsigned_t<T>;
    unsigned char bytes[sizeof(T)];
    readFully(bytes, static_cast<int>(sizeof(T)));
    U raw;
    std::memcpy(&raw, bytes, sizeof(T));
    if (m_swap)
    {
        raw = swapBytes(raw);
    }
    return static_cast<T>(raw);
}

bool DataInputStream::readBoolean()
{
    return readUnsignedByte() != 0;
}

uint8_t DataInputStream::readUnsignedByte()
{
    const int b = m_in->read();
    if (b < 0)
    {
        throw EndOfStreamException();
    }
    return static_cast<uint8_t>(b);
}

int8_t DataInputStream::readByte()
{
    return static_cast<int8_t>(readUnsignedByte());
}

float DataInputStream::readFloat()
{
    return std::bit_cast<float>(readFixed<uint32_t>());
}

double DataInputStream::readDouble()
{
    return std::bit_cast<double>(readFixed<uint64_t>());
}

int64_t DataInputStream::readInt64()
{
    return readFixed<int64_t>();
}

int32_t DataInputStream::readInt32()
{
    return readFixed<int32_t>();
}

int16_t DataInputStream::readInt16()
{
    return readFixed<int16_t>();
}

uint64_t DataInputStream::readUInt64()
{
    return readFixed<uint64_t>();
}

uint32_t DataInputStream::readUInt32()
{
    return readFixed<uint32_t>();
}

uint16_t DataInputStream::readUInt16()
{
    return readFixed<uint16_t>();
}

template <typename T>
int DataInputStream::readVarUnsigned(T* value)
{
    constexpr int kBits = static_cast<int>(sizeof(T) * 8);
    T result = 0;
    int count = 0;
    int shift = 0;
    while (count < maxVarBytes<T>())
    {
        const uint8_t b = readUnsignedByte();
        ++count;
        if (shift < kBits)
        {
            result |= static_cast<T>(static_cast<T>(b & 0x7F) << shift);
        }
        shift += 7;
        if ((b & 0x80) == 0)
        {
            break;
        }
    }
    *value = result;
    return count;
}

template <typename T>
int DataInputStream::readVarSigned(T* value)
{
    using U = std::make_unsigned_t<T>;
    constexpr int kBits = static_cast<int>(sizeof(T) * 8);
    const uint8_t first = readUnsignedByte();
    const bool negative = (first & 0x40) != 0;
    U magnitude = static_cast<U>(first & 0x3F);
    int count = 1;
    int shift = 6;
    bool more = (first & 0x80) != 0;
    while (more && count < maxVarBytes<T>())
    {
        const uint8_t b = readUnsignedByte();
        ++count;
        if (shift < kBits)
        {
            magnitude |= static_cast<U>(static_cast<U>(b & 0x7F) << shift);
        }
        shift += 7;
        more = (b & 0x80) != 0;
    }
    // Negating in the unsigned type keeps the most negative value of the width exact.
    *value = static_cast<T>(negative ? static_cast<U>(U{0} - magnitude) : magnitude);
    return count;
}

int DataInputStream::readVarUInt16(uint16_t* value)
{
    return readVarUnsigned(value);
}

int DataInputStream::readVarInt16(int16_t* value)
{
    return readVarSigned(value);
}

int DataInputStream::readVarUInt32(uint32_t* value)
{
    return readVarUnsigned(value);
}

int DataInputStream::readVarInt32(int32_t* value)
{
    return readVarSigned(value);
}

int DataInputStream::readVarUInt64(uint64_t* value)
{
    return readVarUnsigned(value);
}

int DataInputStream::readVarInt64(int64_t* value)
{
    return readVarSigned(value);
}

int DataInputStream::readTerminated(char* buf, int max, bool line)
{
    if (max < 1)
    {
        return 0;
    }
    int stored = 0;
    int taken = 0;
    for (;;)
    {
        const int c = m_in->read();
        if (c < 0)
        {
            if (buf != nullptr)
            {
                buf[stored] = '\0';
            }
            return taken == 0 ? -1 : taken;
        }
        if (line && c == '\n')
        {
            break;
        }
        if (line && c == '\r')
        {
            const uint8_t next = readUnsignedByte();
            if (next != '\n' && next != 0xFF)
            {
                throw IOException();
            }
            break;
        }
        if (!line && c == '\0')
        {
            break;
        }
        if (stored < max - 1)
        {
            if (buf != nullptr)
            {
                buf[stored] = static_cast<char>(c);
            }
            ++stored;
            ++taken;
            continue;
        }
        // The buffer is full: the rest of the line or string is read and dropped.
        int d = c;
        for (;;)
        {
            if (d == 0xFF || (line && (d == '\r' || d == '\n')) || (!line && d == '\0'))
            {
                break;
            }
            ++taken;
            d = readUnsignedByte();
        }
        break;
    }
    if (buf != nullptr)
    {
        buf[stored] = '\0';
    }
    return taken;
}

int DataInputStream::readLine(char* buf, int max)
{
    return readTerminated(buf, max, true);
}

int DataInputStream::readCString(char* buf, int max)
{
    return readTerminated(buf, max, false);
}

int DataInputStream::readCString(char** out, int max)
{
    *out = nullptr;
    if (max < 1)
    {
        return 1;
    }
    char stackBuffer[kStackStringLimit + 1];
    utils::MemoryArrayHandle<char> heapBuffer(max > kStackStringLimit ? static_cast<std::size_t>(max) + 1 : 0);
    char* work = max > kStackStringLimit ? heapBuffer.get() : stackBuffer;
    const int taken = readCString(work, max);
    if (taken <= 0)
    {
        return 1;
    }
    const std::size_t length = std::strlen(work);
    auto copy = std::make_unique<char[]>(length + 1);
    std::memcpy(copy.get(), work, length + 1);
    *out = copy.release();
    return static_cast<int>(length) + 1;
}

int DataInputStream::readUTF(std::string& out, uint16_t maxChars)
{
    const uint16_t n = readUInt16();
    std::string decoded;
    decoded.reserve(n);
    uint32_t consumed = 0;
    while (consumed < n && decoded.size() < maxChars)
    {
        const uint8_t lead = readUnsignedByte();
        ++consumed;
        if (lead < 0x80)
        {
            decoded.push_back(static_cast<char>(lead));
            continue;
        }
        if (lead < 0xC0 || consumed >= n)
        {
            throw IOException();
        }
        const uint8_t next = readUnsignedByte();
        ++consumed;
        if ((next & 0xC0) != 0x80)
        {
            throw IOException();
        }
        const unsigned value = ((lead & 0x1Fu) << 6) | (next & 0x3Fu);
        if (value > 0xFF)
        {
            throw IOException();
        }
        decoded.push_back(static_cast<char>(value));
    }
    if (consumed < n)
    {
        skipFully(n - consumed);
    }
    out.assign(decoded.c_str());
    return static_cast<int>(consumed) + 2;
}

int DataInputStream::readString(std::string& out, uint16_t max)
{
    uint32_t n = 0;
    const int lengthBytes = readVarUInt32(&n);
    const uint32_t take = std::min<uint32_t>(n, max);
    utils::MemoryArrayHandle<char> bytes(take);
    readFully(reinterpret_cast<unsigned char*>(bytes.get()), static_cast<int>(take));
    out.assign(bytes.get(), take);
    // Bytes beyond the limit would otherwise be read as the next value.
    skipFully(n - take);
    return lengthBytes + static_cast<int>(take);
}

int DataInputStream::readWString(std::wstring& out, uint16_t max)
{
    uint32_t n = 0;
    const int lengthBytes = readVarUInt32(&n);
    const uint32_t take = std::min<uint32_t>(n, max) & ~1u;
    utils::MemoryArrayHandle<char> bytes(take);
    readFully(reinterpret_cast<unsigned char*>(bytes.get()), static_cast<int>(take));
    skipFully(n - take);
    out.clear();
    out.reserve(take / 2);
    for (uint32_t i = 0; i + 1 < take; i += 2)
    {
        uint16_t unit;
        std::memcpy(&unit, bytes.get() + i, 2);
        uint16_t low = 0;
        if (unit >= 0xD800 && unit < 0xDC00 && i + 3 < take)
        {
            std::memcpy(&low, bytes.get() + i + 2, 2);
        }
        if (low >= 0xDC00 && low < 0xE000)
        {
            out.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800u) << 10) + (low - 0xDC00u)));
            i += 2;
        }
        else
        {
            out.push_back(static_cast<wchar_t>(unit));
        }
    }
    return lengthBytes + static_cast<int>(take);
}

}  // namespace ostrum::io
