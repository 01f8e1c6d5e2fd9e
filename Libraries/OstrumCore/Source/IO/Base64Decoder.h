// The Base64 reading rules, one character at a time or over a whole text, without a stream:
// Base64InputStream wraps one for its stream, and StringUtils decodes texts straight over
// their characters with one.
//
// TAB, LF, FF and SPACE are skipped; "=" ends the data (the bits of an unfinished byte are
// dropped); every other character outside the alphabet, CR and every byte from 0x80 up among
// them, raises IOException. A decoder keeps only the bits of the byte it is building, so each
// take goes on from the last; it is not thread-safe. decode keeps its state on the call's own
// stack and is safe from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ostrum::io {

class Base64Decoder
{
public:
    // What take answers for a character that completes no byte (a skipped one, or the first of
    // a group of four).
    static constexpr int kNoByte = -1;
    // What take answers for "=".
    static constexpr int kEndOfData = -2;

    // The byte (0..255) that `character` completes, kNoByte or kEndOfData. IOException for an
    // invalid character; "=" and an invalid character leave the pending bits as they were.
    int take(unsigned char character);

    // Decodes `text` from its start until "=" or its end, as a new decoder would. Stores the
    // first `capacity` bytes at `output` (which must have room for them; it may be null when
    // `capacity` is 0, to measure only) and returns how many bytes the text decodes to, so a
    // result above `capacity` means the room was short. IOException at an invalid character,
    // with the bytes before it stored.
    static std::size_t decode(std::string_view text, unsigned char* output, std::size_t capacity);

    // Whether the reader skips `character` (one of the four blanks above).
    static bool IsSkipped(unsigned char character);

    // Forgets the bits collected for an unfinished byte.
    void reset();

private:
    std::uint8_t m_pendingBits = 0;
    std::int32_t m_pendingCount = 0;
};

}  // namespace ostrum::io
