#include "platform/wmi/WbemQualifierSet.h"

#include "platform/com/SafeArray.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemName.h"

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace {
constexpr LONG kPuttableFlavors = WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE | WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS |
                                  WBEM_FLAVOR_NOT_OVERRIDABLE | WBEM_FLAVOR_AMENDED;
constexpr LONG kOriginFlavors = WBEM_FLAVOR_ORIGIN_PROPAGATED | WBEM_FLAVOR_ORIGIN_SYSTEM;

bool ValidSelection(LONG flags)
{
    return flags == 0 || flags == WBEM_FLAG_LOCAL_ONLY || flags == WBEM_FLAG_PROPAGATED_ONLY;
}

const WbemQualifierSet::Entry* FindIn(const std::vector<WbemQualifierSet::Entry>& entries, std::wstring_view name)
{
    for (const auto& entry : entries)
    {
        if (WbemName::Equal(entry.name, name))
            return &entry;
    }
    return nullptr;
}

// Qualifier values are integers (VT_I4), reals (VT_R8), text, booleans and arrays of these.
HRESULT NormaliseValue(const VARIANT& value, _variant_t& result)
{
    const VARTYPE element = value.vt & VT_TYPEMASK;
    if ((value.vt & VT_BYREF) != 0)
        return WBEM_E_INVALID_QUALIFIER_TYPE;
    if ((value.vt & VT_ARRAY) != 0)
    {
        if (value.parray == nullptr || SafeArrayGetDim(value.parray) != 1 ||
            (element != VT_I4 && element != VT_R8 && element != VT_BSTR && element != VT_BOOL))
            return WBEM_E_INVALID_QUALIFIER_TYPE;
        result = value;
        return WBEM_S_NO_ERROR;
    }
    switch (value.vt)
    {
    case VT_I4:
    case VT_R8:
    case VT_BSTR:
    case VT_BOOL:
        result = value;
        return WBEM_S_NO_ERROR;
    case VT_R4:
        result = _variant_t(static_cast<double>(value.fltVal));
        return WBEM_S_NO_ERROR;
    case VT_I1:
    case VT_I2:
    case VT_UI1:
    case VT_UI2:
    case VT_INT:
    case VT_UINT:
    case VT_UI4: {
        _variant_t converted;
        if (FAILED(VariantChangeType(&converted, &value, 0, VT_I4)))
            return WBEM_E_INVALID_QUALIFIER_TYPE;
        result = converted;
        return WBEM_S_NO_ERROR;
    }
    default:
        return WBEM_E_INVALID_QUALIFIER_TYPE;
    }
}
}  // namespace

ComPtr<WbemQualifierSet> WbemQualifierSet::Create()
{
    return MakeComObject<WbemQualifierSet>();
}

ComPtr<WbemQualifierSet> WbemQualifierSet::CreateView(const ComPtr<WbemQualifierSet>& source, LONG mask)
{
    ComPtr<WbemQualifierSet> view = Create();
    view->m_source = source;
    view->m_mask = mask;
    return view;
}

const WbemQualifierSet::Entries& WbemQualifierSet::Inherited() const
{
    static const Entries kNone;
    return m_inherited != nullptr ? *m_inherited : kNone;
}

const WbemQualifierSet::Entries& WbemQualifierSet::Local() const
{
    static const Entries kNone;
    return m_local != nullptr ? *m_local : kNone;
}

WbemQualifierSet::Entries& WbemQualifierSet::MutableLocal()
{
    // A count of one is this set's alone: a copy sharing them could only be made through this set.
    // The fence orders the change after the reads of copies (on other threads) that let theirs go.
    if (m_local == nullptr)
        m_local = std::make_shared<Entries>();
    else if (m_local.use_count() > 1)
        m_local = std::make_shared<Entries>(*m_local);
    else
        std::atomic_thread_fence(std::memory_order_acquire);
    return *m_local;
}

ComPtr<WbemQualifierSet> WbemQualifierSet::CopyForDerivedClass() const
{
    ComPtr<WbemQualifierSet> copy = Create();
    auto inherited = std::make_shared<Entries>();
    for (auto& entry : Effective())
    {
        if ((entry.flavor & WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS) != 0 || WbemName::Equal(entry.name, L"key"))
        {
            entry.flavor |= WBEM_FLAVOR_ORIGIN_PROPAGATED;
            entry.propagated = true;
            inherited->push_back(std::move(entry));
        }
    }
    copy->m_inherited = std::move(inherited);
    return copy;
}

ComPtr<WbemQualifierSet> WbemQualifierSet::Copy() const
{
    return CopyWithSource(m_source);
}

ComPtr<WbemQualifierSet> WbemQualifierSet::CopyWithSource(const ComPtr<WbemQualifierSet>& source) const
{
    ComPtr<WbemQualifierSet> copy = Create();
    copy->m_source = source;
    copy->m_mask = m_mask;
    copy->m_inherited = m_inherited;
    copy->m_local = m_local;
    return copy;
}

std::vector<WbemQualifierSet::Entry> WbemQualifierSet::Propagated() const
{
    std::vector<Entry> result = Inherited();
    if (m_source != nullptr)
    {
        for (auto& entry : m_source->Effective())
        {
            if ((entry.flavor & m_mask) == 0)
                continue;
            entry.flavor |= WBEM_FLAVOR_ORIGIN_PROPAGATED;
            entry.propagated = true;
            result.push_back(std::move(entry));
        }
    }
    return result;
}

std::vector<WbemQualifierSet::Entry> WbemQualifierSet::Effective() const
{
    std::vector<Entry> result;
    const Entries& local = Local();
    for (auto& entry : Propagated())
    {
        if (FindIn(local, entry.name) == nullptr)
            result.push_back(std::move(entry));
    }
    result.insert(result.end(), local.begin(), local.end());
    return result;
}

std::vector<WbemQualifierSet::Entry> WbemQualifierSet::Select(LONG flags) const
{
    std::vector<Entry> result = Effective();
    if (flags != 0)
    {
        const bool wantPropagated = flags == WBEM_FLAG_PROPAGATED_ONLY;
        std::erase_if(result, [wantPropagated](const Entry& e) { return e.propagated != wantPropagated; });
    }
    return result;
}

std::vector<std::wstring> WbemQualifierSet::SelectNames(LONG flags) const
{
    std::vector<std::wstring> names;
    for (auto& entry : Select(flags))
        names.push_back(std::move(entry.name));
    return names;
}

bool WbemQualifierSet::IsTrue(std::wstring_view name) const
{
    const auto entries = Effective();
    const Entry* entry = FindIn(entries, name);
    return entry != nullptr && entry->value.vt == VT_BOOL && entry->value.boolVal != VARIANT_FALSE;
}

HRESULT WbemQualifierSet::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemQualifierSet>(this, iid, object);
}

HRESULT WbemQualifierSet::Get(LPCWSTR name, LONG, VARIANT* value, LONG* flavor)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const auto entries = Effective();
        const Entry* entry = FindIn(entries, name);
        if (entry == nullptr)
            return WBEM_E_NOT_FOUND;
        if (value != nullptr)
        {
            VariantInit(value);
            if (VariantCopy(value, &entry->value) != S_OK)
                return WBEM_E_OUT_OF_MEMORY;
        }
        if (flavor != nullptr)
            *flavor = entry->flavor;
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemQualifierSet::Put(LPCWSTR name, VARIANT* value, LONG flavor)
{
    const std::wstring_view text = WbemName::View(name);
    if (text.empty() || text.size() > WbemName::kMaxNameLength || value == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    // Flavours read back from Get carry origin bits; they say nothing about the new value.
    flavor &= ~kOriginFlavors;
    if ((flavor & ~kPuttableFlavors) != 0)
        return WBEM_E_INVALID_FLAVOR;
    return WbemCall::Run([&]() -> HRESULT {
        Entry entry;
        const HRESULT hr = NormaliseValue(*value, entry.value);
        if (FAILED(hr))
            return hr;
        const auto propagated = Propagated();
        if (const Entry* inherited = FindIn(propagated, text);
            inherited != nullptr && (inherited->flavor & WBEM_FLAVOR_NOT_OVERRIDABLE) != 0)
            return WBEM_E_OVERRIDE_NOT_ALLOWED;
        entry.name = std::wstring(text);
        entry.flavor = flavor;
        Entries& local = MutableLocal();
        auto existing =
            std::find_if(local.begin(), local.end(), [&](const Entry& e) { return WbemName::Equal(e.name, text); });
        if (existing != local.end())
        {
            existing->value = entry.value;
            existing->flavor = flavor;
        }
        else
        {
            local.push_back(std::move(entry));
        }
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemQualifierSet::Delete(LPCWSTR name)
{
    if (name == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const bool inherited = FindIn(Propagated(), name) != nullptr;
        const Entries& shown = Local();
        const auto found =
            std::find_if(shown.begin(), shown.end(), [&](const Entry& e) { return WbemName::Equal(e.name, name); });
        if (found == shown.end())
            return inherited ? WBEM_E_PROPAGATED_QUALIFIER : WBEM_E_NOT_FOUND;
        const auto position = found - shown.begin();
        Entries& local = MutableLocal();
        local.erase(local.begin() + position);
        return inherited ? WBEM_S_RESET_TO_DEFAULT : WBEM_S_NO_ERROR;
    });
}

HRESULT WbemQualifierSet::GetNames(LONG flags, SAFEARRAY** names)
{
    if (names == nullptr || !ValidSelection(flags))
        return WBEM_E_INVALID_PARAMETER;
    *names = nullptr;
    return WbemCall::Run([&]() { return WbemNameCursor::NamesToArray(SelectNames(flags), names); });
}

HRESULT WbemQualifierSet::BeginEnumeration(LONG flags)
{
    if (!ValidSelection(flags))
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        m_cursor.Begin(SelectNames(flags));
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemQualifierSet::Next(LONG, BSTR* name, VARIANT* value, LONG* flavor)
{
    _variant_t copy;
    LONG currentFlavor = 0;
    const HRESULT hr = m_cursor.Next(name, [&](const std::wstring& current) {
        return Get(current.c_str(), 0, copy.GetAddress(), &currentFlavor) == WBEM_S_NO_ERROR;
    });
    if (hr != WBEM_S_NO_ERROR)
        return hr;
    if (value != nullptr)
        *value = copy.Detach();
    if (flavor != nullptr)
        *flavor = currentFlavor;
    return hr;
}

HRESULT WbemQualifierSet::EndEnumeration()
{
    m_cursor.End();
    return WBEM_S_NO_ERROR;
}
