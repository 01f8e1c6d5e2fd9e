#include "platform/wmi/WbemQueryParser.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemPathParser.h"

#include <cwctype>
#include <optional>

namespace {
enum class TokenKind
{
    End,
    Word,
    Other,
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::wstring_view text;
};

bool IsWordChar(wchar_t c)
{
    return c == L'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

// Splits the query into words, quoted strings and single punctuation characters; a string
// that does not end before the text does yields no token (UnterminatedAt says where it began).
class QueryTokens
{
public:
    explicit QueryTokens(std::wstring_view text) : m_text(text) {}

    std::optional<Token> Next()
    {
        while (m_position < m_text.size() && std::iswspace(static_cast<std::wint_t>(m_text[m_position])) != 0)
            ++m_position;
        if (m_position >= m_text.size())
            return Token{TokenKind::End, m_text.substr(m_text.size())};
        const std::size_t start = m_position;
        const wchar_t c = m_text[m_position];
        if (IsWordChar(c))
        {
            while (m_position < m_text.size() && IsWordChar(m_text[m_position]))
                ++m_position;
            return Token{TokenKind::Word, m_text.substr(start, m_position - start)};
        }
        ++m_position;
        if (c == L'"' || c == L'\'')
        {
            for (;;)
            {
                const bool open =
                    m_position >= m_text.size() || (m_text[m_position] == L'\\' && m_position + 1 >= m_text.size());
                if (open)
                {
                    m_unterminatedAt = start;
                    return std::nullopt;
                }
                const wchar_t inside = m_text[m_position++];
                if (inside == c)
                    break;
                if (inside == L'\\')
                    ++m_position;
            }
        }
        return Token{TokenKind::Other, m_text.substr(start, m_position - start)};
    }

    std::size_t UnterminatedAt() const { return m_unterminatedAt; }
    std::size_t OffsetOf(const Token& token) const
    {
        return static_cast<std::size_t>(token.text.data() - m_text.data());
    }

private:
    std::wstring_view m_text;
    std::size_t m_position = 0;
    std::size_t m_unterminatedAt = 0;
};

bool IsKeyword(const Token& token, std::wstring_view keyword)
{
    return token.kind == TokenKind::Word && WbemName::Equal(token.text, keyword);
}
}  // namespace

bool WbemQueryParser::IsWql(std::wstring_view language)
{
    return WbemName::Equal(language, L"WQL");
}

namespace {
// One reading of a query; the first failure is kept with its explanation.
class SelectionReader
{
public:
    explicit SelectionReader(std::wstring_view query) : m_query(query), m_tokens(query) {}

    HRESULT Read(WbemQueryParser::Selection& read)
    {
        std::optional<Token> token = Next();
        if (!token)
            return WBEM_E_INVALID_QUERY;
        if (IsKeyword(*token, L"ASSOCIATORS") || IsKeyword(*token, L"REFERENCES"))
            return ReadAssociation(read);
        if (!IsKeyword(*token, L"SELECT"))
            return Fail(*token, L"SELECT, ASSOCIATORS or REFERENCES expected");
        // The select list: "*" alone, or names separated by commas.
        bool all = false;
        bool expectName = true;
        for (;;)
        {
            token = Next();
            if (!token)
                return WBEM_E_INVALID_QUERY;
            if (token->kind == TokenKind::End)
                return Fail(*token, L"FROM expected");
            if (IsKeyword(*token, L"FROM"))
            {
                if (expectName)
                    return Fail(*token, L"property name or * expected");
                break;
            }
            if (expectName && token->text == L"*" && !all && read.properties.empty())
                all = true;
            else if (expectName && !all && token->kind == TokenKind::Word && WbemName::IsValidIdentifier(token->text))
                read.properties.emplace_back(token->text);
            else if (!expectName && !all && token->text == L",")
            {
                expectName = true;
                continue;
            }
            else
                return Fail(*token, expectName ? L"property name or * expected" : L"FROM or , expected");
            expectName = false;
        }
        const std::optional<Token> classToken = Next();
        if (!classToken)
            return WBEM_E_INVALID_QUERY;
        if (classToken->kind != TokenKind::Word || !WbemName::IsValidIdentifier(classToken->text))
            return Fail(*classToken, L"class name expected");
        const std::optional<Token> after = Next();
        if (!after)
            return WBEM_E_INVALID_QUERY;
        if (after->kind != TokenKind::End && !IsKeyword(*after, L"WHERE") && !IsKeyword(*after, L"WITHIN"))
            return Fail(*after, L"WHERE, WITHIN or end of query expected");
        if (!ReadRest(*after, read.hasWhere))
            return WBEM_E_INVALID_QUERY;
        read.className.assign(classToken->text);
        read.classOffset = m_tokens.OffsetOf(*classToken);
        return WBEM_S_NO_ERROR;
    }

    const std::wstring& Error() const { return m_error; }

private:
    // ASSOCIATORS OF {path} [WHERE ...]: routed by the class of the path.
    HRESULT ReadAssociation(WbemQueryParser::Selection& read)
    {
        const std::optional<Token> of = Next();
        if (!of)
            return WBEM_E_INVALID_QUERY;
        if (!IsKeyword(*of, L"OF"))
            return Fail(*of, L"OF expected");
        const std::optional<Token> open = Next();
        if (!open)
            return WBEM_E_INVALID_QUERY;
        if (open->text != L"{")
            return Fail(*open, L"{ expected");
        const std::size_t pathStart = m_tokens.OffsetOf(*open) + 1;
        std::optional<Token> token;
        for (token = Next(); token && token->kind != TokenKind::End && token->text != L"}"; token = Next())
        {
        }
        if (!token)
            return WBEM_E_INVALID_QUERY;
        if (token->kind == TokenKind::End)
            return Fail(m_tokens.OffsetOf(*token), L"} expected");
        std::wstring_view path = m_query.substr(pathStart, m_tokens.OffsetOf(*token) - pathStart);
        while (!path.empty() && std::iswspace(static_cast<std::wint_t>(path.front())) != 0)
            path.remove_prefix(1);
        while (!path.empty() && std::iswspace(static_cast<std::wint_t>(path.back())) != 0)
            path.remove_suffix(1);
        WbemPathParser::Result parsed;
        std::wstring pathError;
        if (FAILED(WbemPathParser::Parse(path, &parsed, &pathError)))
        {
            m_error = L"the object path of the association is not valid: " + pathError;
            return WBEM_E_INVALID_QUERY;
        }
        const std::optional<Token> after = Next();
        if (!after || !ReadRest(*after, read.hasWhere))
            return WBEM_E_INVALID_QUERY;
        read.className = std::move(parsed.className);
        read.classOffset = pathStart;
        read.association = true;
        return WBEM_S_NO_ERROR;
    }

    // The rest must still be well formed text: an unterminated string is refused here too.
    bool ReadRest(Token token, bool& hasWhere)
    {
        for (std::optional<Token> rest = token; rest->kind != TokenKind::End;)
        {
            hasWhere = hasWhere || IsKeyword(*rest, L"WHERE");
            rest = Next();
            if (!rest)
                return false;
        }
        return true;
    }

    std::optional<Token> Next()
    {
        std::optional<Token> token = m_tokens.Next();
        if (!token)
            Fail(m_tokens.UnterminatedAt(), L"unterminated string");
        return token;
    }

    HRESULT Fail(const Token& token, std::wstring_view reason)
    {
        return Fail(m_tokens.OffsetOf(token), token.kind == TokenKind::End ? L"unexpected end of text" : reason);
    }

    HRESULT Fail(std::size_t offset, std::wstring_view reason)
    {
        if (m_error.empty())
            m_error = std::wstring(reason) + L" at offset " + std::to_wstring(offset);
        return WBEM_E_INVALID_QUERY;
    }

    std::wstring_view m_query;
    QueryTokens m_tokens;
    std::wstring m_error;
};
}  // namespace

HRESULT WbemQueryParser::Parse(std::wstring_view query, Selection* selection, std::wstring* error)
{
    if (selection == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    Selection read;
    SelectionReader reader(query);
    HRESULT hr = WBEM_E_INVALID_QUERY;
    std::wstring why = L"the query is longer than " + std::to_wstring(kMaxQueryLength) + L" characters";
    if (query.size() <= kMaxQueryLength)
    {
        hr = reader.Read(read);
        why = reader.Error();
    }
    if (FAILED(hr))
    {
        if (error != nullptr)
            *error = why;
        return hr;
    }
    *selection = std::move(read);
    return WBEM_S_NO_ERROR;
}
