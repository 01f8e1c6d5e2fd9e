// A pushback stream that also puts back 16-bit characters (low byte read first again).
//
// Characters are read back as pairs of bytes, low byte first, so what unreadChar16 puts back
// is what readChar16 takes. The wrapped stream is borrowed. One thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"

namespace ostrum::io {

class UnicodePushbackInputStream : public PushbackInputStream
{
public:
    // The size counts bytes: two per character.
    explicit UnicodePushbackInputStream(InputStream* in, int size = 2);
    ~UnicodePushbackInputStream() override = default;

    // Puts back the high byte, then the low byte; IOException when they do not fit.
    virtual void unreadChar16(char16_t c);
    // The next character (two bytes, low first), or -1 at the end (a lone last byte is
    // dropped).
    int readChar16();
};

}  // namespace ostrum::io
