#include "framework/WqlEventFilterFactory.h"

#include "framework/CWmipMessages.h"
#include "framework/wql/WqlEvaluator.h"
#include "framework/WqlInstancePropertySource.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <memory>

namespace {

// Why the expression cannot be watched: the first property it names that is not one of the
// class (see the header), or a literal compared with a date-time property that names no
// date-time (it would never match, and the query path refuses it); empty when nothing is wrong.
CString FirstFault(const WqlExpression& expression, IWbemClassObject* eventClass)
{
    if (expression.GetKind() != WqlExpression::Kind::Comparison)
    {
        for (const auto& operand : expression.GetOperands())
        {
            const CString fault = FirstFault(*operand, eventClass);
            if (!fault.IsEmpty())
                return fault;
        }
        return CString();
    }
    const CString& property = expression.GetProperty();
    const int dot = property.Find(L'.');
    _variant_t value;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(eventClass->Get(dot < 0 ? property : property.Left(dot), 0, &value, &type, nullptr)) ||
        (dot >= 0 && type != CIM_OBJECT))
        return L"the WHERE clause names " + property + L", which is not a property of the event class";
    const WqlLiteral::Kind kind = expression.GetLiteral().LiteralKind;
    if (dot < 0 && (type & ~CIM_FLAG_ARRAY) == CIM_DATETIME && kind != WqlLiteral::Kind::Null &&
        kind != WqlLiteral::Kind::DateTime)
    {
        CString text;
        text.Format(CWmipMessages::kNotADate, expression.GetLiteral().ToWqlText().GetString(), property.GetString(),
                    CWmipMessages::kDmtfDateForm);
        // The event router ends the sentence itself.
        return text.TrimRight(L'.');
    }
    return CString();
}

}  // namespace

HRESULT WqlEventFilterFactory::CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter,
                                            std::wstring* error) const
{
    if (eventClass == nullptr || filter == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    WqlParsedQuery parsed;
    CString why;
    if (!WqlParser::ParseQuery(query, parsed, why) || parsed.QueryKind != WqlQueryKind::Select)
    {
        if (error != nullptr)
            *error = why.IsEmpty() ? std::wstring(L"only SELECT queries can be watched") : why.GetWString();
        return WBEM_E_INVALID_QUERY;
    }
    if (parsed.Where == nullptr)
    {
        *filter = [](IWbemClassObject*) { return true; };
        return WBEM_S_NO_ERROR;
    }
    const CString fault = FirstFault(*parsed.Where, eventClass);
    if (!fault.IsEmpty())
    {
        if (error != nullptr)
            *error = fault.GetWString();
        return WBEM_E_INVALID_QUERY;
    }
    std::shared_ptr<const WqlExpression> where = std::move(parsed.Where);
    *filter = [where](IWbemClassObject* event) {
        return WqlEvaluator::Matches(*where, WqlInstancePropertySource(event));
    };
    return WBEM_S_NO_ERROR;
}
