#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"

#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"
#include "Libraries/OstrumCore/Source/Utils/MemoryException.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace ostrum::io {

namespace {

constexpr std::int64_t kMaxCapacity = std::numeric_limits<std::int32_t>::max();

std::unique_ptr<unsigned char[]> allocate(std::int32_t capacity)
{
    try
    {
        return std::make_unique<unsigned char[]>(static_cast<std::size_t>(capacity));
    }
    catch (const std::bad_alloc&)
    {
        throw MemoryException();
    }
}

// `needed` raised to the next multiple of `step` (unchanged when already one).
std::int64_t roundUp(std::int64_t needed, std::int32_t step)
{
    return (needed + step - 1) / step * step;
}

}  // namespace

MemoryOutputStream::MemoryOutputStream() : m_capacity(kDefaultGrowBy), m_owned(allocate(kDefaultGrowBy))
{
    m_buffer = m_owned.get();
}

MemoryOutputStream::MemoryOutputStream(int capacity) : m_growBy(0)
{
    if (capacity < 1)
    {
        throw IllegalArgumentException();
    }
    m_owned = allocate(capacity);
    m_buffer = m_owned.get();
    m_capacity = capacity;
}

MemoryOutputStream::MemoryOutputStream(unsigned char* block, int length, bool ownsBuffer) : m_growBy(0)
{
    if (block == nullptr || length < 1)
    {
        throw IllegalArgumentException();
    }
    m_capacity = length;
    m_buffer = block;
    if (ownsBuffer)
    {
        m_owned.reset(block);
    }
}

MemoryOutputStream::MemoryOutputStream(const MemoryOutputStream& other)
    : OutputStream(other), m_growBy(other.m_growBy), m_capacity(other.m_capacity), m_size(other.m_size),
      m_position(other.m_position), m_owned(allocate(other.m_capacity))
{
    m_buffer = m_owned.get();
    std::memcpy(m_buffer, other.m_buffer, static_cast<std::size_t>(m_size));
}

MemoryOutputStream::~MemoryOutputStream() = default;

bool MemoryOutputStream::isSeekable()
{
    return true;
}

void MemoryOutputStream::seek(int origin, int offset)
{
    std::int64_t target = offset;
    if (origin == kFromCurrent)
    {
        target += m_position;
    }
    else if (origin != kFromStart)
    {
        target += m_size;
    }
    // A target before the start would break the position invariant, like one past the end.
    if (target < 0 || target > m_size)
    {
        throw IOException();
    }
    m_position = static_cast<std::int32_t>(target);
}

int MemoryOutputStream::getPosition()
{
    return m_position;
}

int MemoryOutputStream::write(const unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return write(buffer + offset, length);
}

int MemoryOutputStream::write(const unsigned char* buffer, int length)
{
    if (length < 0 || (buffer == nullptr && length > 0))
    {
        throw IOException();
    }
    if (length == 0)
    {
        return 0;
    }
    if (m_position < m_size)
    {
        const int overwritten = std::min(m_size - m_position, length);
        std::memcpy(m_buffer + m_position, buffer, static_cast<std::size_t>(overwritten));
        m_position += overwritten;
        appendChecked(buffer + overwritten, length - overwritten);
    }
    else
    {
        appendChecked(buffer, length);
    }
    return length;
}

int MemoryOutputStream::write(unsigned char byte)
{
    if (m_position < m_size)
    {
        m_buffer[m_position++] = byte;
        return 1;
    }
    appendChecked(&byte, 1);
    return 1;
}

void MemoryOutputStream::close() {}

int MemoryOutputStream::flush()
{
    return 0;
}

void MemoryOutputStream::reserve(int size)
{
    if (size < 0)
    {
        throw IOException();
    }
    // A fixed-size stream never reallocates: its buffer may be the caller's block.
    if (size <= m_size || m_growBy == 0)
    {
        return;
    }
    reallocate(static_cast<std::int32_t>(std::min(roundUp(size, m_growBy), kMaxCapacity)));
}

unsigned char* MemoryOutputStream::getBuffer(bool release)
{
    if (release)
    {
        (void)m_owned.release();
    }
    return m_buffer;
}

int MemoryOutputStream::getSize() const
{
    return m_size;
}

int MemoryOutputStream::getCapacity() const
{
    return m_capacity;
}

int MemoryOutputStream::clear()
{
    m_size = 0;
    m_position = 0;
    return 0;
}

int MemoryOutputStream::writeTo(OutputStream& stream)
{
    if (m_size == 0)
    {
        return 0;
    }
    return stream.write(m_buffer, m_size);
}

void MemoryOutputStream::appendChecked(const unsigned char* bytes, int count)
{
    if (count == 0)
    {
        return;
    }
    ensureCapacity(static_cast<std::int64_t>(m_size) + count);
    std::memcpy(m_buffer + m_size, bytes, static_cast<std::size_t>(count));
    m_size += count;
    m_position = m_size;
}

void MemoryOutputStream::ensureCapacity(std::int64_t needed)
{
    if (needed <= m_capacity)
    {
        return;
    }
    // The sizes are 32-bit: a stream that would pass that is full like a fixed-size one.
    if (m_growBy == 0 || needed > kMaxCapacity)
    {
        throw EndOfStreamException();
    }
    // At least doubling keeps a long run of small writes linear: a fixed step would copy the
    // whole buffer again every few bytes.
    const std::int64_t wanted = std::max(needed, static_cast<std::int64_t>(m_capacity) * 2);
    reallocate(static_cast<std::int32_t>(std::min(roundUp(wanted, m_growBy), kMaxCapacity)));
}

void MemoryOutputStream::reallocate(std::int32_t capacity)
{
    std::unique_ptr<unsigned char[]> grown = allocate(capacity);
    std::memcpy(grown.get(), m_buffer, static_cast<std::size_t>(m_size));
    m_owned = std::move(grown);
    m_buffer = m_owned.get();
    m_capacity = capacity;
}

}  // namespace ostrum::io
