#include "Libraries/OstrumCore/Source/IO/DataOutputStream.h"

#include "Libraries/OstrumCore/Source/IO/ByteOrder.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"

#include <bit>
#include <cstring>
#include <limits>
#include <type_traits>

namespace ostrum::io {

namespace {

constexpr const char* kLineEnd = "\r\n";

}  // namespace

DataOutputStream::DataOutputStream(OutputStream* out, int byteOrder) : m_out(out), m_swap(needsSwap(byteOrder)) {}

bool DataOutputStream::isSeekable()
{
    return m_out->isSeekable();
}

void DataOutputStream::seek(int origin, int offset)
{
    m_out->seek(origin, offset);
}

int DataOutputStream::getPosition()
{
    return m_out->getPosition();
}

int DataOutputStream::write(const unsigned char* buffer, int offset, int length)
{
    return m_out->write(buffer, offset, length);
}

int DataOutputStream::write(const unsigned char* buffer, int length)
{
    return m_out->write(buffer, length);
}

int DataOutputStream::write(unsigned char byte)
{
    return m_out->write(byte);
}

void DataOutputStream::close()
{
    m_out->close();
}

int DataOutputStream::flush()
{
    return m_out->flush();
}

int DataOutputStream::writeBytes(const void* data, std::size_t length)
{
    if (length == 0)
    {
        return 0;
    }
    if (length > static_cast<std::size_t>(std::numeric_limits<int>::max()))
    {
        throw IOException();
    }
    return m_out->write(static_cast<const unsigned char*>(data), static_cast<int>(length));
}

template <typename T>
int DataOutputStream::writeFixed(T value)
{
    using U = std::make_unsigned_t<T>;
    U raw = static_cast<U>(value);
    if (m_swap)
    {
        raw = swapBytes(raw);
    }
    unsigned char bytes[sizeof(T)];
    std::memcpy(bytes, &raw, sizeof(T));
    return m_out->write(bytes, static_cast<int>(sizeof(T)));
}

template <typename T>
int DataOutputStream::writeVarUnsigned(T value)
{
    int count = 0;
    while (value >= 0x80)
    {
        m_out->write(static_cast<unsigned char>((value & 0x7F) | 0x80));
        value = static_cast<T>(value >> 7);
        ++count;
    }
    m_out->write(static_cast<unsigned char>(value));
    return count + 1;
}

template <typename T>
int DataOutputStream::writeVarSigned(T value)
{
    using U = std::make_unsigned_t<T>;
    const bool negative = value < 0;
    // The magnitude in the unsigned type, so that the most negative value is written exactly.
    U magnitude = negative ? static_cast<U>(U{0} - static_cast<U>(value)) : static_cast<U>(value);
    unsigned char first = static_cast<unsigned char>(magnitude & 0x3F);
    if (negative)
    {
        first |= 0x40;
    }
    magnitude = static_cast<U>(magnitude >> 6);
    if (magnitude != 0)
    {
        first |= 0x80;
    }
    m_out->write(first);
    int count = 1;
    while (magnitude != 0)
    {
        unsigned char b = static_cast<unsigned char>(magnitude & 0x7F);
        magnitude = static_cast<U>(magnitude >> 7);
        if (magnitude != 0)
        {
            b |= 0x80;
        }
        m_out->write(b);
        ++count;
    }
    return count;
}

int DataOutputStream::writeBoolean(bool value)
{
    return m_out->write(static_cast<unsigned char>(value ? 1 : 0));
}

int DataOutputStream::writeByte(int8_t value)
{
    return m_out->write(static_cast<unsigned char>(value));
}

int DataOutputStream::writeUnsignedByte(uint8_t value)
{
    return m_out->write(value);
}

int DataOutputStream::writeFloat(float value)
{
    return writeFixed(std::bit_cast<uint32_t>(value));
}

int DataOutputStream::writeDouble(double value)
{
    return writeFixed(std::bit_cast<uint64_t>(value));
}

int DataOutputStream::writeLine(const std::string& text)
{
    const int written = writeBytes(text.data(), text.size());
    return written + writeBytes(kLineEnd, 2);
}

int DataOutputStream::writeLine(const char* text)
{
    return writeLine(std::string(text != nullptr ? text : ""));
}

int DataOutputStream::writeInt32(int32_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeInt16(int16_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeUInt16(uint16_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeUInt32(uint32_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeInt64(int64_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeUInt64(uint64_t value)
{
    return writeFixed(value);
}

int DataOutputStream::writeVarUInt16(uint16_t value)
{
    return writeVarUnsigned(value);
}

int DataOutputStream::writeVarInt16(int16_t value)
{
    return writeVarSigned(value);
}

int DataOutputStream::writeVarUInt32(uint32_t value)
{
    return writeVarUnsigned(value);
}

int DataOutputStream::writeVarInt32(int32_t value)
{
    return writeVarSigned(value);
}

int DataOutputStream::writeVarUInt64(uint64_t value)
{
    return writeVarUnsigned(value);
}

int DataOutputStream::writeVarInt64(int64_t value)
{
    return writeVarSigned(value);
}

int DataOutputStream::writeCString(const char* text)
{
    if (text == nullptr)
    {
        return m_out->write(static_cast<unsigned char>(0));
    }
    return writeBytes(text, std::strlen(text) + 1);
}

int DataOutputStream::writeCString(const std::string& text)
{
    return writeCString(text.c_str());
}

int DataOutputStream::writeChars(const char* text)
{
    if (text == nullptr)
    {
        return 0;
    }
    return writeBytes(text, std::strlen(text));
}

int DataOutputStream::writeUTF(const std::string& text)
{
    std::size_t encodedSize = 0;
    for (const char c : text)
    {
        encodedSize += static_cast<unsigned char>(c) < 0x80 ? 1 : 2;
    }
    if (encodedSize > std::numeric_limits<uint16_t>::max())
    {
        throw IOException();
    }
    std::string encoded;
    encoded.reserve(encodedSize);
    for (const char c : text)
    {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
        {
            encoded.push_back(c);
        }
        else
        {
            encoded.push_back(static_cast<char>(0xC0 | (b >> 6)));
            encoded.push_back(static_cast<char>(0x80 | (b & 0x3F)));
        }
    }
    const int lengthBytes = writeUInt16(static_cast<uint16_t>(encodedSize));
    return lengthBytes + writeBytes(encoded.data(), encoded.size());
}

int DataOutputStream::writeString(const std::string& text)
{
    if (text.size() > std::numeric_limits<uint32_t>::max())
    {
        throw IOException();
    }
    const int lengthBytes = writeVarUInt32(static_cast<uint32_t>(text.size()));
    return lengthBytes + writeBytes(text.data(), text.size());
}

int DataOutputStream::writeWString(const std::wstring& text)
{
    // wchar_t holds whole code points here; those beyond the BMP go out as surrogate pairs.
    std::string units;
    units.reserve(text.size() * 2);
    auto putUnit = [&units](uint16_t unit) {
        char bytes[2];
        std::memcpy(bytes, &unit, 2);
        units.append(bytes, 2);
    };
    for (const wchar_t c : text)
    {
        const auto codePoint = static_cast<uint32_t>(c);
        if (codePoint > 0xFFFF && codePoint <= 0x10FFFF)
        {
            const uint32_t v = codePoint - 0x10000;
            putUnit(static_cast<uint16_t>(0xD800 | (v >> 10)));
            putUnit(static_cast<uint16_t>(0xDC00 | (v & 0x3FF)));
        }
        else
        {
            putUnit(static_cast<uint16_t>(codePoint));
        }
    }
    if (units.size() > std::numeric_limits<uint32_t>::max())
    {
        throw IOException();
    }
    const int lengthBytes = writeVarUInt32(static_cast<uint32_t>(units.size()));
    return lengthBytes + writeBytes(units.data(), units.size());
}

}  // namespace ostrum::io
