#include "Libraries/OstrumCore/Source/IO/UnicodePushbackInputStream.h"

namespace ostrum::io {

UnicodePushbackInputStream::UnicodePushbackInputStream(InputStream* in, int size) : PushbackInputStream(in, size) {}

void UnicodePushbackInputStream::unreadChar16(char16_t c)
{
    unread(static_cast<int>(c >> 8));
    unread(static_cast<int>(c & 0xFF));
}

int UnicodePushbackInputStream::readChar16()
{
    const int low = read();
    if (low < 0)
    {
        return -1;
    }
    const int high = read();
    if (high < 0)
    {
        return -1;
    }
    return (high << 8) | low;
}

}  // namespace ostrum::io
