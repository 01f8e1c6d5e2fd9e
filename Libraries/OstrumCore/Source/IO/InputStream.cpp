#include "Libraries/OstrumCore/Source/IO/InputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

int InputStream::read(unsigned char*, int, int)
{
    throw IOException();
}

int InputStream::read(unsigned char*, int)
{
    throw IOException();
}

int InputStream::read()
{
    throw IOException();
}

int InputStream::skip(int)
{
    throw IOException();
}

int InputStream::isEOF()
{
    throw IOException();
}

void InputStream::close()
{
    throw IOException();
}

}  // namespace ostrum::io
