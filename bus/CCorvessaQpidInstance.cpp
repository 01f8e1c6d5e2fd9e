#include "bus/CCorvessaQpidInstance.h"

#include <boost/algorithm/string/predicate.hpp>
#include <algorithm>
#include <set>
#include <utility>

#include "Libraries/OstrumCore/Source/Utils/StringUtils.h"

#include "framework/objects/CCorvessaClassObject.h"
#include "bus/CCorvessaException.h"
#include "bus/CCorvessaHelper.h"
#include "bus/CCorvessaPropertyCursor.h"
#include "bus/GenericException.h"
#include "framework/CWMITypeInfo.h"
#include "framework/CWmipClassMapper.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipPropertyRefusal.h"
#include "framework/CWmipObjectPath.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemQualifierSet.h"

using brontel::utility::ConvertCStringToUtf8;
using brontel::utility::ConvertUtf8ToCString;

namespace {

constexpr wchar_t kQpidInstanceSource[] = L"CorvessaQpidInstance";
constexpr int kValidationLine = 427;

CWMITypeInfo* TypeInfoOf(const CString& className)
{
    return CWmipMapperRegistry::Instance()->GetTypeInfo(className);
}

[[noreturn]] void ThrowUnknownType(const wchar_t* format, const CString& className)
{
    CString message;
    message.Format(format, className.GetString());
    throw GenericException(message);
}

// Releases a qualifier set when the scope ends.
struct QualifierSetHolder
{
    IWbemQualifierSet* set = nullptr;
    ~QualifierSetHolder()
    {
        if (set != nullptr)
        {
            set->Release();
        }
    }
};

}  // namespace

CString CCorvessaQpidInstance::ToXml() const
{
    CString xml = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n";
    CString line;
    const auto escaped = [](const std::string& utf8) {
        return ConvertUtf8ToCString(ostrum::utils::StringUtils::xmlEscape(utf8));
    };
    line.Format(L"<Object ClassName=\"%s\">\r\n", escaped(ConvertCStringToUtf8(m_className)).GetString());
    xml += line;
    for (const auto& [name, value] : m_values)
    {
        line.Format(L"\t<Property name=\"%s\">%s</Property>\r\n", escaped(name).GetString(),
                    escaped(value.asString()).GetString());
        xml += line;
    }
    xml += L"</Object>";
    return xml;
}

void CCorvessaQpidInstance::Clear()
{
    m_className.Empty();
    m_values.clear();
}

bool CCorvessaQpidInstance::ContainsBinaryData() const
{
    if (TypeInfoOf(m_className) == nullptr)
    {
        ThrowUnknownType(L"CCorvessaQpidInstance::ContainsBinaryData - Failed to find type %s in the registry.",
                         m_className);
    }
    CCorvessaClassObject definition(*CCorvessaHelper::GetTypeInformation(m_className));
    CCorvessaPropertyCursor cursor(&definition, WBEM_FLAG_NONSYSTEM_ONLY);
    CString name;
    _variant_t value;
    CIMTYPE type = 0;
    while (cursor.Next(name, value, type))
    {
        const long cimType = type;
        if (CCorvessaHelper::IsCIMTypeConsideredBinary(cimType))
        {
            return true;
        }
    }
    return false;
}

CCorvessaQpidInstance::ValueMap::const_iterator CCorvessaQpidInstance::FindProperty(const ValueMap& values,
                                                                                    const std::string& name)
{
    const auto exact = values.find(name);
    if (exact != values.end())
    {
        return exact;
    }
    for (auto it = values.begin(); it != values.end(); ++it)
    {
        if (boost::algorithm::iequals(it->first, name))
        {
            return it;
        }
    }
    return values.end();
}

_variant_t CCorvessaQpidInstance::ConvertedValue(const ValueMap& values, const CString& name, long cimType,
                                                 bool isBase64)
{
    const auto found = FindProperty(values, ConvertCStringToUtf8(name));
    if (found == values.end())
    {
        return CCorvessaHelper::GetNullVariant();
    }
    return CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(name, found->second, cimType, isBase64);
}

_variant_t CCorvessaQpidInstance::ConvertedValue(ValueMap& values, const CString& name, long cimType, bool isBase64,
                                                 bool take)
{
    _variant_t value = ConvertedValue(std::as_const(values), name, cimType, isBase64);
    const auto found = take ? FindProperty(values, ConvertCStringToUtf8(name)) : values.end();
    if (found != values.end())
    {
        values.erase(found);
    }
    return value;
}

void CCorvessaQpidInstance::PopulateInstanceData(CCorvessaClassObject* source, const CString& populationType)
{
    if (source == nullptr)
    {
        throw GenericException(L"CCorvessaQpidInstance::PopulateInstanceData - Expected valid parameter: source");
    }
    m_className = source->GetClassNameW();
    CCorvessaPropertyCursor cursor(source, 0);
    CWMITypeInfo* typeInfo = TypeInfoOf(m_className);
    if (typeInfo == nullptr)
    {
        ThrowUnknownType(L"CCorvessaQpidInstance::PopulateInstanceData - Failed to find type %s in the registry.",
                         m_className);
    }
    CWMITypeInfo* populationInfo = nullptr;
    if (!populationType.IsEmpty())
    {
        populationInfo = TypeInfoOf(populationType);
        if (populationInfo == nullptr)
        {
            ThrowUnknownType(
                L"CCorvessaQpidInstance::PopulateInstanceData - Failed to find population type %s in the registry.",
                populationType);
        }
    }
    CString name;
    _variant_t value;
    CIMTYPE type = 0;
    while (cursor.Next(name, value, type))
    {
        const std::string utf8Name = ConvertCStringToUtf8(name);
        // A property without a CIM type is none the type declares (a mapper put it anyway): the
        // WMI class refuses the same put, and the bus shows what the class shows.
        if (utf8Name.empty() || utf8Name.front() == '_' || !CWMITypeInfo::ShouldCorvessaExposeProperty(name) ||
            (populationInfo != nullptr && !populationInfo->HasProperty(name)) || type == CIM_EMPTY)
        {
            continue;
        }
        const long cimType = type;
        if (CCorvessaHelper::IsCIMTypeConsideredBinary(cimType))
        {
            // The source's own copy of a binary value goes first (the walk holds one): a value of
            // megabytes is held once as an array and once as this instance's bytes, no more.
            _variant_t none;
            none.vt = VT_NULL;
            source->Put(name, 0, &none, 0);
        }
        m_values[utf8Name] = CCorvessaHelper::ConvertToQpidVariant(m_className, name, value, cimType);
    }
}

void CCorvessaQpidInstance::PopulateInstanceData(const std::string& className, const ValueMap& values)
{
    m_className = ConvertUtf8ToCString(className);
    for (const auto& [name, value] : values)
    {
        m_values[name] = value;
    }
}

void CCorvessaQpidInstance::PopulateInstanceData(CWmipObjectPath* path)
{
    if (path == nullptr)
    {
        throw GenericException(L"CCorvessaQpidInstance::PopulateInstanceData - Expected valid parameter: path");
    }
    m_className = path->GetClassName();
    CWMITypeInfo* typeInfo = TypeInfoOf(m_className);
    if (typeInfo == nullptr)
    {
        ThrowUnknownType(L"CCorvessaQpidInstance::PopulateInstanceData - Failed to find type %s in the registry.",
                         m_className);
    }
    const std::vector<CString>& names = path->GetKeyNames();
    const std::vector<CString>& texts = path->GetKeyValues();
    for (std::size_t i = 0; i < names.size() && i < texts.size(); ++i)
    {
        const long cimType = typeInfo->GetPropertyType(names[i]);
        m_values[ConvertCStringToUtf8(names[i])] =
            CCorvessaHelper::ConvertToQpidVariant(m_className, names[i], texts[i], cimType);
    }
}

std::unique_ptr<CCorvessaClassObject> CCorvessaQpidInstance::AsWMIObject(CWmipClassMapper* mapper, CAcsUser* user,
                                                                         bool isBase64) const
{
    auto object = std::make_unique<CCorvessaClassObject>(m_className);
    CString message;
    if (mapper == nullptr)
    {
        message.Format(L"CCorvessaQpidInstance::AsWMIObject - Failed, invalid mapper specified for type: %s.",
                       m_className.GetString());
        throw GenericException(message);
    }
    if (user == nullptr)
    {
        throw GenericException(L"CCorvessaQpidInstance::AsWMIObject - Failed, invalid user specified.");
    }
    CCorvessaClassObject definition(*CCorvessaHelper::GetTypeInformation(m_className));
    CWMITypeInfo* typeInfo = TypeInfoOf(m_className);
    if (typeInfo == nullptr)
    {
        ThrowUnknownType(L"CCorvessaQpidInstance::AsWMIObject - Failed, invalid type information for type: %s.",
                         m_className);
    }
    // The caller's own definition: a property it lacks (a field the caller's field permission
    // group may not view) is none of the class's to this caller, and a value for it is refused as
    // one for an unknown property.
    const std::shared_ptr<CCorvessaClassObject> served = typeInfo->GetUserDefinition(mapper->GetUserEntry());
    ValidatePropertyValues(*served, &definition, isBase64);
    // The values a property of the class takes; the map is read, never emptied, so a caller
    // need not copy a long value to keep its instance whole.
    std::set<std::string> taken;
    {
        CCorvessaPropertyCursor cursor(&definition, WBEM_FLAG_NONSYSTEM_ONLY);
        CString name;
        _variant_t ignored;
        CIMTYPE type = 0;
        while (cursor.Next(name, ignored, type))
        {
            if (FAILED(served->Get(name, 0, nullptr, nullptr, nullptr)))
                continue;
            const auto found = FindProperty(m_values, ConvertCStringToUtf8(name));
            if (found != m_values.end())
                taken.insert(found->first);
            _variant_t value = ConvertedValue(m_values, name, type, isBase64);
            if (FAILED(object->Put(name, 0, &value, type)) ||
                FAILED(CopyPropertyQualifierSets(&definition, object.get(), name)))
            {
                message.Format(L"CCorvessaQpidInstance::AsWMIObject - Failed setting property %s.%s.",
                               m_className.GetString(), name.GetString());
                throw GenericException(message);
            }
        }
    }
    mapper->ProcessClassPermissions(object.get());
    const auto unknown =
        std::find_if(m_values.begin(), m_values.end(), [&](const auto& entry) { return !taken.contains(entry.first); });
    if (unknown != m_values.end())
    {
        message.Format(L"Request contains invalid property '%s'.", ConvertUtf8ToCString(unknown->first).GetString());
        throw CCorvessaException(CCorvessaException::kInvalidRequestItemKey, message);
    }
    return object;
}

void CCorvessaQpidInstance::ValidatePropertyValues(CCorvessaClassObject& served, CCorvessaClassObject* definition,
                                                   bool isBase64) const
{
    CCorvessaPropertyCursor cursor(definition, WBEM_FLAG_NONSYSTEM_ONLY);
    CString name;
    _variant_t ignored;
    CIMTYPE type = 0;
    while (cursor.Next(name, ignored, type))
    {
        const _variant_t value = ConvertedValue(m_values, name, type, isBase64);
        if (!CCorvessaHelper::IsSpecifiedValueInPossibleValues(served, name, value))
            CWmipPropertyRefusal::ThrowNamed(kQpidInstanceSource, kValidationLine, WBEM_E_INVALID_PARAMETER,
                                             CWmipMessages::kInvalidProperty, name);
    }
}

HRESULT CCorvessaQpidInstance::CopyPropertyQualifierSets(CCorvessaClassObject* source, CCorvessaClassObject* target,
                                                         const CString& propertyName)
{
    QualifierSetHolder from;
    QualifierSetHolder to;
    HRESULT hr = source->GetPropertyQualifierSet(propertyName, &from.set);
    if (FAILED(hr))
    {
        return hr;
    }
    hr = target->GetPropertyQualifierSet(propertyName, &to.set);
    if (FAILED(hr))
    {
        return hr;
    }
    hr = from.set->BeginEnumeration(0);
    while (SUCCEEDED(hr))
    {
        BstrOwner name;
        _variant_t value;
        LONG flavor = 0;
        hr = from.set->Next(0, name.Receive(), value.GetAddress(), &flavor);
        if (hr != WBEM_S_NO_ERROR)
            break;
        hr = to.set->Put(name.Get(), &value, 0);
    }
    from.set->EndEnumeration();
    return hr == WBEM_S_NO_MORE_DATA ? S_OK : hr;
}

std::unique_ptr<CWmipObjectPath> CCorvessaQpidInstance::GetObjectPath() const
{
    auto path = std::make_unique<CWmipObjectPath>(m_className.GetString());
    CCorvessaClassObject definition(*CCorvessaHelper::GetTypeInformation(m_className));
    CCorvessaPropertyCursor cursor(&definition, WBEM_FLAG_KEYS_ONLY);
    CString name;
    _variant_t ignored;
    CIMTYPE type = 0;
    while (cursor.Next(name, ignored, type))
    {
        const auto found = FindProperty(m_values, ConvertCStringToUtf8(name));
        _variant_t value;
        if (found != m_values.end())
        {
            value = CCorvessaHelper::ConvertFromQpidVariantToWMIVariant(name, found->second, type, false);
        }
        if (found == m_values.end() || CCorvessaHelper::IsVariantEmpty(value))
        {
            CString message;
            message.Format(L"Missing expected item in request: %s.", name.GetString());
            throw CCorvessaException(CCorvessaException::kMissingRequestItemKey, message);
        }
        // Each value by the member its type names: a byte or boolean key is not a 32-bit integer.
        bool added = false;
        if (value.vt == VT_I4)
        {
            added = path->AddKey(name, value.lVal);
        }
        else if (value.vt == VT_UI1)
        {
            added = path->AddKey(name, static_cast<LONG>(value.bVal));
        }
        else
        {
            if (value.vt != VT_BSTR)
            {
                value.ChangeType(VT_BSTR);
            }
            added = path->AddKey(name, value.bstrVal == nullptr ? L"" : value.bstrVal);
        }
        if (!added)
        {
            throw CCorvessaException::InvalidRequestItem(brontel::utility::ConvertCStringToUtf8(name));
        }
    }
    return path;
}

CCorvessaQpidInstance::ValueMap CCorvessaQpidInstance::GetInstanceKeyValues() const
{
    ValueMap keys;
    CWMITypeInfo* typeInfo = TypeInfoOf(m_className);
    if (typeInfo == nullptr)
    {
        return keys;
    }
    for (const auto& [name, value] : m_values)
    {
        if (typeInfo->IsPropertyAKeyProperty(ConvertUtf8ToCString(name)))
        {
            keys[name] = value;
        }
    }
    return keys;
}
