// VARIANT: the tagged value of OLE automation, its life-cycle functions, type conversion, and
// the owning wrapper `_variant_t`.
//
// A VARIANT owns what it holds: a BSTR (freed), an interface pointer (released) or a SAFEARRAY
// (destroyed) when VariantClear runs; VT_BYREF values point at storage someone else owns. Text
// is wide; conversions to and from text use the invariant form (decimal point '.', dates as
// "YYYY-MM-DD HH:MM:SS") whatever locale is passed. A VARIANT is not thread-safe; the functions
// keep no shared state.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/Unknown.h"
#include "platform/win32/WinTypes.h"

#include <string>

struct SAFEARRAY;

using VARTYPE = USHORT;

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I2 = 2;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_R4 = 4;
constexpr VARTYPE VT_R8 = 5;
constexpr VARTYPE VT_DATE = 7;
constexpr VARTYPE VT_BSTR = 8;
// A dispatch value; there is no IDispatch here, so it is carried as an IUnknown in punkVal.
constexpr VARTYPE VT_DISPATCH = 9;
constexpr VARTYPE VT_ERROR = 10;
constexpr VARTYPE VT_BOOL = 11;
// Only as an array element type or with VT_BYREF; a plain VARIANT never has this type.
constexpr VARTYPE VT_VARIANT = 12;
constexpr VARTYPE VT_UNKNOWN = 13;
constexpr VARTYPE VT_I1 = 16;
constexpr VARTYPE VT_UI1 = 17;
constexpr VARTYPE VT_UI2 = 18;
constexpr VARTYPE VT_UI4 = 19;
constexpr VARTYPE VT_I8 = 20;
constexpr VARTYPE VT_UI8 = 21;
constexpr VARTYPE VT_INT = 22;
constexpr VARTYPE VT_UINT = 23;
constexpr VARTYPE VT_ARRAY = 0x2000;
constexpr VARTYPE VT_BYREF = 0x4000;
constexpr VARTYPE VT_TYPEMASK = 0x0FFF;

// Flags of VariantChangeType(Ex).
constexpr USHORT VARIANT_NOVALUEPROP = 0x01;
// VT_BOOL becomes "True"/"False" instead of "-1"/"0".
constexpr USHORT VARIANT_ALPHABOOL = 0x02;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x04;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

struct tagVARIANT
{
    VARTYPE vt;
    WORD wReserved1;
    WORD wReserved2;
    WORD wReserved3;
    union
    {
        LONGLONG llVal;
        LONG lVal;
        BYTE bVal;
        SHORT iVal;
        float fltVal;
        double dblVal;
        VARIANT_BOOL boolVal;
        SCODE scode;
        DATE date;
        BSTR bstrVal;
        IUnknown* punkVal;
        SAFEARRAY* parray;
        CHAR cVal;
        USHORT uiVal;
        ULONG ulVal;
        ULONGLONG ullVal;
        INT intVal;
        UINT uintVal;
        BYTE* pbVal;
        SHORT* piVal;
        LONG* plVal;
        LONGLONG* pllVal;
        float* pfltVal;
        double* pdblVal;
        VARIANT_BOOL* pboolVal;
        SCODE* pscode;
        DATE* pdate;
        BSTR* pbstrVal;
        IUnknown** ppunkVal;
        SAFEARRAY** pparray;
        tagVARIANT* pvarVal;
        CHAR* pcVal;
        USHORT* puiVal;
        ULONG* pulVal;
        ULONGLONG* pullVal;
        INT* pintVal;
        UINT* puintVal;
        PVOID byref;
    };
};
using VARIANT = tagVARIANT;
using VARIANTARG = VARIANT;
using LPVARIANT = VARIANT*;

// Makes *value VT_EMPTY without looking at what it held (for fresh storage).
void VariantInit(VARIANT* value);

// Frees what *value owns and makes it VT_EMPTY. S_OK; E_INVALIDARG for null;
// DISP_E_BADVARTYPE for a type a VARIANT cannot hold; DISP_E_ARRAYISLOCKED when its SAFEARRAY
// is locked. On failure *value is unchanged.
HRESULT VariantClear(VARIANT* value);

// Makes *destination an independent copy of *source: BSTRs and arrays are duplicated, interface
// pointers gain a reference, VT_BYREF pointers are copied as they stand. What *destination held
// before is cleared. S_OK; E_INVALIDARG for null arguments; DISP_E_BADVARTYPE for an invalid
// source type; E_OUTOFMEMORY. On failure *destination is unchanged.
HRESULT VariantCopy(VARIANT* destination, const VARIANT* source);

// Converts *source to type `type` into *destination (which may be source itself). VT_BYREF
// sources are read through their pointer. S_OK; DISP_E_TYPEMISMATCH when the pairing has no
// conversion or text does not read as the type (text is parsed strictly: optional blanks around,
// sign, digits, fraction, exponent; "True"/"False" for booleans; "YYYY-MM-DD[ HH:MM:SS]" for
// dates); DISP_E_OVERFLOW when the value does not fit the type (fractions are rounded half to
// even first); DISP_E_BADVARTYPE for a type that is not supported; E_INVALIDARG for null
// arguments or a date outside the DATE range when written as text; E_OUTOFMEMORY. On failure
// *destination is unchanged. VT_EMPTY converts to 0, false, "" and the zero date; VT_NULL
// converts only to VT_NULL.
HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type);

// VariantChangeType; the locale is accepted and not used (texts are in the invariant form).
HRESULT VariantChangeTypeEx(VARIANT* destination, const VARIANT* source, LCID locale, USHORT flags, VARTYPE type);

// Owning VARIANT wrapper. Construction, copy, assignment, ChangeType and the conversions throw
// _com_error with the failing HRESULT (E_OUTOFMEMORY, DISP_E_TYPEMISMATCH, ...). Not
// thread-safe. Because LONG and INT are the same type here, an int builds VT_I4.
class _variant_t : public VARIANT
{
public:
    _variant_t() noexcept;
    _variant_t(const VARIANT& source);
    _variant_t(const _variant_t& source);
    _variant_t(_variant_t&& source) noexcept;
    // VT_I2, or VT_BOOL (non-zero becomes VARIANT_TRUE).
    _variant_t(SHORT value, VARTYPE type = VT_I2);
    // VT_I4, VT_ERROR or VT_BOOL (non-zero becomes VARIANT_TRUE), or VT_INT.
    _variant_t(LONG value, VARTYPE type = VT_I4);
    _variant_t(float value);
    // VT_R8, or VT_DATE for a DATE.
    _variant_t(double value, VARTYPE type = VT_R8);
    // VT_BSTR holding a copy of the text (a null text gives a null BSTR).
    _variant_t(const wchar_t* text);
    // VT_BSTR from UTF-8 text; malformed sequences become U+FFFD.
    _variant_t(const char* text);
    // VT_UNKNOWN; takes a reference of its own when addRef is true, else adopts the caller's.
    _variant_t(IUnknown* object, bool addRef = true);
    _variant_t(bool value);
    _variant_t(BYTE value);
    _variant_t(CHAR value);
    _variant_t(USHORT value);
    _variant_t(ULONG value);
    _variant_t(LONGLONG value);
    _variant_t(ULONGLONG value);
    ~_variant_t();

    _variant_t& operator=(const VARIANT& source);
    _variant_t& operator=(const _variant_t& source);
    _variant_t& operator=(_variant_t&& source) noexcept;

    // Frees the value; the wrapper becomes VT_EMPTY.
    void Clear();
    // Converts source (or this value when null) to `type` into this wrapper.
    void ChangeType(VARTYPE type, const _variant_t* source = nullptr);

    explicit operator LONG() const;
    explicit operator double() const;
    explicit operator bool() const;
    // The value as text, embedded NULs kept.
    explicit operator std::wstring() const;

    // Clears this value and takes over what `source` holds; source becomes VT_EMPTY.
    void Attach(VARIANT& source);
    // Hands the value to the caller, who must VariantClear it; this becomes VT_EMPTY.
    VARIANT Detach() noexcept;
    VARIANT& GetVARIANT() noexcept { return *this; }
    // Clears the value and gives its address for a call that fills it.
    VARIANT* GetAddress();

private:
    // This value converted to `type` in a separate VARIANT the caller must clear.
    VARIANT Converted(VARTYPE type) const;
};
