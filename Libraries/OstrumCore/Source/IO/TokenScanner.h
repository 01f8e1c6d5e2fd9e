// The token scan shared by the narrow and the wide stream tokenizers.
//
// One call gathers one token from a character source: delimiters separate tokens (outside
// double quotes in quote mode), and stop strings end a token before their earliest occurrence,
// coming out as tokens of their own. Characters after that occurrence are handed back to the
// source. Stateless; the caller owns every argument.
#pragma once

#include <string>
#include <vector>

namespace ostrum::io {

template <typename CharT, typename ReadChar, typename UnreadChar>
bool ScanToken(std::basic_string<CharT>& token, const std::basic_string<CharT>& delimiters,
               const std::vector<std::basic_string<CharT>>& stopStrings, bool quoteMode, bool& endReached,
               ReadChar readChar, UnreadChar unreadChar)
{
    token.clear();
    bool insideQuotes = false;
    for (;;) {
        const int c = readChar();
        if (c < 0) {
            endReached = true;
            return !token.empty();
        }
        const auto ch = static_cast<CharT>(c);
        if (quoteMode && ch == static_cast<CharT>('"')) {
            insideQuotes = !insideQuotes;
        }
        if (!insideQuotes && delimiters.find(ch) != std::basic_string<CharT>::npos) {
            if (!token.empty()) {
                return true;
            }
            continue;
        }
        token.push_back(ch);
        std::size_t earliest = std::basic_string<CharT>::npos;
        for (const auto& stop : stopStrings) {
            const std::size_t at = token.find(stop);
            if (at < earliest) {
                earliest = at;
            }
        }
        if (earliest == std::basic_string<CharT>::npos) {
            continue;
        }
        if (earliest > 0) {
            for (std::size_t i = token.size(); i > earliest; --i) {
                unreadChar(token[i - 1]);
            }
            token.resize(earliest);
        }
        return true;
    }
}

}  // namespace ostrum::io
