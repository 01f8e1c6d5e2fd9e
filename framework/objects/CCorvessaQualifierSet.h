// CCorvessaQualifierSet: the in-process qualifier set of the bus front end's class objects
// (one per class, property and method of a CCorvessaClassObject).
//
// Holds qualifier names (case kept, compared case-sensitively, ordered by code unit) with
// their values; flavours are accepted and dropped. Held by value inside its class object,
// property descriptor or method table, which owns the first reference; callers that were
// handed the set with a reference give it back with Release. Only the reference count is
// atomic: a set is used by one request at a time.
#pragma once

#include "platform/com/Variant.h"
#include "platform/wmi/IWbemQualifierSet.h"

#include <atomic>
#include <map>
#include <string>

class CCorvessaQualifierSet final : public IWbemQualifierSet
{
public:
    // An empty set with one reference and its enumeration idle.
    CCorvessaQualifierSet();
    // A set holding its own copy of the other's table, one reference, enumeration idle.
    // Throws _com_error or std::bad_alloc when a value cannot be copied.
    CCorvessaQualifierSet(const CCorvessaQualifierSet& other);
    // Puts every qualifier of the source into this set (entries the source lacks remain) and
    // leaves the source's enumeration idle; the reference count is kept.
    CCorvessaQualifierSet& operator=(const CCorvessaQualifierSet& source);
    ~CCorvessaQualifierSet();

    // S_OK with a reference for IUnknown and IWbemQualifierSet; E_NOINTERFACE (and a null
    // *object) otherwise; E_POINTER for a null object.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Both answer 0; Release destroys the set when the count falls to 0 or below.
    ULONG AddRef() override;
    ULONG Release() override;
    // The value of the qualifier of exactly that name in *value (when given); the flavour is
    // never written. 0x80041002 when absent; WBEM_E_INVALID_PARAMETER for a null name.
    HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) override;
    // Inserts or replaces the qualifier with a copy of *value. E_POINTER for a null value;
    // WBEM_E_INVALID_PARAMETER for a null name; the VariantCopy failure when the copy fails.
    HRESULT Put(LPCWSTR name, VARIANT* value, LONG flavor) override;
    // Answers 0 and removes nothing.
    HRESULT Delete(LPCWSTR name) override;
    // Not offered: *names is set to null and WBEM_E_NOT_SUPPORTED is answered.
    HRESULT GetNames(LONG flags, SAFEARRAY** names) override;
    HRESULT BeginEnumeration(LONG flags) override;
    // The next qualifier's name (a new BSTR) and value; 0x40005 past the last one, before
    // BeginEnumeration and on an empty set.
    HRESULT Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) override;
    HRESULT EndEnumeration() override;

private:
    enum class EnumerationState
    {
        Idle,
        Begun,
        Running
    };

    std::map<std::wstring, _variant_t> m_qualifiers;
    // The enumeration; mutable because assigning from a set runs and ends its enumeration.
    mutable std::map<std::wstring, _variant_t>::const_iterator m_position;
    mutable EnumerationState m_state = EnumerationState::Idle;
    std::atomic<LONG> m_refCount{1};
};
