// The wide-character twin of StreamTokenizer: reads 16-bit characters (two bytes, low first)
// and splits them into tokens at delimiters and stop strings.
//
// The wrapped stream is borrowed; the pushback size counts bytes (two per character). One
// thread.
#pragma once

#include "Libraries/OstrumCore/Source/IO/UnicodePushbackInputStream.h"

#include <string>
#include <vector>

namespace ostrum::io {

class UnicodeStreamTokenizer : public UnicodePushbackInputStream {
public:
    UnicodeStreamTokenizer(InputStream* in, int pushbackSize);
    ~UnicodeStreamTokenizer() override = default;

    void addStopString(const wchar_t* stop);
    void addStopStrings(const std::vector<const wchar_t*>& stops);
    void addStopChars(const wchar_t* chars);
    bool isDelimiter(wchar_t c) const;

    bool hasMoreTokens();
    // The next token, NUL-terminated and valid until the next scan; null when none remains.
    const wchar_t* nextToken();

    bool quoteMode = false;

private:
    bool scan();

    bool m_tokenPending = false;
    bool m_endReached = false;
    std::wstring m_delimiters;
    std::vector<std::wstring> m_stopStrings;
    std::wstring m_token;
};

}  // namespace ostrum::io
