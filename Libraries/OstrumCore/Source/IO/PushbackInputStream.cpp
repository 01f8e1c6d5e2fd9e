#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"

#include <algorithm>
#include <cstring>

namespace ostrum::io {

PushbackInputStream::PushbackInputStream(InputStream* in, int size)
    : FilterInputStream(in), m_size(size), m_position(size)
{
    if (size < 1)
    {
        throw IllegalArgumentException();
    }
    m_buffer = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
}

int PushbackInputStream::pushedBackCount() const
{
    return m_size - m_position;
}

int PushbackInputStream::read()
{
    if (m_position < m_size)
    {
        return m_buffer[static_cast<std::size_t>(m_position++)];
    }
    return m_in->read();
}

int PushbackInputStream::read(unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return read(buffer == nullptr ? nullptr : buffer + offset, length);
}

int PushbackInputStream::read(unsigned char* buffer, int length)
{
    if (length < 0)
    {
        throw IOException();
    }
    const int pending = pushedBackCount();
    if (pending == 0)
    {
        return m_in->read(buffer, length);
    }
    const int n = std::min(length, pending);
    if (buffer != nullptr)
    {
        std::memcpy(buffer, m_buffer.get() + m_position, static_cast<std::size_t>(n));
    }
    m_position += n;
    if (n == length)
    {
        return n;
    }
    const int more = m_in->read(buffer == nullptr ? nullptr : buffer + n, length - n);
    // The end of the wrapped stream (-1) does not take back the bytes already delivered.
    return more > 0 ? n + more : n;
}

int PushbackInputStream::skip(int count)
{
    const int pending = pushedBackCount();
    if (pending == 0)
    {
        return m_in->skip(count);
    }
    const int n = std::min(std::max(count, 0), pending);
    m_position += n;
    if (n == count)
    {
        return n;
    }
    const int more = m_in->skip(count - n);
    return more > 0 ? n + more : n;
}

int PushbackInputStream::unread(const unsigned char* buffer, int offset, int length)
{
    if (buffer == nullptr)
    {
        throw IllegalArgumentException();
    }
    if (offset < 0)
    {
        throw IOException();
    }
    return unread(buffer + offset, length);
}

int PushbackInputStream::unread(const unsigned char* buffer, int length)
{
    if (buffer == nullptr)
    {
        throw IllegalArgumentException();
    }
    if (length < 0 || length > m_position)
    {
        throw IOException();
    }
    m_position -= length;
    std::memcpy(m_buffer.get() + m_position, buffer, static_cast<std::size_t>(length));
    return length;
}

int PushbackInputStream::unread(int byte)
{
    if (m_position == 0)
    {
        throw IOException();
    }
    m_buffer[static_cast<std::size_t>(--m_position)] = static_cast<unsigned char>(byte);
    return byte;
}

}  // namespace ostrum::io
