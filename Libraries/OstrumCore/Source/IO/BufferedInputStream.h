// A heap buffer in front of another input stream: block reads of the wrapped stream fill it.
//
// Not seekable; skip, isEOF and close are not offered (IOException). The wrapped stream is
// borrowed and never closed or freed by this filter. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/InputStream.h"

#include <memory>

namespace ostrum::io {

class BufferedInputStream : public InputStream
{
public:
    // IllegalArgumentException for a size below 1.
    BufferedInputStream(InputStream* in, int size);
    BufferedInputStream(const BufferedInputStream&) = delete;
    BufferedInputStream& operator=(const BufferedInputStream&) = delete;
    ~BufferedInputStream() override = default;

    // Up to length bytes; -1 when the wrapped stream had ended before any byte. IOException
    // for a negative offset.
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    // The next byte; EndOfStreamException at the end.
    int read() override;

private:
    // Refills or extends the buffer by one read of the wrapped stream; false at its end.
    bool fill();

    InputStream* m_in;
    int m_capacity;
    std::unique_ptr<unsigned char[]> m_buffer;
    int m_count = 0;
    int m_position = 0;
};

}  // namespace ostrum::io
