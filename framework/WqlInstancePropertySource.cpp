#include "framework/WqlInstancePropertySource.h"

#include "framework/CWMITypeInfo.h"
#include "framework/CWmipMapperRegistry.h"
#include "framework/CWmipObjectPath.h"
#include "framework/DateTimeText.h"
#include "framework/WMIHelper.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <iterator>
#include <string>
#include <memory>
#include <optional>
#include <utility>

namespace {

// The variant kinds read as 64-bit integers.
constexpr VARTYPE kIntegerTypes[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_INT, VT_UINT, VT_I8, VT_UI8};

// The object embedded in a value; null when the value holds none.
ComPtr<IWbemClassObject> EmbeddedObject(const VARIANT& value)
{
    ComPtr<IWbemClassObject> embedded;
    if (value.vt == VT_UNKNOWN && value.punkVal != nullptr &&
        FAILED(value.punkVal->QueryInterface(IWbemClassObject::kIID, reinterpret_cast<void**>(&embedded))))
        embedded = nullptr;
    return embedded;
}

// The object holding the last part of a dotted name, and that part: each earlier part must
// name a property holding an embedded object. False when a step is missing or holds none.
bool ResolveDotted(IWbemClassObject* instance, const CString& property, ComPtr<IWbemClassObject>& owner, CString& leaf)
{
    owner = ComPtr<IWbemClassObject>(instance);
    leaf = property;
    for (int dot = leaf.Find(L'.'); dot >= 0; dot = leaf.Find(L'.'))
    {
        _variant_t raw;
        if (FAILED(owner->Get(leaf.Left(dot), 0, &raw, nullptr, nullptr)))
            return false;
        ComPtr<IWbemClassObject> next = EmbeddedObject(raw);
        if (next == nullptr)
            return false;
        owner = std::move(next);
        leaf = leaf.Mid(dot + 1);
    }
    return true;
}

// The number a whole decimal text of an integer property holds: an unsigned 64-bit value beyond
// the signed range is given as a real, as the database keeps it. False for any other text.
bool ReadIntegerText(const CString& text, CIMTYPE type, CDBValue& value)
{
    const std::string utf8 = CStringToUtf8(text);
    const char* first = utf8.data();
    const char* last = first + utf8.size();
    LONGLONG number = 0;
    if (const auto [end, error] = std::from_chars(first, last, number);
        !utf8.empty() && error == std::errc() && end == last)
    {
        value = CDBValue(number);
        return true;
    }
    unsigned long long wide = 0;
    if (const auto [end, error] = std::from_chars(first, last, wide);
        type == CIM_UINT64 && !utf8.empty() && error == std::errc() && end == last)
    {
        value = CDBValue(static_cast<double>(wide));
        return true;
    }
    return false;
}

// The instant a date-time text of the door names, as its UTC column text with its microseconds
// (DateTimeText::FormatColumn, which orders as the instants do); none for a text that names none.
std::optional<CDBValue> UtcText(const CString& text, Door door)
{
    DateTimeText::Parts utc;
    if (!WMIHelper::ToUtcParts(text, door, utc))
        return std::nullopt;
    return CDBValue(DateTimeText::FormatColumn(utc));
}

// The CIM type (without the array flag) the object (or the embedded object a dotted name leads
// to) declares the property with; CIM_EMPTY when it has no such property.
CIMTYPE DeclaredType(IWbemClassObject* instance, const CString& property)
{
    ComPtr<IWbemClassObject> owner;
    CString leaf;
    _variant_t raw;
    CIMTYPE type = CIM_EMPTY;
    if (!ResolveDotted(instance, property, owner, leaf) || FAILED(owner->Get(leaf, 0, &raw, &type, nullptr)))
        return CIM_EMPTY;
    return type & ~CIM_FLAG_ARRAY;
}

bool ObjectIsA(IWbemClassObject* object, const CString& className)
{
    _variant_t own;
    if (SUCCEEDED(object->Get(L"__CLASS", 0, &own, nullptr, nullptr)) && own.vt == VT_BSTR && own.bstrVal != nullptr &&
        className.CompareNoCase(own.bstrVal) == 0)
        return true;
    return object->InheritsFrom(className) == WBEM_S_NO_ERROR;
}

// Walks the registered superclasses of the class (a chain longer than any schema's ends the
// walk, should the registrations ever form a loop).
bool ClassIsA(CString name, const CString& className)
{
    constexpr int kDeepestChain = 32;
    for (int step = 0; step < kDeepestChain && !name.IsEmpty(); ++step)
    {
        if (name.CompareNoCase(className) == 0)
            return true;
        const CWMITypeInfo* typeInfo = CWmipMapperRegistry::Instance()->GetTypeInfo(name, true);
        if (typeInfo == nullptr)
            return false;
        name = typeInfo->GetParentTypeName();
    }
    return false;
}

}  // namespace

bool WqlInstancePropertySource::GetValue(const CString& property, CDBValue& value) const
{
    ComPtr<IWbemClassObject> owner;
    CString leaf;
    if (!ResolveDotted(m_instance, property, owner, leaf))
        return false;
    _variant_t raw;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(owner->Get(leaf, 0, &raw, &type, nullptr)))
        return false;
    const VARIANT& v = raw;
    if (v.vt == VT_EMPTY || v.vt == VT_NULL)
    {
        value = CDBValue();
        return true;
    }
    if (v.vt == VT_BOOL)
    {
        value = CDBValue(v.boolVal != VARIANT_FALSE ? 1 : 0);
        return true;
    }
    if (std::find(std::begin(kIntegerTypes), std::end(kIntegerTypes), v.vt) != std::end(kIntegerTypes))
    {
        // A uint32 travels in the signed 32-bit form: it is compared as the number it is, as the
        // database compares the column it comes from.
        if ((type & ~CIM_FLAG_ARRAY) == CIM_UINT32 && v.vt == VT_I4)
        {
            value = CDBValue(static_cast<LONGLONG>(static_cast<std::uint32_t>(v.lVal)));
            return true;
        }
        _variant_t wide;
        if (FAILED(VariantChangeType(&wide, &raw, 0, VT_I8)))
            return false;
        value = CDBValue(static_cast<LONGLONG>(static_cast<const VARIANT&>(wide).llVal));
        return true;
    }
    if (v.vt == VT_R4 || v.vt == VT_R8)
    {
        _variant_t real;
        if (FAILED(VariantChangeType(&real, &raw, 0, VT_R8)))
            return false;
        value = CDBValue(static_cast<const VARIANT&>(real).dblVal);
        return true;
    }
    if (v.vt != VT_BSTR)
        return false;
    const CString text(v.bstrVal != nullptr ? v.bstrVal : L"");
    // A 64-bit number travels as its decimal text: it is compared as the number it is, as the
    // database compares the column it comes from.
    if (IsIntegerCimType(type & ~CIM_FLAG_ARRAY))
        return ReadIntegerText(text, type & ~CIM_FLAG_ARRAY, value);
    if ((type & ~CIM_FLAG_ARRAY) == CIM_DATETIME)
    {
        if (std::optional<CDBValue> utc = UtcText(text, m_door))
        {
            value = std::move(*utc);
            return true;
        }
    }
    value = CDBValue(text);
    return true;
}

std::optional<bool> WqlInstancePropertySource::IsA(const CString& property, const CString& className) const
{
    ComPtr<IWbemClassObject> owner;
    CString leaf;
    if (!ResolveDotted(m_instance, property, owner, leaf))
        return std::nullopt;
    if (leaf.CompareNoCase(L"__CLASS") == 0)
        return ObjectIsA(owner.Get(), className);
    _variant_t raw;
    CIMTYPE type = CIM_EMPTY;
    if (FAILED(owner->Get(leaf, 0, &raw, &type, nullptr)))
        return std::nullopt;
    const VARIANT& v = raw;
    if (const ComPtr<IWbemClassObject> embedded = EmbeddedObject(v))
        return ObjectIsA(embedded.Get(), className);
    if (v.vt == VT_BSTR && v.bstrVal != nullptr && (type & ~CIM_FLAG_ARRAY) == CIM_REFERENCE)
    {
        const std::unique_ptr<CWmipObjectPath> path = CWmipObjectPath::CreateFromPath(v.bstrVal);
        return path != nullptr && ClassIsA(path->GetClassName(), className);
    }
    return false;
}

bool WqlInstancePropertySource::IsBoolean(const CString& property) const
{
    return DeclaredType(m_instance, property) == CIM_BOOLEAN;
}

std::optional<CDBValue> WqlInstancePropertySource::ReadDateTime(const CString& property, const CString& text) const
{
    if (DeclaredType(m_instance, property) != CIM_DATETIME)
        return std::nullopt;
    return UtcText(text, m_door);
}

bool WqlInstancePropertySource::IsText(const CString& property) const
{
    return DeclaredType(m_instance, property) == CIM_STRING;
}
