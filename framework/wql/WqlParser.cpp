#include "framework/wql/WqlParser.h"

#include <string>
#include <utility>

#include "framework/wql/WqlLimits.h"

namespace {

// Words that cannot name a property or a class.
constexpr const wchar_t* kReservedWords[] = {L"SELECT", L"FROM", L"WHERE",       L"AND",       L"OR",   L"NOT",
                                             L"IS",     L"ISA",  L"LIKE",        L"NULL",      L"TRUE", L"FALSE",
                                             L"WITHIN", L"OF",   L"ASSOCIATORS", L"REFERENCES"};

bool IsReserved(const WqlToken& token)
{
    for (const wchar_t* word : kReservedWords)
    {
        if (token.IsKeyword(word))
            return true;
    }
    return false;
}

bool IsComparisonToken(WqlTokenKind kind)
{
    switch (kind)
    {
    case WqlTokenKind::Equal:
    case WqlTokenKind::NotEqual:
    case WqlTokenKind::Less:
    case WqlTokenKind::LessOrEqual:
    case WqlTokenKind::Greater:
    case WqlTokenKind::GreaterOrEqual:
        return true;
    default:
        return false;
    }
}

WqlOperator OperatorOf(WqlTokenKind kind)
{
    switch (kind)
    {
    case WqlTokenKind::NotEqual:
        return WqlOpNotEqual;
    case WqlTokenKind::Less:
        return WqlOpLess;
    case WqlTokenKind::LessOrEqual:
        return WqlOpLessOrEqual;
    case WqlTokenKind::Greater:
        return WqlOpGreater;
    case WqlTokenKind::GreaterOrEqual:
        return WqlOpGreaterOrEqual;
    default:
        return WqlOpEqual;
    }
}

// "5 < X" is "X > 5".
WqlOperator Mirror(WqlOperator op)
{
    switch (op)
    {
    case WqlOpLess:
        return WqlOpGreater;
    case WqlOpLessOrEqual:
        return WqlOpGreaterOrEqual;
    case WqlOpGreater:
        return WqlOpLess;
    case WqlOpGreaterOrEqual:
        return WqlOpLessOrEqual;
    default:
        return op;
    }
}

struct AssociationKeyword
{
    const wchar_t* Name;
    bool TakesValue;
    bool AllowedForReferences;
};

constexpr AssociationKeyword kAssociationKeywords[] = {
    {L"ASSOCCLASS", true, false},    {L"RESULTCLASS", true, true},       {L"RESULTROLE", true, false},
    {L"ROLE", true, true},           {L"REQUIREDQUALIFIER", true, true}, {L"REQUIREDASSOCQUALIFIER", true, false},
    {L"CLASSDEFSONLY", false, true}, {L"SCHEMAONLY", false, true}};

}  // namespace

WqlParser::WqlParser(std::wstring_view text) : m_text(text), m_lexer(text) {}

bool WqlParser::Fail(std::size_t position, const wchar_t* reason)
{
    if (m_error.IsEmpty())
        m_error.Format(L"%s at offset %d", reason, static_cast<int>(position));
    return false;
}

bool WqlParser::Fail(const WqlToken& token, const wchar_t* reason)
{
    if (token.Kind == WqlTokenKind::Error)
        return Fail(token.Position, token.Text.GetString());
    // At the end of the text the person still learns what was expected there.
    if (token.Kind == WqlTokenKind::End)
        return Fail(token.Position, (CString(L"unexpected end of text: ") + reason).GetString());
    return Fail(token.Position, reason);
}

bool WqlParser::ParseQuery(std::wstring_view text, WqlParsedQuery& query, CString& error)
{
    query = WqlParsedQuery{};
    if (text.size() > WqlLimits::kMaxQueryLength)
    {
        error = L"query text too long";
        return false;
    }
    WqlParser parser(text);
    WqlParsedQuery parsed;
    if (!parser.ParseWholeQuery(parsed))
    {
        error = parser.m_error;
        return false;
    }
    query = std::move(parsed);
    return true;
}

std::unique_ptr<WqlExpression> WqlParser::ParseWhereText(std::wstring_view text, CString& error)
{
    if (text.size() > WqlLimits::kMaxQueryLength)
    {
        error = L"WHERE text too long";
        return nullptr;
    }
    WqlParser parser(text);
    const WqlToken where = parser.m_lexer.Next();
    if (!where.IsKeyword(L"WHERE"))
    {
        parser.Fail(where, L"WHERE expected");
        error = parser.m_error;
        return nullptr;
    }
    auto expression = parser.ParseWhereClauseBody();
    if (!expression)
        error = parser.m_error;
    return expression;
}

bool WqlParser::IsReservedWord(std::wstring_view word)
{
    WqlToken token;
    token.Kind = WqlTokenKind::Identifier;
    token.Text = CString(std::wstring(word));
    return IsReserved(token);
}

bool WqlParser::ExpectEnd()
{
    const WqlToken token = m_lexer.Next();
    if (token.Kind != WqlTokenKind::End)
        return Fail(token, L"unexpected text after the end of the query");
    return true;
}

bool WqlParser::ParseWholeQuery(WqlParsedQuery& query)
{
    const WqlToken first = m_lexer.Next();
    if (first.IsKeyword(L"SELECT"))
        return ParseSelect(query);
    if (first.IsKeyword(L"ASSOCIATORS"))
        return ParseAssociation(query, false);
    if (first.IsKeyword(L"REFERENCES"))
        return ParseAssociation(query, true);
    return Fail(first, L"SELECT, ASSOCIATORS or REFERENCES expected");
}

bool WqlParser::ReadPropertyName(const WqlToken& token, CString& name)
{
    if (token.Kind != WqlTokenKind::Identifier || IsReserved(token))
        return Fail(token, L"property name expected");
    name = token.Text;
    return true;
}

bool WqlParser::ParseSelect(WqlParsedQuery& query)
{
    query.QueryKind = WqlQueryKind::Select;
    WqlToken token = m_lexer.Next();
    if (token.Kind == WqlTokenKind::Star)
        query.SelectAll = true;
    else
    {
        for (;;)
        {
            CString name;
            if (!ReadPropertyName(token, name))
                return false;
            if (query.SelectedProperties.size() >= WqlLimits::kMaxSelectedProperties)
                return Fail(token, L"too many selected properties");
            query.SelectedProperties.push_back(name);
            if (m_lexer.Peek().Kind != WqlTokenKind::Comma)
                break;
            m_lexer.Next();
            token = m_lexer.Next();
        }
    }

    token = m_lexer.Next();
    if (!token.IsKeyword(L"FROM"))
        return Fail(token, L"FROM expected");
    token = m_lexer.Next();
    if (token.Kind != WqlTokenKind::Identifier || IsReserved(token) || token.Text.Find(L'.') >= 0)
        return Fail(token, L"class name expected");
    query.ClassName = token.Text;

    if (m_lexer.Peek().IsKeyword(L"WITHIN"))
    {
        m_lexer.Next();
        token = m_lexer.Next();
        if ((token.Kind != WqlTokenKind::Integer && token.Kind != WqlTokenKind::Real) || token.Text[0] == L'-')
            return Fail(token, L"polling interval expected after WITHIN");
    }

    token = m_lexer.Next();
    if (token.Kind == WqlTokenKind::End)
        return true;
    if (!token.IsKeyword(L"WHERE"))
        return Fail(token, L"WHERE or end of query expected");
    std::wstring where(m_text.substr(token.Position));
    while (!where.empty() &&
           (where.back() == L' ' || where.back() == L'\t' || where.back() == L'\r' || where.back() == L'\n'))
        where.pop_back();
    query.WhereText = CString(std::move(where));
    query.Where = ParseWhereClauseBody();
    return query.Where != nullptr;
}

bool WqlParser::ParseAssociation(WqlParsedQuery& query, bool references)
{
    query.QueryKind = references ? WqlQueryKind::References : WqlQueryKind::Associators;
    WqlToken token = m_lexer.Next();
    if (!token.IsKeyword(L"OF"))
        return Fail(token, L"OF expected");
    token = m_lexer.Next();
    if (token.Kind != WqlTokenKind::LeftBrace)
        return Fail(token, L"{ expected");
    if (!m_lexer.ReadRawUntilRightBrace(query.ObjectPath))
        return Fail(token.Position, L"unterminated object path");
    query.ObjectPath.Trim();

    token = m_lexer.Next();
    if (token.Kind == WqlTokenKind::End)
        return true;
    if (!token.IsKeyword(L"WHERE"))
        return Fail(token, L"WHERE or end of query expected");
    token = m_lexer.Next();
    if (token.Kind == WqlTokenKind::End)
        return Fail(token, L"association keyword expected");
    while (token.Kind != WqlTokenKind::End)
    {
        const AssociationKeyword* keyword = nullptr;
        for (const auto& candidate : kAssociationKeywords)
        {
            if (token.IsKeyword(candidate.Name) && (!references || candidate.AllowedForReferences))
                keyword = &candidate;
        }
        if (keyword == nullptr)
            return Fail(token, L"association keyword expected");
        if (query.AssociationQualifiers.count(token.Text) != 0)
            return Fail(token, L"association keyword repeated");
        CString value;
        if (keyword->TakesValue)
        {
            const WqlToken equal = m_lexer.Next();
            if (equal.Kind != WqlTokenKind::Equal)
                return Fail(equal, L"= expected");
            const WqlToken name = m_lexer.Next();
            if (name.Kind != WqlTokenKind::Identifier || name.Text.Find(L'.') >= 0)
                return Fail(name, L"name expected");
            value = name.Text;
        }
        query.AssociationQualifiers[token.Text] = value;
        token = m_lexer.Next();
    }
    return true;
}

std::unique_ptr<WqlExpression> WqlParser::ParseWhereClauseBody()
{
    auto expression = ParseOr(0);
    if (!expression || !ExpectEnd())
        return nullptr;
    return expression;
}

std::unique_ptr<WqlExpression> WqlParser::ParseOr(int depth)
{
    auto first = ParseAnd(depth);
    if (!first)
        return nullptr;
    if (!m_lexer.Peek().IsKeyword(L"OR"))
        return first;
    std::vector<std::unique_ptr<WqlExpression>> operands;
    operands.push_back(std::move(first));
    while (m_lexer.Peek().IsKeyword(L"OR"))
    {
        m_lexer.Next();
        auto next = ParseAnd(depth);
        if (!next)
            return nullptr;
        operands.push_back(std::move(next));
    }
    return WqlExpression::MakeJunction(WqlExpression::Kind::Or, std::move(operands));
}

std::unique_ptr<WqlExpression> WqlParser::ParseAnd(int depth)
{
    auto first = ParseFactor(depth);
    if (!first)
        return nullptr;
    if (!m_lexer.Peek().IsKeyword(L"AND"))
        return first;
    std::vector<std::unique_ptr<WqlExpression>> operands;
    operands.push_back(std::move(first));
    while (m_lexer.Peek().IsKeyword(L"AND"))
    {
        m_lexer.Next();
        auto next = ParseFactor(depth);
        if (!next)
            return nullptr;
        operands.push_back(std::move(next));
    }
    return WqlExpression::MakeJunction(WqlExpression::Kind::And, std::move(operands));
}

std::unique_ptr<WqlExpression> WqlParser::ParseFactor(int depth)
{
    const WqlToken& next = m_lexer.Peek();
    if (next.IsKeyword(L"NOT") || next.Kind == WqlTokenKind::LeftParen)
    {
        // Hostile nesting must not exhaust the stack: every NOT and '(' counts.
        if (depth >= WqlLimits::kMaxNestingDepth)
        {
            Fail(next.Position, L"expression nested too deeply");
            return nullptr;
        }
        const WqlToken token = m_lexer.Next();
        if (token.Kind == WqlTokenKind::LeftParen)
        {
            auto inner = ParseOr(depth + 1);
            if (!inner)
                return nullptr;
            const WqlToken close = m_lexer.Next();
            if (close.Kind != WqlTokenKind::RightParen)
            {
                Fail(close, L") expected");
                return nullptr;
            }
            return inner;
        }
        auto operand = ParseFactor(depth + 1);
        if (!operand)
            return nullptr;
        return WqlExpression::MakeNot(std::move(operand));
    }
    return ParseComparison();
}

std::unique_ptr<WqlExpression> WqlParser::ParseComparison()
{
    const WqlToken first = m_lexer.Next();
    if (++m_comparisons > WqlLimits::kMaxComparisons)
    {
        Fail(first.Position, L"too many comparisons");
        return nullptr;
    }

    // literal op property
    if (first.Kind != WqlTokenKind::Identifier || first.IsKeyword(L"NULL") || first.IsKeyword(L"TRUE") ||
        first.IsKeyword(L"FALSE"))
    {
        WqlLiteral literal;
        if (!WqlLiteral::FromToken(first, literal))
        {
            Fail(first, L"comparison expected");
            return nullptr;
        }
        const WqlToken op = m_lexer.Next();
        if (!IsComparisonToken(op.Kind))
        {
            Fail(op, L"comparison operator expected");
            return nullptr;
        }
        CString property;
        if (!ReadPropertyName(m_lexer.Next(), property))
            return nullptr;
        WqlOperator code = Mirror(OperatorOf(op.Kind));
        if (literal.LiteralKind == WqlLiteral::Kind::Null && (code == WqlOpEqual || code == WqlOpNotEqual))
            code = code == WqlOpEqual ? WqlOpIsNull : WqlOpIsNotNull;
        return WqlExpression::MakeComparison(property, code, literal);
    }

    CString property;
    if (!ReadPropertyName(first, property))
        return nullptr;
    const WqlToken op = m_lexer.Next();
    if (op.IsKeyword(L"IS"))
    {
        WqlToken token = m_lexer.Next();
        WqlOperator code = WqlOpIsNull;
        if (token.IsKeyword(L"NOT"))
        {
            code = WqlOpIsNotNull;
            token = m_lexer.Next();
        }
        if (!token.IsKeyword(L"NULL"))
        {
            Fail(token, L"NULL expected");
            return nullptr;
        }
        return WqlExpression::MakeComparison(property, code, WqlLiteral{});
    }
    if (op.IsKeyword(L"ISA") || op.IsKeyword(L"LIKE"))
    {
        const WqlToken operand = m_lexer.Next();
        if (operand.Kind != WqlTokenKind::String)
        {
            Fail(operand, op.IsKeyword(L"ISA") ? L"class name in quotes expected after ISA"
                                               : L"pattern in quotes expected after LIKE");
            return nullptr;
        }
        WqlLiteral literal;
        literal.LiteralKind = WqlLiteral::Kind::String;
        literal.Text = operand.Text;
        return WqlExpression::MakeComparison(property, op.IsKeyword(L"ISA") ? WqlOpIsa : WqlOpLike, literal);
    }
    if (!IsComparisonToken(op.Kind))
    {
        Fail(op, L"comparison operator expected");
        return nullptr;
    }
    const WqlToken value = m_lexer.Next();
    WqlLiteral literal;
    if (!WqlLiteral::FromToken(value, literal))
    {
        Fail(value, L"literal expected");
        return nullptr;
    }
    WqlOperator code = OperatorOf(op.Kind);
    if (literal.LiteralKind == WqlLiteral::Kind::Null && (code == WqlOpEqual || code == WqlOpNotEqual))
        code = code == WqlOpEqual ? WqlOpIsNull : WqlOpIsNotNull;
    return WqlExpression::MakeComparison(property, code, literal);
}
