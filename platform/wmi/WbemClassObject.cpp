#include "platform/wmi/WbemClassObject.h"

#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObjectSupport.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemObjectText.h"

#include <algorithm>
#include <memory>
#include <typeinfo>

namespace {

// True for a value that holds no text, array or object, so that forgetting it frees nothing.
bool OwnsNothing(VARTYPE type)
{
    switch (type)
    {
    case VT_EMPTY:
    case VT_NULL:
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_I8:
    case VT_UI8:
    case VT_INT:
    case VT_UINT:
    case VT_R4:
    case VT_R8:
    case VT_BOOL:
    case VT_DATE:
        return true;
    default:
        return false;
    }
}

HRESULT SetTextValue(VARIANT* value, const std::wstring& text)
{
    value->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    if (value->bstrVal == nullptr)
        return WBEM_E_OUT_OF_MEMORY;
    value->vt = VT_BSTR;
    return WBEM_S_NO_ERROR;
}

HRESULT SetTextOrNull(VARIANT* value, const std::wstring& text)
{
    if (text.empty())
    {
        value->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    return SetTextValue(value, text);
}

_variant_t DeepCopied(const VARIANT& source)
{
    _variant_t copy;
    const HRESULT hr = CimValue::DeepCopy(source, &copy);
    if (FAILED(hr))
        _com_issue_error(hr);
    return copy;
}

bool QualifiersEqual(const WbemQualifierSet* left, const WbemQualifierSet* right, LONG flags)
{
    const auto a = left == nullptr ? std::vector<WbemQualifierSet::Entry>() : left->Effective();
    const auto b = right == nullptr ? std::vector<WbemQualifierSet::Entry>() : right->Effective();
    if (a.size() != b.size())
        return false;
    const bool ignoreCase = (flags & WBEM_FLAG_IGNORE_CASE) != 0;
    for (const auto& entry : a)
    {
        const auto match = std::find_if(
            b.begin(), b.end(), [&](const WbemQualifierSet::Entry& e) { return WbemName::Equal(e.name, entry.name); });
        if (match == b.end() || !CimValue::Equal(entry.value, match->value, ignoreCase, flags))
            return false;
        if ((flags & WBEM_FLAG_IGNORE_FLAVOR) == 0 && entry.flavor != match->flavor)
            return false;
    }
    return true;
}
}  // namespace

WbemClassObject::WbemClassObject() = default;

WbemClassObject::~WbemClassObject() = default;

ComPtr<WbemClassObject> WbemClassObject::CreateEmptyClass()
{
    ComPtr<WbemClassObject> created = MakeComObject<WbemClassObject>();
    created->m_qualifiers = WbemQualifierSet::Create();
    return created;
}

const ComPtr<WbemQualifierSet>& WbemClassObject::Qualifiers() const
{
    // Most instances are built, sent and released without anyone reading their qualifiers.
    if (m_qualifiers == nullptr)
        m_qualifiers = WbemQualifierSet::CreateView(m_class->m_qualifiers, WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    return m_qualifiers;
}

std::wstring WbemClassObject::ClassName() const
{
    return Definition().m_className;
}

std::wstring WbemClassObject::SuperclassName() const
{
    return Definition().m_superclassName;
}

void WbemClassObject::SetLocation(const std::wstring& server, const std::wstring& ns)
{
    m_server = server;
    m_namespace = ns;
}

WbemClassObject::PropertyIndex& WbemClassObject::MutableIndex()
{
    if (m_index == nullptr)
        m_index = std::make_shared<PropertyIndex>();
    else if (m_index.use_count() > 1)
        m_index = std::make_shared<PropertyIndex>(*m_index);
    return *m_index;
}

void WbemClassObject::IndexPositions()
{
    PropertyIndex& index = MutableIndex();
    std::fill(index.positions.begin(), index.positions.end(), PropertyIndex::kNoPosition);
    for (std::size_t i = 0; i < m_properties.size(); ++i)
        index.positions[m_properties[i].slot] = i;
}

const VARIANT* WbemClassObject::InstanceValue(const PropertyDef& property) const
{
    if (property.slot >= m_values.size() || m_values[property.slot].vt == VT_EMPTY)
        return nullptr;
    return &m_values[property.slot];
}

const WbemClassObject::PropertyDef* WbemClassObject::FindProperty(std::wstring_view name) const
{
    const WbemClassObject& definition = Definition();
    if (definition.m_index == nullptr)
        return nullptr;
    const PropertyIndex& index = *definition.m_index;
    const auto found = index.slots.find(name);
    if (found == index.slots.end())
        return nullptr;
    const std::size_t position = index.positions[found->second];
    return position == PropertyIndex::kNoPosition ? nullptr : &definition.m_properties[position];
}

WbemClassObject::PropertyDef* WbemClassObject::FindProperty(std::wstring_view name)
{
    return const_cast<PropertyDef*>(std::as_const(*this).FindProperty(name));
}

const WbemClassObject::MethodDef* WbemClassObject::FindMethod(std::wstring_view name) const
{
    for (const auto& method : Definition().m_methods)
    {
        if (WbemName::Equal(method.name, name))
            return &method;
    }
    return nullptr;
}

bool WbemClassObject::IsKey(const PropertyDef& property) const
{
    return property.qualifiers->IsTrue(L"key");
}

bool WbemClassObject::IsLocalInstanceProperty(const PropertyDef& property) const
{
    if (InstanceValue(property) != nullptr)
        return true;
    return property.slot < m_propertyQualifiers.size() && m_propertyQualifiers[property.slot] != nullptr &&
           m_propertyQualifiers[property.slot]->HasLocal();
}

std::vector<WbemClassObject::PropertyInfo> WbemClassObject::Properties() const
{
    std::vector<PropertyInfo> result;
    for (const auto& property : Definition().m_properties)
    {
        PropertyInfo info;
        info.name = property.name;
        info.type = property.type;
        info.inherited = property.inherited;
        if (IsClass())
        {
            info.value = property.value;
            info.local = !property.inherited || property.overridden || property.qualifiers->HasLocal();
            info.qualifiers = property.qualifiers;
        }
        else
        {
            const VARIANT* value = InstanceValue(property);
            info.value = value != nullptr ? *value : static_cast<const VARIANT&>(property.value);
            info.local = IsLocalInstanceProperty(property);
            if (property.slot < m_propertyQualifiers.size())
                info.qualifiers = m_propertyQualifiers[property.slot];
        }
        result.push_back(std::move(info));
    }
    return result;
}

std::vector<WbemClassObject::MethodInfo> WbemClassObject::Methods() const
{
    std::vector<MethodInfo> result;
    for (const auto& method : Definition().m_methods)
    {
        MethodInfo info;
        info.name = method.name;
        info.inSignature = method.inSignature;
        info.outSignature = method.outSignature;
        info.inherited = method.inherited;
        info.qualifiers = method.qualifiers;
        result.push_back(std::move(info));
    }
    return result;
}

bool WbemClassObject::RelativePath(std::wstring* path) const
{
    const std::wstring className = ClassName();
    if (className.empty())
        return false;
    if (IsClass())
    {
        *path = className;
        return true;
    }
    std::vector<const PropertyDef*> keys;
    for (const auto& property : m_class->m_properties)
    {
        if (IsKey(property))
            keys.push_back(&property);
    }
    if (keys.empty())
    {
        if (!m_class->Qualifiers()->IsTrue(L"singleton"))
            return false;
        *path = className + L"=@";
        return true;
    }
    std::stable_sort(keys.begin(), keys.end(),
                     [](const PropertyDef* a, const PropertyDef* b) { return WbemName::Less(a->name, b->name); });
    std::wstring result = className;
    for (std::size_t i = 0; i < keys.size(); ++i)
    {
        const VARIANT* value = InstanceValue(*keys[i]);
        const VARIANT& current = value != nullptr ? *value : keys[i]->value;
        // An instance whose key has no value has no path yet.
        if (CimValue::IsNull(current))
            return false;
        result += (i == 0 ? L"." : L",") + keys[i]->name + L"=" + CimValue::ToKeyText(keys[i]->type, current);
    }
    *path = result;
    return true;
}

HRESULT WbemClassObject::GetSystemProperty(std::wstring_view name, VARIANT* value, CIMTYPE* type) const
{
    const WbemSystemProperty* property = FindWbemSystemProperty(name);
    if (property == nullptr)
        return WBEM_E_NOT_FOUND;
    if (type != nullptr)
        *type = property->type;
    if (value == nullptr)
        return WBEM_S_NO_ERROR;
    VariantInit(value);
    const std::wstring which = WbemName::Upper(name);
    const WbemClassObject& definition = Definition();
    if (which == L"__GENUS")
    {
        value->vt = VT_I4;
        value->lVal = IsClass() ? WBEM_GENUS_CLASS : WBEM_GENUS_INSTANCE;
        return WBEM_S_NO_ERROR;
    }
    if (which == L"__PROPERTY_COUNT")
    {
        value->vt = VT_I4;
        value->lVal = static_cast<LONG>(definition.m_properties.size());
        return WBEM_S_NO_ERROR;
    }
    if (which == L"__CLASS")
        return SetTextOrNull(value, definition.m_className);
    if (which == L"__SUPERCLASS")
        return SetTextOrNull(value, definition.m_superclassName);
    if (which == L"__DYNASTY")
        return SetTextOrNull(value,
                             definition.m_derivation.empty() ? definition.m_className : definition.m_derivation.back());
    if (which == L"__SERVER")
        return SetTextOrNull(value, m_server);
    if (which == L"__NAMESPACE")
        return SetTextOrNull(value, m_namespace);
    if (which == L"__DERIVATION")
    {
        SAFEARRAY* names = nullptr;
        const HRESULT hr = WbemNameCursor::NamesToArray(definition.m_derivation, &names);
        if (FAILED(hr))
            return hr;
        value->vt = VT_ARRAY | VT_BSTR;
        value->parray = names;
        return WBEM_S_NO_ERROR;
    }
    std::wstring path;
    if (!RelativePath(&path))
    {
        value->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    if (which == L"__RELPATH")
        return SetTextValue(value, path);
    if (m_server.empty() || m_namespace.empty())
    {
        value->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    return SetTextValue(value, L"\\\\" + m_server + L"\\" + m_namespace + L":" + path);
}

HRESULT WbemClassObject::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemClassObject>(this, iid, object);
}

HRESULT WbemClassObject::GetQualifierSet(IWbemQualifierSet** qualifiers)
{
    if (qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        *qualifiers = ComPtr<WbemQualifierSet>(Qualifiers()).Detach();
        return WBEM_S_NO_ERROR;
    });
}

ComPtr<WbemClassObject> WbemClassObject::CopyObject() const
{
    ComPtr<WbemClassObject> copy = MakeComObject<WbemClassObject>();
    copy->m_className = m_className;
    copy->m_superclassName = m_superclassName;
    copy->m_derivation = m_derivation;
    copy->m_properties.reserve(m_properties.size());
    copy->m_methods.reserve(m_methods.size());
    for (const auto& property : m_properties)
    {
        PropertyDef duplicate;
        duplicate.name = property.name;
        duplicate.slot = property.slot;
        duplicate.type = property.type;
        duplicate.value = DeepCopied(property.value);
        duplicate.origin = property.origin;
        duplicate.inherited = property.inherited;
        duplicate.overridden = property.overridden;
        duplicate.parentDefault = DeepCopied(property.parentDefault);
        duplicate.qualifiers = property.qualifiers->Copy();
        copy->m_properties.push_back(std::move(duplicate));
    }
    for (const auto& method : m_methods)
    {
        MethodDef duplicate = method;
        duplicate.qualifiers = method.qualifiers->Copy();
        copy->m_methods.push_back(std::move(duplicate));
    }
    copy->m_index = m_index;
    copy->m_class = m_class;
    copy->m_values.reserve(m_values.size());
    for (const auto& value : m_values)
        copy->m_values.push_back(DeepCopied(value));
    copy->m_propertyQualifiers.reserve(m_propertyQualifiers.size());
    for (const auto& view : m_propertyQualifiers)
        copy->m_propertyQualifiers.push_back(view == nullptr ? nullptr : view->Copy());
    for (const auto& [key, view] : m_methodQualifiers)
        copy->m_methodQualifiers[key] = view->Copy();
    // An instance whose view was never asked for makes its own when it is.
    copy->m_qualifiers = m_qualifiers == nullptr ? nullptr : m_qualifiers->Copy();
    copy->m_server = m_server;
    copy->m_namespace = m_namespace;
    return copy;
}

HRESULT WbemClassObject::Project(const std::vector<std::wstring>& names, WbemClassObject** projected) const
{
    if (projected == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *projected = nullptr;
    if (IsClass())
        return WBEM_E_INVALID_OPERATION;
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<WbemClassObject> limited = m_class->CopyObject();
        std::erase_if(limited->m_properties, [&](const PropertyDef& property) {
            return !limited->IsKey(property) && std::none_of(names.begin(), names.end(), [&](const std::wstring& name) {
                return WbemName::Equal(name, property.name);
            });
        });
        // The kept properties keep their slots, so the instance's values stay where they are.
        limited->IndexPositions();
        ComPtr<WbemClassObject> copy = CopyObject();
        copy->m_class = std::move(limited);
        *projected = copy.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::Clone(IWbemClassObject** copy)
{
    if (copy == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *copy = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        *copy = CopyObject().Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::GetObjectText(LONG flags, BSTR* objectText)
{
    if (objectText == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *objectText = nullptr;
    return WbemCall::Run([&]() { return GiveWbemText(WbemObjectText::Format(*this, flags), objectText); });
}

template <class Make>
HRESULT WbemClassObject::Spawn(IWbemClassObject** spawned, Make&& make) const
{
    if (spawned == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *spawned = nullptr;
    if (!IsClass())
        return WBEM_E_INVALID_OPERATION;
    if (m_className.empty())
        return WBEM_E_INCOMPLETE_CLASS;
    return WbemCall::Run([&]() -> HRESULT {
        *spawned = make().Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::SpawnDerivedClass(LONG, IWbemClassObject** newClass)
{
    return Spawn(newClass, [this] {
        ComPtr<WbemClassObject> derived = MakeComObject<WbemClassObject>();
        derived->m_superclassName = m_className;
        derived->m_derivation.push_back(m_className);
        derived->m_derivation.insert(derived->m_derivation.end(), m_derivation.begin(), m_derivation.end());
        for (const auto& property : m_properties)
        {
            PropertyDef inherited;
            inherited.name = property.name;
            inherited.slot = property.slot;
            inherited.type = property.type;
            inherited.value = DeepCopied(property.value);
            inherited.parentDefault = DeepCopied(property.value);
            inherited.origin = property.origin.empty() ? m_className : property.origin;
            inherited.inherited = true;
            inherited.qualifiers = property.qualifiers->CopyForDerivedClass();
            derived->m_properties.push_back(std::move(inherited));
        }
        for (const auto& method : m_methods)
        {
            MethodDef inherited = method;
            inherited.origin = method.origin.empty() ? m_className : method.origin;
            inherited.inherited = true;
            inherited.qualifiers = method.qualifiers->CopyForDerivedClass();
            derived->m_methods.push_back(std::move(inherited));
        }
        // The derived class finds its inherited properties where this class does; it shares the
        // index until it changes its own properties.
        derived->m_index = m_index;
        derived->m_qualifiers = m_qualifiers->CopyForDerivedClass();
        return derived;
    });
}

HRESULT WbemClassObject::SpawnInstance(LONG, IWbemClassObject** newInstance)
{
    return Spawn(newInstance, [this] {
        ComPtr<WbemClassObject> instance = MakeComObject<WbemClassObject>();
        instance->m_class = ComPtr<WbemClassObject>(this);
        return instance;
    });
}

HRESULT WbemClassObject::Respawn(IWbemClassObject* classObject)
{
    const WbemClassObject* definition = FromInterface(classObject);
    if (IsClass() || definition == nullptr || definition != m_class.Get() || !m_properties.empty() ||
        !m_methods.empty())
        return WBEM_E_INVALID_OPERATION;
    for (std::size_t slot = 0; slot < m_values.size(); ++slot)
    {
        _variant_t& value = m_values[slot];
        if (value.vt == VT_BSTR && value.bstrVal != nullptr)
        {
            if (m_spareTexts.size() < m_values.size())
                m_spareTexts.resize(m_values.size());
            m_spareTexts[slot] = BstrOwner(value.bstrVal);
            value.bstrVal = nullptr;
            value.vt = VT_EMPTY;
        }
        else if (OwnsNothing(value.vt))
        {
            value.vt = VT_EMPTY;
        }
        else
        {
            value.Clear();
        }
    }
    m_propertyQualifiers.clear();
    m_methodQualifiers.clear();
    m_qualifiers = nullptr;
    m_server.clear();
    m_namespace.clear();
    m_propertyCursor = Cursor{};
    m_methodCursor = Cursor{};
    return WBEM_S_NO_ERROR;
}

bool WbemClassObject::SameAs(const WbemClassObject& other, LONG flags) const
{
    const bool ignoreCase = (flags & WBEM_FLAG_IGNORE_CASE) != 0;
    const bool compareQualifiers = (flags & WBEM_FLAG_IGNORE_QUALIFIERS) == 0;
    if (IsClass() != other.IsClass())
        return false;
    if ((flags & WBEM_FLAG_IGNORE_CLASS) == 0 && (!WbemName::Equal(ClassName(), other.ClassName()) ||
                                                  !WbemName::Equal(SuperclassName(), other.SuperclassName())))
        return false;
    if ((flags & WBEM_FLAG_IGNORE_OBJECT_SOURCE) == 0 &&
        (!WbemName::Equal(m_server, other.m_server) || !WbemName::Equal(m_namespace, other.m_namespace)))
        return false;
    const auto mine = Properties();
    const auto theirs = other.Properties();
    if (mine.size() != theirs.size())
        return false;
    const bool compareValues = !IsClass() || (flags & WBEM_FLAG_IGNORE_DEFAULT_VALUES) == 0;
    for (const auto& property : mine)
    {
        const auto match = std::find_if(theirs.begin(), theirs.end(),
                                        [&](const PropertyInfo& p) { return WbemName::Equal(p.name, property.name); });
        if (match == theirs.end() || match->type != property.type)
            return false;
        if (compareValues && !CimValue::Equal(property.value, match->value, ignoreCase, flags))
            return false;
        if (compareQualifiers && !QualifiersEqual(property.qualifiers.Get(), match->qualifiers.Get(), flags))
            return false;
    }
    if (compareQualifiers && !QualifiersEqual(Qualifiers().Get(), other.Qualifiers().Get(), flags))
        return false;
    if (!IsClass())
        return true;
    if (m_methods.size() != other.m_methods.size())
        return false;
    for (const auto& method : m_methods)
    {
        const MethodDef* match = other.FindMethod(method.name);
        if (match == nullptr)
            return false;
        const auto sameSignature = [flags](const ComPtr<WbemClassObject>& a, const ComPtr<WbemClassObject>& b) {
            return (a == nullptr && b == nullptr) || (a != nullptr && b != nullptr && a->SameAs(*b, flags));
        };
        if (!sameSignature(method.inSignature, match->inSignature) ||
            !sameSignature(method.outSignature, match->outSignature))
            return false;
        if (compareQualifiers && !QualifiersEqual(method.qualifiers.Get(), match->qualifiers.Get(), flags))
            return false;
    }
    return true;
}

HRESULT WbemClassObject::CompareTo(LONG flags, IWbemClassObject* compareTo)
{
    if (compareTo == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const WbemClassObject* other = FromInterface(compareTo);
    if (other == nullptr)
        return WBEM_S_DIFFERENT;
    return WbemCall::Run([&]() -> HRESULT { return SameAs(*other, flags) ? WBEM_S_SAME : WBEM_S_DIFFERENT; });
}

HRESULT WbemClassObject::InheritsFrom(LPCWSTR ancestor)
{
    if (ancestor == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const auto& derivation = Definition().m_derivation;
    const bool found = std::any_of(derivation.begin(), derivation.end(),
                                   [ancestor](const std::wstring& name) { return WbemName::Equal(name, ancestor); });
    return found ? WBEM_S_NO_ERROR : WBEM_S_FALSE;
}

HRESULT CreateWbemClass(LPCWSTR name, IWbemClassObject* superclass, IWbemClassObject** result)
{
    if (result == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *result = nullptr;
    if (!WbemName::IsValidIdentifier(WbemName::View(name)))
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<IWbemClassObject> created;
        if (superclass == nullptr)
        {
            created.Attach(WbemClassObject::CreateEmptyClass().Detach());
        }
        else
        {
            WbemClassObject* parent = WbemClassObject::FromInterface(superclass);
            if (parent == nullptr || !parent->IsClass())
                return WBEM_E_INVALID_SUPERCLASS;
            const HRESULT hr = parent->SpawnDerivedClass(0, &created);
            if (FAILED(hr))
                return hr == WBEM_E_INCOMPLETE_CLASS ? WBEM_E_INVALID_SUPERCLASS : hr;
        }
        _variant_t className(name);
        const HRESULT hr = created->Put(L"__CLASS", 0, &className, CIM_EMPTY);
        if (FAILED(hr))
            return hr;
        *result = created.Detach();
        return WBEM_S_NO_ERROR;
    });
}
