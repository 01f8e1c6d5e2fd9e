#include "Libraries/OstrumCore/Source/IO/StreamTokenizer.h"

namespace ostrum::io {

StreamTokenizer::StreamTokenizer(InputStream* in, int pushbackSize)
    : PushbackInputStream(in, pushbackSize), TokenizerCore(" \t\n\r\f")
{
}

int StreamTokenizer::readTokenChar()
{
    return read();
}

void StreamTokenizer::unreadTokenChar(char c)
{
    unread(static_cast<unsigned char>(c));
}

}  // namespace ostrum::io
