#include "framework/CWmipQuery.h"

#include <string>
#include <utility>

#include "framework/DateTimeText.h"
#include "framework/IWmipClauseProcessor.h"
#include "framework/CWmipMessages.h"
#include "framework/wql/WqlNumber.h"
#include "framework/wql/WqlParser.h"
#include "framework/wql/WqlSqlTranslator.h"
#include "inhouse/BntCoreDb/CDBException.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kQuerySourceFile = L"CWmipQuery.cpp";

bool IsOrderOperator(WqlOperator op)
{
    return op >= WqlOpEqual && op <= WqlOpGreaterOrEqual;
}

// A number (or a text that reads as one) compared with an integer property becomes the exact
// comparison it stands for with a 64-bit integer: bound as the double nearest to it, the
// database would take 9.007199254740993e15 for 2^53 and select that record instead.
void BindExactInteger(WqlOperator& op, WqlLiteral& literal)
{
    WqlNumber number;
    if (!IsOrderOperator(op) || (!literal.IsNumber() && literal.LiteralKind != WqlLiteral::Kind::String) ||
        !WqlNumber::Read(CStringToUtf8(literal.Text), number))
        return;
    const WqlNumber::IntegerComparison exact = number.AgainstInteger(op);
    op = exact.Operator;
    literal = WqlLiteral{};
    literal.LiteralKind = WqlLiteral::Kind::Integer;
    literal.IntegerValue = exact.Bound;
    literal.Text = CString(std::to_wstring(exact.Bound));
}

// A date-time column holds one instant as several texts ("09:00:00", "09:00:00.000") and a
// fraction finer than the microsecond the doors serve: a date-time compared with it spans the
// column texts of the microsecond it names (DateTimeText::FormatColumn to
// FormatColumnMicrosecondEnd), so that a stored fraction compares as the instant it is and a
// served value selects its row again. A value that is no column date-time is left as it is.
void SpanMicrosecond(WqlClauseDecision& decision)
{
    if (!IsOrderOperator(decision.Operator) || decision.Value.GetKind() != CDBValue::Kind::Text)
        return;
    DateTimeText::Parts parts;
    try
    {
        if (!DateTimeText::FromTimestamp(decision.Value.AsTimestamp(), parts))
            return;
    }
    catch (const CDBException&)
    {
        return;
    }
    const CDBValue first(DateTimeText::FormatColumn(parts));
    const CDBValue last(DateTimeText::FormatColumnMicrosecondEnd(parts));
    switch (decision.Operator)
    {
    case WqlOpEqual:
    case WqlOpNotEqual:
        decision.Value = first;
        decision.Upper = last;
        return;
    case WqlOpLess:
    case WqlOpGreaterOrEqual:
        decision.Value = first;
        return;
    default:
        decision.Value = last;
        return;
    }
}

bool IsBlank(const CString& text)
{
    for (wchar_t c : text.GetWString())
    {
        if (c != L' ' && c != L'\t' && c != L'\r' && c != L'\n')
            return false;
    }
    return true;
}

}  // namespace

CWmipQuery::CWmipQuery() = default;

CWmipQuery::~CWmipQuery() = default;

CWmipQuery::CWmipQuery(const CWmipQuery& other)
    : m_kind(other.m_kind), m_className(other.m_className), m_selectAll(other.m_selectAll),
      m_selectedProperties(other.m_selectedProperties), m_objectPath(other.m_objectPath),
      m_associationQualifiers(other.m_associationQualifiers), m_whereText(other.m_whereText),
      m_where(other.m_where ? other.m_where->Clone() : nullptr), m_whereError(other.m_whereError),
      m_mapper(other.m_mapper), m_columnResolver(other.m_columnResolver), m_whereClause(other.m_whereClause),
      m_whereParameters(other.m_whereParameters), m_superset(other.m_superset),
      m_captureWhereValues(other.m_captureWhereValues), m_whereValues(other.m_whereValues)
{
}

CWmipQuery& CWmipQuery::operator=(const CWmipQuery& other)
{
    if (this != &other)
    {
        CWmipQuery copy(other);
        std::swap(m_kind, copy.m_kind);
        std::swap(m_className, copy.m_className);
        std::swap(m_selectAll, copy.m_selectAll);
        std::swap(m_selectedProperties, copy.m_selectedProperties);
        std::swap(m_objectPath, copy.m_objectPath);
        std::swap(m_associationQualifiers, copy.m_associationQualifiers);
        std::swap(m_whereText, copy.m_whereText);
        std::swap(m_where, copy.m_where);
        std::swap(m_whereError, copy.m_whereError);
        std::swap(m_mapper, copy.m_mapper);
        std::swap(m_columnResolver, copy.m_columnResolver);
        std::swap(m_whereClause, copy.m_whereClause);
        std::swap(m_whereParameters, copy.m_whereParameters);
        std::swap(m_superset, copy.m_superset);
        std::swap(m_captureWhereValues, copy.m_captureWhereValues);
        std::swap(m_whereValues, copy.m_whereValues);
    }
    return *this;
}

std::unique_ptr<CWmipQuery> CWmipQuery::CreateFromQuery(const wchar_t* wql)
{
    CString error;
    return CreateFromQuery(wql, error);
}

std::unique_ptr<CWmipQuery> CWmipQuery::CreateFromObjectPath(const CWmipObjectPath& path)
{
    CString whereText;
    std::unique_ptr<WqlExpression> where;
    if (!path.GetKeyCondition(whereText, where))
        return nullptr;
    auto query = std::make_unique<CWmipQuery>();
    query->m_kind = WqlQueryKind::Select;
    query->m_selectAll = true;
    query->m_className = path.GetClassName();
    query->m_whereText = whereText;
    query->m_where = std::move(where);
    return query;
}

std::unique_ptr<CWmipQuery> CWmipQuery::CreateFromQuery(const wchar_t* wql, CString& error)
{
    error.Empty();
    if (wql == nullptr)
    {
        error = L"no query text";
        return nullptr;
    }
    WqlParsedQuery parsed;
    if (!WqlParser::ParseQuery(wql, parsed, error))
        return nullptr;
    auto query = std::make_unique<CWmipQuery>();
    query->m_kind = parsed.QueryKind;
    query->m_selectAll = parsed.SelectAll;
    query->m_selectedProperties = std::move(parsed.SelectedProperties);
    switch (parsed.QueryKind)
    {
    case WqlQueryKind::Select:
        query->m_className = parsed.ClassName;
        query->m_whereText = parsed.WhereText;
        query->m_where = std::move(parsed.Where);
        return query;
    case WqlQueryKind::Associators:
    case WqlQueryKind::References: {
        auto path = CWmipObjectPath::CreateFromPath(parsed.ObjectPath.GetString());
        if (!path)
        {
            error = L"the object path of the association is not valid";
            return nullptr;
        }
        query->m_className = path->GetClassName();
        query->m_objectPath = std::move(*path);
        query->m_associationQualifiers = std::move(parsed.AssociationQualifiers);
        return query;
    }
    case WqlQueryKind::None:
        break;
    }
    // A kind the parser does not name is an error, never taken for one it knows.
    error = L"the text is no query of a known kind";
    return nullptr;
}

void CWmipQuery::SetWhereText(const CString& whereText)
{
    m_whereText = whereText;
    m_where.reset();
    m_whereError.Empty();
    m_whereClause.Empty();
    m_whereParameters.clear();
    m_superset = false;
    if (!IsBlank(m_whereText))
        m_where = WqlParser::ParseWhereText(m_whereText.GetWString(), m_whereError);
}

CWmipQuery::ColumnResolver CWmipQuery::MakeColumnResolver(std::vector<CString> registeredColumns)
{
    return [columns = std::move(registeredColumns)](const CString& column) {
        const bool qualified = column.Find(L'.') >= 0;
        CString found;
        for (const CString& registered : columns)
        {
            if (qualified)
            {
                if (registered.CompareNoCase(column) == 0)
                    return column;
                continue;
            }
            const int dot = registered.Find(L'.');
            if (dot < 0 || registered.Mid(dot + 1).CompareNoCase(column) != 0)
                continue;
            if (!found.IsEmpty() && found.CompareNoCase(registered) != 0)
                return CString();
            found = registered;
        }
        return found;
    };
}

bool CWmipQuery::ProcessComparison(const WqlExpression& comparison, WqlClauseDecision& decision, CString& error)
{
    WqlLiteral literal = comparison.GetLiteral();
    WqlOperator op = comparison.GetOperator();
    if (m_captureWhereValues && op != WqlOpIsNull && op != WqlOpIsNotNull &&
        literal.LiteralKind != WqlLiteral::Kind::Null)
        m_whereValues.emplace(comparison.GetProperty(), literal.ToValueText());

    const CIMTYPE type = m_propertyType ? m_propertyType(comparison.GetProperty()) : CIM_EMPTY;
    if (IsIntegerCimType(type))
        BindExactInteger(op, literal);

    CString property = comparison.GetProperty();
    int code = op;
    const CString wqlLiteral = literal.ToWqlText();
    CString literalText = wqlLiteral;
    CString extra;
    const ProcessClauseResult result = m_mapper->ProcessClause(property, code, literalText, extra);

    if (result == ProcessClauseDrop || code == WqlOpIsa)
    {
        decision.Drop = true;
        return true;
    }
    if (result != ProcessClauseKeep && result != ProcessClausePlain)
    {
        error.Format(L"unexpected answer %d for property %s", static_cast<int>(result),
                     comparison.GetProperty().GetString());
        return false;
    }
    if (!IsValidWqlOperator(code))
    {
        error = L"unknown operator for property " + comparison.GetProperty();
        return false;
    }
    // A plain comparison names its column with request text: only a property of the class
    // passes (a bare column name could probe columns no property exposes), and only when it
    // is a registered column.
    if (result == ProcessClausePlain && m_propertyCheck && !m_propertyCheck(comparison.GetProperty()))
    {
        error = L"property " + comparison.GetProperty() + L" is not a property of class " + m_className;
        return false;
    }
    if (result == ProcessClausePlain)
    {
        const CString column = m_columnResolver ? m_columnResolver(property) : CString();
        if (column.IsEmpty())
        {
            error = L"property " + comparison.GetProperty() + L" is not a registered column of class " + m_className;
            return false;
        }
        property = column;
    }
    decision.Column = property;
    decision.Operator = static_cast<WqlOperator>(code);
    if (literalText == wqlLiteral)
        decision.Value = literal.ToDatabaseValue();
    else
    {
        WqlLiteral reformatted;
        if (!WqlLiteral::FromWqlText(literalText, reformatted, decision.Value))
            decision.Value = CDBValue(literalText);
    }
    if (type == CIM_DATETIME)
        SpanMicrosecond(decision);
    return true;
}

HRESULT CWmipQuery::TranslateWhereClause()
{
    m_whereClause.Empty();
    m_whereParameters.clear();
    m_superset = false;
    if (IsBlank(m_whereText))
        return S_OK;
    if (!m_where)
        throw CWMIException(kQuerySourceFile, __LINE__, WBEM_E_INVALID_QUERY,
                            (CString(CWmipMessages::kWhereNotParsed) + m_whereError).GetString());
    if (m_mapper == nullptr)
        throw CWMIException(kQuerySourceFile, __LINE__, WBEM_E_FAILED, CWmipMessages::kQueryWithoutMapper);

    WqlSqlTranslator translator([this](const WqlExpression& comparison, WqlClauseDecision& decision, CString& error) {
        return ProcessComparison(comparison, decision, error);
    });
    WqlSqlCondition condition;
    CString error;
    if (!translator.Translate(*m_where, condition, error))
        throw CWMIException(kQuerySourceFile, __LINE__, WBEM_E_INVALID_QUERY,
                            (CString(CWmipMessages::kWhereNotTranslated) + error).GetString());
    m_whereClause = condition.Text;
    m_whereParameters = std::move(condition.Values);
    m_superset = condition.Superset;
    return S_OK;
}

bool CWmipQuery::Matches(const WqlPropertySource& instance) const
{
    if (IsBlank(m_whereText))
        return true;
    return m_where != nullptr && WqlEvaluator::Matches(*m_where, instance);
}
