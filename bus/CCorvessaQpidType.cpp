#include "bus/CCorvessaQpidType.h"

#include <memory>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"
#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaHelper.h"
#include "bus/CCorvessaPropertyCursor.h"
#include "bus/GenericException.h"
#include "framework/CWMITypeInfo.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/CimTypes.h"
#include "platform/com/WbemConstants.h"
#include "schema/UnsupportedWmiTypeError.h"
#include "schema/WmiTypeNameTable.h"

using brontel::utility::ConvertCStringToUtf8;
using qpid::types::Variant;

namespace {

constexpr wchar_t kQpidTypeSource[] = L"CorvessaQpidType";
constexpr int kUnsupportedTypeLine = 167;

// Releases a signature object that NextMethod handed out.
struct ReleaseObject
{
    void operator()(IWbemClassObject* object) const
    {
        if (object != nullptr)
        {
            object->Release();
        }
    }
};
using SignaturePtr = std::unique_ptr<IWbemClassObject, ReleaseObject>;

// The text escaped for XML: a name or type never breaks the document it is written into.
CString XmlText(const std::string& utf8)
{
    return brontel::utility::ConvertUtf8ToCString(ostrum::utils::StringUtils::xmlEscape(utf8));
}

std::string MapText(const Variant& map, const char* key)
{
    const Variant::Map& entries = map.asMap();
    const auto found = entries.find(key);
    return found != entries.end() ? found->second.asString() : std::string();
}

}  // namespace

void CCorvessaQpidType::Clear()
{
    // Everything goes: a result that is filled again never repeats the methods it held.
    m_className.clear();
    m_classDisplayName.clear();
    m_parentClassName.clear();
    m_properties.clear();
    m_methods.clear();
}

std::string CCorvessaQpidType::GetQpidTypeString(const long& cimType)
{
    // Array types are named by GetPropertyTypeStr; here only scalars have names.
    if ((cimType & CIM_FLAG_ARRAY) == 0)
    {
        try
        {
            return std::string(LookupWmiTypeName(static_cast<CIMTYPE>(cimType)));
        }
        catch (const UnsupportedWmiTypeError&)
        {
        }
    }
    CString text;
    text.Format(L"CCorvessaQpidType::GetQpidTypeString doesn't support type %ld", cimType);
    brontel::utility::CWMIDebugLog::LogInfo(kQpidTypeSource, kUnsupportedTypeLine, text);
    return std::string();
}

std::string CCorvessaQpidType::GetPropertyTypeStr(CCorvessaClassObject* object, const wchar_t* const& name,
                                                  const long& cimType)
{
    const bool isArray = (cimType & CIM_FLAG_ARRAY) != 0;
    const long baseType = cimType & ~CIM_FLAG_ARRAY;
    std::string type;
    if (!isArray && cimType == CIM_REFERENCE)
    {
        IWbemQualifierSet* qualifiers = nullptr;
        if (object != nullptr && SUCCEEDED(object->GetPropertyQualifierSet(name, &qualifiers)) && qualifiers != nullptr)
        {
            _variant_t value;
            if (SUCCEEDED(qualifiers->Get(L"CIMTYPE", 0, &value, nullptr)) && value.vt == VT_BSTR)
            {
                type = brontel::utility::ConvertUtf16ToUtf8(value.bstrVal);
            }
            qualifiers->Release();
        }
    }
    else if (!isArray)
    {
        type = GetQpidTypeString(cimType);
    }
    else if (baseType == CIM_UINT8)
    {
        type = std::string(WmiTypeNameTable[6]);
    }
    else
    {
        type = "list(" + GetQpidTypeString(baseType) + ")";
    }
    if (type.empty())
    {
        CString message;
        message.Format(L"CCorvessaQpidType::GetPropertyTypeStr failed to determine property type for %s.%s",
                       object != nullptr ? object->GetClassNameW().GetString() : L"", name);
        throw GenericException(message);
    }
    return type;
}

std::string CCorvessaQpidType::GetPropertyAccess(CCorvessaClassObject& definition, CString name)
{
    if (CWMITypeInfo::IsPropertyViewOnly(definition, name))
    {
        return "view";
    }
    return CWMITypeInfo::IsPropertyReadOnly(definition, name) ? "read" : "edit";
}

void CCorvessaQpidType::PopulateTypeDetails(IWmipUserEntry* entry, CWMITypeInfo* typeInfo)
{
    if (typeInfo == nullptr)
    {
        throw GenericException(L"CCorvessaQpidType::PopulateTypeDetails - Expected valid parameter: typeInfo");
    }
    const std::shared_ptr<const CCorvessaClassObject> shared = typeInfo->GetTypeInformation();
    if (shared == nullptr)
    {
        throw GenericException(L"CCorvessaQpidType::PopulateTypeDetails - Failed to get type information.");
    }
    // The definition is shared by every request: its enumerations run on a copy of our own.
    CCorvessaClassObject definition(*shared);
    // The properties are described as the caller is served them, a copy of its own: their
    // qualifiers follow the options and rights it was made under (a PIN not editable once the
    // installation forbids it), and the value lists name only what the caller may see.
    const std::shared_ptr<CCorvessaClassObject> served = typeInfo->GetUserDefinition(entry);
    Clear();
    m_className = ConvertCStringToUtf8(definition.GetClassNameW());
    m_classDisplayName = typeInfo->GetTypeDisplayName();

    CCorvessaPropertyCursor cursor(served.get(), WBEM_FLAG_NONSYSTEM_ONLY);
    CString name;
    _variant_t value;
    CIMTYPE cimType = 0;
    while (cursor.Next(name, value, cimType))
    {
        if (!CWMITypeInfo::ShouldCorvessaExposeProperty(name))
        {
            continue;
        }
        Variant::Map property;
        property["name"] = Variant(ConvertCStringToUtf8(name));
        const std::string displayName = typeInfo->GetPropertyDisplayName(name);
        if (!displayName.empty())
        {
            property["display_name"] = Variant(displayName);
        }
        const wchar_t* const rawName = name.GetString();
        property["type"] = Variant(GetPropertyTypeStr(served.get(), rawName, cimType));
        property["is_key"] = Variant(typeInfo->IsPropertyAKeyProperty(name));
        if (cimType == CIM_STRING || (cimType & CIM_FLAG_ARRAY) != 0)
        {
            property["max_length"] = Variant(static_cast<std::int32_t>(CWMITypeInfo::GetPropertyLength(*served, name)));
        }
        property["is_required"] = Variant(CWMITypeInfo::IsPropertyRequired(*served, name));
        property["access"] = Variant(GetPropertyAccess(*served, name));
        const CString defaultValue = CWMITypeInfo::GetDefaultValue(*served, name);
        if (!defaultValue.IsEmpty())
        {
            property["default_value"] = Variant(ConvertCStringToUtf8(defaultValue));
        }
        const std::map<CString, CString> possibleValues = CWMITypeInfo::GetPossibleValues(*served, name);
        if (!possibleValues.empty())
        {
            property["possible_values"] = Variant(CCorvessaHelper::ConvertToQpidMap(possibleValues));
        }
        m_properties.emplace_back(property);
    }
    PopulateMethodInformation(definition);
}

void CCorvessaQpidType::PopulateMethodInformation(CCorvessaClassObject& definition)
{
    definition.BeginMethodEnumeration(0);
    for (;;)
    {
        BstrOwner rawName;
        IWbemClassObject* in = nullptr;
        IWbemClassObject* out = nullptr;
        if (definition.NextMethod(0, rawName.Receive(), &in, &out) != WBEM_S_NO_ERROR)
        {
            break;
        }
        // Both signatures go back after each method, whatever way it ends.
        const SignaturePtr inSignature(in);
        const SignaturePtr outSignature(out);
        const CString name(rawName.Get());
        if (!CWMITypeInfo::ShouldCorvessaExposeMethod(name))
        {
            continue;
        }
        Variant::Map method;
        method["name"] = Variant(ConvertCStringToUtf8(name));
        method["in_parameters"] = Variant(BuildParameterList(static_cast<CCorvessaClassObject*>(inSignature.get())));
        method["out_parameters"] = Variant(BuildParameterList(static_cast<CCorvessaClassObject*>(outSignature.get())));
        m_methods.emplace_back(method);
    }
    definition.EndMethodEnumeration();
}

Variant::List CCorvessaQpidType::BuildParameterList(CCorvessaClassObject* signature)
{
    Variant::List parameters;
    if (signature == nullptr)
    {
        return parameters;
    }
    CCorvessaPropertyCursor cursor(signature, 0);
    CString name;
    _variant_t value;
    CIMTYPE cimType = 0;
    while (cursor.Next(name, value, cimType))
    {
        const wchar_t* const rawName = name.GetString();
        parameters.push_back(Variant(Variant::Map{{"name", Variant(ConvertCStringToUtf8(name))},
                                                  {"type", Variant(GetPropertyTypeStr(signature, rawName, cimType))}}));
    }
    return parameters;
}

CString CCorvessaQpidType::ToXml()
{
    CString xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";
    xml += L"<Object ClassName=\"" + XmlText(m_className) + L"\">\r\n";
    for (const Variant& property : m_properties)
    {
        xml += L"\t<Property name=\"" + XmlText(MapText(property, "name")) + L"\" type=\"" +
               XmlText(MapText(property, "type")) + L"\"></Property>\r\n";
    }
    xml += L"</Object>";
    return xml;
}
