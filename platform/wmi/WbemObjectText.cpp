#include "platform/wmi/WbemObjectText.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemName.h"

#include <algorithm>

namespace {
std::wstring FlavorText(LONG flavor)
{
    std::wstring text;
    if ((flavor & WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE) != 0)
        text += L" ToInstance";
    if ((flavor & WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS) != 0)
        text += L" ToSubclass";
    if ((flavor & WBEM_FLAVOR_NOT_OVERRIDABLE) != 0)
        text += L" DisableOverride";
    if ((flavor & WBEM_FLAVOR_AMENDED) != 0)
        text += L" Amended";
    return text.empty() ? text : L" :" + text;
}

// "[a, b(5), c : ToInstance]" for the local qualifiers of a set; empty when it has none.
std::wstring QualifierList(const WbemQualifierSet* qualifiers, LONG flags)
{
    if (qualifiers == nullptr)
        return {};
    std::wstring text;
    for (const auto& entry : qualifiers->Effective())
    {
        if (entry.propagated)
            continue;
        text += text.empty() ? L"[" : L", ";
        text += entry.name;
        const bool isTrue = entry.value.vt == VT_BOOL && entry.value.boolVal != VARIANT_FALSE;
        if (!isTrue)
        {
            CIMTYPE type = CIM_EMPTY;
            CimValue::InferType(entry.value, &type);
            const std::wstring literal = CimValue::ToMofLiteral(type, entry.value);
            text += (entry.value.vt & VT_ARRAY) != 0 ? literal : L"(" + literal + L")";
        }
        if ((flags & WBEM_FLAG_NO_FLAVORS) == 0)
            text += FlavorText(entry.flavor);
    }
    return text.empty() ? text : text + L"]";
}

std::wstring QualifierText(const WbemQualifierSet* qualifiers, const std::wstring& name)
{
    if (qualifiers == nullptr)
        return {};
    for (const auto& entry : qualifiers->Effective())
    {
        if (WbemName::Equal(entry.name, name) && entry.value.vt == VT_BSTR && entry.value.bstrVal != nullptr)
            return entry.value.bstrVal;
    }
    return {};
}

// "string", "Bnt_Badge ref" (from a "CIMTYPE" qualifier "ref:Bnt_Badge"), "Bnt_Item" (from
// "object:Bnt_Item").
std::wstring TypeText(CIMTYPE type, const WbemQualifierSet* qualifiers)
{
    const std::wstring declared = QualifierText(qualifiers, L"CIMTYPE");
    const CIMTYPE element = type & ~CIM_FLAG_ARRAY;
    if (element == CIM_REFERENCE && declared.rfind(L"ref:", 0) == 0 && declared.size() > 4)
        return declared.substr(4) + L" ref";
    if (element == CIM_OBJECT && declared.rfind(L"object:", 0) == 0 && declared.size() > 7)
        return declared.substr(7);
    return CimValue::TypeName(type);
}

std::wstring Declaration(const WbemClassObject::PropertyInfo& property, LONG flags)
{
    std::wstring text;
    const std::wstring qualifiers = QualifierList(property.qualifiers.Get(), flags);
    if (!qualifiers.empty())
        text += qualifiers + L" ";
    text += TypeText(property.type, property.qualifiers.Get()) + L" " + property.name;
    if ((property.type & CIM_FLAG_ARRAY) != 0)
        text += L"[]";
    return text;
}

std::wstring MethodText(const WbemClassObject::MethodInfo& method, LONG flags)
{
    std::vector<WbemClassObject::PropertyInfo> parameters;
    std::wstring returnType = L"void";
    if (method.inSignature != nullptr)
        parameters = method.inSignature->Properties();
    if (method.outSignature != nullptr)
    {
        for (auto& parameter : method.outSignature->Properties())
        {
            if (WbemName::Equal(parameter.name, L"ReturnValue"))
            {
                returnType = TypeText(parameter.type, parameter.qualifiers.Get());
                continue;
            }
            const bool alsoIn = std::any_of(parameters.begin(), parameters.end(),
                                            [&](const auto& p) { return WbemName::Equal(p.name, parameter.name); });
            if (!alsoIn)
                parameters.push_back(std::move(parameter));
        }
    }
    std::wstring text;
    const std::wstring qualifiers = QualifierList(method.qualifiers.Get(), flags);
    if (!qualifiers.empty())
        text += qualifiers + L" ";
    text += returnType + L" " + method.name + L"(";
    for (std::size_t i = 0; i < parameters.size(); ++i)
        text += (i == 0 ? L"" : L", ") + Declaration(parameters[i], flags | WBEM_FLAG_NO_FLAVORS);
    return text + L")";
}
}  // namespace

std::wstring WbemObjectText::Format(const WbemClassObject& object, LONG flags)
{
    std::wstring text;
    Write(object, flags, [&](std::wstring_view piece) { text += piece; });
    return text;
}

void WbemObjectText::Write(const WbemClassObject& object, LONG flags,
                           const std::function<void(std::wstring_view)>& write)
{
    write(L"\n");
    const std::wstring qualifiers = QualifierList(object.Qualifiers().Get(), flags);
    if (!qualifiers.empty())
        write(qualifiers + L"\n");
    if (!object.IsClass())
    {
        write(L"instance of " + object.ClassName() + L"\n{\n");
        for (const auto& property : object.Properties())
        {
            if (CimValue::IsNull(property.value))
                continue;
            write(L"\t" + property.name + L" = ");
            CimValue::WriteMofLiteral(property.type, property.value, write);
            write(L";\n");
        }
        write(L"};\n");
        return;
    }
    std::wstring text = L"class " + object.ClassName();
    if (!object.SuperclassName().empty())
        text += L" : " + object.SuperclassName();
    text += L"\n{\n";
    for (const auto& property : object.Properties())
    {
        if (!property.local)
            continue;
        text += L"\t" + Declaration(property, flags);
        if (!CimValue::IsNull(property.value))
            text += L" = " + CimValue::ToMofLiteral(property.type, property.value);
        text += L";\n";
    }
    for (const auto& method : object.Methods())
    {
        if (!method.inherited || method.qualifiers->HasLocal())
            text += L"\t" + MethodText(method, flags) + L";\n";
    }
    write(text + L"};\n");
}
