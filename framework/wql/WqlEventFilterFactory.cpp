#include "framework/wql/WqlEventFilterFactory.h"

#include "framework/wql/WqlEvaluator.h"
#include "framework/wql/WqlInstancePropertySource.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <memory>

namespace {

// True when every property the expression names is one of the class (see the header).
bool NamesPropertiesOf(const WqlExpression& expression, IWbemClassObject* eventClass)
{
    if (expression.GetKind() != WqlExpression::Kind::Comparison)
    {
        for (const auto& operand : expression.GetOperands())
        {
            if (!NamesPropertiesOf(*operand, eventClass))
                return false;
        }
        return true;
    }
    const CString& property = expression.GetProperty();
    const int dot = property.Find(L'.');
    _variant_t value;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(eventClass->Get(dot < 0 ? property : property.Left(dot), 0, &value, &type, nullptr)))
        return false;
    return dot < 0 || type == CIM_OBJECT;
}

}  // namespace

HRESULT WqlEventFilterFactory::CreateFilter(std::wstring_view query, IWbemClassObject* eventClass, Filter* filter) const
{
    if (eventClass == nullptr || filter == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    WqlParsedQuery parsed;
    CString error;
    if (!WqlParser::ParseQuery(query, parsed, error) || parsed.QueryKind != WqlQueryKind::Select)
        return WBEM_E_INVALID_QUERY;
    if (parsed.Where == nullptr)
    {
        *filter = [](IWbemClassObject*) { return true; };
        return WBEM_S_NO_ERROR;
    }
    if (!NamesPropertiesOf(*parsed.Where, eventClass))
        return WBEM_E_INVALID_QUERY;
    std::shared_ptr<const WqlExpression> where = std::move(parsed.Where);
    *filter = [where](IWbemClassObject* event) {
        return WqlEvaluator::Matches(*where, WqlInstancePropertySource(event));
    };
    return WBEM_S_NO_ERROR;
}
