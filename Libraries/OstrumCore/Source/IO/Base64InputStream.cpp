#include "Libraries/OstrumCore/Source/IO/Base64InputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

Base64InputStream::Base64InputStream(InputStream& in) : m_in(in) {}

bool Base64InputStream::isSeekable()
{
    return m_in.isSeekable();
}

void Base64InputStream::seek(int origin, int offset)
{
    m_in.seek(origin, offset);
}

int Base64InputStream::getPosition()
{
    return m_in.getPosition();
}

int Base64InputStream::read(unsigned char* buffer, int offset, int length)
{
    if (length < 1)
    {
        return 0;
    }
    if (offset < 0 || buffer == nullptr)
    {
        throw IOException();
    }
    int stored = 0;
    while (stored < length)
    {
        const int byte = read();
        if (byte < 0)
        {
            break;
        }
        buffer[offset + stored++] = static_cast<unsigned char>(byte);
    }
    return stored;
}

int Base64InputStream::read(unsigned char* buffer, int length)
{
    return read(buffer, 0, length);
}

int Base64InputStream::read()
{
    for (;;)
    {
        const int character = m_in.read();
        if (character < 0)
        {
            return character;
        }
        const int byte = m_decoder.take(static_cast<unsigned char>(character));
        if (byte == Base64Decoder::kEndOfData)
        {
            return -1;
        }
        if (byte != Base64Decoder::kNoByte)
        {
            return byte;
        }
    }
}

int Base64InputStream::skip(int count)
{
    return m_in.skip(count);
}

int Base64InputStream::isEOF()
{
    return m_in.isEOF();
}

void Base64InputStream::close()
{
    m_in.close();
}

void Base64InputStream::resetDecoder()
{
    m_decoder.reset();
}

}  // namespace ostrum::io
