// Splits a text held in memory into tokens at a set of delimiter characters.
//
// Runs of delimiters count as one separator, so empty tokens never appear. The tokenizer keeps
// its own copy of the text. A value object for one thread; not copyable.
#pragma once

#include <string>

namespace ostrum::utils {

class StringTokenizer
{
public:
    // An empty delimiter set means blank, TAB, LF, CR and FF.
    StringTokenizer(const std::string& text, const std::string& delimiters);
    StringTokenizer(const StringTokenizer&) = delete;
    StringTokenizer& operator=(const StringTokenizer&) = delete;
    virtual ~StringTokenizer() = default;

    // True when another token follows; scans ahead for it when none is pending yet.
    bool hasMoreTokens();
    // The next token (its offset in the text goes to *start when given); the empty text when
    // no token remains.
    std::string nextToken(int* start = nullptr);

    void setDelimiters(const std::string& delimiters);
    void addDelimiters(const std::string& delimiters);
    // Whether the character of the text at index is a delimiter; an index outside the text
    // throws std::out_of_range.
    bool isDelimiterAt(int index) const;

private:
    bool scan();
    bool isDelimiter(char c) const;

    std::string m_delimiters;
    std::string m_text;
    bool m_tokenPending = false;
    bool m_endReached = false;
    std::size_t m_position = 0;
    std::size_t m_tokenStart = 0;
};

}  // namespace ostrum::utils
