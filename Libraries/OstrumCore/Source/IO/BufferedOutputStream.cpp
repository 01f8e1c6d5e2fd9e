#include "Libraries/OstrumCore/Source/IO/BufferedOutputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/StreamUtils.h"
#include "Libraries/OstrumCore/Source/Utils/IllegalArgumentException.h"

#include <cstring>

namespace ostrum::io {

namespace {

void writeAllOrThrow(OutputStream* out, const unsigned char* data, int length)
{
    if (!writeFully(out, data, static_cast<uint32_t>(length)))
    {
        throw IOException();
    }
}

}  // namespace

BufferedOutputStream::BufferedOutputStream(OutputStream* out, int size) : m_out(out), m_capacity(size)
{
    if (size < 1)
    {
        throw IllegalArgumentException();
    }
    m_buffer = std::make_unique<unsigned char[]>(static_cast<std::size_t>(size));
}

BufferedOutputStream::~BufferedOutputStream()
{
    // A destructor cannot report a failed write; the bytes are lost then, as with any
    // buffered output that is never flushed successfully.
    try
    {
        if (m_count > 0)
        {
            writeAllOrThrow(m_out, m_buffer.get(), m_count);
            m_count = 0;
            m_out->flush();
        }
    }
    catch (const IOException&)
    {
    }
}

int BufferedOutputStream::write(unsigned char byte)
{
    m_buffer[static_cast<std::size_t>(m_count++)] = byte;
    if (m_count >= m_capacity)
    {
        flush();
    }
    return 1;
}

int BufferedOutputStream::write(const unsigned char* buffer, int length)
{
    if (length < 0)
    {
        throw IOException();
    }
    if (m_count + length < m_capacity)
    {
        std::memcpy(m_buffer.get() + m_count, buffer, static_cast<std::size_t>(length));
        m_count += length;
        return length;
    }
    flush();
    writeAllOrThrow(m_out, buffer, length);
    return length;
}

int BufferedOutputStream::write(const unsigned char* buffer, int offset, int length)
{
    if (offset < 0)
    {
        throw IOException();
    }
    return write(buffer + offset, length);
}

int BufferedOutputStream::flush()
{
    if (m_count == 0)
    {
        return 0;
    }
    const int pending = m_count;
    m_count = 0;
    writeAllOrThrow(m_out, m_buffer.get(), pending);
    return m_out->flush();
}

void BufferedOutputStream::close()
{
    flush();
    m_out->close();
}

}  // namespace ostrum::io
