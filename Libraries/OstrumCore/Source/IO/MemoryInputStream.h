// A read cursor over a byte block that the stream never owns or frees.
//
// The block must outlive the stream; a stream built over a MemoryOutputStream reads that
// stream's bytes in place, so the output stream must outlive it and not be written meanwhile.
// Not seekable. Not thread-safe.
#pragma once

#include "Libraries/OstrumCore/Source/IO/InputStream.h"

#include <cstdint>

namespace ostrum::io {

class MemoryOutputStream;

class MemoryInputStream : public InputStream
{
public:
    // IllegalArgumentException for a null block or a negative length.
    MemoryInputStream(const unsigned char* data, int length);
    explicit MemoryInputStream(MemoryOutputStream& written);

    using InputStream::read;

    int getPosition() override;
    // The count copied; -1 at the end; 0 for a null buffer. IOException for a negative offset
    // or length.
    int read(unsigned char* buffer, int offset, int length) override;
    int read(unsigned char* buffer, int length) override;
    int read() override;
    // -1 at the end; otherwise advances by up to `count` bytes and returns 0. IOException for
    // a negative count.
    int skip(int count) override;
    int isEOF() override;
    void close() override;
    virtual void mark(int limit);
    // Back to the start of the block; true.
    virtual bool reset();
    // False: mark does nothing.
    virtual bool markSupported();

private:
    std::int32_t m_length = 0;
    std::int32_t m_position = 0;
    const unsigned char* m_data = nullptr;
};

}  // namespace ostrum::io
