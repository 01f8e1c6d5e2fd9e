#include "Libraries/OstrumCore/Source/IO/Base64OutputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr unsigned char kFill[] = {'=', '='};

}  // namespace

Base64OutputStream::Base64OutputStream(OutputStream& out) : m_out(out) {}

bool Base64OutputStream::isSeekable()
{
    return m_out.isSeekable();
}

void Base64OutputStream::seek(int origin, int offset)
{
    m_out.seek(origin, offset);
}

int Base64OutputStream::getPosition()
{
    return m_out.getPosition();
}

int Base64OutputStream::write(const unsigned char* buffer, int offset, int length)
{
    if (length < 1)
    {
        return length;
    }
    if (offset < 0)
    {
        throw IOException();
    }
    for (int i = 0; i < length; ++i)
    {
        const int result = write(buffer[offset + i]);
        if (result < 0)
        {
            return result;
        }
    }
    return length;
}

int Base64OutputStream::write(const unsigned char* buffer, int length)
{
    return write(buffer, 0, length);
}

int Base64OutputStream::write(unsigned char byte)
{
    m_group[m_groupCount++] = byte;
    if (m_groupCount != 3)
    {
        return 0;
    }
    // The group is consumed whether or not the wrapped stream takes it: a failed group is
    // discarded rather than overflowing on the next byte.
    m_groupCount = 0;
    const unsigned char values[4] = {
        static_cast<unsigned char>(m_group[0] >> 2),
        static_cast<unsigned char>(((m_group[0] & 3) << 4) | (m_group[1] >> 4)),
        static_cast<unsigned char>(((m_group[1] & 15) << 2) | (m_group[2] >> 6)),
        static_cast<unsigned char>(m_group[2] & 63),
    };
    const int result = writeCharacters(values, 4);
    return result < 0 ? result : 4;
}

void Base64OutputStream::close()
{
    flush();
    m_out.close();
}

int Base64OutputStream::flush()
{
    const int pending = m_groupCount;
    m_groupCount = 0;
    if (pending > 0)
    {
        const unsigned char b0 = m_group[0];
        const unsigned char b1 = pending == 2 ? m_group[1] : 0;
        const unsigned char values[3] = {
            static_cast<unsigned char>(b0 >> 2),
            static_cast<unsigned char>(((b0 & 3) << 4) | (b1 >> 4)),
            static_cast<unsigned char>((b1 & 15) << 2),
        };
        int result = writeCharacters(values, pending + 1);
        if (result < 0)
        {
            return result;
        }
        result = m_out.write(kFill, 3 - pending);
        if (result < 0)
        {
            return result;
        }
    }
    return m_out.flush();
}

int Base64OutputStream::writeCharacters(const unsigned char* values, int count)
{
    for (int i = 0; i < count; ++i)
    {
        const int result = m_out.write(static_cast<unsigned char>(kAlphabet[values[i]]));
        if (result < 0)
        {
            return result;
        }
    }
    return 0;
}

}  // namespace ostrum::io
