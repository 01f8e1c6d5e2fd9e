#include "tools/provixa/ProvixaExplanation.h"

#include "framework/CWmipObjectPath.h"
#include "framework/CWmipValueForm.h"
#include "framework/wql/WqlParser.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemName.h"
#include "tools/provixa/ProvixaText.h"

#include <vector>

namespace {
// The class definition, or null when the namespace has no such class. The status object the
// lookup leaves is dropped: it is not the request's.
ComPtr<IWbemClassObject> ClassNamed(IWbemServices* services, const std::wstring& name)
{
    ComPtr<IWbemClassObject> definition;
    const BstrOwner text = BstrOwner::Copy(name.c_str());
    if (FAILED(services->GetObject(text.Get(), 0, nullptr, &definition, nullptr)))
        definition = nullptr;
    WbemErrorInfo::Take();
    return definition;
}

std::vector<std::wstring> KeyNames(IWbemClassObject* definition)
{
    std::vector<std::wstring> keys;
    if (FAILED(definition->BeginEnumeration(WBEM_FLAG_KEYS_ONLY)))
        return keys;
    BstrOwner name;
    while (definition->Next(0, name.Receive(), nullptr, nullptr, nullptr) == WBEM_S_NO_ERROR)
        keys.emplace_back(name ? name.Get() : L"");
    definition->EndEnumeration();
    return keys;
}

std::string NoClass(const std::wstring& name)
{
    return "there is no class " + ProvixaText::ToUtf8(name);
}

// A class the namespace knows but the provider does not serve on this door.
std::string ServedByTheBus(const std::wstring& className)
{
    return "read it through the bus front end: provixa bus get " + ProvixaText::ToUtf8(className);
}

bool SameKeys(const std::vector<std::wstring>& keys, const std::vector<CString>& given)
{
    if (keys.size() != given.size())
        return false;
    for (const CString& name : given)
    {
        bool found = false;
        for (const std::wstring& key : keys)
            found = found || WbemName::Equal(key, std::wstring(name.GetString()));
        if (!found)
            return false;
    }
    return true;
}

// Parses `path` and finds its class. False when there is nothing more to explain: `answer` then
// holds what can be said (empty for a path that does not parse, the missing class otherwise).
bool ReadPath(IWbemServices* services, const std::string& path, std::unique_ptr<CWmipObjectPath>& parsed,
              ComPtr<IWbemClassObject>& definition, std::string& answer)
{
    const std::wstring text = ProvixaText::FromUtf8(path);
    parsed = CWmipObjectPath::CreateFromPath(text.c_str());
    if (parsed == nullptr)
    {
        // A path that does not parse for want of its class (a name with a letter no class name
        // holds, Bnt_Größe) names no class: that is what a person needs to hear.
        const std::wstring named = text.substr(0, text.find_first_of(L".="));
        if (!named.empty() && !ClassNamed(services, named))
            answer = NoClass(named);
        return false;
    }
    const std::wstring className = parsed->GetClassName().GetString();
    definition = ClassNamed(services, className);
    if (!definition)
    {
        answer = NoClass(className);
        return false;
    }
    return true;
}
}  // namespace

std::string ProvixaExplanation::OfPath(IWbemServices* services, const std::string& path, HRESULT status)
{
    std::unique_ptr<CWmipObjectPath> parsed;
    ComPtr<IWbemClassObject> definition;
    std::string answer;
    if (!ReadPath(services, path, parsed, definition, answer))
        return answer;
    const std::wstring className = parsed->GetClassName().GetString();
    if (status == WBEM_E_INVALID_CLASS)
        return ServedByTheBus(className);
    if (parsed->GetKeyCount() == 0 && !parsed->IsSingleton())
        return std::string();
    const std::vector<std::wstring> keys = KeyNames(definition.Get());
    if (!parsed->IsSingleton() && !SameKeys(keys, parsed->GetKeyNames()))
    {
        if (keys.empty())
            return ProvixaText::ToUtf8(className) + " has no keys";
        std::string names;
        for (const std::wstring& key : keys)
            names += (names.empty() ? "" : ", ") + ProvixaText::ToUtf8(key);
        return "the key" + std::string(keys.size() == 1 ? " of " : "s of ") + ProvixaText::ToUtf8(className) +
               (keys.size() == 1 ? " is " : " are ") + names;
    }
    return status == WBEM_E_NOT_FOUND ? "there is no instance " + path : std::string();
}

std::string ProvixaExplanation::OfClass(IWbemServices* services, const std::string& name, HRESULT status)
{
    if (name.find_first_of(" \t") != std::string::npos)
        return "enum takes a class name alone; a condition needs query \"SELECT * FROM CLASS WHERE ...\"";
    const std::wstring className = ProvixaText::FromUtf8(name);
    if (!ClassNamed(services, className))
        return NoClass(className);
    return status == WBEM_E_INVALID_CLASS ? ServedByTheBus(className) : std::string();
}

std::string ProvixaExplanation::OfValues(IWbemClassObject* definition,
                                         const std::vector<std::pair<std::string, std::string>>& assignments, Door door)
{
    for (const auto& [name, text] : assignments)
    {
        const std::wstring property = ProvixaText::FromUtf8(name);
        CIMTYPE type = CIM_EMPTY;
        if (definition == nullptr || FAILED(definition->Get(property.c_str(), 0, nullptr, &type, nullptr)))
            continue;
        LONG limit = 0;
        ComPtr<IWbemQualifierSet> qualifiers;
        _variant_t maxlen;
        _variant_t number;
        if (SUCCEEDED(definition->GetPropertyQualifierSet(property.c_str(), &qualifiers)) && qualifiers &&
            SUCCEEDED(qualifiers->Get(L"maxlen", 0, &maxlen, nullptr)) &&
            SUCCEEDED(VariantChangeType(&number, &maxlen, 0, VT_I4)))
            limit = number.lVal;
        // The whole text, a NUL inside it included, as the request carried it.
        const std::wstring wide = ProvixaText::FromUtf8(text);
        VARIANT whole;
        VariantInit(&whole);
        whole.vt = VT_BSTR;
        whole.bstrVal = CString(wide.c_str(), static_cast<int>(wide.size())).AllocSysString();
        _variant_t value;
        value.Attach(whole);
        const CString fault = CWmipValueForm::Fault(type, limit, value, door);
        if (!fault.IsEmpty())
            return ProvixaText::ToUtf8(fault.GetString());
    }
    return std::string();
}

std::string ProvixaExplanation::OfMethod(IWbemServices* services, const std::string& path, const std::string& method)
{
    std::unique_ptr<CWmipObjectPath> parsed;
    ComPtr<IWbemClassObject> definition;
    std::string answer;
    if (!ReadPath(services, path, parsed, definition, answer))
        return answer;
    const std::wstring className = parsed->GetClassName().GetString();
    const std::wstring name = ProvixaText::FromUtf8(method);
    // The provider takes a method only in the case the class declares it.
    std::wstring declared;
    if (SUCCEEDED(definition->BeginMethodEnumeration(0)))
    {
        BstrOwner next;
        while (declared.empty() && definition->NextMethod(0, next.Receive(), nullptr, nullptr) == WBEM_S_NO_ERROR)
        {
            if (next && WbemName::Equal(next.Get(), name))
                declared = next.Get();
        }
        definition->EndMethodEnumeration();
    }
    if (declared.empty())
        return ProvixaText::ToUtf8(className) + " has no method " + method;
    return declared == name
               ? std::string()
               : "method names are matched in the case the class declares them: " + ProvixaText::ToUtf8(declared);
}

std::string ProvixaExplanation::OfQuery(IWbemServices* services, const std::string& query)
{
    WqlParsedQuery parsed;
    CString error;
    if (WqlParser::ParseQuery(ProvixaText::FromUtf8(query), parsed, error) && !parsed.ClassName.IsEmpty())
    {
        const std::wstring className = parsed.ClassName.GetString();
        return ClassNamed(services, className) ? std::string() : NoClass(className);
    }
    // The query's blank-separated words: the parser stops inside a word it cannot read (a class
    // name with a letter no identifier holds), a person reads whole words.
    std::vector<std::wstring> words;
    const std::wstring text = ProvixaText::FromUtf8(query);
    for (std::size_t start = text.find_first_not_of(L" \t"); start != std::wstring::npos;)
    {
        const std::size_t end = std::min(text.find_first_of(L" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        start = text.find_first_not_of(L" \t", end);
    }
    if (words.empty() || !WbemName::Equal(words.front().substr(0, 6), L"SELECT"))
    {
        // A class name alone is the likeliest mistake: the example selects from it.
        const bool oneName = words.size() == 1 && WbemName::IsValidIdentifier(words.front());
        return "a query is one WQL SELECT text (ASSOCIATORS OF and REFERENCES OF are not served), as query \"SELECT "
               "* FROM " +
               (oneName ? ProvixaText::ToUtf8(words.front()) : std::string("Bnt_Cardholder")) + "\"";
    }
    for (std::size_t i = 1; i + 1 < words.size(); ++i)
    {
        if (WbemName::Equal(words[i], L"FROM"))
            return ClassNamed(services, words[i + 1]) ? std::string() : NoClass(words[i + 1]);
    }
    return std::string();
}

std::string ProvixaExplanation::OfMethodTarget(IWbemServices* services, const std::string& path,
                                               const std::string& method)
{
    std::unique_ptr<CWmipObjectPath> parsed;
    ComPtr<IWbemClassObject> definition;
    std::string answer;
    if (!ReadPath(services, path, parsed, definition, answer) || parsed->GetKeyCount() != 0 || parsed->IsSingleton())
        return std::string();
    return RunsOnAnInstance(definition.Get(), ProvixaText::ToUtf8(parsed->GetClassName().GetString()), method);
}

std::string ProvixaExplanation::RunsOnAnInstance(IWbemClassObject* definition, const std::string& className,
                                                 const std::string& method)
{
    std::string example = className;
    for (const std::wstring& key : KeyNames(definition))
    {
        CIMTYPE type = CIM_EMPTY;
        definition->Get(key.c_str(), 0, nullptr, &type, nullptr);
        const bool text = type == CIM_STRING || type == CIM_DATETIME || type == CIM_REFERENCE;
        example +=
            (example.size() == className.size() ? "." : ",") + ProvixaText::ToUtf8(key) + (text ? "=\"...\"" : "=1");
    }
    return example.size() == className.size() ? std::string()
                                              : method + " runs on an instance: name one by its key, as " + example;
}
