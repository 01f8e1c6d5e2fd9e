// The tokenizing shared by the narrow and the wide stream tokenizers.
//
// One scan gathers one token from the derived stream's characters: delimiters separate tokens
// and stop strings end a token before their earliest occurrence, coming out as tokens of their
// own; in quote mode neither applies inside double quotes, so a quoted value may hold them; characters after that
// occurrence are put back into the stream. The derived class supplies readTokenChar (-1 at the end) and
// unreadTokenChar. One thread.
#pragma once

#include <algorithm>
#include <string>
#include <vector>

namespace ostrum::io {

template <typename CharT, typename Derived>
class TokenizerCore
{
public:
    // A null pointer or an empty text is ignored.
    void addStopString(const CharT* stop)
    {
        if (stop != nullptr && *stop != CharT{})
        {
            m_stopStrings.emplace_back(stop);
        }
    }
    void addStopStrings(const std::vector<const CharT*>& stops)
    {
        for (const CharT* stop : stops)
        {
            addStopString(stop);
        }
    }
    // Each character becomes a one-character stop string.
    void addStopChars(const CharT* chars)
    {
        for (const CharT* c = chars; c != nullptr && *c != CharT{}; ++c)
        {
            m_stopStrings.emplace_back(1, *c);
        }
    }
    bool isDelimiter(CharT c) const { return m_delimiters.find(c) != std::basic_string<CharT>::npos; }

    // True when a token is pending or another can be found.
    bool hasMoreTokens()
    {
        if (m_tokenPending)
        {
            return true;
        }
        if (m_endReached)
        {
            return false;
        }
        m_tokenPending = scan();
        return m_tokenPending;
    }
    // The next token, NUL-terminated and valid until the next scan; null when none remains.
    const CharT* nextToken()
    {
        if (!hasMoreTokens())
        {
            return nullptr;
        }
        m_tokenPending = false;
        return m_token.c_str();
    }

    // Double quotes group text across delimiters while set.
    bool quoteMode = false;

protected:
    static constexpr std::size_t kInitialTokenCapacity = 1024;

    explicit TokenizerCore(const CharT* delimiters) : m_delimiters(delimiters)
    {
        m_token.reserve(kInitialTokenCapacity);
    }
    ~TokenizerCore() = default;

private:
    bool scan()
    {
        Derived& stream = static_cast<Derived&>(*this);
        m_token.clear();
        bool insideQuotes = false;
        for (;;)
        {
            const int c = stream.readTokenChar();
            if (c < 0)
            {
                m_endReached = true;
                return !m_token.empty();
            }
            const auto ch = static_cast<CharT>(c);
            if (quoteMode && ch == static_cast<CharT>('"'))
            {
                insideQuotes = !insideQuotes;
            }
            if (!insideQuotes && isDelimiter(ch))
            {
                if (!m_token.empty())
                {
                    return true;
                }
                continue;
            }
            m_token.push_back(ch);
            // A quoted run is text: a stop string inside it ends nothing.
            if (insideQuotes)
            {
                continue;
            }
            // Each character is checked as it arrives, so a stop string can only just have
            // appeared, at the end of the token (a stop string holds no double quote).
            std::size_t earliest = std::basic_string<CharT>::npos;
            for (const auto& stop : m_stopStrings)
            {
                if (m_token.size() >= stop.size() &&
                    m_token.compare(m_token.size() - stop.size(), stop.size(), stop) == 0)
                {
                    earliest = std::min(earliest, m_token.size() - stop.size());
                }
            }
            if (earliest == std::basic_string<CharT>::npos)
            {
                continue;
            }
            // A stop string at the start is the token itself; one further on ends the token
            // before it and goes back to the stream.
            if (earliest > 0)
            {
                for (std::size_t i = m_token.size(); i > earliest; --i)
                {
                    stream.unreadTokenChar(m_token[i - 1]);
                }
                m_token.resize(earliest);
            }
            return true;
        }
    }

    bool m_tokenPending = false;
    bool m_endReached = false;
    std::basic_string<CharT> m_delimiters;
    std::vector<std::basic_string<CharT>> m_stopStrings;
    std::basic_string<CharT> m_token;
};

}  // namespace ostrum::io
