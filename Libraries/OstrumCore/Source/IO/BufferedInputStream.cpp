#include "Libraries/OstrumCore/Source/IO/BufferedInputStream.h"

#include "Libraries/OstrumCore/Source/IO/EndOfStreamException.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"

#include <algorithm>
#include <cstring>

namespace ostrum::io {

BufferedInputStream::BufferedInputStream(InputStream* in, int size) : m_in(in), m_capacity(size)
{
    if (size < 1)
    {
        throw IllegalArgumentException();
    }
    m_buffer = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
}

bool BufferedInputStream::fill()
{
    if (m_position >= m_count)
    {
        m_position = 0;
        m_count = 0;
    }
    if (m_count >= m_capacity)
    {
        return true;
    }
    const int n = m_in->read(m_buffer.get(), m_count, m_capacity - m_count);
    if (n <= 0)
    {
        return false;
    }
    m_count += n;
    return true;
}

int BufferedInputStream::read(unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    if (length < 1)
    {
        return 0;
    }
    int copied = 0;
    for (;;)
    {
        const int n = std::min(length - copied, m_count - m_position);
        std::memcpy(buffer + offset + copied, m_buffer.get() + m_position, static_cast<std::size_t>(n));
        m_position += n;
        copied += n;
        if (copied >= length)
        {
            return copied;
        }
        if (!fill())
        {
            return copied > 0 ? copied : -1;
        }
    }
}

int BufferedInputStream::read(unsigned char* buffer, int length)
{
    return read(buffer, 0, length);
}

int BufferedInputStream::read()
{
    if (m_position >= m_count && !fill())
    {
        throw EndOfStreamException();
    }
    return m_buffer[static_cast<std::size_t>(m_position++)];
}

}  // namespace ostrum::io
