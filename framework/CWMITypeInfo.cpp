#include "framework/CWMITypeInfo.h"

#include "framework/objects/CCorvessaNamespace.h"
#include "framework/CWmipClassMapperHooks.h"
#include "framework/CWmipMessages.h"
#include "framework/CWmipMethodSignatures.h"
#include "framework/IWmipUserEntry.h"
#include "inhouse/BntLogin/CAcsUser.h"
#include "inhouse/BntLogin/CDefinitionStamps.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "inhouse/BntUtility/CWMIException.h"
#include "inhouse/BntUtility/StringConversion.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/mfc/CException.h"
#include "platform/win32/SystemInfo.h"

#include <algorithm>
#include <cwchar>
#include <exception>
#include <optional>

using brontel::utility::CWMIDebugLog;
using brontel::utility::CWMIException;

namespace {
constexpr wchar_t kWMITypeInfoSource[] = L"CWMITypeInfo.cpp";
constexpr wchar_t kDisplayNameQualifier[] = L"DisplayName";
constexpr wchar_t kUDFTableIdAttribute[] = L"UDFTableId";
constexpr LONG kStringArrayFlavor = 3;

struct SAUserState
{
    CheckedMutex lock;
    std::shared_ptr<CAcsUser> user GUARDED_BY(lock);
};

SAUserState& SAUser()
{
    static SAUserState state;
    return state;
}

// A boolean qualifier value holding the low 16 bits of value, as the declarations store them.
VARIANT BooleanFromInteger(int value)
{
    VARIANT result;
    VariantInit(&result);
    result.vt = VT_BOOL;
    result.boolVal = static_cast<VARIANT_BOOL>(value & 0xFFFF);
    return result;
}

bool IsTrue(const VARIANT& value)
{
    switch (value.vt)
    {
    case VT_BOOL:
        return value.boolVal != 0;
    case VT_I2:
        return value.iVal != 0;
    case VT_I4:
        return value.lVal != 0;
    case VT_INT:
        return value.intVal != 0;
    default:
        return false;
    }
}

// A new one-dimensional BSTR array of the texts; null when it cannot be built.
SAFEARRAY* BuildStringArray(const std::vector<CString>& texts)
{
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(texts.size()));
    if (array == nullptr)
        return nullptr;
    for (LONG i = 0; i < static_cast<LONG>(texts.size()); ++i)
    {
        const BstrOwner text(texts[static_cast<std::size_t>(i)].AllocSysString());
        const HRESULT hr = SafeArrayPutElement(array, &i, text.Get());
        if (FAILED(hr))
        {
            SafeArrayDestroy(array);
            return nullptr;
        }
    }
    return array;
}

// Runs a step that makes a mapper or builds a definition; an exception is logged and gives null.
template <typename Step>
auto Logged(const wchar_t* what, Step step) -> decltype(step())
{
    try
    {
        return step();
    }
    catch (const CWMIException& error)
    {
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, what, error.GetHResult(), nullptr, &error);
    }
    catch (const CException& error)
    {
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, what, WBEM_E_FAILED, &error);
    }
    catch (const std::exception&)
    {
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, what, WBEM_E_FAILED);
    }
    return nullptr;
}

// The texts of a one-dimensional BSTR array value; false when the value is not one.
bool ReadStringArray(const VARIANT& value, std::vector<CString>& texts)
{
    if (value.vt != (VT_ARRAY | VT_BSTR) || value.parray == nullptr)
        return false;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(value.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(value.parray, 1, &upper)))
        return false;
    for (LONG i = lower; i <= upper; ++i)
    {
        BstrOwner text;
        if (FAILED(SafeArrayGetElement(value.parray, &i, text.Receive())))
            return false;
        texts.emplace_back(text.Get());
    }
    return true;
}

std::string ToUtf8(const CString& text)
{
    return brontel::utility::ConvertCStringToUtf8(text);
}
}  // namespace

CWMITypeInfo::CWMITypeInfo(const CString& className, const CString& parentTypeName)
    : m_className(className), m_parentTypeName(parentTypeName),
      m_classObject(std::make_shared<CCorvessaClassObject>(className))
{
}

CWMITypeInfo::~CWMITypeInfo() = default;

CWMITypeInfo::ClassObjectPtr CWMITypeInfo::CurrentDefinition() const
{
    CheckedMutexLock guard(m_lock);
    return m_classObject;
}

HRESULT CWMITypeInfo::PutPropertyQualifier(const CString& property, const wchar_t* name, const VARIANT& value)
{
    const ClassObjectPtr definition = CurrentDefinition();
    IWbemQualifierSet* qualifiers = nullptr;
    HRESULT hr = definition->GetPropertyQualifierSet(property, &qualifiers);
    if (FAILED(hr) || qualifiers == nullptr)
        return FAILED(hr) ? hr : WBEM_E_FAILED;
    VARIANT copy = value;
    hr = qualifiers->Put(name, &copy, 0);
    qualifiers->Release();
    return hr;
}

bool CWMITypeInfo::GetPropertyQualifier(CCorvessaClassObject& definition, const CString& property, const wchar_t* name,
                                        _variant_t& value)
{
    IWbemQualifierSet* qualifiers = nullptr;
    if (definition.GetPropertyQualifierSet(property, &qualifiers) != WBEM_S_NO_ERROR || qualifiers == nullptr)
        return false;
    value.Clear();
    const HRESULT hr = qualifiers->Get(name, 0, &value, nullptr);
    qualifiers->Release();
    return hr == WBEM_S_NO_ERROR;
}

bool CWMITypeInfo::GetPropertyQualifier(const CString& property, const wchar_t* name, _variant_t& value) const
{
    return GetPropertyQualifier(*CurrentDefinition(), property, name, value);
}

bool CWMITypeInfo::IsPropertyQualifierTrue(CCorvessaClassObject& definition, const CString& property,
                                           const wchar_t* name)
{
    _variant_t value;
    return GetPropertyQualifier(definition, property, name, value) && IsTrue(value);
}

void CWMITypeInfo::CopyClassWideAttributes(const CString& property)
{
    for (const auto& [attribute, value] : m_classWideAttributes)
        PutPropertyQualifier(property, attribute, value);
}

// --- Registration ---------------------------------------------------------------------------

void CWMITypeInfo::AddProperty(const CString& property, LONG cimType, const CString& table, const CString& column,
                               int keyFlag, int maxLength, LONG idType, SegmentOption segmentOption)
{
    CurrentDefinition()->Put(property, 0, nullptr, cimType);

    CString tableColumn;
    if (!table.IsEmpty() && !column.IsEmpty())
    {
        tableColumn.Format(L"%s.%s", table.GetString(), column.GetString());
        if (m_propertyToColumn.insert_or_assign(FoldName(property), tableColumn).second)
            m_propertyColumns.emplace_back(property, tableColumn);
        else
            for (auto& entry : m_propertyColumns)
                if (entry.first.CompareNoCase(property) == 0)
                    entry.second = tableColumn;
        m_columnToProperty[FoldName(tableColumn)] = property;
    }
    if (keyFlag != 0)
    {
        if (m_keyPropertyToColumn.insert_or_assign(FoldName(property), tableColumn).second)
            m_keyProperties.emplace_back(property, tableColumn);
        else
            for (auto& entry : m_keyProperties)
                if (entry.first.CompareNoCase(property) == 0)
                    entry.second = tableColumn;
        if (!m_dynamic)
            PutPropertyQualifier(property, L"key", _variant_t(true));
    }
    if (cimType != 0)
        m_propertyTypes[FoldName(property)] = cimType;
    if (IsIdShaped(property, cimType) &&
        std::none_of(m_idShapedProperties.begin(), m_idShapedProperties.end(),
                     [&](const CString& known) { return known.CompareNoCase(property) == 0; }))
        m_idShapedProperties.push_back(property);
    if (idType != kNoIdType)
        m_propertyIdTypes[FoldName(property)] = idType;
    if (cimType == CIM_STRING || ((cimType & CIM_FLAG_ARRAY) != 0 && maxLength >= 1))
        PutPropertyQualifier(property, L"maxlen", _variant_t(static_cast<LONG>(maxLength)));
    SetSegmentationOption(property, segmentOption);
    CopyClassWideAttributes(property);
}

void CWMITypeInfo::AddDynamicProperty(const CString& property, LONG cimType, int maxLength)
{
    AddProperty(property, cimType, CString(), CString(), 0, maxLength, kNoIdType, SegmentOptionNone);
}

void CWMITypeInfo::AddReferenceProperty(const CString& property, const CString& referencedClass)
{
    CurrentDefinition()->Put(property, 0, nullptr, CIM_REFERENCE);
    CString reference;
    reference.Format(L"ref:%s", referencedClass.GetString());
    PutPropertyQualifier(property, L"CIMTYPE", _variant_t(reference.GetString()));
    m_referenceProperties[property] = referencedClass;
    CopyClassWideAttributes(property);
}

bool CWMITypeInfo::IsIdShaped(const CString& name, LONG cimType)
{
    if (!IsIntegerCimType(static_cast<CIMTYPE>(cimType & ~CIM_FLAG_ARRAY)))
        return false;
    for (const wchar_t* ending : {L"ID", L"Id", L"KEY", L"Key"})
    {
        const int length = static_cast<int>(std::wcslen(ending));
        if (name.GetLength() >= length && name.Right(length) == ending)
            return true;
    }
    return false;
}

std::vector<CString> CWMITypeInfo::FindUndeclaredIds() const
{
    const auto declared = [this](const CString& method, const CString& name) {
        for (const NamedRecord& named : m_namedRecords)
            if (named.method.CompareNoCase(method) == 0)
                for (const CString& given : named.names)
                    if (given.CompareNoCase(name) == 0)
                        return true;
        for (const NoRecord& none : m_noRecords)
            if (none.method.CompareNoCase(method) == 0 && none.name.CompareNoCase(name) == 0)
                return true;
        return false;
    };
    std::vector<CString> undeclared;
    for (const CString& property : m_idShapedProperties)
    {
        const bool ownIdentity = m_keyPropertyToColumn.count(FoldName(property)) != 0 &&
                                 (property.CompareNoCase(L"ID") == 0 || GetPropertyIDType(property) != kNoIdType);
        if (!ownIdentity && !declared(CString(), property))
            undeclared.push_back(property);
    }
    for (const auto& [name, method] : m_methods)
        for (const auto& [parameter, cimType] : method.InParameters())
            if (IsIdShaped(parameter, cimType) && !declared(name, parameter))
                undeclared.push_back(name + L"." + parameter);
    return undeclared;
}

void CWMITypeInfo::AddMethod(const CString& method)
{
    m_methods.try_emplace(method, method);
}

void CWMITypeInfo::AddMethodParameter(const CString& method, bool isInput, const CString& parameter, LONG cimType,
                                      const CString& objectClass)
{
    m_methods.try_emplace(method, method).first->second.AddParameter(isInput, parameter, cimType);
    if (isInput && !objectClass.IsEmpty())
        m_objectParameterClasses[FoldName(method + L"." + parameter)] = objectClass;
}

void CWMITypeInfo::RequireObjectParameterClasses(const wchar_t* method, IWbemClassObject* inParams) const
{
    if (method == nullptr || inParams == nullptr)
        return;
    for (const auto& [name, descriptor] : m_methods)
    {
        if (name.CompareNoCase(method) != 0)
            continue;
        for (const auto& [parameter, cimType] : descriptor.InParameters())
        {
            const auto taken = m_objectParameterClasses.find(FoldName(name + L"." + parameter));
            _variant_t value;
            if (taken == m_objectParameterClasses.end() ||
                FAILED(inParams->Get(parameter, 0, &value, nullptr, nullptr)) || value.vt != VT_UNKNOWN ||
                value.punkVal == nullptr)
                continue;
            // Any other class would be read as this one, and fail on what it lacks.
            ComPtr<IWbemClassObject> given;
            _variant_t givenClass;
            if (SUCCEEDED(value.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&given))) &&
                given != nullptr && SUCCEEDED(given->Get(L"__CLASS", 0, &givenClass, nullptr, nullptr)) &&
                givenClass.vt == VT_BSTR && taken->second.CompareNoCase(givenClass.bstrVal) == 0)
                continue;
            CString text;
            text.Format(CWmipMessages::kObjectParameterClass, parameter.GetString(), taken->second.GetString(),
                        givenClass.vt == VT_BSTR ? givenClass.bstrVal : L"no class");
            throw CWMIException(kWMITypeInfoSource, __LINE__, WBEM_E_INVALID_PARAMETER, text);
        }
    }
}

void CWMITypeInfo::AddPropertyAttribute(const CString& property, const CString& attribute, const VARIANT& value)
{
    IWbemQualifierSet* qualifiers = nullptr;
    const HRESULT hr = CurrentDefinition()->GetPropertyQualifierSet(property, &qualifiers);
    if (FAILED(hr) || qualifiers == nullptr)
    {
        CString text;
        text.Format(L"CWMITypeInfo::GetPropertyQualifierSet failed for %s.", property.GetString());
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, text, hr);
        return;
    }
    VARIANT copy = value;
    qualifiers->Put(attribute, &copy, 0);
    qualifiers->Release();
}

void CWMITypeInfo::AddPropertyValues(const CString& property, const std::map<CString, CString>& values)
{
    m_declaredValueLists.insert(FoldName(property));
    std::vector<CString> keys;
    std::vector<CString> labels;
    for (const auto& [value, label] : values)
    {
        keys.push_back(value);
        labels.push_back(label);
    }
    HRESULT hr = WBEM_E_OUT_OF_MEMORY;
    SAFEARRAY* keyArray = BuildStringArray(keys);
    SAFEARRAY* labelArray = BuildStringArray(labels);
    if (keyArray != nullptr && labelArray != nullptr)
    {
        IWbemQualifierSet* qualifiers = nullptr;
        hr = CurrentDefinition()->GetPropertyQualifierSet(property, &qualifiers);
        if (SUCCEEDED(hr) && qualifiers != nullptr)
        {
            VARIANT value;
            VariantInit(&value);
            value.vt = VT_ARRAY | VT_BSTR;
            value.parray = keyArray;
            hr = qualifiers->Put(L"ValueMap", &value, kStringArrayFlavor);
            if (SUCCEEDED(hr))
            {
                value.parray = labelArray;
                hr = qualifiers->Put(L"Values", &value, kStringArrayFlavor);
            }
            qualifiers->Release();
        }
    }
    if (keyArray != nullptr)
        SafeArrayDestroy(keyArray);
    if (labelArray != nullptr)
        SafeArrayDestroy(labelArray);
    if (FAILED(hr))
    {
        CString text;
        text.Format(L"CWMITypeInfo::AddPropertyValues failed for property %s.", property.GetString());
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, text, hr);
    }
}

void CWMITypeInfo::AddClassAttribute(const CString& attribute, int value)
{
    IWbemQualifierSet* qualifiers = nullptr;
    if (CurrentDefinition()->GetQualifierSet(&qualifiers) != WBEM_S_NO_ERROR || qualifiers == nullptr)
        return;
    _variant_t number(static_cast<LONG>(value), VT_INT);
    qualifiers->Put(attribute, &number, 0);
    qualifiers->Release();
}

void CWMITypeInfo::AddClassWidePropertyAttribute(const CString& attribute, int value)
{
    m_classWideAttributes[attribute] = _variant_t(BooleanFromInteger(value));
}

void CWMITypeInfo::SetSegmentationOption(const CString& property, SegmentOption option)
{
    if (option == SegmentOptionNone)
        return;
    m_segmentOptions[FoldName(property)] = option;
    if (m_dynamic)
        PutPropertyQualifier(property, L"SegmentOption", _variant_t(static_cast<LONG>(option)));
}

// --- Registered facts -----------------------------------------------------------------------

std::wstring CWMITypeInfo::FoldName(const CString& name)
{
    std::wstring folded = name.GetWString();
    for (wchar_t& c : folded)
    {
        if (c >= 0x80)
        {
            // Beyond ASCII the case rules are CString's own.
            CString lowered(name);
            lowered.MakeLower();
            return lowered.GetWString();
        }
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    }
    return folded;
}

bool CWMITypeInfo::GetColumnForProperty(const CString& property, CString& tableDotColumn) const
{
    const auto found = m_propertyToColumn.find(FoldName(property));
    if (found == m_propertyToColumn.end())
        return false;
    tableDotColumn = found->second;
    return true;
}

bool CWMITypeInfo::GetPropertyForColumn(const CString& tableDotColumn, CString& property) const
{
    const auto found = m_columnToProperty.find(FoldName(tableDotColumn));
    if (found == m_columnToProperty.end())
        return false;
    property = found->second;
    return true;
}

long CWMITypeInfo::GetPropertyIDType(const CString& property) const
{
    const auto found = m_propertyIdTypes.find(FoldName(property));
    return found == m_propertyIdTypes.end() ? kNoIdType : found->second;
}

int CWMITypeInfo::GetSegmentationOption(const CString& property) const
{
    const auto found = m_segmentOptions.find(FoldName(property));
    return found == m_segmentOptions.end() ? SegmentOptionNone : found->second;
}

// --- Facts of the current definition ---------------------------------------------------------

bool CWMITypeInfo::HasProperty(const CString& property) const
{
    return CurrentDefinition()->GetPropertyDescriptor(property) != nullptr;
}

long CWMITypeInfo::GetPropertyType(const CString& property) const
{
    const auto found = m_propertyTypes.find(FoldName(property));
    if (found != m_propertyTypes.end())
        return found->second;
    const ClassObjectPtr definition = CurrentDefinition();
    const CCorvessaPropertyDescriptor* descriptor = definition->GetPropertyDescriptor(property);
    return descriptor == nullptr ? 0 : descriptor->GetCIMType();
}

bool CWMITypeInfo::IsPropertyAKeyProperty(const CString& property) const
{
    if (m_keyPropertyToColumn.count(FoldName(property)) != 0)
        return true;
    _variant_t key;
    if (!GetPropertyQualifier(property, L"key", key))
        return false;
    return (key.vt == VT_BOOL || key.vt == VT_I2) && key.iVal == 1;
}

int CWMITypeInfo::GetPropertyLength(CCorvessaClassObject& definition, const CString& property)
{
    _variant_t length;
    if (!GetPropertyQualifier(definition, property, L"maxlen", length))
        return 0;
    switch (length.vt)
    {
    case VT_I4:
        return length.lVal;
    case VT_INT:
        return length.intVal;
    case VT_I2:
        return length.iVal;
    default:
        return 0;
    }
}

bool CWMITypeInfo::IsPropertyRequired(CCorvessaClassObject& definition, const CString& property)
{
    return IsPropertyQualifierTrue(definition, property, L"not_null");
}

bool CWMITypeInfo::IsPropertyViewOnly(CCorvessaClassObject& definition, const CString& property)
{
    return IsPropertyQualifierTrue(definition, property, L"noedit");
}

bool CWMITypeInfo::IsPropertyReadOnly(CCorvessaClassObject& definition, const CString& property)
{
    return IsPropertyQualifierTrue(definition, property, L"read");
}

CString CWMITypeInfo::GetDefaultValue(CCorvessaClassObject& definition, const CString& property)
{
    _variant_t value;
    if (!GetPropertyQualifier(definition, property, L"DefaultValue", value) || value.vt != VT_BSTR ||
        value.bstrVal == nullptr)
        return CString();
    return CString(value.bstrVal);
}

int CWMITypeInfo::GetPropertyLength(const CString& property) const
{
    return GetPropertyLength(*CurrentDefinition(), property);
}

bool CWMITypeInfo::IsPropertyRequired(const CString& property) const
{
    return IsPropertyRequired(*CurrentDefinition(), property);
}

bool CWMITypeInfo::IsPropertyViewOnly(const CString& property) const
{
    return IsPropertyViewOnly(*CurrentDefinition(), property);
}

bool CWMITypeInfo::IsPropertyReadOnly(const CString& property) const
{
    return IsPropertyReadOnly(*CurrentDefinition(), property);
}

CString CWMITypeInfo::GetDefaultValue(const CString& property) const
{
    return GetDefaultValue(*CurrentDefinition(), property);
}

std::string CWMITypeInfo::GetPropertyDisplayName(const CString& property) const
{
    _variant_t value;
    if (!GetPropertyQualifier(property, kDisplayNameQualifier, value) || value.vt != VT_BSTR ||
        value.bstrVal == nullptr)
        return std::string();
    return ToUtf8(CString(value.bstrVal));
}

int CWMITypeInfo::GetUDFTableId() const
{
    const ClassObjectPtr definition = CurrentDefinition();
    IWbemQualifierSet* qualifiers = nullptr;
    if (definition->GetQualifierSet(&qualifiers) != WBEM_S_NO_ERROR || qualifiers == nullptr)
        return 0;
    _variant_t value;
    const HRESULT hr = qualifiers->Get(kUDFTableIdAttribute, 0, &value, nullptr);
    qualifiers->Release();
    if (hr != WBEM_S_NO_ERROR)
        return 0;
    switch (value.vt)
    {
    case VT_INT:
        return value.intVal;
    case VT_I4:
        return value.lVal;
    default:
        return 0;
    }
}

std::shared_ptr<CCorvessaClassObject> CWMITypeInfo::GetUserDefinition(IWmipUserEntry* entry) const
{
    const CAcsUser* user = entry != nullptr ? entry->GetUser() : nullptr;
    if (user == nullptr || !m_typeConstructor)
        return std::make_shared<CCorvessaClassObject>(*CurrentDefinition());
    ClassObjectPtr definition = Logged(L"CWMITypeInfo could not shape a class definition.", [&]() -> ClassObjectPtr {
        std::unique_ptr<CWmipClassMapperHooks> mapper(
            m_typeConstructor(user, nullptr, &CCorvessaNamespace::Instance(), Door::kBus));
        if (mapper == nullptr)
            return std::make_shared<CCorvessaClassObject>(*CurrentDefinition());
        mapper->SetUserEntry(entry);
        // A built definition is the caller's own as the WMI door serves it: built for the caller
        // and shaped by its permissions in the class cache, and kept there as the mapper says.
        if (m_dynamic)
            return BuildWith(*mapper, FALSE);
        auto registered = std::make_shared<CCorvessaClassObject>(*CurrentDefinition());
        // The shaping a WMI caller's copy gets.
        mapper->ProcessClassPermissions(registered.get());
        return registered;
    });
    // Never the lists built for nobody in particular: they may name records the user may not see.
    if (definition == nullptr)
        throw CWMIException(kWMITypeInfoSource, __LINE__, WBEM_E_FAILED);
    return definition;
}

std::map<CString, CString> CWMITypeInfo::GetPossibleValues(CCorvessaClassObject& definition, const CString& property)
{
    std::map<CString, CString> result;
    IWbemQualifierSet* qualifiers = nullptr;
    if (definition.GetPropertyQualifierSet(property, &qualifiers) != WBEM_S_NO_ERROR || qualifiers == nullptr)
        return result;
    _variant_t valueMap;
    _variant_t labels;
    const bool found = qualifiers->Get(L"ValueMap", 0, &valueMap, nullptr) == WBEM_S_NO_ERROR &&
                       qualifiers->Get(L"Values", 0, &labels, nullptr) == WBEM_S_NO_ERROR;
    qualifiers->Release();
    std::vector<CString> keyTexts;
    std::vector<CString> labelTexts;
    if (!found || !ReadStringArray(valueMap, keyTexts) || !ReadStringArray(labels, labelTexts) ||
        keyTexts.size() != labelTexts.size())
        return result;
    for (std::size_t i = 0; i < keyTexts.size(); ++i)
        result[keyTexts[i]] = labelTexts[i];
    return result;
}

std::string CWMITypeInfo::GetTypeDisplayName() const
{
    CheckedMutexLock guard(m_lock);
    return ToUtf8(m_displayName);
}

void CWMITypeInfo::SetTypeDisplayName(const CString& displayName)
{
    CheckedMutexLock guard(m_lock);
    m_displayName = displayName;
}

// --- The class definition --------------------------------------------------------------------

CWMITypeInfo::ClassObjectPtr CWMITypeInfo::BuildThroughMapper(const CAcsUser* user) const
{
    if (!m_typeConstructor || user == nullptr)
        return nullptr;
    return Logged(L"CWMITypeInfo could not build a class definition.", [&]() -> ClassObjectPtr {
        std::unique_ptr<CWmipClassMapperHooks> mapper(
            m_typeConstructor(user, nullptr, &CCorvessaNamespace::Instance(), Door::kBus));
        return mapper != nullptr ? BuildWith(*mapper, TRUE) : nullptr;
    });
}

CWMITypeInfo::ClassObjectPtr CWMITypeInfo::BuildWith(CWmipMapper& mapper, BOOL system) const
{
    ComPtr<IWbemClassObject> built;
    const HRESULT hr = mapper.GetBuiltClass(built, system);
    const auto* corvessa = dynamic_cast<const CCorvessaClassObject*>(built.Get());
    if (FAILED(hr) || corvessa == nullptr)
    {
        CString text;
        text.Format(L"CWMITypeInfo could not build the class definition of %s.", m_className.GetString());
        CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, text, FAILED(hr) ? hr : WBEM_E_FAILED);
        return nullptr;
    }
    // Start from the registered definition so its class qualifiers ("UDFTableId") stay;
    // assignment takes the built properties and methods and merges the class qualifiers.
    auto definition = std::make_shared<CCorvessaClassObject>(*CurrentDefinition());
    *definition = *corvessa;
    return definition;
}

void CWMITypeInfo::AddMethodsTo(CCorvessaClassObject& definition) const
{
    CWmipMethodSignatures::AddTo(m_methods, &definition);
}

void CWMITypeInfo::Publish(ClassObjectPtr definition)
{
    m_classObject = std::move(definition);
}

CWMITypeInfo::ClassObjectPtr CWMITypeInfo::GetTypeInformation()
{
    const DWORD start = GetTickCount();
    const bool built = m_dynamic && m_typeConstructor;
    // Read before the definition is, as the class cache reads them: the rows a re-read reads are
    // never older than the stamps it is published under. Unreadable stamps vouch for nothing.
    const std::optional<CDefinitionStamps> stamps =
        built ? CDefinitionStamps::Read(GetSAUser().get(), 0) : std::nullopt;
    bool reread = false;
    {
        CheckedMutexLock guard(m_lock);
        // One thread re-reads; others, and a mapper that asks for this class again while it
        // is being built, take the definition as it is.
        if (built && (!stamps.has_value() || m_readStamps != stamps) && !m_reading)
        {
            m_reading = true;
            reread = true;
        }
    }
    if (reread)
    {
        // Built without m_lock: the mapper may reach the registry, whose lock is taken before ours.
        ClassObjectPtr definition;
        try
        {
            definition = BuildThroughMapper(GetSAUser().get());
        }
        catch (...)
        {
            CheckedMutexLock guard(m_lock);
            m_reading = false;
            throw;
        }
        CheckedMutexLock guard(m_lock);
        m_reading = false;
        if (definition != nullptr)
        {
            Publish(std::move(definition));
            m_readStamps = stamps;
        }
    }

    ClassObjectPtr result;
    {
        CheckedMutexLock guard(m_lock);
        if (!m_methods.empty() && m_classObject->MethodNames().empty())
        {
            auto withMethods = std::make_shared<CCorvessaClassObject>(*m_classObject);
            AddMethodsTo(*withMethods);
            Publish(std::move(withMethods));
        }
        result = m_classObject;
    }
    const DWORD elapsed = GetTickCount() - start;
    if (elapsed != 0)
    {
        CString text;
        text.Format(L"CWMITypeInfo::GetTypeInformation took %ld ms for type %s", static_cast<LONG>(elapsed),
                    m_className.GetString());
        CWMIDebugLog::LogInfo(kWMITypeInfoSource, __LINE__, text, nullptr, false);
    }
    return result;
}

void CWMITypeInfo::UpdateTypeInformation(const std::function<void(CCorvessaClassObject&)>& change)
{
    // The change runs without m_lock: it may ask for this type again.
    auto edited = std::make_shared<CCorvessaClassObject>(*CurrentDefinition());
    change(*edited);
    CheckedMutexLock guard(m_lock);
    Publish(std::move(edited));
}

// --- Process-wide -----------------------------------------------------------------------------

bool CWMITypeInfo::ShouldCorvessaExposeProperty(const CString& property)
{
    return !property.IsEmpty() && property.Left(2) != L"__";
}

bool CWMITypeInfo::ShouldCorvessaExposeMethod(const CString& method)
{
    return !method.IsEmpty();
}

std::shared_ptr<CAcsUser> CWMITypeInfo::GetSAUser()
{
    SAUserState& state = SAUser();
    CheckedMutexLock guard(state.lock);
    if (state.user == nullptr)
    {
        auto user = std::make_shared<CAcsUser>();
        if (!user->LoginAsSA())
        {
            CWMIDebugLog::LogError(kWMITypeInfoSource, __LINE__, L"CWMITypeInfo::GetSAUser could not log in as SA.",
                                   WBEM_E_FAILED);
            return nullptr;
        }
        state.user = std::move(user);
    }
    return state.user;
}

bool CWMITypeInfo::IsSegmentationOptionEnabledInTheSystem(SegmentOption option)
{
    const std::shared_ptr<CAcsUser> administrator = GetSAUser();
    if (administrator == nullptr)
        return false;
    return IsSegmentationOptionEnabled(administrator->GetSystemOptions(), option);
}

bool CWMITypeInfo::IsSegmentationOptionEnabled(const CBntAcsSystemOptions& options, SegmentOption option)
{
    switch (option)
    {
    case SegmentOptionSegments:
        return options.SegmentsInUse();
    case SegmentOptionCardholders:
        return options.IsCardholderSegmentationEnabled();
    case SegmentOptionVisitors:
        return options.IsVisitorSegmentationEnabled();
    case SegmentOptionBadgeTypes:
        return options.IsBadgeTypeSegmentationEnabled();
    case SegmentOptionPersons:
        return options.IsCardholderSegmentationEnabled() || options.IsVisitorSegmentationEnabled();
    default:
        return false;
    }
}

void CWMITypeInfo::HandleInvalidDBConnection()
{
    CDefinitionStamps::NewDatabaseGeneration();
    SAUserState& state = SAUser();
    CheckedMutexLock guard(state.lock);
    state.user.reset();
}

bool CWMITypeInfo::NamesExactlyTheKeys(const std::vector<CString>& names) const
{
    if (m_keyProperties.empty())
        return true;
    if (names.size() != m_keyProperties.size())
        return false;
    return std::all_of(m_keyProperties.begin(), m_keyProperties.end(), [&names](const auto& key) {
        return std::count_if(names.begin(), names.end(),
                             [&key](const CString& name) { return name.CompareNoCase(key.first) == 0; }) == 1;
    });
}
