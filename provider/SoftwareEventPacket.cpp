#include "provider/SoftwareEventPacket.h"

namespace {

void PutLe(BYTE* at, DWORD value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i)
        at[i] = static_cast<BYTE>(value >> (8 * i));
}

DWORD GetLe(std::span<const BYTE> bytes, std::size_t offset, std::size_t width)
{
    DWORD value = 0;
    for (std::size_t i = 0; i < width; ++i)
        value |= static_cast<DWORD>(bytes[offset + i]) << (8 * i);
    return value;
}

}  // namespace

std::optional<SoftwareEventPacket> SoftwareEventPacket::Make(LONG eventId, SHORT eventType, SHORT transactionType,
                                                             LONG flags, std::u16string_view text)
{
    if (text.size() > kMaxTextLength / 2)
        return std::nullopt;
    SoftwareEventPacket packet;
    packet.TextLength = static_cast<DWORD>(text.size() * 2);
    packet.TotalSize = static_cast<DWORD>(kHeaderSize) + packet.TextLength;
    packet.EventId = eventId;
    packet.EventType = eventType;
    packet.TransactionType = transactionType;
    packet.Flags = flags;
    packet.Text = text;
    return packet;
}

std::array<BYTE, SoftwareEventPacket::kHeaderSize> SoftwareEventPacket::EncodeHeader() const
{
    std::array<BYTE, kHeaderSize> bytes{};
    PutLe(bytes.data() + 0, TotalSize, 4);
    PutLe(bytes.data() + 4, static_cast<DWORD>(EventId), 4);
    PutLe(bytes.data() + 8, static_cast<DWORD>(static_cast<WORD>(EventType)), 2);
    PutLe(bytes.data() + 10, static_cast<DWORD>(static_cast<WORD>(TransactionType)), 2);
    PutLe(bytes.data() + 12, static_cast<DWORD>(Flags), 4);
    PutLe(bytes.data() + 16, TextLength, 4);
    return bytes;
}

std::optional<SoftwareEventPacket> SoftwareEventPacket::DecodeHeader(std::span<const BYTE> bytes)
{
    if (bytes.size() != kHeaderSize)
        return std::nullopt;
    SoftwareEventPacket packet;
    packet.TotalSize = GetLe(bytes, 0, 4);
    packet.EventId = static_cast<LONG>(GetLe(bytes, 4, 4));
    packet.EventType = static_cast<SHORT>(static_cast<WORD>(GetLe(bytes, 8, 2)));
    packet.TransactionType = static_cast<SHORT>(static_cast<WORD>(GetLe(bytes, 10, 2)));
    packet.Flags = static_cast<LONG>(GetLe(bytes, 12, 4));
    packet.TextLength = GetLe(bytes, 16, 4);
    if (packet.TotalSize == 0)
    {
        const bool allZero = packet.EventId == 0 && packet.EventType == 0 && packet.TransactionType == 0 &&
                             packet.Flags == 0 && packet.TextLength == 0;
        return allZero ? std::optional<SoftwareEventPacket>(packet) : std::nullopt;
    }
    // The text length is checked before the sum, so the sum cannot wrap.
    if (packet.TextLength > kMaxTextLength || packet.TextLength % 2 != 0 ||
        packet.TotalSize != kHeaderSize + packet.TextLength)
        return std::nullopt;
    return packet;
}
