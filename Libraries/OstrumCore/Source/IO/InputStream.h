// The abstract input direction of the library's byte streams.
//
// A read returns the number of bytes stored, or -1 when there is no more data. Every default
// operation raises IOException with an empty message. `m_open` is set by a stream over an
// outside resource while that resource is open; such a stream clears it by closing the
// resource in its own destructor, since this base releases nothing. One thread at a time.
#pragma once

#include "Libraries/OstrumCore/Source/IO/Stream.h"

namespace ostrum::io {

class InputStream : public Stream
{
public:
    virtual ~InputStream() = default;

    // Reads up to `length` bytes into buffer[offset...]; the count, or -1 at the end.
    virtual int read(unsigned char* buffer, int offset, int length);
    // The same at offset 0.
    virtual int read(unsigned char* buffer, int length);
    // One byte as 0..255, or -1 at the end.
    virtual int read();
    virtual int skip(int count);
    // 1 at the end of the data, else 0.
    virtual int isEOF();
    virtual void close();

protected:
    InputStream() = default;
    InputStream(const InputStream&) = default;
    InputStream& operator=(const InputStream&) = default;

    bool m_open = false;
};

}  // namespace ostrum::io
