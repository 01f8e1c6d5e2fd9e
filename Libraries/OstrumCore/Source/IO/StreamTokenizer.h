// Splits a byte stream into tokens at delimiter characters (blank, TAB, LF, CR, FF) and at
// stop strings, which come out as tokens of their own (with the stop string "<", the text
// ab<cd gives ab, < and cd).
//
// In quote mode a double quote opens or closes a run inside which delimiters do not split.
// The pushback buffer must hold the longest stop string. The wrapped stream is borrowed. One
// thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"
#include "Libraries/OstrumCore/Source/IO/TokenizerCore.h"

namespace ostrum::io {

class StreamTokenizer : public PushbackInputStream, public TokenizerCore<char, StreamTokenizer>
{
public:
    StreamTokenizer(InputStream* in, int pushbackSize);
    ~StreamTokenizer() override = default;

private:
    friend class TokenizerCore<char, StreamTokenizer>;
    int readTokenChar();
    void unreadTokenChar(char c);
};

}  // namespace ostrum::io
