// CCorvessaPropertyDescriptor: one property of an in-process class object: its value, CIM
// type, name and qualifiers.
//
// A value type held by value in the class object's property table and copied freely; not
// shared and not thread-safe.
#pragma once

#include "framework/objects/CCorvessaQualifierSet.h"
#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"
#include "platform/mfc/CString.h"

class CCorvessaPropertyDescriptor
{
public:
    // An empty placeholder (VT_EMPTY value, empty name); filled by assignment.
    CCorvessaPropertyDescriptor();
    // The named property of the given type, with an empty value and no qualifiers.
    CCorvessaPropertyDescriptor(const CString& name, CIMTYPE cimType);
    // Copies of value, type, name and qualifiers. Throws _com_error when the value cannot be
    // copied.
    CCorvessaPropertyDescriptor(const CCorvessaPropertyDescriptor& other);
    // Takes the source's value, type and name; the source's qualifiers are put into this
    // descriptor's set (qualifiers only this one has remain).
    CCorvessaPropertyDescriptor& operator=(const CCorvessaPropertyDescriptor& source);
    ~CCorvessaPropertyDescriptor();

    // A copy of the value.
    _variant_t GetVariant() const { return m_value; }
    // The value itself, for a caller that makes its own copy: valid until the value is replaced
    // or the descriptor goes.
    const VARIANT& ViewVariant() const { return m_value; }
    // Replaces the value with a copy of the argument (throws _com_error when it cannot).
    void SetVariant(const VARIANT& value) { m_value = value; }
    // Replaces the value with the argument itself, which is left VT_EMPTY: a binary value of
    // megabytes is not copied into the object.
    void TakeVariant(VARIANT& value)
    {
        m_value.Attach(value);
        VariantInit(&value);
    }
    CIMTYPE GetCIMType() const { return m_cimType; }
    void SetCIMType(CIMTYPE cimType) { m_cimType = cimType; }
    CString GetPropertyName() const { return m_name; }
    void SetPropertyName(const CString& name) { m_name = name; }
    // The embedded qualifier set; valid as long as this descriptor; no reference is added.
    CCorvessaQualifierSet* GetQualifierSet() { return &m_qualifiers; }
    // The type as text: "sint32", "string[]", the "CIMTYPE" qualifier of a reference
    // ("ref:(unknown)" without one), "TODO" for types it does not name.
    CString GetCIMTypeString() const;

private:
    _variant_t m_value;
    CIMTYPE m_cimType = CIM_EMPTY;
    CString m_name;
    // Mutable: reading the "CIMTYPE" qualifier goes through the set's interface.
    mutable CCorvessaQualifierSet m_qualifiers;
};
