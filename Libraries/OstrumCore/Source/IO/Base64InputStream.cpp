#include "Libraries/OstrumCore/Source/IO/Base64InputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

#include <array>

namespace ostrum::io {

namespace {

constexpr std::int8_t kInvalid = -1;
constexpr std::int8_t kEndOfData = -2;
constexpr std::int8_t kSkipped = -3;

// The class of each 7-bit character: its value 0..63, or one of the three marks above.
constexpr std::array<std::int8_t, 128> buildDecodeTable()
{
    std::array<std::int8_t, 128> table{};
    for (std::int8_t& entry : table)
    {
        entry = kInvalid;
    }
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int value = 0; value < 64; ++value)
    {
        table[static_cast<std::size_t>(alphabet[value])] = static_cast<std::int8_t>(value);
    }
    table['='] = kEndOfData;
    table['\t'] = kSkipped;
    table['\n'] = kSkipped;
    table['\f'] = kSkipped;
    table[' '] = kSkipped;
    return table;
}

constexpr std::array<std::int8_t, 128> kDecodeTable = buildDecodeTable();

}  // namespace

Base64InputStream::Base64InputStream(InputStream& in) : m_in(in) {}

bool Base64InputStream::isSeekable()
{
    return m_in.isSeekable();
}

void Base64InputStream::seek(int origin, int offset)
{
    m_in.seek(origin, offset);
}

int Base64InputStream::getPosition()
{
    return m_in.getPosition();
}

int Base64InputStream::read(unsigned char* buffer, int offset, int length)
{
    if (length < 1)
    {
        return 0;
    }
    if (offset < 0 || buffer == nullptr)
    {
        throw IOException();
    }
    int stored = 0;
    while (stored < length)
    {
        const int byte = read();
        if (byte < 0)
        {
            break;
        }
        buffer[offset + stored++] = static_cast<unsigned char>(byte);
    }
    return stored;
}

int Base64InputStream::read(unsigned char* buffer, int length)
{
    return read(buffer, 0, length);
}

int Base64InputStream::read()
{
    int byte = m_pendingCount != 0 ? m_pendingBits : 0;
    for (;;)
    {
        const int character = m_in.read();
        if (character < 0)
        {
            return character;
        }
        // Bytes from 0x80 up lie outside the table: they are invalid, never looked up.
        const std::int8_t value = character < 128 ? kDecodeTable[static_cast<std::size_t>(character)] : kInvalid;
        if (value == kInvalid)
        {
            throw IOException();
        }
        if (value == kEndOfData)
        {
            return -1;
        }
        if (value == kSkipped)
        {
            continue;
        }
        if (m_pendingCount == 0)
        {
            byte = value << 2;
            m_pendingCount = 6;
            continue;
        }
        byte |= value >> (m_pendingCount - 2);
        switch (m_pendingCount)
        {
        case 6:
            m_pendingCount = 4;
            m_pendingBits = static_cast<std::uint8_t>(value << 4);
            break;
        case 4:
            m_pendingCount = 2;
            m_pendingBits = static_cast<std::uint8_t>(value << 6);
            break;
        default:
            m_pendingCount = 0;
            break;
        }
        return byte & 0xFF;
    }
}

int Base64InputStream::skip(int count)
{
    return m_in.skip(count);
}

int Base64InputStream::isEOF()
{
    return m_in.isEOF();
}

void Base64InputStream::close()
{
    m_in.close();
}

void Base64InputStream::resetDecoder()
{
    m_pendingCount = 0;
}

}  // namespace ostrum::io
