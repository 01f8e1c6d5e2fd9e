#include "Libraries/OstrumCore/Source/IO/Stream.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"

namespace ostrum::io {

bool Stream::isSeekable()
{
    return false;
}

void Stream::seek(int, int)
{
    throw IOException();
}

int Stream::getPosition()
{
    throw IOException();
}

int Stream::getLength()
{
    if (!isSeekable())
    {
        throw IOException();
    }
    const int position = getPosition();
    seek(kFromEnd, 0);
    const int length = getPosition();
    seek(kFromStart, position);
    return length;
}

}  // namespace ostrum::io
