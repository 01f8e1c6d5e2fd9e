// WbemQualifierSet: the qualifiers of one class, instance, property or method, with flavours.
//
// A set holds its local qualifiers and sees propagated ones: either a snapshot taken when a
// derived class was spawned (the qualifiers whose flavour carries
// WBEM_FLAVOR_FLAG_PROPAGATE_TO_DERIVED_CLASS), or a live view of another set (the class's
// qualifiers that carry WBEM_FLAVOR_FLAG_PROPAGATE_TO_INSTANCE, seen by an instance).
// Propagated qualifiers report WBEM_FLAVOR_ORIGIN_PROPAGATED; a local Put overrides one unless
// it is WBEM_FLAVOR_NOT_OVERRIDABLE, and deleting the override brings the propagated value back.
// Names compare without regard to case. Owned through its reference count (atomic); the
// object that made it holds one reference. One thread uses a set at a time.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemNameCursor.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class WbemQualifierSet final : public RefCounted<WbemQualifierSet, IWbemQualifierSet>
{
public:
    struct Entry
    {
        std::wstring name;
        _variant_t value;
        LONG flavor = 0;
        bool propagated = false;
    };

    // A new empty set.
    static ComPtr<WbemQualifierSet> Create();
    // A new set that sees, live, the qualifiers of `source` whose flavour has a bit of `mask`.
    static ComPtr<WbemQualifierSet> CreateView(const ComPtr<WbemQualifierSet>& source, LONG mask);

    // A new set whose propagated qualifiers are a snapshot of this set's qualifiers that
    // propagate to derived classes ("key" always does: a derived class keeps its keys).
    // Throws std::bad_alloc or _com_error on short memory.
    ComPtr<WbemQualifierSet> CopyForDerivedClass() const;
    // An independent copy of this set (local qualifiers copied, propagation kept as it is).
    // Throws std::bad_alloc or _com_error on short memory.
    ComPtr<WbemQualifierSet> Copy() const;
    // A copy of this set whose live source is `source` instead (for a copied holder).
    ComPtr<WbemQualifierSet> CopyWithSource(const ComPtr<WbemQualifierSet>& source) const;
    // Every qualifier the set shows: propagated ones not overridden, then local ones in the
    // order they were put.
    std::vector<Entry> Effective() const;
    // True when the set shows `name` with a boolean true value (as "key" or "singleton").
    bool IsTrue(std::wstring_view name) const;
    // True when a qualifier was put on this set itself.
    bool HasLocal() const { return !Local().empty(); }
    // The live source of a view (null for other sets).
    const ComPtr<WbemQualifierSet>& Source() const { return m_source; }

    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) override;
    HRESULT Put(LPCWSTR name, VARIANT* value, LONG flavor) override;
    HRESULT Delete(LPCWSTR name) override;
    HRESULT GetNames(LONG flags, SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG flags) override;
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) override;
    HRESULT EndEnumeration() override;

    // Use Create or CreateView; public only for MakeComObject.
    WbemQualifierSet() = default;

private:
    friend class RefCounted<WbemQualifierSet, IWbemQualifierSet>;
    ~WbemQualifierSet() = default;

    using Entries = std::vector<Entry>;
    // The snapshot and the local qualifiers (empty when never set).
    const Entries& Inherited() const;
    const Entries& Local() const;
    // The local qualifiers for a change, made this set's own first when a copy shares them.
    Entries& MutableLocal();

    std::vector<Entry> Propagated() const;
    std::vector<Entry> Select(LONG flags) const;
    // The names of the qualifiers Select shows.
    std::vector<std::wstring> SelectNames(LONG flags) const;

    // Set at construction (views) or when copied for a derived class. Copies of a set share
    // its entries (never changed once shared: a set that changes its own takes a copy first),
    // so that copying a class definition copies no qualifier; null while there are none.
    ComPtr<WbemQualifierSet> m_source;
    LONG m_mask = 0;
    std::shared_ptr<const Entries> m_inherited;
    // Changed by Put and Delete.
    std::shared_ptr<Entries> m_local;
    // Enumeration state: the names taken at BeginEnumeration.
    WbemNameCursor m_cursor;
};
