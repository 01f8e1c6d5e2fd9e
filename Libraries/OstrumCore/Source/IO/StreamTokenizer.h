// Splits a byte stream into tokens at delimiter characters and at stop strings, which come
// out as tokens of their own (with the stop string "<", the text ab<cd gives ab, < and cd).
//
// In quote mode a double quote opens or closes a run inside which delimiters do not split.
// The pushback buffer must hold the longest stop string. The wrapped stream is borrowed. One
// thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/PushbackInputStream.h"

#include <string>
#include <vector>

namespace ostrum::io {

class StreamTokenizer : public PushbackInputStream {
public:
    StreamTokenizer(InputStream* in, int pushbackSize);
    ~StreamTokenizer() override = default;

    // A null pointer is ignored.
    void addStopString(const char* stop);
    void addStopStrings(const std::vector<const char*>& stops);
    // Each character becomes a one-character stop string.
    void addStopChars(const char* chars);
    bool isDelimiter(char c) const;

    // True when a token is pending or another can be found.
    bool hasMoreTokens();
    // The next token, NUL-terminated and valid until the next scan; null when none remains.
    const char* nextToken();

    // Double quotes group text across delimiters while set.
    bool quoteMode = false;

private:
    bool scan();

    bool m_tokenPending = false;
    bool m_endReached = false;
    std::string m_delimiters;
    std::vector<std::string> m_stopStrings;
    std::string m_token;
};

}  // namespace ostrum::io
