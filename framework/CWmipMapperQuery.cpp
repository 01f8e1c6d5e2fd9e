// CWmipMapper: taking a query (its names checked against the class) and the WQL literals of
// its WHERE clause.
#include "framework/CWmipMapper.h"

#include "framework/CWmipCallerDefinition.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipQuery.h"
#include "framework/CWmipQueryRefusal.h"
#include "framework/DateTimeText.h"
#include "framework/WMIHelper.h"
#include "framework/wql/WqlExpression.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <functional>
#include <memory>
#include <optional>

using brontel::utility::CWMIException;

namespace {

constexpr const wchar_t* kMapperQuerySourceFile = L"wpmapper.cpp";

// The first property a comparison of the expression names for which `test` holds; empty
// when there is none.
CString FirstPropertyWhere(const WqlExpression& expression, const std::function<bool(const CString&)>& test)
{
    if (expression.GetKind() == WqlExpression::Kind::Comparison)
        return test(expression.GetProperty()) ? expression.GetProperty() : CString();
    for (const std::unique_ptr<WqlExpression>& operand : expression.GetOperands())
    {
        const CString found = FirstPropertyWhere(*operand, test);
        if (!found.IsEmpty())
            return found;
    }
    return CString();
}

// Refuses the first comparison whose literal its property's type cannot hold
// (CWmipQueryRefusal::CheckLiteral), each property read by `typeOf`.
void CheckLiterals(const WqlExpression& expression, const std::function<CIMTYPE(const CString&)>& typeOf, Door door)
{
    if (expression.GetKind() != WqlExpression::Kind::Comparison)
    {
        for (const std::unique_ptr<WqlExpression>& operand : expression.GetOperands())
            CheckLiterals(*operand, typeOf, door);
        return;
    }
    CWmipQueryRefusal::CheckLiteral(kMapperQuerySourceFile, __LINE__, expression.GetProperty(),
                                    typeOf(expression.GetProperty()), expression.GetOperator(),
                                    expression.GetLiteral().ToWqlText(), door);
}

}  // namespace

ProcessClauseResult CWmipMapper::ProcessClause(CString& /*property*/, int& wqlOperator, CString& literal,
                                               CString& /*extra*/)
{
    // Date-time columns hold "YYYY-MM-DD HH:MM:SS" wall-clock text (a fraction after it): a date
    // literal (DMTF, or ISO 8601 through the bus door, naming a UTC instant) is turned into
    // that form, its microseconds kept.
    if (wqlOperator == WqlOpIsNull || wqlOperator == WqlOpIsNotNull || wqlOperator == WqlOpIsa)
        return ProcessClausePlain;
    DateTimeText::Parts utc;
    if (!WMIHelper::ReadDateLiteral(literal, GetDoor(), utc))
        return ProcessClausePlain;
    DateTimeText::Parts stored = utc;
    // The local shift is whole seconds: the microseconds stay.
    if (!IsUseUTC() && !DateTimeText::FromOleDateTime(WMIHelper::UtcToLocal(DateTimeText::ToWallClock(utc)), stored))
        return ProcessClausePlain;
    stored.microseconds = utc.microseconds;
    literal = WqlLiteral::FromString(DateTimeText::FormatColumn(stored)).ToWqlText();
    return ProcessClausePlain;
}

HRESULT CWmipMapper::SetQuery(CWmipQuery* query)
{
    if (m_query != nullptr && m_query != query && m_query->GetMapper() == this)
        m_query->SetMapper(nullptr);
    m_query = query;
    if (query == nullptr)
        return S_OK;
    query->SetMapper(this);
    query->SetRegisteredColumnResolver(
        CWmipQuery::MakeColumnResolver(m_registeredColumnSource ? m_registeredColumnSource() : std::vector<CString>()));
    // A query names the class's properties only: a bare column name could otherwise probe
    // columns no property exposes (a stored password hash, say).
    query->SetPropertyCheck([this](const CString& property) { return IsQueryableProperty(property); });
    // The caller's definition is taken once for every name the query is checked against: a
    // class the cache shapes per caller is otherwise copied and shaped again for each name.
    std::optional<ComPtr<IWbemClassObject>> definition;
    const auto hasProperty = [this, &definition](const CString& property) {
        if (!definition.has_value())
            definition = GetCallerDefinition();
        return CWmipCallerDefinition::HasProperty(definition->Get(), property);
    };
    for (const CString& selected : query->GetSelectedProperties())
    {
        if (!IsQueryableProperty(selected) && !hasProperty(selected))
        {
            CString text;
            text.Format(CWmipMessages::kSelectUnknownProperty, selected.GetString(), m_className.GetString());
            throw CWMIException(kMapperQuerySourceFile, __LINE__, WBEM_E_INVALID_QUERY, text);
        }
    }
    const WqlExpression* where = query->GetWhereExpression();
    // A value never served is never evaluated either: a WHERE term on it would read it out
    // one guess at a time.
    const CString withheld =
        where != nullptr ? FirstPropertyWhere(*where, [this](const CString& p) { return IsWithheldProperty(p); })
                         : CString();
    if (!withheld.IsEmpty())
        throw CWmipQueryRefusal::Withheld(kMapperQuerySourceFile, __LINE__, withheld, CWmipQueryRefusal::Use::Where);
    // A WHERE term on a name the class does not have is the caller's mistake, named as such
    // (a mapper that maps its terms itself would otherwise hand the database a statement it
    // refuses with a bare failure). Without a class definition nothing is known to be missing.
    if (where != nullptr && hasProperty(L"__CLASS"))
    {
        // System properties (__CLASS, ...) are the service's and always known.
        const CString unknown =
            FirstPropertyWhere(*where, [&](const CString& p) { return p.Left(2) != L"__" && !hasProperty(p); });
        if (!unknown.IsEmpty())
        {
            CString text;
            text.Format(CWmipMessages::kWhereUnknownProperty, unknown.GetString(), m_className.GetString());
            throw CWMIException(kMapperQuerySourceFile, __LINE__, WBEM_E_INVALID_QUERY, text);
        }
        // Every literal is read by its property's type before any mapper sees its comparison: a
        // mapper that maps a comparison itself (a property on a column of another name) would
        // otherwise bind what the property cannot hold and answer nothing where every other road
        // refuses.
        CheckLiterals(
            *where,
            [&definition](const CString& p) { return CWmipCallerDefinition::PropertyType(definition->Get(), p); },
            GetDoor());
    }
    // The translation reads a literal by its property's type too (a number met by an integer
    // exactly, a date-time to its fraction), whatever the mapper makes of the comparison.
    ComPtr<IWbemClassObject> typed = definition.has_value() ? *definition : ComPtr<IWbemClassObject>();
    query->SetPropertyTypeSource(
        [typed](const CString& p) { return CWmipCallerDefinition::PropertyType(typed.Get(), p); });
    try
    {
        query->TranslateWhereClause();
    }
    catch (const CWMIException& e)
    {
        // Every refusal of the WHERE clause reaches the caller as an invalid query.
        if (e.GetHResult() == WBEM_E_INVALID_QUERY)
            throw;
        throw CWMIException(kMapperQuerySourceFile, __LINE__, WBEM_E_INVALID_QUERY, e.GetText());
    }
    return S_OK;
}

void CWmipMapper::SetQueryAttachment(CWmipQuery* query)
{
    if (m_query != nullptr && m_query != query && m_query->GetMapper() == this)
        m_query->SetMapper(nullptr);
    m_query = query;
    if (query != nullptr)
        query->SetMapper(this);
}
