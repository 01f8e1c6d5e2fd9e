// Fuzz target for the software event packet read from the in-process pipe: any 20 header bytes
// must decode or be refused without a crash. A decoded header encodes back to the same bytes,
// keeps its sizes consistent, and a packet made for the text behind it has the same header.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "provider/SoftwareEventPacket.h"
#include "tests/fuzz/FuzzRequire.h"

using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const BYTE> bytes(data, size);
    const auto header =
        SoftwareEventPacket::DecodeHeader(bytes.first(std::min(size, SoftwareEventPacket::kHeaderSize)));
    if (!header)
        return 0;
    Require(size >= SoftwareEventPacket::kHeaderSize);
    const auto encoded = header->EncodeHeader();
    Require(std::equal(encoded.begin(), encoded.end(), data));
    Require(header->TextLength % 2 == 0 && header->TextLength <= SoftwareEventPacket::kMaxTextLength);
    if (header->IsStop())
    {
        Require(std::all_of(data, data + SoftwareEventPacket::kHeaderSize, [](BYTE byte) { return byte == 0; }));
        return 0;
    }
    Require(header->TotalSize == SoftwareEventPacket::kHeaderSize + header->TextLength);

    const std::span<const BYTE> rest = bytes.subspan(SoftwareEventPacket::kHeaderSize);
    if (rest.size() < header->TextLength)
        return 0;
    std::u16string text(header->TextLength / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(rest[2 * i] | (rest[2 * i + 1] << 8));
    const auto made =
        SoftwareEventPacket::Make(header->EventId, header->EventType, header->TransactionType, header->Flags, text);
    Require(made.has_value());
    const auto remade = made->EncodeHeader();
    Require(remade == encoded);
    return 0;
}
