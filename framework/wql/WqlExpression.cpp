#include "framework/wql/WqlExpression.h"

#include <string>
#include <string_view>
#include <utility>

#include "common/StringHelpers.h"
#include "framework/wql/WqlLexer.h"
#include "platform/win32/Calendar.h"

namespace {

bool IsDigitText(const std::wstring& text, std::size_t first, std::size_t count)
{
    for (std::size_t i = first; i < first + count; ++i)
    {
        if (text[i] < L'0' || text[i] > L'9')
            return false;
    }
    return true;
}

int DigitsValue(const std::wstring& text, std::size_t first, std::size_t count)
{
    int value = 0;
    for (std::size_t i = first; i < first + count; ++i)
        value = value * 10 + (text[i] - L'0');
    return value;
}

// yyyymmddHHMMSS.mmmmmmsUUU with every field in range.
bool IsDmtfDateTime(const std::wstring& text)
{
    if (text.size() != 25 || text[14] != L'.' || (text[21] != L'+' && text[21] != L'-'))
        return false;
    if (!IsDigitText(text, 0, 14) || !IsDigitText(text, 15, 6) || !IsDigitText(text, 22, 3))
        return false;
    const int year = DigitsValue(text, 0, 4);
    const int month = DigitsValue(text, 4, 2);
    const int day = DigitsValue(text, 6, 2);
    const int hour = DigitsValue(text, 8, 2);
    const int minute = DigitsValue(text, 10, 2);
    const int second = DigitsValue(text, 12, 2);
    return year >= 1 && calendar::IsValidDate(year, month, day) && hour <= 23 && minute <= 59 && second <= 59;
}

CString QuoteForWql(const CString& text)
{
    std::wstring quoted = L"\"";
    for (wchar_t c : text.GetWString())
    {
        if (c == L'"' || c == L'\\')
            quoted.push_back(L'\\');
        quoted.push_back(c);
    }
    quoted.push_back(L'"');
    return CString(std::move(quoted));
}

// 0x followed by an even, non-zero number of hexadecimal digits.
bool ReadHexBytes(const std::wstring& text, std::vector<BYTE>& bytes)
{
    if (text.size() < 4 || text.size() % 2 != 0 || text[0] != L'0' || (text[1] != L'x' && text[1] != L'X'))
        return false;
    return HexStringToBytes(std::wstring_view(text).substr(2), bytes);
}

const wchar_t* OperatorText(WqlOperator op)
{
    switch (op)
    {
    case WqlOpEqual:
        return L"=";
    case WqlOpNotEqual:
        return L"<>";
    case WqlOpLess:
        return L"<";
    case WqlOpLessOrEqual:
        return L"<=";
    case WqlOpGreater:
        return L">";
    case WqlOpGreaterOrEqual:
        return L">=";
    case WqlOpIsa:
        return L"ISA";
    case WqlOpLike:
        return L"LIKE";
    case WqlOpIsNull:
        return L"IS NULL";
    case WqlOpIsNotNull:
        return L"IS NOT NULL";
    }
    return L"?";
}

}  // namespace

CString WqlLiteral::ToWqlText() const
{
    switch (LiteralKind)
    {
    case Kind::Null:
        return L"NULL";
    case Kind::Boolean:
        return BooleanValue ? L"TRUE" : L"FALSE";
    case Kind::Integer:
    case Kind::Real:
        return Text;
    case Kind::String:
    case Kind::DateTime:
        return QuoteForWql(Text);
    }
    return CString();
}

CString WqlLiteral::ToValueText() const
{
    switch (LiteralKind)
    {
    case Kind::Null:
        return CString();
    case Kind::Boolean:
        return BooleanValue ? L"TRUE" : L"FALSE";
    default:
        return Text;
    }
}

CDBValue WqlLiteral::ToDatabaseValue() const
{
    switch (LiteralKind)
    {
    case Kind::Null:
        return CDBValue();
    case Kind::Boolean:
        return CDBValue(BooleanValue);
    case Kind::Integer:
        return CDBValue(IntegerValue);
    case Kind::Real:
        return CDBValue(RealValue);
    case Kind::String:
    case Kind::DateTime:
        return CDBValue(Text);
    }
    return CDBValue();
}

std::optional<bool> WqlLiteral::ReadBoolean() const
{
    if (LiteralKind == Kind::Boolean)
        return BooleanValue;
    if (LiteralKind != Kind::Integer && LiteralKind != Kind::String)
        return std::nullopt;
    CString text = Text;
    text.Trim();
    if (text.CompareNoCase(L"TRUE") == 0 || text == L"1")
        return true;
    if (text.CompareNoCase(L"FALSE") == 0 || text == L"0")
        return false;
    return std::nullopt;
}

WqlLiteral WqlLiteral::FromString(const CString& text)
{
    WqlLiteral literal;
    literal.LiteralKind = IsDmtfDateTime(text.GetWString()) ? Kind::DateTime : Kind::String;
    literal.Text = text;
    return literal;
}

bool WqlLiteral::FromToken(const WqlToken& token, WqlLiteral& literal)
{
    switch (token.Kind)
    {
    case WqlTokenKind::String:
        literal = FromString(token.Text);
        return true;
    case WqlTokenKind::Integer:
        literal = WqlLiteral{};
        literal.LiteralKind = Kind::Integer;
        literal.IntegerValue = token.IntegerValue;
        literal.Text = token.Text;
        return true;
    case WqlTokenKind::Real:
        literal = WqlLiteral{};
        literal.LiteralKind = Kind::Real;
        literal.RealValue = token.RealValue;
        literal.Text = token.Text;
        return true;
    case WqlTokenKind::Identifier:
        literal = WqlLiteral{};
        if (token.IsKeyword(L"NULL"))
            return true;
        if (token.IsKeyword(L"TRUE") || token.IsKeyword(L"FALSE"))
        {
            literal.LiteralKind = Kind::Boolean;
            literal.BooleanValue = token.IsKeyword(L"TRUE");
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool WqlLiteral::FromWqlText(const CString& text, WqlLiteral& literal, CDBValue& value)
{
    std::vector<BYTE> bytes;
    if (ReadHexBytes(text.GetWString(), bytes))
    {
        literal = WqlLiteral{};
        literal.LiteralKind = Kind::String;
        literal.Text = text;
        value = CDBValue::FromBytes(std::move(bytes));
        return true;
    }
    WqlLexer lexer(text.GetWString());
    const WqlToken token = lexer.Next();
    if (lexer.Next().Kind != WqlTokenKind::End)
        return false;
    if (!FromToken(token, literal))
        return false;
    value = literal.ToDatabaseValue();
    return true;
}

std::unique_ptr<WqlExpression> WqlExpression::MakeComparison(const CString& property, WqlOperator op,
                                                             const WqlLiteral& literal)
{
    auto node = std::make_unique<WqlExpression>(ConstructionKey{}, Kind::Comparison);
    node->m_property = property;
    node->m_operator = op;
    node->m_literal = literal;
    return node;
}

std::unique_ptr<WqlExpression> WqlExpression::MakeJunction(Kind kind,
                                                           std::vector<std::unique_ptr<WqlExpression>> operands)
{
    auto node = std::make_unique<WqlExpression>(ConstructionKey{}, kind);
    for (auto& operand : operands)
    {
        if (operand->m_kind == kind)
        {
            for (auto& inner : operand->m_operands)
                node->m_operands.push_back(std::move(inner));
        }
        else
            node->m_operands.push_back(std::move(operand));
    }
    return node;
}

std::unique_ptr<WqlExpression> WqlExpression::MakeNot(std::unique_ptr<WqlExpression> operand)
{
    auto node = std::make_unique<WqlExpression>(ConstructionKey{}, Kind::Not);
    node->m_operands.push_back(std::move(operand));
    return node;
}

std::unique_ptr<WqlExpression> WqlExpression::Clone() const
{
    auto copy = std::make_unique<WqlExpression>(ConstructionKey{}, m_kind);
    copy->m_property = m_property;
    copy->m_operator = m_operator;
    copy->m_literal = m_literal;
    copy->m_operands.reserve(m_operands.size());
    for (const auto& operand : m_operands)
        copy->m_operands.push_back(operand->Clone());
    return copy;
}

CString WqlExpression::ToString() const
{
    switch (m_kind)
    {
    case Kind::Comparison: {
        CString text = m_property + L" " + OperatorText(m_operator);
        if (m_operator != WqlOpIsNull && m_operator != WqlOpIsNotNull)
            text += L" " + m_literal.ToWqlText();
        return text;
    }
    case Kind::Not:
        // A junction operand prints its own parentheses; a comparison needs none after NOT.
        return L"NOT " + m_operands.front()->ToString();
    case Kind::And:
    case Kind::Or: {
        CString text = L"(";
        for (std::size_t i = 0; i < m_operands.size(); ++i)
        {
            if (i > 0)
                text += m_kind == Kind::And ? L" AND " : L" OR ";
            text += m_operands[i]->ToString();
        }
        return text + L")";
    }
    }
    return CString();
}
