#include "Libraries/OstrumCore/Source/IO/Base64Decoder.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

#include <array>

namespace ostrum::io {

namespace {

constexpr std::int8_t kBase64Invalid = -1;
constexpr std::int8_t kBase64End = -2;
constexpr std::int8_t kBase64Skipped = -3;

// The class of each byte: its value 0..63, or one of the three marks above. Bytes from 0x80 up
// are invalid like any other character outside the alphabet.
constexpr std::array<std::int8_t, 256> BuildBase64DecodeTable()
{
    std::array<std::int8_t, 256> table{};
    for (std::int8_t& entry : table)
    {
        entry = kBase64Invalid;
    }
    constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    for (int value = 0; value < 64; ++value)
    {
        table[static_cast<std::size_t>(alphabet[value])] = static_cast<std::int8_t>(value);
    }
    table['='] = kBase64End;
    table['\t'] = kBase64Skipped;
    table['\n'] = kBase64Skipped;
    table['\f'] = kBase64Skipped;
    table[' '] = kBase64Skipped;
    return table;
}

constexpr std::array<std::int8_t, 256> kBase64DecodeTable = BuildBase64DecodeTable();

// One character's step over a decoder's state: the byte it completes, kNoByte or kEndOfData.
// Internal, so that decode runs it inline over a whole text.
inline int TakeBase64Character(unsigned char character, std::uint8_t& pendingBits, std::int32_t& pendingCount)
{
    const std::int8_t value = kBase64DecodeTable[character];
    if (value == kBase64Invalid)
    {
        throw IOException();
    }
    if (value == kBase64End)
    {
        return Base64Decoder::kEndOfData;
    }
    if (value == kBase64Skipped)
    {
        return Base64Decoder::kNoByte;
    }
    if (pendingCount == 0)
    {
        pendingBits = static_cast<std::uint8_t>(value << 2);
        pendingCount = 6;
        return Base64Decoder::kNoByte;
    }
    const int byte = pendingBits | value >> (pendingCount - 2);
    switch (pendingCount)
    {
    case 6:
        pendingCount = 4;
        pendingBits = static_cast<std::uint8_t>(value << 4);
        break;
    case 4:
        pendingCount = 2;
        pendingBits = static_cast<std::uint8_t>(value << 6);
        break;
    default:
        pendingCount = 0;
        break;
    }
    return byte;
}

}  // namespace

int Base64Decoder::take(unsigned char character)
{
    return TakeBase64Character(character, m_pendingBits, m_pendingCount);
}

std::size_t Base64Decoder::decode(std::string_view text, unsigned char* output, std::size_t capacity)
{
    // The state lives in locals that the bytes written through `output` cannot alias, so it
    // stays in registers over the whole text.
    std::uint8_t pendingBits = 0;
    std::int32_t pendingCount = 0;
    std::size_t count = 0;
    for (const char character : text)
    {
        const int byte = TakeBase64Character(static_cast<unsigned char>(character), pendingBits, pendingCount);
        if (byte == Base64Decoder::kEndOfData)
        {
            break;
        }
        if (byte >= 0)
        {
            if (count < capacity)
            {
                output[count] = static_cast<unsigned char>(byte);
            }
            ++count;
        }
    }
    return count;
}

bool Base64Decoder::IsSkipped(unsigned char character)
{
    return kBase64DecodeTable[character] == kBase64Skipped;
}

void Base64Decoder::reset()
{
    m_pendingCount = 0;
}

}  // namespace ostrum::io
