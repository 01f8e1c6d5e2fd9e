#include "platform/wmi/WbemQueryParser.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemPathParser.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
#include <optional>

namespace {
enum class TokenKind
{
    End,
    // A name; a dotted name (TargetInstance.Name) is one word.
    Word,
    // A quoted text, quotes included.
    String,
    // A number as WQL writes one: -12, 2.5, .5, 1e3.
    Number,
    // An operator (=, <>, !=, <, <=, >, >=) or any other single character; also a number glued to
    // a name (5abc), which is neither.
    Other,
};

struct Token
{
    TokenKind kind = TokenKind::End;
    std::wstring_view text;
};

bool IsQueryWordChar(wchar_t c)
{
    return c == L'_' || std::iswalnum(static_cast<std::wint_t>(c)) != 0;
}

bool IsQueryDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// Splits the query into words, quoted strings, numbers, operators and single punctuation
// characters; a string that does not end before the text does yields no token (UnterminatedAt
// says where it began).
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
        if (StartsNumber(start))
            return ReadNumber(start);
        if (IsQueryWordChar(c))
        {
            for (;;)
            {
                while (m_position < m_text.size() && IsQueryWordChar(m_text[m_position]))
                    ++m_position;
                if (!At(m_position, L'.') || !StartsName(m_position + 1))
                    break;
                ++m_position;
            }
            return Token{TokenKind::Word, m_text.substr(start, m_position - start)};
        }
        ++m_position;
        const bool twoCharacterOperator = (c == L'<' && (At(m_position, L'>') || At(m_position, L'='))) ||
                                          ((c == L'>' || c == L'!') && At(m_position, L'='));
        if (twoCharacterOperator)
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
            return Token{TokenKind::String, m_text.substr(start, m_position - start)};
        }
        return Token{TokenKind::Other, m_text.substr(start, m_position - start)};
    }

    std::size_t UnterminatedAt() const { return m_unterminatedAt; }
    std::size_t OffsetOf(const Token& token) const
    {
        return static_cast<std::size_t>(token.text.data() - m_text.data());
    }

private:
    bool At(std::size_t position, wchar_t c) const { return position < m_text.size() && m_text[position] == c; }

    bool StartsName(std::size_t position) const
    {
        return position < m_text.size() && IsQueryWordChar(m_text[position]) && !IsQueryDigit(m_text[position]);
    }

    bool StartsNumber(std::size_t position) const
    {
        const auto digitAt = [&](std::size_t at) { return at < m_text.size() && IsQueryDigit(m_text[at]); };
        if (At(position, L'-'))
            ++position;
        return digitAt(position) || (At(position, L'.') && digitAt(position + 1));
    }

    // Digits with an optional fraction and exponent; one glued to a name or a further dot reads
    // on to the end of that run and is no number.
    Token ReadNumber(std::size_t start)
    {
        const auto digits = [&] {
            const std::size_t first = m_position;
            while (m_position < m_text.size() && IsQueryDigit(m_text[m_position]))
                ++m_position;
            return m_position - first;
        };
        m_position = start + (At(start, L'-') ? 1 : 0);
        digits();
        if (At(m_position, L'.'))
        {
            ++m_position;
            digits();
        }
        if (At(m_position, L'e') || At(m_position, L'E'))
        {
            const std::size_t exponent = m_position++;
            if (At(m_position, L'+') || At(m_position, L'-'))
                ++m_position;
            if (digits() == 0)
                m_position = exponent;
        }
        TokenKind kind = TokenKind::Number;
        while (m_position < m_text.size() && (IsQueryWordChar(m_text[m_position]) || m_text[m_position] == L'.'))
        {
            kind = TokenKind::Other;
            ++m_position;
        }
        return Token{kind, m_text.substr(start, m_position - start)};
    }

    std::wstring_view m_text;
    std::size_t m_position = 0;
    std::size_t m_unterminatedAt = 0;
};

bool IsKeyword(const Token& token, std::wstring_view keyword)
{
    return token.kind == TokenKind::Word && WbemName::Equal(token.text, keyword);
}

// Words of the language, which name no property.
constexpr std::wstring_view kReservedWords[] = {L"SELECT", L"FROM", L"WHERE",       L"AND",       L"OR",   L"NOT",
                                                L"IS",     L"ISA",  L"LIKE",        L"NULL",      L"TRUE", L"FALSE",
                                                L"WITHIN", L"OF",   L"ASSOCIATORS", L"REFERENCES"};

bool IsReserved(const Token& token)
{
    return std::any_of(std::begin(kReservedWords), std::end(kReservedWords),
                       [&](std::wstring_view word) { return IsKeyword(token, word); });
}

// A property name, dotted into embedded objects or not.
bool IsPropertyName(const Token& token)
{
    if (token.kind != TokenKind::Word || IsReserved(token))
        return false;
    for (std::wstring_view rest = token.text;;)
    {
        const std::size_t dot = rest.find(L'.');
        if (!WbemName::IsValidIdentifier(rest.substr(0, dot)))
            return false;
        if (dot == std::wstring_view::npos)
            return true;
        rest.remove_prefix(dot + 1);
    }
}

bool IsLiteral(const Token& token)
{
    return token.kind == TokenKind::String || token.kind == TokenKind::Number || IsKeyword(token, L"NULL") ||
           IsKeyword(token, L"TRUE") || IsKeyword(token, L"FALSE");
}

bool IsComparisonOperator(const Token& token)
{
    constexpr std::wstring_view kOperators[] = {L"=", L"<>", L"!=", L"<", L"<=", L">", L">="};
    return token.kind == TokenKind::Other &&
           std::find(std::begin(kOperators), std::end(kOperators), token.text) != std::end(kOperators);
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
        std::optional<Token> after = Next();
        if (!after)
            return WBEM_E_INVALID_QUERY;
        const wchar_t* expected = L"WHERE, WITHIN or end of query expected";
        if (IsKeyword(*after, L"WITHIN"))
        {
            const std::optional<Token> interval = Next();
            if (!interval)
                return WBEM_E_INVALID_QUERY;
            if (interval->kind != TokenKind::Number || interval->text.front() == L'-')
                return Fail(*interval, L"polling interval expected after WITHIN");
            after = Next();
            if (!after)
                return WBEM_E_INVALID_QUERY;
            expected = L"WHERE or end of query expected";
        }
        if (after->kind != TokenKind::End && !IsKeyword(*after, L"WHERE"))
            return Fail(*after, expected);
        read.hasWhere = after->kind != TokenKind::End;
        if (read.hasWhere && FAILED(ReadCondition()))
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

    // The WHERE clause of a SELECT query: conditions joined by AND and OR, each preceded by any
    // NOTs and opening parentheses and followed by closing ones. Read in a loop with a count of
    // open parentheses, so that no nesting, however deep, costs stack.
    HRESULT ReadCondition()
    {
        std::size_t open = 0;
        for (;;)
        {
            std::optional<Token> token = Next();
            for (; token && (IsKeyword(*token, L"NOT") || token->text == L"("); token = Next())
                open += token->text == L"(" ? 1 : 0;
            if (!token || FAILED(ReadComparison(*token)))
                return WBEM_E_INVALID_QUERY;
            token = Next();
            for (; token && token->text == L")" && open > 0; token = Next())
                --open;
            if (!token)
                return WBEM_E_INVALID_QUERY;
            if (IsKeyword(*token, L"AND") || IsKeyword(*token, L"OR"))
                continue;
            if (token->kind == TokenKind::End && open == 0)
                return WBEM_S_NO_ERROR;
            return Fail(*token, open > 0 ? L"AND, OR or ) expected" : L"AND, OR or end of query expected");
        }
    }

    // property op literal, literal op property, property IS [NOT] NULL, property ISA 'class',
    // property [NOT] LIKE 'pattern'. A property is never compared with another property.
    HRESULT ReadComparison(const Token& first)
    {
        if (IsLiteral(first))
        {
            const std::optional<Token> op = Next();
            if (!op)
                return WBEM_E_INVALID_QUERY;
            if (!IsComparisonOperator(*op))
                return Fail(*op, L"comparison operator expected");
            const std::optional<Token> property = Next();
            if (!property)
                return WBEM_E_INVALID_QUERY;
            return IsPropertyName(*property) ? WBEM_S_NO_ERROR : Fail(*property, L"property name expected");
        }
        if (!IsPropertyName(first))
            return Fail(first, first.kind == TokenKind::Word ? L"property name expected" : L"comparison expected");
        std::optional<Token> op = Next();
        if (!op)
            return WBEM_E_INVALID_QUERY;
        const bool keywordOperator =
            IsKeyword(*op, L"IS") || IsKeyword(*op, L"ISA") || IsKeyword(*op, L"NOT") || IsKeyword(*op, L"LIKE");
        if (!keywordOperator && !IsComparisonOperator(*op))
            return Fail(*op, L"comparison operator expected");
        std::optional<Token> operand = Next();
        if (!operand)
            return WBEM_E_INVALID_QUERY;
        if (IsKeyword(*op, L"IS"))
        {
            if (IsKeyword(*operand, L"NOT"))
                operand = Next();
            if (!operand)
                return WBEM_E_INVALID_QUERY;
            return IsKeyword(*operand, L"NULL") ? WBEM_S_NO_ERROR : Fail(*operand, L"NULL expected");
        }
        if (IsKeyword(*op, L"ISA"))
        {
            return operand->kind == TokenKind::String ? WBEM_S_NO_ERROR
                                                      : Fail(*operand, L"class name in quotes expected after ISA");
        }
        if (IsKeyword(*op, L"NOT"))
        {
            if (!IsKeyword(*operand, L"LIKE"))
                return Fail(*operand, L"LIKE expected");
            op = operand;
            operand = Next();
            if (!operand)
                return WBEM_E_INVALID_QUERY;
        }
        if (IsKeyword(*op, L"LIKE"))
        {
            return operand->kind == TokenKind::String ? WBEM_S_NO_ERROR
                                                      : Fail(*operand, L"pattern in quotes expected after LIKE");
        }
        if (IsLiteral(*operand))
            return WBEM_S_NO_ERROR;
        // The commonest slip is a text without its quotes, which reads as a second property.
        if (IsPropertyName(*operand))
            return Fail(m_tokens.OffsetOf(*operand), L"literal expected",
                        L": a text is written in quotes, as '" + std::wstring(operand->text) + L"'");
        return Fail(*operand, L"literal expected");
    }

    // The rest of an association must still be well formed text: an unterminated string is
    // refused here too.
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

    HRESULT Fail(std::size_t offset, std::wstring_view reason, std::wstring_view advice = {})
    {
        if (m_error.empty())
            m_error = std::wstring(reason) + L" at offset " + std::to_wstring(offset) + std::wstring(advice);
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
