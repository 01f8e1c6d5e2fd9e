#include "platform/wmi/WbemQueryParser.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"

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
// that does not end before the text does yields no token.
class QueryTokens
{
public:
    explicit QueryTokens(std::wstring_view text) : m_text(text) {}

    std::optional<Token> Next()
    {
        while (m_position < m_text.size() && std::iswspace(static_cast<std::wint_t>(m_text[m_position])) != 0)
            ++m_position;
        if (m_position >= m_text.size())
            return Token{};
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
                if (m_position >= m_text.size())
                    return std::nullopt;
                const wchar_t inside = m_text[m_position++];
                if (inside == c)
                    break;
                if (inside == L'\\')
                {
                    if (m_position >= m_text.size())
                        return std::nullopt;
                    ++m_position;
                }
            }
        }
        return Token{TokenKind::Other, m_text.substr(start, m_position - start)};
    }

private:
    std::wstring_view m_text;
    std::size_t m_position = 0;
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

HRESULT WbemQueryParser::SelectedClass(std::wstring_view query, std::wstring* className, bool* hasWhere)
{
    if (className == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    Selection selection;
    const HRESULT hr = Parse(query, &selection);
    if (FAILED(hr))
        return hr;
    *className = std::move(selection.className);
    if (hasWhere != nullptr)
        *hasWhere = selection.hasWhere;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemQueryParser::Parse(std::wstring_view query, Selection* selection)
{
    if (selection == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (query.size() > kMaxQueryLength)
        return WBEM_E_INVALID_QUERY;
    QueryTokens tokens(query);
    std::optional<Token> token = tokens.Next();
    if (!token)
        return WBEM_E_INVALID_QUERY;
    if (IsKeyword(*token, L"ASSOCIATORS") || IsKeyword(*token, L"REFERENCES"))
    {
        const std::optional<Token> of = tokens.Next();
        return of && IsKeyword(*of, L"OF") ? WBEM_E_NOT_SUPPORTED : WBEM_E_INVALID_QUERY;
    }
    if (!IsKeyword(*token, L"SELECT"))
        return WBEM_E_INVALID_QUERY;
    // The select list: "*" alone, or names separated by commas.
    Selection read;
    bool all = false;
    bool expectName = true;
    for (;;)
    {
        token = tokens.Next();
        if (!token || token->kind == TokenKind::End)
            return WBEM_E_INVALID_QUERY;
        if (IsKeyword(*token, L"FROM"))
            break;
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
            return WBEM_E_INVALID_QUERY;
        expectName = false;
    }
    const std::optional<Token> classToken = tokens.Next();
    if (expectName || !classToken || classToken->kind != TokenKind::Word ||
        !WbemName::IsValidIdentifier(classToken->text))
        return WBEM_E_INVALID_QUERY;
    const std::optional<Token> after = tokens.Next();
    if (!after)
        return WBEM_E_INVALID_QUERY;
    if (after->kind != TokenKind::End && !IsKeyword(*after, L"WHERE") && !IsKeyword(*after, L"WITHIN"))
        return WBEM_E_INVALID_QUERY;
    // The rest must still be well formed text: an unterminated string is refused here too.
    for (std::optional<Token> rest = after; rest->kind != TokenKind::End;)
    {
        read.hasWhere = read.hasWhere || IsKeyword(*rest, L"WHERE");
        rest = tokens.Next();
        if (!rest)
            return WBEM_E_INVALID_QUERY;
    }
    read.className.assign(classToken->text);
    read.classOffset = static_cast<std::size_t>(classToken->text.data() - query.data());
    *selection = std::move(read);
    return WBEM_S_NO_ERROR;
}
