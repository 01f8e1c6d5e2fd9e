#include "Libraries/OstrumCore/Source/IO/OutputStream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

int OutputStream::write(const unsigned char*, int, int)
{
    throw IOException();
}

int OutputStream::write(const unsigned char*, int)
{
    throw IOException();
}

int OutputStream::write(unsigned char)
{
    throw IOException();
}

void OutputStream::close()
{
    throw IOException();
}

int OutputStream::flush()
{
    throw IOException();
}

}  // namespace ostrum::io
