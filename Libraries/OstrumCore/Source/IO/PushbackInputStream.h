// An input filter that lets bytes be put back and read again.
//
// The pushback buffer is filled from its end towards its start; pushed-back bytes are read
// before the wrapped stream's. The wrapped stream is borrowed. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/FilterInputStream.h"

#include <memory>

namespace ostrum::io {

class PushbackInputStream : public FilterInputStream
{
public:
    // IllegalArgumentException for a size below 1.
    explicit PushbackInputStream(InputStream* in, int size = 1);
    ~PushbackInputStream() override = default;

    using FilterInputStream::read;
    // Pushed-back bytes first, then the wrapped stream. A null buffer discards the pushed-back
    // part. At the end of the wrapped stream the bytes already taken are still reported.
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    int read() override;
    int skip(int count) override;

    // Puts bytes back so that they are read again in their order; IOException when they do
    // not fit, IllegalArgumentException for a null buffer.
    virtual int unread(const unsigned char* buffer, int offset, int length);
    virtual int unread(const unsigned char* buffer, int length);
    // Puts one byte back (IOException when full); returns it.
    virtual int unread(int byte);

    // The number of bytes waiting to be read again.
    int pushedBackCount() const;

private:
    std::unique_ptr<unsigned char[]> m_buffer;
    int m_size;
    int m_position;  // m_size when empty
};

}  // namespace ostrum::io
