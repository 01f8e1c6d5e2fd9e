// The wide-character twin of StreamTokenizer: reads 16-bit characters (two bytes, low first)
// and splits them into tokens at delimiters and stop strings.
//
// The wrapped stream is borrowed; the pushback size counts bytes (two per character). One
// thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/TokenizerCore.h"
#include "Libraries/OstrumCore/Source/IO/UnicodePushbackInputStream.h"

namespace ostrum::io {

class UnicodeStreamTokenizer : public UnicodePushbackInputStream, public TokenizerCore<wchar_t, UnicodeStreamTokenizer>
{
public:
    UnicodeStreamTokenizer(InputStream* in, int pushbackSize);
    ~UnicodeStreamTokenizer() override = default;

private:
    friend class TokenizerCore<wchar_t, UnicodeStreamTokenizer>;
    int readTokenChar();
    void unreadTokenChar(wchar_t c);
};

}  // namespace ostrum::io
