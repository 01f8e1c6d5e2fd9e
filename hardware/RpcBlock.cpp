#include "hardware/RpcBlock.h"

#include "platform/win32/UnicodeConversion.h"

namespace {

bool FitsInBlock(std::size_t size, std::size_t offset, std::size_t width)
{
    return offset <= size && width <= size - offset;
}

template <typename T>
bool PutLittleEndian(std::span<BYTE> block, std::size_t offset, T value)
{
    if (!FitsInBlock(block.size(), offset, sizeof(T)))
        return false;
    using Unsigned = std::make_unsigned_t<T>;
    const auto bits = static_cast<Unsigned>(value);
    for (std::size_t i = 0; i < sizeof(T); ++i)
        block[offset + i] = static_cast<BYTE>(bits >> (8 * i));
    return true;
}

template <typename T>
bool GetLittleEndian(std::span<const BYTE> block, std::size_t offset, T* value)
{
    *value = 0;
    if (!FitsInBlock(block.size(), offset, sizeof(T)))
        return false;
    using Unsigned = std::make_unsigned_t<T>;
    Unsigned bits = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        bits |= static_cast<Unsigned>(static_cast<Unsigned>(block[offset + i]) << (8 * i));
    *value = static_cast<T>(bits);
    return true;
}

}  // namespace

bool RpcBlock::PutLong(std::span<BYTE> block, std::size_t offset, LONG value)
{
    return PutLittleEndian(block, offset, value);
}

bool RpcBlock::PutShort(std::span<BYTE> block, std::size_t offset, USHORT value)
{
    return PutLittleEndian(block, offset, value);
}

bool RpcBlock::PutByte(std::span<BYTE> block, std::size_t offset, BYTE value)
{
    return PutLittleEndian(block, offset, value);
}

bool RpcBlock::PutLongLong(std::span<BYTE> block, std::size_t offset, LONGLONG value)
{
    return PutLittleEndian(block, offset, value);
}

bool RpcBlock::GetLong(std::span<const BYTE> block, std::size_t offset, LONG* value)
{
    return GetLittleEndian(block, offset, value);
}

bool RpcBlock::GetShort(std::span<const BYTE> block, std::size_t offset, USHORT* value)
{
    return GetLittleEndian(block, offset, value);
}

bool RpcBlock::GetByte(std::span<const BYTE> block, std::size_t offset, BYTE* value)
{
    return GetLittleEndian(block, offset, value);
}

bool RpcBlock::GetLongLong(std::span<const BYTE> block, std::size_t offset, LONGLONG* value)
{
    return GetLittleEndian(block, offset, value);
}

LONG RpcBlock::Long(std::span<const BYTE> block, std::size_t offset)
{
    LONG value = 0;
    GetLong(block, offset, &value);
    return value;
}

BYTE RpcBlock::Byte(std::span<const BYTE> block, std::size_t offset)
{
    BYTE value = 0;
    GetByte(block, offset, &value);
    return value;
}

std::vector<BYTE> RpcBlock::Utf16WithTerminator(const std::wstring& text)
{
    std::u16string units = UnicodeConversion::EncodeUtf16(text);
    units.push_back(u'\0');
    std::vector<BYTE> bytes(units.size() * 2);
    for (std::size_t i = 0; i < units.size(); ++i)
    {
        bytes[2 * i] = static_cast<BYTE>(units[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<BYTE>(units[i] >> 8);
    }
    return bytes;
}

bool RpcBlock::FromUtf16(std::span<const BYTE> bytes, std::wstring* text)
{
    if (bytes.size() % 2 != 0)
        return false;
    std::u16string units;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        units.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    if (!units.empty() && units.back() == u'\0')
        units.pop_back();
    *text = UnicodeConversion::DecodeUtf16(units);
    return true;
}
