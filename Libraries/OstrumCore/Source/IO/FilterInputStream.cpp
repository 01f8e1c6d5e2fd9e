#include "Libraries/OstrumCore/Source/IO/FilterInputStream.h"

namespace ostrum::io {

FilterInputStream::FilterInputStream(InputStream* in) : m_in(in) {}

bool FilterInputStream::isSeekable()
{
    return m_in->isSeekable();
}

void FilterInputStream::seek(int origin, int offset)
{
    m_in->seek(origin, offset);
}

int FilterInputStream::getPosition()
{
    return m_in->getPosition();
}

int FilterInputStream::read(unsigned char* buffer, int offset, int length)
{
    return m_in->read(buffer, offset, length);
}

int FilterInputStream::read(unsigned char* buffer, int length)
{
    return m_in->read(buffer, length);
}

int FilterInputStream::read()
{
    return m_in->read();
}

int FilterInputStream::skip(int count)
{
    return m_in->skip(count);
}

int FilterInputStream::isEOF()
{
    return m_in->isEOF();
}

void FilterInputStream::close()
{
    m_in->close();
}

}  // namespace ostrum::io
