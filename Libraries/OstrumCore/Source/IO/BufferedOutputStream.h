// A heap buffer in front of another output stream: small writes gather in it and go out in
// one write when it fills, on flush, on close or when the filter is destroyed.
//
// Not seekable. The wrapped stream is borrowed: close closes it, the destructor only flushes
// it. A write the wrapped stream does not take whole raises IOException. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <memory>

namespace ostrum::io {

class BufferedOutputStream : public OutputStream
{
public:
    // IllegalArgumentException for a size below 1.
    BufferedOutputStream(OutputStream* out, int size);
    BufferedOutputStream(const BufferedOutputStream&) = delete;
    BufferedOutputStream& operator=(const BufferedOutputStream&) = delete;
    ~BufferedOutputStream() override;

    // Stores the byte; a full buffer is flushed. Returns 1.
    int write(unsigned char byte) override;
    // Gathers a block that fits; otherwise flushes and writes it directly. Returns length.
    int write(const unsigned char* buffer, int length) override;
    int write(const unsigned char* buffer, int offset, int length) override;
    // Writes pending bytes and flushes the wrapped stream (its result); 0 with nothing
    // pending, without flushing it.
    int flush() override;
    // flush, then close the wrapped stream.
    void close() override;

private:
    OutputStream* m_out;
    int m_capacity;
    std::unique_ptr<unsigned char[]> m_buffer;
    int m_count = 0;
};

}  // namespace ostrum::io
