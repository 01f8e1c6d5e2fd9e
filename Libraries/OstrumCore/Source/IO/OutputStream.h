// The abstract output direction of the library's byte streams.
//
// Every default operation raises IOException with an empty message. `m_open` follows the
// same rule as in InputStream: the stream that sets it clears it in its own destructor.
// One thread at a time.
#pragma once

#include "Libraries/OstrumCore/Source/IO/Stream.h"

namespace ostrum::io {

class OutputStream : public Stream
{
public:
    virtual ~OutputStream() = default;

    // Writes `length` bytes from buffer[offset...]; the count written, or a negative result
    // of a wrapped stream.
    virtual int write(const unsigned char* buffer, int offset, int length);
    // The same from offset 0.
    virtual int write(const unsigned char* buffer, int length);
    virtual int write(unsigned char byte);
    virtual void close();
    virtual int flush();

protected:
    OutputStream() = default;
    OutputStream(const OutputStream&) = default;
    OutputStream& operator=(const OutputStream&) = default;

    bool m_open = false;
};

}  // namespace ostrum::io
