// WbemClassObject: reading, writing, deleting and listing properties, and their qualifiers.
#include "platform/wmi/WbemClassObject.h"

#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/CimValue.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObjectSupport.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemNameCursor.h"

#include <algorithm>

namespace {

constexpr LONG kConditionMask = 0x3;
constexpr LONG kOriginMask = 0x70;
constexpr LONG kNameSelectionFlags = kConditionMask | WBEM_FLAG_KEYS_ONLY | WBEM_FLAG_REFS_ONLY | kOriginMask;

HRESULT CopyOut(const VARIANT& source, VARIANT* target)
{
    VariantInit(target);
    return VariantCopy(target, &source) == S_OK ? WBEM_S_NO_ERROR : WBEM_E_OUT_OF_MEMORY;
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

HRESULT WbemClassObject::FindSlot(LPCWSTR name, PropertySlot* slot, CIMTYPE* type) const
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
    if (type != nullptr)
        *type = property->type;
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
        if (property->slot < m_spareTexts.size())
            value.bstrVal = m_spareTexts[property->slot].Detach();
        if (!SysReAllocStringLen(&value.bstrVal, text.data(), static_cast<UINT>(text.size())))
            return WBEM_E_OUT_OF_MEMORY;
        return PutInstanceValue(*property, &value, type, true);
    });
}

HRESULT WbemClassObject::PutSystemProperty(std::wstring_view name, const VARIANT* value, CIMTYPE type)
{
    if (FindWbemSystemProperty(name) == nullptr)
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
            return FindWbemSystemProperty(name) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
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
        for (const auto& property : kWbemSystemProperties)
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
                const HRESULT hr = GiveWbemText(current, name);
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
            return FindWbemSystemProperty(property) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
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

HRESULT WbemClassObject::GetPropertyOrigin(LPCWSTR name, BSTR* className)
{
    if (name == nullptr || className == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    *className = nullptr;
    return WbemCall::Run([&]() -> HRESULT {
        if (WbemName::IsSystemName(name))
            return FindWbemSystemProperty(name) != nullptr ? WBEM_E_SYSTEM_PROPERTY : WBEM_E_NOT_FOUND;
        const PropertyDef* property = FindProperty(name);
        if (property == nullptr)
            return WBEM_E_NOT_FOUND;
        return GiveWbemText(property->origin.empty() ? ClassName() : property->origin, className);
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
