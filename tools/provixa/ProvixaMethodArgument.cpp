#include "tools/provixa/ProvixaMethodArgument.h"

#include <utility>
#include <vector>

#include "platform/com/BstrOwner.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemName.h"
#include "platform/win32/UnicodeConversion.h"
#include "tools/provixa/ProvixaText.h"

namespace {

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

bool ArrayFor(CIMTYPE type, const std::string& text, _variant_t* value, std::string* error,
              ProvixaMethodArgument::ScalarConversion scalar)
{
    const CIMTYPE element = type & ~CIM_FLAG_ARRAY;
    if (element != CIM_SINT32 && element != CIM_UINT32)
    {
        *error = std::string("only arrays of 32-bit numbers can be given on the command line (VALUE,VALUE); ") +
                 ProvixaMethodArgument::kBinaryValueRoad;
        return false;
    }
    // The bus writes a list [A,B]: the brackets would make two elements that are no numbers.
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']')
    {
        *error = "a list is written VALUE,VALUE on this door: " + text.substr(1, text.size() - 2) +
                 " (the bus writes " + text + ")";
        return false;
    }
    const std::vector<std::string> parts = text.empty() ? std::vector<std::string>{} : Split(text, ',');
    if (parts.size() > ProvixaMethodArgument::kMaxElements)
    {
        *error = ProvixaMethodArgument::TooManyElements();
        return false;
    }
    SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, static_cast<ULONG>(parts.size()));
    if (array == nullptr)
    {
        *error = "out of memory";
        return false;
    }
    for (std::size_t index = 0; index < parts.size(); ++index)
    {
        _variant_t number;
        LONG position = static_cast<LONG>(index);
        if (!scalar(element, parts[index], &number, error) ||
            FAILED(SafeArrayPutElement(array, &position, &number.GetVARIANT().lVal)))
        {
            SafeArrayDestroy(array);
            return false;
        }
    }
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_ARRAY | VT_I4;
    result.parray = array;
    value->Attach(result);
    return true;
}

// The NAME=VALUE members of an embedded object's body, split at the commas outside quotes; a
// value may be quoted "..." or '...' (to hold a comma or a brace), the quotes removed.
bool SplitMembers(const std::string& body, std::vector<std::pair<std::string, std::string>>* members,
                  std::string* error)
{
    if (body.empty())
        return true;
    std::string member;
    char quote = 0;
    for (std::size_t i = 0; i <= body.size(); ++i)
    {
        const char c = i < body.size() ? body[i] : ',';
        if (quote != 0)
        {
            if (c == quote && i < body.size())
                quote = 0;
            else if (i == body.size())
            {
                *error = "unterminated quote in " + member;
                return false;
            }
            else
                member += c;
            continue;
        }
        if ((c == '"' || c == '\'') && member.find('=') != std::string::npos)
        {
            quote = c;
            continue;
        }
        if (c != ',')
        {
            member += c;
            continue;
        }
        const std::size_t equals = member.find('=');
        if (equals == std::string::npos || equals == 0)
        {
            *error = "not NAME=VALUE: " + member;
            return false;
        }
        members->emplace_back(member.substr(0, equals), member.substr(equals + 1));
        member.clear();
    }
    return true;
}

bool ObjectFor(IWbemServices* services, const std::string& text, _variant_t* value, std::string* error,
               ProvixaMethodArgument::ScalarConversion scalar)
{
    const std::size_t open = text.find('{');
    if (open == std::string::npos || open == 0 || text.back() != '}')
    {
        *error = "an embedded object is written CLASS{NAME=VALUE,...}: " + text;
        return false;
    }
    const BstrOwner className = BstrOwner::Copy(ProvixaText::FromUtf8(text.substr(0, open)).c_str());
    ComPtr<IWbemClassObject> classObject;
    ComPtr<IWbemClassObject> instance;
    if (services == nullptr || FAILED(services->GetObject(className.Get(), 0, nullptr, &classObject, nullptr)) ||
        FAILED(classObject->SpawnInstance(0, &instance)))
    {
        *error = "no class " + text.substr(0, open);
        return false;
    }
    const std::string body = text.substr(open + 1, text.size() - open - 2);
    std::vector<std::pair<std::string, std::string>> assignments;
    if (!SplitMembers(body, &assignments, error))
        return false;
    for (std::size_t i = 0; i < assignments.size(); ++i)
    {
        const auto& [name, member] = assignments[i];
        const std::wstring property = ProvixaText::FromUtf8(name);
        for (std::size_t j = 0; j < i; ++j)
        {
            // A later value would silently win.
            if (WbemName::Equal(property, ProvixaText::FromUtf8(assignments[j].first)))
            {
                *error = name + " is given twice in " + text.substr(0, open) + "{...}";
                return false;
            }
        }
        CIMTYPE type = CIM_EMPTY;
        _variant_t value;
        if (FAILED(instance->Get(property.c_str(), 0, nullptr, &type, nullptr)))
        {
            *error = "no property " + name;
            return false;
        }
        if (!scalar(type, member, &value, error) || FAILED(instance->Put(property.c_str(), 0, &value.GetVARIANT(), 0)))
        {
            if (error->empty())
                *error = "cannot set " + name + "=" + member;
            return false;
        }
    }
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_UNKNOWN;
    result.punkVal = instance.Detach();
    value->Attach(result);
    return true;
}

}  // namespace

std::string ProvixaMethodArgument::TooManyElements()
{
    return "a list holds at most " + std::to_string(kMaxElements) + " elements";
}

bool ProvixaMethodArgument::ValueFor(IWbemServices* services, CIMTYPE type, const std::string& text, _variant_t* value,
                                     std::string* error, ScalarConversion scalar)
{
    // Malformed bytes would be stored as U+FFFD, a text other than the one given.
    if (!UnicodeConversion::IsWellFormedUtf8(text))
    {
        *error = "not valid UTF-8";
        return false;
    }
    if ((type & CIM_FLAG_ARRAY) != 0)
        return ArrayFor(type, text, value, error, scalar);
    if (type == CIM_OBJECT)
        return ObjectFor(services, text, value, error, scalar);
    return scalar(type, text, value, error);
}
