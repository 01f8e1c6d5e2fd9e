#include "platform/wmi/WbemClassObject.h"

#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemNameCursor.h"
#include "platform/wmi/WbemObjectText.h"
#include "platform/wmi/WbemSignature.h"

#include <algorithm>
#include <array>
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
struct SystemProperty
{
    const wchar_t* name;
    CIMTYPE type;
};

// The system properties in the order WMI lists them.
constexpr std::array<SystemProperty, 10> kSystemProperties = {{
    {L"__GENUS", CIM_SINT32},
    {L"__CLASS", CIM_STRING},
    {L"__SUPERCLASS", CIM_STRING},
    {L"__DYNASTY", CIM_STRING},
    {L"__RELPATH", CIM_STRING},
    {L"__PROPERTY_COUNT", CIM_SINT32},
    {L"__DERIVATION", CIM_STRING | CIM_FLAG_ARRAY},
    {L"__SERVER", CIM_STRING},
    {L"__NAMESPACE", CIM_STRING},
    {L"__PATH", CIM_STRING},
}};

const SystemProperty* FindSystemProperty(std::wstring_view name)
{
    for (const auto& property : kSystemProperties)
    {
        if (WbemName::Equal(property.name, name))
            return &property;
    }
    return nullptr;
}

constexpr LONG kConditionMask = 0x3;
constexpr LONG kOriginMask = 0x70;
constexpr LONG kNameSelectionFlags = kConditionMask | WBEM_FLAG_KEYS_ONLY | WBEM_FLAG_REFS_ONLY | kOriginMask;

HRESULT SetText(VARIANT* value, const std::wstring& text)
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
    return SetText(value, text);
}

HRESULT CopyOut(const VARIANT& source, VARIANT* target)
{
    VariantInit(target);
    return VariantCopy(target, &source) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
}

_variant_t DeepCopied(const VARIANT& source)
{
    _variant_t copy;
    const HRESULT hr = CimValue::DeepCopy(source, &copy);
    if (FAILED(hr))
        _com_issue_error(hr);
    return copy;
}

HRESULT GiveText(const std::wstring& text, BSTR* out)
{
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out == nullptr ? WBEM_E_OUT_OF_MEMORY : WBEM_S_NO_ERROR;
}

template <class Object>
void GiveObject(const ComPtr<Object>& object, IWbemClassObject** out)
{
    if (out != nullptr)
        *out = object == nullptr ? nullptr : ComPtr<Object>(object).Detach();
}

ComPtr<WbemClassObject> CloneSignature(const ComPtr<WbemClassObject>& signature)
{
    if (signature == nullptr)
        return nullptr;
    IWbemClassObject* copy = nullptr;
    const HRESULT hr = signature->Clone(&copy);
    if (FAILED(hr))
        _com_issue_error(hr);
    ComPtr<WbemClassObject> result;
    result.Attach(static_cast<WbemClassObject*>(copy));
    return result;
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

// True when `visit` answers true for an object of this implementation embedded in the value,
// alone or as an element of an array of objects.
template <class Visit>
bool AnyEmbedded(const VARIANT& value, Visit visit)
{
    const auto visitUnknown = [&visit](IUnknown* unknown) {
        if (unknown == nullptr)
            return false;
        ComPtr<IUnknown> holder(unknown);
        ComPtr<IWbemClassObject> object = holder.As<IWbemClassObject>();
        const WbemClassObject* inner = WbemClassObject::FromInterface(object.Get());
        return inner != nullptr && visit(inner);
    };
    if (value.vt == VT_UNKNOWN)
        return visitUnknown(value.punkVal);
    if (value.vt != (VT_ARRAY | VT_UNKNOWN) || value.parray == nullptr)
        return false;
    LONG lower = 0;
    LONG upper = -1;
    if (FAILED(SafeArrayGetLBound(value.parray, 1, &lower)) || FAILED(SafeArrayGetUBound(value.parray, 1, &upper)))
        return false;
    for (LONG i = lower; i <= upper; ++i)
    {
        IUnknown* element = nullptr;
        if (FAILED(SafeArrayGetElement(value.parray, &i, &element)))
            continue;
        ComPtr<IUnknown> owned;
        owned.Attach(element);
        if (visitUnknown(element))
            return true;
    }
    return false;
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

WbemClassObject* WbemClassObject::FromInterface(IWbemClassObject* object)
{
    // The class is final: an object whose dynamic type is this class is one of ours, and the
    // type comparison costs far less than a dynamic_cast on every property put.
    if (object == nullptr || typeid(*object) != typeid(WbemClassObject))
        return nullptr;
    return static_cast<WbemClassObject*>(object);
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
    const SystemProperty* property = FindSystemProperty(name);
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
        return SetText(value, path);
    if (m_server.empty() || m_namespace.empty())
    {
        value->vt = VT_NULL;
        return WBEM_S_NO_ERROR;
    }
    return SetText(value, L"\\\\" + m_server + L"\\" + m_namespace + L":" + path);
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

HRESULT WbemClassObject::Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG* flavor)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(name))
        {
            const HRESULT hr = GetSystemProperty(name, value, type);
            if (SUCCEEDED(hr) && flavor != nullptr)
                *flavor = WBEM_FLAVOR_ORIGIN_SYSTEM;
            return hr;
        }
        const PropertyDef* property = FindProperty(name);
        if (property == nullptr)
            return WBEM_E_NOT_FOUND;
        const VARIANT* current = &property->value;
        bool local = !property->inherited;
        if (!IsClass())
        {
            if (const VARIANT* own = InstanceValue(*property))
                current = own;
            local = IsLocalInstanceProperty(*property);
        }
        if (value != nullptr)
        {
            const HRESULT hr = CopyOut(*current, value);
            if (FAILED(hr))
                return hr;
        }
        if (type != nullptr)
            *type = property->type;
        if (flavor != nullptr)
            *flavor = local ? WBEM_FLAVOR_ORIGIN_LOCAL : WBEM_FLAVOR_ORIGIN_PROPAGATED;
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::Put(LPCWSTR name, LONG, VARIANT* value, CIMTYPE type)
{
    return PutProperty(name, value, type, false);
}

HRESULT WbemClassObject::PutTaking(LPCWSTR name, VARIANT* value, CIMTYPE type)
{
    return PutProperty(name, value, type, true);
}

HRESULT WbemClassObject::PutProperty(LPCWSTR name, VARIANT* value, CIMTYPE type, bool taking)
{
    const std::wstring_view text = WbemName::View(name);
    if (text.empty() || text.size() > WbemName::kMaxNameLength)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(text))
            return PutSystemProperty(text, value, type);
        // Embedding an object in itself, or in anything it holds, would make a cycle that no
        // reference count could free.
        if (WouldEmbedItself(value))
            return WBEM_E_INVALID_PARAMETER;
        return IsClass() ? PutClassProperty(text, value, type) : PutInstanceProperty(text, value, type, taking);
    });
}

bool WbemClassObject::WouldEmbedItself(const VARIANT* value) const
{
    // Only objects embed anything; most puts carry numbers and texts.
    if (value == nullptr || (value->vt != VT_UNKNOWN && value->vt != (VT_ARRAY | VT_UNKNOWN)))
        return false;
    return AnyEmbedded(*value, [this](const WbemClassObject* inner) { return inner->Reaches(this); });
}

HRESULT WbemClassObject::FindSlot(LPCWSTR name, PropertySlot* slot) const
{
    if (slot == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *slot = PropertySlot();
    const std::wstring_view text = WbemName::View(name);
    if (text.empty() || text.size() > WbemName::kMaxNameLength)
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass())
        return WBEM_E_INVALID_OPERATION;
    if (WbemName::IsSystemName(text))
        return WBEM_E_NOT_FOUND;
    const PropertyDef* property = FindProperty(text);
    if (property == nullptr)
        return WBEM_E_NOT_FOUND;
    slot->m_class = this;
    slot->m_index = m_index;
    slot->m_slot = property->slot;
    return WBEM_S_NO_ERROR;
}

bool WbemClassObject::AcceptsSlot(const PropertySlot& slot) const
{
    // The index pointer, which the slot keeps alive, tells a class that took the address of a
    // released one, and a class that changed its properties, from the one the slot came from.
    return !IsClass() && slot.m_index != nullptr && slot.m_class == m_class.Get() &&
           slot.m_index.get() == m_class->m_index.get();
}

HRESULT WbemClassObject::PutBySlot(const PropertySlot& slot, VARIANT* value, CIMTYPE type)
{
    if (!AcceptsSlot(slot))
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        if (WouldEmbedItself(value))
            return WBEM_E_INVALID_PARAMETER;
        const PropertyDef* property = SlotProperty(slot);
        return property != nullptr ? PutInstanceValue(*property, value, type, true) : WBEM_E_NOT_FOUND;
    });
}

const WbemClassObject::PropertyDef* WbemClassObject::SlotProperty(const PropertySlot& slot) const
{
    const WbemClassObject& definition = *m_class;
    const std::size_t position = definition.m_index->positions[slot.m_slot];
    return position == PropertyIndex::kNoPosition ? nullptr : &definition.m_properties[position];
}

HRESULT WbemClassObject::PutTextBySlot(const PropertySlot& slot, std::wstring_view text, CIMTYPE type)
{
    if (!AcceptsSlot(slot))
        return WBEM_E_INVALID_PARAMETER;
    if (text.size() > kMaxBstrLength)
        return WBEM_E_OUT_OF_MEMORY;
    return WbemCall::Run([&]() -> HRESULT {
        const PropertyDef* property = SlotProperty(slot);
        if (property == nullptr)
            return WBEM_E_NOT_FOUND;
        // The value owns the text from here: a failed reallocation leaves the spare one to it.
        _variant_t value;
        value.vt = VT_BSTR;
        value.bstrVal = nullptr;
        if (property->type == CIM_STRING && property->slot < m_spareTexts.size())
            value.bstrVal = m_spareTexts[property->slot].Detach();
        if (!SysReAllocStringLen(&value.bstrVal, text.data(), static_cast<UINT>(text.size())))
            return WBEM_E_OUT_OF_MEMORY;
        return PutInstanceValue(*property, &value, type, true);
    });
}

HRESULT WbemClassObject::PutSystemProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type)
{
    if (FindSystemProperty(name) == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass() || !WbemName::Equal(name, L"__CLASS"))
        return WBEM_E_READ_ONLY;
    if (type != CIM_EMPTY && type != CIM_STRING)
        return WBEM_E_TYPE_MISMATCH;
    if (value == nullptr || value->vt != VT_BSTR)
        return WBEM_E_TYPE_MISMATCH;
    const std::wstring newName(value->bstrVal == nullptr ? L"" : value->bstrVal);
    if (!WbemName::IsValidIdentifier(newName))
        return WBEM_E_INVALID_PARAMETER;
    m_className = newName;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::PutClassProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type)
{
    const bool hasValue = value != nullptr && !CimValue::IsNull(*value);
    PropertyDef* property = FindProperty(name);
    if (property != nullptr)
    {
        CIMTYPE newType = property->type;
        if (type != CIM_EMPTY && type != property->type)
        {
            if (property->inherited)
                return WBEM_E_TYPE_MISMATCH;
            if (!CimValue::IsValidType(type))
                return WBEM_E_INVALID_PROPERTY_TYPE;
            newType = type;
        }
        _variant_t coerced;
        const HRESULT hr = CimValue::Coerce(newType, value, &coerced);
        if (FAILED(hr))
            return hr;
        property->type = newType;
        property->value = coerced;
        if (property->inherited)
            property->overridden = true;
        return WBEM_S_NO_ERROR;
    }
    if (!WbemName::IsValidIdentifier(name))
        return WBEM_E_INVALID_PARAMETER;
    CIMTYPE newType = type;
    if (newType == CIM_EMPTY)
    {
        if (!hasValue)
            return WBEM_E_INVALID_PARAMETER;
        const HRESULT hr = CimValue::InferType(*value, &newType);
        if (FAILED(hr))
            return hr;
    }
    if (!CimValue::IsValidType(newType))
        return WBEM_E_INVALID_PROPERTY_TYPE;
    PropertyDef added;
    const HRESULT hr = CimValue::Coerce(newType, value, &added.value);
    if (FAILED(hr))
        return hr;
    added.name = std::wstring(name);
    added.type = newType;
    added.qualifiers = WbemQualifierSet::Create();
    PropertyIndex& index = MutableIndex();
    const auto [entry, fresh] = index.slots.try_emplace(added.name, index.positions.size());
    if (fresh)
        index.positions.push_back(PropertyIndex::kNoPosition);
    added.slot = entry->second;
    m_properties.push_back(std::move(added));
    index.positions[entry->second] = m_properties.size() - 1;
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::PutInstanceProperty(std::wstring_view name, VARIANT* value, CIMTYPE type, bool taking)
{
    const PropertyDef* property = FindProperty(name);
    if (property == nullptr)
        return WBEM_E_NOT_FOUND;
    return PutInstanceValue(*property, value, type, taking);
}

HRESULT WbemClassObject::PutInstanceValue(const PropertyDef& property, VARIANT* value, CIMTYPE type, bool taking)
{
    if (type != CIM_EMPTY && type != property.type)
        return WBEM_E_TYPE_MISMATCH;
    if (property.slot >= m_values.size())
        m_values.resize(m_class->m_index->positions.size());
    const auto coerce = [&](VARIANT* result) {
        return taking ? CimValue::CoerceTaking(property.type, value, result)
                      : CimValue::Coerce(property.type, value, result);
    };
    _variant_t& stored = m_values[property.slot];
    if (stored.vt == VT_EMPTY)
    {
        // A first value is converted in place; a failure leaves the slot without value.
        const HRESULT hr = coerce(&stored);
        if (FAILED(hr))
            stored.Clear();
        return hr;
    }
    _variant_t coerced;
    const HRESULT hr = coerce(&coerced);
    if (FAILED(hr))
        return hr;
    stored = std::move(coerced);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::Delete(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(name))
            return FindSystemProperty(name) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
        PropertyDef* property = FindProperty(name);
        if (property == nullptr)
            return WBEM_E_NOT_FOUND;
        if (!IsClass())
        {
            if (property->slot < m_values.size())
                m_values[property->slot].Clear();
            if (property->slot < m_propertyQualifiers.size())
                m_propertyQualifiers[property->slot] = nullptr;
            return WBEM_S_RESET_TO_DEFAULT;
        }
        if (property->inherited)
        {
            if (!property->overridden)
                return WBEM_E_PROPAGATED_PROPERTY;
            property->value = property->parentDefault;
            property->overridden = false;
            return WBEM_S_RESET_TO_DEFAULT;
        }
        std::erase_if(m_properties, [property](const PropertyDef& p) { return &p == property; });
        IndexPositions();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::SelectNames(LONG flags, std::vector<std::wstring>* names) const
{
    const LONG origin = flags & kOriginMask;
    if ((flags & ~kNameSelectionFlags) != 0 || origin > WBEM_FLAG_NONSYSTEM_ONLY ||
        (origin != 0 && (origin & (origin - 1)) != 0 && origin != WBEM_FLAG_SYSTEM_ONLY))
        return WBEM_E_INVALID_PARAMETER;
    const bool keysOnly = (flags & WBEM_FLAG_KEYS_ONLY) != 0;
    const bool refsOnly = (flags & WBEM_FLAG_REFS_ONLY) != 0;
    if ((origin == 0 || origin == WBEM_FLAG_SYSTEM_ONLY) && !keysOnly && !refsOnly)
    {
        for (const auto& property : kSystemProperties)
            names->push_back(property.name);
    }
    if (origin == WBEM_FLAG_SYSTEM_ONLY)
        return WBEM_S_NO_ERROR;
    for (const auto& property : Definition().m_properties)
    {
        if ((origin == WBEM_FLAG_LOCAL_ONLY && property.inherited) ||
            (origin == WBEM_FLAG_PROPAGATED_ONLY && !property.inherited) || (keysOnly && !IsKey(property)) ||
            (refsOnly && (property.type & ~CIM_FLAG_ARRAY) != CIM_REFERENCE))
            continue;
        names->push_back(property.name);
    }
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::FilterByQualifier(LPCWSTR qualifierName, LONG condition, const VARIANT* qualifierValue,
                                           std::vector<std::wstring>* names)
{
    if (condition == WBEM_FLAG_ALWAYS)
        return WBEM_S_NO_ERROR;
    if (qualifierName == nullptr || (condition == WBEM_FLAG_ONLY_IF_IDENTICAL && qualifierValue == nullptr))
        return WBEM_E_INVALID_PARAMETER;
    std::vector<std::wstring> kept;
    for (const auto& name : *names)
    {
        IWbemQualifierSet* raw = nullptr;
        if (FAILED(GetPropertyQualifierSet(name.c_str(), &raw)))
            continue;
        ComPtr<IWbemQualifierSet> qualifiers;
        qualifiers.Attach(raw);
        _variant_t value;
        const bool has = qualifiers->Get(qualifierName, 0, &value, nullptr) == WBEM_S_NO_ERROR;
        const bool keep = condition == WBEM_FLAG_ONLY_IF_TRUE ? has
                          : condition == WBEM_FLAG_ONLY_IF_FALSE
                              ? !has
                              : has && CimValue::Equal(value, *qualifierValue, false, 0);
        if (keep)
            kept.push_back(name);
    }
    *names = std::move(kept);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue, SAFEARRAY** names)
{
    if (names == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *names = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        std::vector<std::wstring> selected;
        HRESULT hr = SelectNames(flags & ~kConditionMask, &selected);
        if (SUCCEEDED(hr))
            hr = FilterByQualifier(qualifierName, flags & kConditionMask, qualifierValue, &selected);
        if (FAILED(hr))
            return hr;
        return WbemNameCursor::NamesToArray(selected, names);
    });
}

HRESULT WbemClassObject::BeginEnumeration(LONG enumFlags)
{
    if ((enumFlags & kConditionMask) != 0)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        std::vector<std::wstring> names;
        const HRESULT hr = SelectNames(enumFlags, &names);
        if (FAILED(hr))
            return hr;
        m_propertyCursor = Cursor{true, std::move(names), 0};
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::Next(LONG, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor)
{
    if (!m_propertyCursor.active)
        return WBEM_E_UNEXPECTED;
    return WbemCall::Run([&]() -> HRESULT {
        while (m_propertyCursor.position < m_propertyCursor.names.size())
        {
            const std::wstring& current = m_propertyCursor.names[m_propertyCursor.position++];
            _variant_t copy;
            CIMTYPE currentType = CIM_EMPTY;
            LONG currentFlavor = 0;
            // A property deleted since BeginEnumeration is passed over.
            if (Get(current.c_str(), 0, &copy, &currentType, &currentFlavor) != WBEM_S_NO_ERROR)
                continue;
            if (name != nullptr)
            {
                const HRESULT hr = GiveText(current, name);
                if (FAILED(hr))
                    return hr;
            }
            if (value != nullptr)
            {
                VariantInit(value);
                *value = copy.Detach();
            }
            if (type != nullptr)
                *type = currentType;
            if (flavor != nullptr)
                *flavor = currentFlavor;
            return WBEM_S_NO_ERROR;
        }
        return WBEM_S_NO_MORE_DATA;
    });
}

HRESULT WbemClassObject::EndEnumeration()
{
    m_propertyCursor = Cursor{};
    return WBEM_S_NO_ERROR;
}

ComPtr<WbemQualifierSet> WbemClassObject::InstanceView(ComPtr<WbemQualifierSet>& view,
                                                       const ComPtr<WbemQualifierSet>& source)
{
    // A view over a property or method the class has since redefined starts again.
    if (view != nullptr && view->Source() == source)
        return view;
    view = WbemQualifierSet::CreateView(source, WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE);
    return view;
}

HRESULT WbemClassObject::GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers)
{
    if (property == nullptr || qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *qualifiers = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(property))
            return FindSystemProperty(property) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
        const PropertyDef* found = FindProperty(property);
        if (found == nullptr)
            return WBEM_E_NOT_FOUND;
        if (!IsClass() && found->slot >= m_propertyQualifiers.size())
            m_propertyQualifiers.resize(m_class->m_index->positions.size());
        ComPtr<WbemQualifierSet> set =
            IsClass() ? found->qualifiers : InstanceView(m_propertyQualifiers[found->slot], found->qualifiers);
        *qualifiers = set.Detach();
        return WBEM_S_NO_ERROR;
    });
}

ComPtr<WbemClassObject> WbemClassObject::CopyObject() const
{
    ComPtr<WbemClassObject> copy = MakeComObject<WbemClassObject>();
    copy->m_className = m_className;
    copy->m_superclassName = m_superclassName;
    copy->m_derivation = m_derivation;
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
    return WbemCall::Run([&]() { return GiveText(WbemObjectText::Format(*this, flags), objectText); });
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

HRESULT WbemClassObject::GetPropertyOrigin(LPCWSTR name, BSTR* className)
{
    if (name == nullptr || className == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *className = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(name))
            return FindSystemProperty(name) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
        const PropertyDef* property = FindProperty(name);
        if (property == nullptr)
            return WBEM_E_NOT_FOUND;
        return GiveText(property->origin.empty() ? ClassName() : property->origin, className);
    });
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

HRESULT WbemClassObject::GetMethod(LPCWSTR name, LONG, IWbemClassObject** inSignature, IWbemClassObject** outSignature)
{
    if (inSignature != nullptr)
        *inSignature = nullptr;
    if (outSignature != nullptr)
        *outSignature = nullptr;
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* method = FindMethod(name);
        if (method == nullptr)
            return WBEM_E_NOT_FOUND;
        // Both copies are made before either is handed out, so a failure leaks nothing.
        ComPtr<WbemClassObject> in = inSignature != nullptr ? CloneSignature(method->inSignature) : nullptr;
        ComPtr<WbemClassObject> out = outSignature != nullptr ? CloneSignature(method->outSignature) : nullptr;
        GiveObject(in, inSignature);
        GiveObject(out, outSignature);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::PutMethod(LPCWSTR name, LONG, IWbemClassObject* inSignature, IWbemClassObject* outSignature)
{
    if (!WbemName::IsValidIdentifier(WbemName::View(name)))
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass())
        return WBEM_E_ILLEGAL_OPERATION;
    return WbemCall::Run([&]() -> HRESULT {
        ComPtr<WbemClassObject> in;
        ComPtr<WbemClassObject> out;
        const HRESULT hr = WbemSignature::Prepare(inSignature, outSignature, std::addressof(in), std::addressof(out));
        if (FAILED(hr))
            return hr;
        auto existing = std::find_if(m_methods.begin(), m_methods.end(),
                                     [name](const MethodDef& m) { return WbemName::Equal(m.name, name); });
        if (existing != m_methods.end())
        {
            if (existing->inherited)
                return WBEM_E_PROPAGATED_METHOD;
            existing->inSignature = in;
            existing->outSignature = out;
            return WBEM_S_NO_ERROR;
        }
        MethodDef method;
        method.name = name;
        method.inSignature = in;
        method.outSignature = out;
        method.qualifiers = WbemQualifierSet::Create();
        m_methods.push_back(std::move(method));
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::DeleteMethod(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (!IsClass())
        return WBEM_E_ILLEGAL_OPERATION;
    const auto found = std::find_if(m_methods.begin(), m_methods.end(),
                                    [name](const MethodDef& m) { return WbemName::Equal(m.name, name); });
    if (found == m_methods.end())
        return WBEM_E_NOT_FOUND;
    if (found->inherited)
        return WBEM_E_PROPAGATED_METHOD;
    m_methods.erase(found);
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::BeginMethodEnumeration(LONG enumFlags)
{
    if (enumFlags != 0 && enumFlags != WBEM_FLAG_LOCAL_ONLY && enumFlags != WBEM_FLAG_PROPAGATED_ONLY)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        Cursor cursor{true, {}, 0};
        for (const auto& method : Definition().m_methods)
        {
            if ((enumFlags == WBEM_FLAG_LOCAL_ONLY && method.inherited) ||
                (enumFlags == WBEM_FLAG_PROPAGATED_ONLY && !method.inherited))
                continue;
            cursor.names.push_back(method.name);
        }
        m_methodCursor = std::move(cursor);
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::NextMethod(LONG, BSTR* name, IWbemClassObject** inSignature, IWbemClassObject** outSignature)
{
    if (name != nullptr)
        *name = nullptr;
    if (inSignature != nullptr)
        *inSignature = nullptr;
    if (outSignature != nullptr)
        *outSignature = nullptr;
    if (!m_methodCursor.active)
        return WBEM_E_UNEXPECTED;
    return WbemCall::Run([&]() -> HRESULT {
        while (m_methodCursor.position < m_methodCursor.names.size())
        {
            const std::wstring& current = m_methodCursor.names[m_methodCursor.position++];
            const MethodDef* method = FindMethod(current);
            if (method == nullptr)
                continue;
            ComPtr<WbemClassObject> in = inSignature != nullptr ? CloneSignature(method->inSignature) : nullptr;
            ComPtr<WbemClassObject> out = outSignature != nullptr ? CloneSignature(method->outSignature) : nullptr;
            if (name != nullptr)
            {
                const HRESULT hr = GiveText(current, name);
                if (FAILED(hr))
                    return hr;
            }
            GiveObject(in, inSignature);
            GiveObject(out, outSignature);
            return WBEM_S_NO_ERROR;
        }
        return WBEM_S_NO_MORE_DATA;
    });
}

HRESULT WbemClassObject::EndMethodEnumeration()
{
    m_methodCursor = Cursor{};
    return WBEM_S_NO_ERROR;
}

HRESULT WbemClassObject::GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers)
{
    if (method == nullptr || qualifiers == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *qualifiers = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* found = FindMethod(method);
        if (found == nullptr)
            return WBEM_E_NOT_FOUND;
        ComPtr<WbemQualifierSet> set =
            IsClass() ? found->qualifiers
                      : InstanceView(m_methodQualifiers[WbemName::Upper(found->name)], found->qualifiers);
        *qualifiers = set.Detach();
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemClassObject::GetMethodOrigin(LPCWSTR methodName, BSTR* className)
{
    if (methodName == nullptr || className == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *className = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        const MethodDef* method = FindMethod(methodName);
        if (method == nullptr)
            return WBEM_E_NOT_FOUND;
        return GiveText(method->origin.empty() ? ClassName() : method->origin, className);
    });
}

bool WbemClassObject::Reaches(const WbemClassObject* target) const
{
    if (this == target)
        return true;
    const auto reachesThrough = [target](const VARIANT& value) {
        return AnyEmbedded(value, [target](const WbemClassObject* inner) { return inner->Reaches(target); });
    };
    if (m_class != nullptr && m_class->Reaches(target))
        return true;
    for (const auto& property : m_properties)
    {
        if (reachesThrough(property.value))
            return true;
    }
    for (const auto& value : m_values)
    {
        if (reachesThrough(value))
            return true;
    }
    return false;
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
