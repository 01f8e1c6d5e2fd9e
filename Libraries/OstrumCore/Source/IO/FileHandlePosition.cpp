#include "Libraries/OstrumCore/Source/IO/FileHandlePosition.h"

#include "Libraries/OstrumCore/Source/IO/IOException.h"
#include "Libraries/OstrumCore/Source/IO/Stream.h"

#include <climits>

namespace ostrum::io {

void seekFileHandle(std::FILE* file, int origin, int offset)
{
    const int whence = origin == Stream::kFromCurrent ? SEEK_CUR : (origin == Stream::kFromEnd ? SEEK_END : SEEK_SET);
    if (std::fseek(file, offset, whence) != 0)
    {
        throw IOException();
    }
}

int fileHandlePosition(std::FILE* file)
{
    const long position = std::ftell(file);
    if (position < 0 || position > INT_MAX)
    {
        throw IOException();
    }
    return static_cast<int>(position);
}

}  // namespace ostrum::io
