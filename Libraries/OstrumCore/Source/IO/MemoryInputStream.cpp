#include "Libraries/OstrumCore/Source/IO/MemoryInputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/MemoryOutputStream.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"

#include <algorithm>
#include <cstring>

namespace ostrum::io {

MemoryInputStream::MemoryInputStream(const unsigned char* data, int length) : m_length(length), m_data(data)
{
    if (data == nullptr || length < 0)
    {
        throw IllegalArgumentException();
    }
}

MemoryInputStream::MemoryInputStream(MemoryOutputStream& written)
    : m_length(written.getSize()), m_data(written.getBuffer(false))
{
}

int MemoryInputStream::getPosition()
{
    return m_position;
}

int MemoryInputStream::read(unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return read(buffer == nullptr ? nullptr : buffer + offset, length);
}

int MemoryInputStream::read(unsigned char* buffer, int length)
{
    if (length < 0)
    {
        throw IOException();
    }
    if (m_position == m_length)
    {
        return -1;
    }
    if (buffer == nullptr)
    {
        return 0;
    }
    const int count = std::min(m_length - m_position, length);
    std::memcpy(buffer, m_data + m_position, static_cast<std::size_t>(count));
    m_position += count;
    return count;
}

int MemoryInputStream::read()
{
    if (m_position == m_length)
    {
        return -1;
    }
    return m_data[m_position++];
}

int MemoryInputStream::skip(int count)
{
    if (count < 0)
    {
        throw IOException();
    }
    if (m_position == m_length)
    {
        return -1;
    }
    m_position += std::min(m_length - m_position, count);
    return 0;
}

int MemoryInputStream::isEOF()
{
    return m_position == m_length ? 1 : 0;
}

void MemoryInputStream::close() {}

void MemoryInputStream::mark(int) {}

bool MemoryInputStream::reset()
{
    m_position = 0;
    return true;
}

bool MemoryInputStream::markSupported()
{
    return false;
}

}  // namespace ostrum::io
