// A byte buffer written like a file: writes overwrite at the position and append at the end,
// growing the buffer to at least twice its capacity, in multiples of `growBy` bytes (0: a
// fixed-size buffer that never grows).
//
// Owns its buffer unless it was built over a caller's block without the owns flag, or the
// buffer was handed over with getBuffer(true). Invariant: 0 <= position <= size <= capacity.
// Not thread-safe.
#pragma once

#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include <cstdint>
#include <memory>

namespace ostrum::io {

class MemoryOutputStream : public OutputStream
{
public:
    static constexpr std::int32_t kDefaultGrowBy = 64;

    // An owned buffer of 64 bytes growing by 64.
    MemoryOutputStream();
    // A fixed-size owned buffer of `capacity` bytes; IllegalArgumentException when below 1.
    explicit MemoryOutputStream(int capacity);
    // A fixed-size stream over the caller's block, freed with array delete by the stream when
    // `ownsBuffer` is set. IllegalArgumentException for a null block or a length below 1.
    MemoryOutputStream(unsigned char* block, int length, bool ownsBuffer);
    // An owned copy of the other stream's buffer, step, size and position.
    MemoryOutputStream(const MemoryOutputStream& other);
    MemoryOutputStream& operator=(const MemoryOutputStream&) = delete;
    ~MemoryOutputStream() override;

    using OutputStream::write;

    bool isSeekable() override;
    // IOException for a target beyond the size or before the start.
    void seek(int origin, int offset) override;
    int getPosition() override;
    // Returns the length; IOException for a negative offset or length, EndOfStreamException
    // when a fixed-size buffer (or the 32-bit size) would be passed.
    int write(const unsigned char* buffer, int offset, int length) override;
    int write(const unsigned char* buffer, int length) override;
    // Returns 1; EndOfStreamException when a fixed-size buffer is full.
    int write(unsigned char byte) override;
    void close() override;
    int flush() override;
    // Reallocates to `size` raised to a multiple of the step when it exceeds the data; a
    // fixed-size stream keeps its buffer. IOException for a negative size.
    virtual void reserve(int size);

    // The buffer; with `release` the caller takes it over (to free with array delete). The
    // pointer stays valid until the stream next grows or, unless released, is destroyed.
    unsigned char* getBuffer(bool release);
    int getSize() const;
    int getCapacity() const;
    // Empties the stream, keeping the buffer; returns 0.
    int clear();
    // Writes the data to `stream` in one call and returns its result; 0 when empty.
    int writeTo(OutputStream& stream);

private:
    // Makes room for `needed` bytes; EndOfStreamException for a fixed-size buffer.
    void ensureCapacity(std::int64_t needed);
    void reallocate(std::int32_t capacity);
    void appendChecked(const unsigned char* bytes, int count);

    std::int32_t m_growBy = kDefaultGrowBy;
    std::int32_t m_capacity = 0;
    std::int32_t m_size = 0;
    std::int32_t m_position = 0;
    unsigned char* m_buffer = nullptr;
    // Holds m_buffer while the stream owns it.
    std::unique_ptr<unsigned char[]> m_owned;
};

}  // namespace ostrum::io
