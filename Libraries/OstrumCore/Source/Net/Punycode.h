// The Punycode encoder and decoder of RFC 3492 (bootstring with base 36, tmin 1, tmax 26,
// skew 38, damp 700, initial bias 72, initial n 0x80, delimiter "-").
//
// Stateless static functions over caller buffers; safe from any thread.
#pragma once

#include <cstdint>

namespace ostrum::net {

class Punycode
{
public:
    enum Status : int
    {
        Success = 0,
        BadInput = 1,
        BigOutput = 2,
        Overflow = 3,
    };

    // Encodes inputLength code points. caseFlags (or null) asks for upper-case digits and
    // basic letters where set. On entry *outputLength is the room in output; on success it is
    // the number of bytes written (no terminator). BigOutput when the room is too small.
    static Status encode(uint32_t inputLength, const uint32_t* input, const unsigned char* caseFlags,
                         uint32_t* outputLength, char* output);

    // Decodes inputLength bytes of Punycode text into code points. On entry *outputLength is
    // the room in output; on success the number of code points written. caseFlags (or null)
    // receives, per code point, whether it was written in upper case.
    static Status decode(uint32_t inputLength, const char* input, uint32_t* outputLength, uint32_t* output,
                         unsigned char* caseFlags);

    // The most digits one delta can take: each digit after the first multiplies the range by
    // at least base - tmax = 10, and a delta never exceeds 2^32 - 1.
    static constexpr uint32_t kMaxDigitsPerDelta = 11;

    // The room an encoding of count code points can need at most.
    static uint32_t encodedBound(uint32_t count);
};

}  // namespace ostrum::net
