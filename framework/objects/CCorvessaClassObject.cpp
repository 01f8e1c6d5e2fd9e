#include "framework/objects/CCorvessaClassObject.h"

#include "framework/objects/ICorvessaClassSource.h"
#include "inhouse/BntUtility/CWMIDebugLog.h"
#include "platform/com/BstrOwner.h"
#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemCall.h"

#include <algorithm>

namespace {
std::wstring UpperKey(const CString& name)
{
    return WbemName::Upper(name.GetWString());
}

// Hands a new heap object to a COM out-pointer: its one reference goes to the caller.
void GiveOut(std::unique_ptr<CCorvessaClassObject> object, IWbemClassObject** out)
{
    *out = object.release();
}
}  // namespace

CCorvessaClassObject::CCorvessaClassObject(const CString& className)
    : m_className(className), m_propertyPosition(m_properties.end())
{
}

CCorvessaClassObject::CCorvessaClassObject(const CCorvessaClassObject& other)
    : IWbemClassObject(), m_className(other.m_className), m_qualifierSet(other.m_qualifierSet),
      m_properties(other.m_properties), m_methodNames(other.m_methodNames), m_inSignatures(other.m_inSignatures),
      m_outSignatures(other.m_outSignatures), m_methodQualifierSets(other.m_methodQualifierSets),
      m_propertyPosition(m_properties.end()), m_propertyFlags(other.m_propertyFlags)
{
}

CCorvessaClassObject& CCorvessaClassObject::operator=(const CCorvessaClassObject& source)
{
    if (this == &source)
        return *this;
    m_className = source.m_className;
    m_properties = source.m_properties;
    m_methodNames = source.m_methodNames;
    m_inSignatures = source.m_inSignatures;
    m_outSignatures = source.m_outSignatures;
    m_methodQualifierSets = source.m_methodQualifierSets;
    m_qualifierSet = source.m_qualifierSet;
    m_propertyPosition = m_properties.end();
    m_propertyState = EnumerationState::Idle;
    m_propertyFlags = source.m_propertyFlags;
    m_methodState = EnumerationState::Idle;
    m_methodPosition = m_methodNames.size();
    return *this;
}

CCorvessaClassObject::~CCorvessaClassObject() = default;

bool CCorvessaClassObject::IsASystemProperty(const CString& name)
{
    return name.IsEmpty() || name[0] == L'_';
}

CIMTYPE CCorvessaClassObject::ConvertRFXTypeToCIMType(int fieldType)
{
    switch (fieldType)
    {
    case 1:
        return CIM_BOOLEAN;
    case 2:
    case 9:
    case 11:
        return CIM_UINT8;
    case 3:
    case 4:
        return CIM_SINT32;
    case 6:
    case 7:
        return CIM_REAL32;
    case 8:
        return CIM_DATETIME;
    case 20:
        return CIM_STRING;
    case 111:
        return CIM_SINT64;
    default:
        return CIM_EMPTY;
    }
}

CCorvessaPropertyDescriptor* CCorvessaClassObject::LookupPropertyDescriptor(const CString& name)
{
    const auto found = m_properties.find(UpperKey(name));
    return found == m_properties.end() ? nullptr : &found->second;
}

const CCorvessaPropertyDescriptor* CCorvessaClassObject::GetPropertyDescriptor(const CString& name) const
{
    const auto found = m_properties.find(UpperKey(name));
    return found == m_properties.end() ? nullptr : &found->second;
}

void CCorvessaClassObject::AddPropertyDescriptorToMap(const CCorvessaPropertyDescriptor& descriptor)
{
    const std::wstring key = UpperKey(descriptor.GetPropertyName());
    const auto found = m_properties.find(key);
    if (found != m_properties.end())
        found->second = descriptor;
    else
        m_properties.emplace(key, descriptor);
}

HRESULT CCorvessaClassObject::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemClassObject>(this, iid, object);
}

ULONG CCorvessaClassObject::AddRef()
{
    m_refCount.fetch_add(1);
    return 0;
}

ULONG CCorvessaClassObject::Release()
{
    if (m_refCount.fetch_sub(1) - 1 <= 0)
        delete this;
    return 0;
}

HRESULT CCorvessaClassObject::GetQualifierSet(IWbemQualifierSet** qualifiers)
{
    if (qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    m_qualifierSet.AddRef();
    *qualifiers = &m_qualifierSet;
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG*)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const CCorvessaPropertyDescriptor* descriptor = GetPropertyDescriptor(name);
    if (descriptor == nullptr)
        return WBEM_E_NOT_FOUND;
    if (value != nullptr)
    {
        VariantInit(value);
        const _variant_t current = descriptor->GetVariant();
        const HRESULT hr = VariantCopy(value, &current);
        if (FAILED(hr))
            return hr;
    }
    if (type != nullptr)
        *type = descriptor->GetCIMType();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE type)
{
    return PutValue(name, value, type, false);
}

HRESULT CCorvessaClassObject::PutTaking(LPCWSTR name, VARIANT* value, CIMTYPE type)
{
    return PutValue(name, value, type, true);
}

HRESULT CCorvessaClassObject::PutValue(LPCWSTR name, VARIANT* value, CIMTYPE type, bool take)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        CCorvessaPropertyDescriptor* descriptor = LookupPropertyDescriptor(name);
        if (descriptor == nullptr)
        {
            AddPropertyDescriptorToMap(CCorvessaPropertyDescriptor(name, type));
            descriptor = LookupPropertyDescriptor(name);
        }
        if (value != nullptr && take)
            descriptor->TakeVariant(*value);
        else if (value != nullptr)
            descriptor->SetVariant(*value);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::Delete(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_S_NO_ERROR;
    const auto found = m_properties.find(UpperKey(name));
    if (found != m_properties.end())
    {
        // The enumeration must not keep pointing at the entry that goes away.
        if (m_propertyPosition == found)
            m_propertyPosition = m_properties.end();
        m_properties.erase(found);
    }
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY** names)
{
    if (names == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *names = nullptr;
    SAFEARRAY* array = SafeArrayCreateVector(VT_BSTR, 0, static_cast<ULONG>(m_properties.size()));
    if (array == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    LONG index = 0;
    for (const auto& [key, descriptor] : m_properties)
    {
        const BstrOwner name = BstrOwner::Copy(descriptor.GetPropertyName());
        const HRESULT hr = !name ? E_OUTOFMEMORY : SafeArrayPutElement(array, &index, name.Get());
        if (FAILED(hr))
        {
            SafeArrayDestroy(array);
            return WBEM_E_OUT_OF_MEMORY;
        }
        ++index;
    }
    *names = array;
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::BeginEnumeration(LONG enumFlags)
{
    if (m_propertyState != EnumerationState::Idle)
        brontel::utility::CWMIDebugLog::LogError(
            L"" __FILE__, __LINE__,
            L"CCorvessaClassObject::BeginEnumeration - Method called on an enumeration already in progress.", 0);
    m_propertyState = EnumerationState::Begun;
    m_propertyFlags = enumFlags;
    m_propertyPosition = m_properties.end();
    return WBEM_S_NO_ERROR;
}

void CCorvessaClassObject::AdvanceIterator()
{
    if (m_propertyState == EnumerationState::Begun)
    {
        m_propertyPosition = m_properties.begin();
        m_propertyState = EnumerationState::Running;
    }
    else if (m_propertyPosition != m_properties.end())
    {
        ++m_propertyPosition;
    }
}

void CCorvessaClassObject::CheckPropertyEnumerationFlags()
{
    if ((m_propertyFlags & WBEM_FLAG_NONSYSTEM_ONLY) != 0)
    {
        while (m_propertyPosition != m_properties.end() &&
               IsASystemProperty(m_propertyPosition->second.GetPropertyName()))
            ++m_propertyPosition;
    }
    ICorvessaClassSource* source = ICorvessaClassSource::Installed();
    if ((m_propertyFlags & WBEM_FLAG_KEYS_ONLY) != 0 && source != nullptr)
    {
        // A class the source does not know keeps all its properties.
        const CString className = GetClassNameW();
        while (m_propertyPosition != m_properties.end() &&
               !source->IsKeyProperty(className, m_propertyPosition->second.GetPropertyName()).value_or(true))
            ++m_propertyPosition;
    }
}

HRESULT CCorvessaClassObject::Next(LONG, BSTR* name, VARIANT* value, CIMTYPE* type, LONG*)
{
    if (m_propertyState == EnumerationState::Idle || m_properties.empty())
        return WBEM_S_NO_MORE_DATA;
    AdvanceIterator();
    CheckPropertyEnumerationFlags();
    if (m_propertyPosition == m_properties.end())
        return WBEM_S_NO_MORE_DATA;
    const CCorvessaPropertyDescriptor& descriptor = m_propertyPosition->second;
    if (value != nullptr)
    {
        VariantInit(value);
        // Copied once, straight from where the object holds it: a binary value runs to megabytes.
        const HRESULT hr = VariantCopy(value, &descriptor.ViewVariant());
        if (FAILED(hr))
            return hr;
    }
    if (name != nullptr)
    {
        *name = SysAllocString(descriptor.GetPropertyName());
        if (*name == nullptr)
        {
            if (value != nullptr)
                VariantClear(value);
            return WBEM_E_OUT_OF_MEMORY;
        }
    }
    if (type != nullptr)
        *type = descriptor.GetCIMType();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::EndEnumeration()
{
    m_propertyState = EnumerationState::Idle;
    m_propertyPosition = m_properties.end();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers)
{
    if (qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *qualifiers = nullptr;
    if (property == nullptr)
        return WBEM_E_NOT_FOUND;
    CCorvessaPropertyDescriptor* descriptor = LookupPropertyDescriptor(property);
    if (descriptor == nullptr)
        return WBEM_E_NOT_FOUND;
    descriptor->GetQualifierSet()->AddRef();
    *qualifiers = descriptor->GetQualifierSet();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::Clone(IWbemClassObject** copy)
{
    if (copy == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *copy = nullptr;
    // A copy that cannot be made is a failure, never a success with no object.
    return WbemCall::Run([&]() -> HRESULT {
        GiveOut(std::make_unique<CCorvessaClassObject>(*this), copy);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::GetObjectText(LONG, BSTR* objectText)
{
    if (objectText != nullptr)
        *objectText = nullptr;
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CCorvessaClassObject::SpawnDerivedClass(LONG, IWbemClassObject** newClass)
{
    if (newClass == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *newClass = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        GiveOut(std::make_unique<CCorvessaClassObject>(GetClassNameW()), newClass);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::SpawnInstance(LONG, IWbemClassObject** newInstance)
{
    return Clone(newInstance);
}

HRESULT CCorvessaClassObject::CompareTo(LONG, IWbemClassObject*)
{
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::GetPropertyOrigin(LPCWSTR, BSTR* className)
{
    if (className != nullptr)
        *className = nullptr;
    return WBEM_E_NOT_SUPPORTED;
}

HRESULT CCorvessaClassObject::InheritsFrom(LPCWSTR)
{
    return WBEM_S_NO_ERROR;
}

std::unique_ptr<CCorvessaClassObject> CCorvessaClassObject::LookupMethodSignature(const SignatureMap& table,
                                                                                  const CString& name) const
{
    for (const auto& [key, signature] : table)
    {
        if (CString(key).CompareNoCase(name) == 0)
            return std::make_unique<CCorvessaClassObject>(signature);
    }
    return nullptr;
}

HRESULT CCorvessaClassObject::GetMethod(LPCWSTR name, LONG, IWbemClassObject** inSignature,
                                        IWbemClassObject** outSignature)
{
    // Out-pointers are always written: a copy, or null where the method has no signature.
    if (inSignature != nullptr)
        *inSignature = nullptr;
    if (outSignature != nullptr)
        *outSignature = nullptr;
    if (name == nullptr || std::find(m_methodNames.begin(), m_methodNames.end(), CString(name)) == m_methodNames.end())
        return WBEM_E_NOT_FOUND;
    return WbemCall::Run([&]() -> HRESULT {
        const std::wstring key = UpperKey(name);
        std::unique_ptr<CCorvessaClassObject> in;
        std::unique_ptr<CCorvessaClassObject> out;
        if (inSignature != nullptr && m_inSignatures.count(key) != 0)
            in = std::make_unique<CCorvessaClassObject>(m_inSignatures.at(key));
        if (outSignature != nullptr && m_outSignatures.count(key) != 0)
            out = std::make_unique<CCorvessaClassObject>(m_outSignatures.at(key));
        if (in != nullptr)
            GiveOut(std::move(in), inSignature);
        if (out != nullptr)
            GiveOut(std::move(out), outSignature);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::PutMethod(SignatureMap& table, const std::wstring& key, IWbemClassObject* signature)
{
    if (signature == nullptr)
        return WBEM_S_NO_ERROR;
    const auto* object = dynamic_cast<const CCorvessaClassObject*>(signature);
    if (object == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    CCorvessaClassObject copy(*object);
    table.erase(key);
    table.emplace(key, copy);
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::PutMethod(LPCWSTR name, LONG, IWbemClassObject* inSignature,
                                        IWbemClassObject* outSignature)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        m_methodNames.emplace_back(name);
        const std::wstring key = UpperKey(name);
        const HRESULT hr = PutMethod(m_inSignatures, key, inSignature);
        if (FAILED(hr))
            return hr;
        return PutMethod(m_outSignatures, key, outSignature);
    });
}

HRESULT CCorvessaClassObject::DeleteMethod(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_S_NO_ERROR;
    const auto listed = std::find_if(m_methodNames.begin(), m_methodNames.end(),
                                     [name](const CString& method) { return method.CompareNoCase(name) == 0; });
    if (listed != m_methodNames.end())
        m_methodNames.erase(listed);
    const std::wstring key = UpperKey(name);
    m_inSignatures.erase(key);
    m_outSignatures.erase(key);
    m_methodQualifierSets.erase(key);
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::BeginMethodEnumeration(LONG)
{
    m_methodState = EnumerationState::Begun;
    m_methodPosition = m_methodNames.size();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::NextMethod(LONG, BSTR* name, IWbemClassObject** inSignature,
                                         IWbemClassObject** outSignature)
{
    if (m_methodState == EnumerationState::Idle || m_methodNames.empty())
        return WBEM_S_NO_MORE_DATA;
    if (m_methodState == EnumerationState::Begun)
    {
        m_methodPosition = 0;
        m_methodState = EnumerationState::Running;
    }
    else if (m_methodPosition < m_methodNames.size())
    {
        ++m_methodPosition;
    }
    if (m_methodPosition >= m_methodNames.size())
        return WBEM_S_NO_MORE_DATA;
    const CString& method = m_methodNames[m_methodPosition];
    return WbemCall::Run([&]() -> HRESULT {
        std::unique_ptr<CCorvessaClassObject> in = LookupMethodSignature(m_inSignatures, method);
        std::unique_ptr<CCorvessaClassObject> out = LookupMethodSignature(m_outSignatures, method);
        BstrOwner methodName = BstrOwner::Copy(method);
        if (!methodName)
            return WBEM_E_OUT_OF_MEMORY;
        if (name != nullptr)
            *name = methodName.Detach();
        if (inSignature != nullptr)
            GiveOut(std::move(in), inSignature);
        if (outSignature != nullptr)
            GiveOut(std::move(out), outSignature);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::EndMethodEnumeration()
{
    m_methodPosition = m_methodNames.size();
    return WBEM_S_NO_ERROR;
}

HRESULT CCorvessaClassObject::GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers)
{
    if (method == nullptr || qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *qualifiers = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        CCorvessaQualifierSet& set = m_methodQualifierSets[UpperKey(method)];
        set.AddRef();
        *qualifiers = &set;
        return WBEM_S_NO_ERROR;
    });
}

HRESULT CCorvessaClassObject::GetMethodOrigin(LPCWSTR, BSTR* className)
{
    if (className != nullptr)
        *className = nullptr;
    return WBEM_E_NOT_SUPPORTED;
}

CString CCorvessaClassObject::GetClassNameW() const
{
    const CCorvessaPropertyDescriptor* descriptor = GetPropertyDescriptor(L"__class");
    if (descriptor != nullptr)
    {
        const _variant_t value = descriptor->GetVariant();
        if (value.vt != VT_EMPTY && value.vt != VT_NULL)
        {
            if (value.vt == VT_BSTR)
                return CString(value.bstrVal == nullptr ? L"" : value.bstrVal);
            _variant_t text;
            if (SUCCEEDED(VariantChangeType(&text, &value, 0, VT_BSTR)) && text.bstrVal != nullptr)
                return CString(text.bstrVal);
        }
    }
    return m_className;
}

std::vector<CString> CCorvessaClassObject::GetPropertyNames() const
{
    std::vector<CString> names;
    for (const auto& [key, descriptor] : m_properties)
    {
        if (!IsASystemProperty(descriptor.GetPropertyName()))
            names.push_back(descriptor.GetPropertyName());
    }
    return names;
}

std::unique_ptr<CCorvessaClassObject> CCorvessaClassObject::GetMethodParameter(const CString& methodName,
                                                                               bool isInput) const
{
    const SignatureMap& table = isInput ? m_inSignatures : m_outSignatures;
    const auto found = table.find(UpperKey(methodName));
    if (found == table.end())
        return nullptr;
    return std::make_unique<CCorvessaClassObject>(found->second);
}

void CCorvessaClassObject::AddPropertyType(const CString& name, int fieldType)
{
    AddPropertyDescriptorToMap(CCorvessaPropertyDescriptor(name, ConvertRFXTypeToCIMType(fieldType)));
}

CString CCorvessaClassObject::FormatPropertyDescriptorMap() const
{
    if (m_properties.empty())
        return L"N/A";
    CString text;
    for (const auto& [key, descriptor] : m_properties)
    {
        if (!key.empty() && key[0] == L'_')
            continue;
        CString line;
        line.Format(L"Name: %s (type: %s)", key.c_str(), descriptor.GetCIMTypeString().GetString());
        text += line;
        text += L"\r\n";
    }
    return text;
}

CString CCorvessaClassObject::FormatMethodParameterDescriptorMap(const CCorvessaClassObject* signature,
                                                                 const wchar_t* direction, CString& list) const
{
    if (signature == nullptr)
        return list;
    for (const auto& [key, descriptor] : signature->m_properties)
    {
        if (!key.empty() && key[0] == L'_')
            continue;
        if (!list.IsEmpty())
            list += L", ";
        CString parameter;
        parameter.Format(L"%s%s %s", direction, descriptor.GetCIMTypeString().GetString(), key.c_str());
        list += parameter;
    }
    return list;
}

CString CCorvessaClassObject::FormatTypeInformation()
{
    CString text;
    CString heading;
    heading.Format(L"\r\nType:\t%s\r\n", GetClassNameW().GetString());
    text += heading;
    text += L"Properties:\n";
    text += FormatPropertyDescriptorMap();
    if (m_methodQualifierSets.empty())
        return text;
    text += L"\nMethods:\n";
    BeginMethodEnumeration(0);
    for (;;)
    {
        BstrOwner name;
        IWbemClassObject* in = nullptr;
        IWbemClassObject* out = nullptr;
        if (NextMethod(0, name.Receive(), &in, &out) != WBEM_S_NO_ERROR)
            break;
        CString list;
        FormatMethodParameterDescriptorMap(static_cast<CCorvessaClassObject*>(in), L"[in]", list);
        FormatMethodParameterDescriptorMap(static_cast<CCorvessaClassObject*>(out), L"[out]", list);
        CString line;
        line.Format(L"void %s(%s)\r\n", name.Get(), list.GetString());
        text += line;
        if (in != nullptr)
            in->Release();
        if (out != nullptr)
            out->Release();
    }
    return text;
}
