#include "framework/WqlEventFilterFactory.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipQueryRefusal.h"
#include "framework/wql/WqlEvaluator.h"
#include "framework/WqlInstancePropertySource.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace {

constexpr wchar_t kWqlEventFilterFactorySourceFile[] = L"WqlEventFilterFactory.cpp";

// What an embedded object's property may be, from the served classes that have it (the object's
// class is known only when an event arrives): its CIM type in each, and whether any of them
// withholds its value.
struct EmbeddedProperty
{
    std::vector<CIMTYPE> types;
    bool withheld = false;
};

EmbeddedProperty ReadEmbeddedProperty(const CString& leaf)
{
    EmbeddedProperty found;
    CWmipMapperRegistry* registry = CWmipMapperRegistry::Instance();
    for (const CString& className : registry->GetTypeNames())
    {
        // Asked of every class's mapper, not only of those whose definition lists the property
        // yet: a column a mapper adds to its class when it first builds it is withheld as much.
        const std::unique_ptr<CWmipClassMapper> mapper(
            registry->GetMapperUsingRegistry(className, nullptr, nullptr, nullptr, Door::kWmi));
        found.withheld = found.withheld || (mapper != nullptr && mapper->IsSecretProperty(leaf));
        const CWMITypeInfo* typeInfo = registry->GetTypeInfo(className, true);
        if (typeInfo != nullptr && typeInfo->HasProperty(leaf))
            found.types.push_back(static_cast<CIMTYPE>(typeInfo->GetPropertyType(leaf)) & ~CIM_FLAG_ARRAY);
    }
    return found;
}

// The refusal's sentence, without its full stop: the event router ends the sentence itself.
CString Sentence(const CWmipQueryRefusal& refusal)
{
    CString text = refusal.GetText();
    return text.TrimRight(L'.');
}

// Why the expression cannot be watched, as the query road says it: the first property it names
// that is not one of the class (see the header), a value no event carries (a property any served
// class withholds, named on an embedded object), or a literal that cannot be of the property's
// type (for an embedded object's property: of its type in none of the classes that have it);
// empty when nothing is wrong.
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
    std::vector<CIMTYPE> types = {type & ~CIM_FLAG_ARRAY};
    if (dot >= 0)
    {
        EmbeddedProperty embedded = ReadEmbeddedProperty(property.Mid(property.ReverseFind(L'.') + 1));
        if (embedded.withheld)
            return Sentence(CWmipQueryRefusal::Withheld(kWqlEventFilterFactorySourceFile, __LINE__, property,
                                                        CWmipQueryRefusal::Use::Where));
        types = std::move(embedded.types);
    }
    // The literal is refused only when it fits the property in none of the classes it may be of.
    std::optional<CWmipQueryRefusal> refusal;
    for (const CIMTYPE each : types)
    {
        try
        {
            CWmipQueryRefusal::CheckLiteral(kWqlEventFilterFactorySourceFile, __LINE__, property, each,
                                            expression.GetOperator(), expression.GetLiteral().ToWqlText(), Door::kWmi);
            return CString();
        }
        catch (const CWmipQueryRefusal& unfit)
        {
            if (!refusal)
                refusal = unfit;
        }
    }
    return refusal ? Sentence(*refusal) : CString();
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
        // Events go out through the WMI door.
        return WqlEvaluator::Matches(*where, WqlInstancePropertySource(event, Door::kWmi));
    };
    return WBEM_S_NO_ERROR;
}
