#include "framework/wql/WqlSqlTranslator.h"

#include "framework/wql/WqlEvaluator.h"

#include <utility>

#include "framework/wql/WqlLimits.h"

namespace {

bool IsValidIdentifierPart(std::wstring_view part)
{
    if (part.empty() || part.size() > WqlLimits::kMaxIdentifierLength)
        return false;
    for (std::size_t i = 0; i < part.size(); ++i)
    {
        const wchar_t c = part[i];
        const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_';
        const bool digit = c >= L'0' && c <= L'9';
        if (!letter && !(digit && i > 0))
            return false;
    }
    return true;
}

const wchar_t* SqlOperator(WqlOperator op)
{
    switch (op)
    {
    case WqlOpEqual:
        return L" = ?";
    case WqlOpNotEqual:
        return L" <> ?";
    case WqlOpLess:
        return L" < ?";
    case WqlOpLessOrEqual:
        return L" <= ?";
    case WqlOpGreater:
        return L" > ?";
    case WqlOpGreaterOrEqual:
        return L" >= ?";
    case WqlOpLike:
        return L" LIKE ?";
    case WqlOpIsNull:
        return L" IS NULL";
    case WqlOpIsNotNull:
        return L" IS NOT NULL";
    case WqlOpIsa:
        break;
    }
    return nullptr;
}

// WQL compares a property with a string without regard to case; the database's NOCASE
// collation folds ASCII letters as WqlEvaluator does. LIKE folds them by itself, and a number,
// date-time or boolean literal (or a string the mapper turned into bytes or a number) must
// compare exactly.
bool ComparesWithoutCase(const WqlExpression& comparison, const WqlClauseDecision& decision)
{
    switch (decision.Operator)
    {
    case WqlOpEqual:
    case WqlOpNotEqual:
    case WqlOpLess:
    case WqlOpLessOrEqual:
    case WqlOpGreater:
    case WqlOpGreaterOrEqual:
        return comparison.GetLiteral().LiteralKind == WqlLiteral::Kind::String &&
               decision.Value.GetKind() == CDBValue::Kind::Text;
    default:
        return false;
    }
}

}  // namespace

WqlSqlTranslator::WqlSqlTranslator(ClauseProcessor processor) : m_processor(std::move(processor)) {}

bool WqlSqlTranslator::IsColumnIdentifier(const CString& column)
{
    const std::wstring_view text(column.GetWString());
    const std::size_t dot = text.find(L'.');
    if (dot == std::wstring_view::npos)
        return IsValidIdentifierPart(text);
    return IsValidIdentifierPart(text.substr(0, dot)) && IsValidIdentifierPart(text.substr(dot + 1));
}

bool WqlSqlTranslator::Translate(const WqlExpression& expression, WqlSqlCondition& condition, CString& error)
{
    m_condition = WqlSqlCondition{};
    m_error.Empty();
    CString text;
    if (!Walk(expression, false, text))
    {
        error = m_error;
        return false;
    }
    m_condition.Text = text;
    condition = std::move(m_condition);
    return true;
}

void WqlSqlTranslator::AppendConstant(bool negated, CString& text)
{
    // The constant that can only widen the result at this polarity.
    text += negated ? L"1=0" : L"1=1";
    m_condition.Superset = true;
}

bool WqlSqlTranslator::Walk(const WqlExpression& node, bool negated, CString& text)
{
    switch (node.GetKind())
    {
    case WqlExpression::Kind::Not:
        text += L"NOT (";
        if (!Walk(*node.GetOperands().front(), !negated, text))
            return false;
        text += L")";
        return true;
    case WqlExpression::Kind::And:
    case WqlExpression::Kind::Or: {
        const wchar_t* junction = node.GetKind() == WqlExpression::Kind::And ? L" AND " : L" OR ";
        text += L"(";
        bool first = true;
        for (const auto& operand : node.GetOperands())
        {
            if (!first)
                text += junction;
            first = false;
            if (!Walk(*operand, negated, text))
                return false;
        }
        text += L")";
        return true;
    }
    case WqlExpression::Kind::Comparison:
        break;
    }

    WqlClauseDecision decision;
    if (!m_processor(node, decision, m_error))
    {
        if (m_error.IsEmpty())
            m_error = L"comparison refused: " + node.GetProperty();
        return false;
    }
    // A LIKE set ('[(]%') means something else to the database: the rows are checked in memory.
    const bool likeSet = decision.Operator == WqlOpLike && decision.Value.GetKind() == CDBValue::Kind::Text &&
                         WqlEvaluator::LikeNeedsEvaluator(decision.Value.GetUtf8());
    if (decision.Drop || decision.Operator == WqlOpIsa || likeSet)
    {
        AppendConstant(negated, text);
        return true;
    }
    const wchar_t* sqlOperator = IsValidWqlOperator(decision.Operator) ? SqlOperator(decision.Operator) : nullptr;
    if (sqlOperator == nullptr)
    {
        m_error = L"unknown operator for property " + node.GetProperty();
        return false;
    }
    // Only an identifier may become SQL text; a mapper that hands back anything else is refused.
    if (!IsColumnIdentifier(decision.Column))
    {
        m_error = L"property " + node.GetProperty() + L" does not map to a column";
        return false;
    }
    text += decision.Column;
    if (decision.Upper && (decision.Operator == WqlOpEqual || decision.Operator == WqlOpNotEqual))
    {
        text += decision.Operator == WqlOpEqual ? L" BETWEEN ? AND ?" : L" NOT BETWEEN ? AND ?";
        m_condition.Values.push_back(std::move(decision.Value));
        m_condition.Values.push_back(std::move(*decision.Upper));
        return true;
    }
    text += sqlOperator;
    if (ComparesWithoutCase(node, decision))
        text += L" COLLATE NOCASE";
    if (decision.Operator != WqlOpIsNull && decision.Operator != WqlOpIsNotNull)
        m_condition.Values.push_back(std::move(decision.Value));
    return true;
}
