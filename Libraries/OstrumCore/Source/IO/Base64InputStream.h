// A filter that reads Base64 text from the input stream it wraps and returns the decoded
// bytes, by the rules of the Base64Decoder it holds (blanks skipped, "=" ends the data, any
// other character outside the alphabet raises IOException). The wrapped stream is borrowed
// and must outlive this one; positioning, skip, isEOF and close are forwarded to it (so they
// count characters of the text). Not thread-safe.
#pragma once

#include "Libraries/OstrumCore/Source/IO/Base64Decoder.h"
#include "Libraries/OstrumCore/Source/IO/InputStream.h"

namespace ostrum::io {

class Base64InputStream : public InputStream
{
public:
    explicit Base64InputStream(InputStream& in);

    using InputStream::read;

    bool isSeekable() override;
    void seek(int origin, int offset) override;
    int getPosition() override;
    // The number of bytes stored from buffer[offset] on (0 when the data ended at once or
    // `length` is below 1). IOException for a negative offset or invalid text.
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    // The next byte (0..255); -1 at "=" or the wrapped stream's negative result at its end.
    int read() override;
    int skip(int count) override;
    int isEOF() override;
    void close() override;
    // Forgets the bits collected for an unfinished byte.
    virtual void resetDecoder();

private:
    InputStream& m_in;
    Base64Decoder m_decoder;
};

}  // namespace ostrum::io
