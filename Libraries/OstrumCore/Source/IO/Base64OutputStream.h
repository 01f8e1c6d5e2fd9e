// A filter that encodes the bytes written to it as Base64 (RFC 4648 alphabet, "=" fill, no
// line breaks) and writes the text to the output stream it wraps.
//
// The wrapped stream is borrowed: it must outlive this one and is never closed by the
// destructor. flush ends the encoded text (writing the fill); bytes written after it start a
// new text. Positioning is forwarded, so getLength reports the text's length. Not
// thread-safe.
#pragma once

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <cstdint>

namespace ostrum::io {

class Base64OutputStream : public OutputStream
{
public:
    explicit Base64OutputStream(OutputStream& out);

    using OutputStream::write;

    bool isSeekable() override;
    void seek(int origin, int offset) override;
    int getPosition() override;
    // The length, or the first negative result of the wrapped stream; a length below 1 is
    // returned at once. IOException for a negative offset.
    int write(const unsigned char* buffer, int offset, int length) override;
    int write(const unsigned char* buffer, int length) override;
    // 0 while a group collects, 4 when a group was written, or the wrapped stream's negative
    // result (the group is then discarded).
    int write(unsigned char byte) override;
    // Flushes, then closes the wrapped stream.
    void close() override;
    // Writes the pending bytes with their fill and flushes the wrapped stream; its result,
    // or the first negative result of a write.
    int flush() override;

private:
    // Writes the characters of `count` 6-bit values; the first negative result, else 0.
    int writeCharacters(const unsigned char* values, int count);

    OutputStream& m_out;
    unsigned char m_group[3] = {};
    std::int32_t m_groupCount = 0;
};

}  // namespace ostrum::io
