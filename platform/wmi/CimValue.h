// CimValue: the rules by which WMI carries a value of a CIM type in a VARIANT.
//
// Every CIM type has one VARIANT form (sint32 in VT_I4, uint32 in VT_I4, sint64 and uint64 as
// decimal text in VT_BSTR, datetime as DMTF text, an embedded object as VT_UNKNOWN holding an
// IWbemClassObject, arrays as one-dimensional SAFEARRAYs of the element form). Values put into
// an object are converted to that form or refused with WBEM_E_TYPE_MISMATCH. Stateless; every
// function is safe on any thread for values no other thread changes.
#pragma once

#include "platform/com/CimTypes.h"
#include "platform/com/Variant.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CimValue
{
public:
    CimValue() = delete;

    // True for a CIM type a property may have (the array flag may be set).
    static bool IsValidType(CIMTYPE type);
    // The VARIANT type that carries values of `type` (VT_ARRAY set for arrays).
    static VARTYPE VarTypeOf(CIMTYPE type);
    // The CIM type a class property takes from its first value when no type is given.
    // WBEM_S_NO_ERROR; WBEM_E_TYPE_MISMATCH for a VARIANT type WMI does not accept.
    static HRESULT InferType(const VARIANT& value, CIMTYPE* type);
    // Converts *value (null, VT_EMPTY and VT_NULL meaning no value) into the form of `type` in
    // *result, which must be VT_EMPTY. WBEM_S_NO_ERROR; WBEM_E_TYPE_MISMATCH when the value
    // does not fit the type (wrong kind, out of range, malformed DMTF text, multi-dimensional
    // array); WBEM_E_OUT_OF_MEMORY.
    static HRESULT Coerce(CIMTYPE type, const VARIANT* value, VARIANT* result);
    // As Coerce, but a VT_BSTR value for a scalar string, reference or date-time type, and one
    // for a scalar 64-bit integer type already in the decimal form Coerce gives, and a
    // one-dimensional VT_UI1 array from index 0 for uint8[], is moved into *result (value is left
    // VT_EMPTY) instead of copied. On failure value is unchanged.
    static HRESULT CoerceTaking(CIMTYPE type, VARIANT* value, VARIANT* result);
    // True for VT_EMPTY and VT_NULL.
    static bool IsNull(const VARIANT& value);
    // Copies source into *target (VT_EMPTY) with every embedded object cloned, so the copy
    // shares nothing with the source. WBEM_S_NO_ERROR; WBEM_E_OUT_OF_MEMORY.
    static HRESULT DeepCopy(const VARIANT& source, VARIANT* target);
    // The value as a MOF literal: quoted and escaped text, TRUE/FALSE, numbers, {a, b} for
    // arrays, NULL for no value, the object text of an embedded object.
    static std::wstring ToMofLiteral(CIMTYPE type, const VARIANT& value);
    // Takes the pieces of a text in order; a view is valid only during the call.
    using TextSink = std::function<void(std::wstring_view)>;
    // ToMofLiteral handed to `write` in pieces as it is made: a byte array's numbers straight
    // from its bytes, so a value of megabytes is never held as one text.
    static void WriteMofLiteral(CIMTYPE type, const VARIANT& value, const TextSink& write);
    // The value as it stands in an object path key: text quoted with \ and " escaped,
    // TRUE/FALSE, plain numbers.
    static std::wstring ToKeyText(CIMTYPE type, const VARIANT& value);
    // The MOF name of the type ("sint32", "string", "object", ...), without the array mark.
    static std::wstring TypeName(CIMTYPE type);
    // The values an integer type of at most 32 bits holds (sint8 to uint32, char16): true with
    // *low and *high; false for every other type.
    static bool IntegerRange(CIMTYPE type, std::int64_t* low, std::int64_t* high);
    // True when both values are equal; text ignores case when ignoreCase is set. Embedded
    // objects compare with IWbemClassObject::CompareTo(compareFlags).
    static bool Equal(const VARIANT& left, const VARIANT& right, bool ignoreCase, LONG compareFlags);
    // True for DMTF date-time or interval text ("yyyymmddHHMMSS.mmmmmmsUUU" with '*' wildcards,
    // or "ddddddddHHMMSS.mmmmmm:000").
    static bool IsDmtfText(std::wstring_view text);
};
