#include "framework/WqlEventFilterFactory.h"

#include "framework/wql/WqlEvaluator.h"
#include "framework/WqlInstancePropertySource.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <memory>

namespace {

// The first property the expression names that is not one of the class (see the header);
// empty when there is none.
CString FirstForeignProperty(const WqlExpression& expression, IWbemClassObject* eventClass)
{
    if (expression.GetKind() != WqlExpression::Kind::Comparison)
    {
        for (const auto& operand : expression.GetOperands())
        {
            const CString foreign = FirstForeignProperty(*operand, eventClass);
            if (!foreign.IsEmpty())
                return foreign;
        }
        return CString();
    }
    const CString& property = expression.GetProperty();
    const int dot = property.Find(L'.');
    _variant_t value;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(eventClass->Get(dot < 0 ? property : property.Left(dot), 0, &value, &type, nullptr)))
        return property;
    return dot < 0 || type == CIM_OBJECT ? CString() : property;
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
    const CString foreign = FirstForeignProperty(*parsed.Where, eventClass);
    if (!foreign.IsEmpty())
    {
        if (error != nullptr)
            *error =
                (L"the WHERE clause names " + foreign + L", which is not a property of the event class").GetWString();
        return WBEM_E_INVALID_QUERY;
    }
    std::shared_ptr<const WqlExpression> where = std::move(parsed.Where);
    *filter = [where](IWbemClassObject* event) {
        return WqlEvaluator::Matches(*where, WqlInstancePropertySource(event));
    };
    return WBEM_S_NO_ERROR;
}
