#include "platform/com/Variant.h"

#include "platform/com/BstrOwner.h"

#include "platform/com/ComError.h"
#include "platform/com/SafeArray.h"
#include "platform/com/VariantConverter.h"
#include "platform/win32/UnicodeConversion.h"

#include <memory>
#include <string_view>

namespace {

void Check(HRESULT result)
{
    if (FAILED(result))
        _com_issue_error(result);
}

BSTR AllocateOrThrow(const wchar_t* text, std::size_t length)
{
    if (length > kMaxBstrLength)
        _com_issue_error(E_OUTOFMEMORY);
    BSTR result = SysAllocStringLen(text, static_cast<UINT>(length));
    if (result == nullptr)
        _com_issue_error(E_OUTOFMEMORY);
    return result;
}

// The whole text of a BSTR, embedded NULs kept; empty for null.
std::wstring TextOf(BSTR text)
{
    return text == nullptr ? std::wstring() : std::wstring(text, SysStringLen(text));
}

}  // namespace

void VariantInit(VARIANT* value)
{
    value->vt = VT_EMPTY;
    value->wReserved1 = 0;
    value->wReserved2 = 0;
    value->wReserved3 = 0;
    value->llVal = 0;
}

HRESULT VariantClear(VARIANT* value)
{
    if (value == nullptr)
        return E_INVALIDARG;
    const VARTYPE type = value->vt;
    if (!VariantConverter::IsValidVariantType(type))
        return DISP_E_BADVARTYPE;
    if ((type & VT_BYREF) == 0)
    {
        if ((type & VT_ARRAY) != 0)
        {
            const HRESULT result = SafeArrayDestroy(value->parray);
            if (FAILED(result))
                return result;
        }
        else if (type == VT_BSTR)
        {
            SysFreeString(value->bstrVal);
        }
        else if ((type == VT_UNKNOWN || type == VT_DISPATCH) && value->punkVal != nullptr)
        {
            value->punkVal->Release();
        }
    }
    VariantInit(value);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source)
{
    if (destination == nullptr || source == nullptr)
        return E_INVALIDARG;
    if (destination == source)
        return S_OK;
    const VARTYPE type = source->vt;
    if (!VariantConverter::IsValidVariantType(type))
        return DISP_E_BADVARTYPE;
    // The copy is complete before the destination is touched, so a failure changes nothing and
    // a source that lives inside the destination stays readable.
    VARIANT copy = *source;
    if ((type & VT_BYREF) == 0)
    {
        if ((type & VT_ARRAY) != 0)
        {
            const HRESULT result = SafeArrayCopy(source->parray, &copy.parray);
            if (FAILED(result))
                return result;
        }
        else if (type == VT_BSTR && source->bstrVal != nullptr)
        {
            copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
            if (copy.bstrVal == nullptr)
                return E_OUTOFMEMORY;
        }
        else if ((type == VT_UNKNOWN || type == VT_DISPATCH) && source->punkVal != nullptr)
        {
            source->punkVal->AddRef();
        }
    }
    const HRESULT cleared = VariantClear(destination);
    if (FAILED(cleared))
    {
        VariantClear(&copy);
        return cleared;
    }
    *destination = copy;
    return S_OK;
}

HRESULT VariantChangeType(VARIANT* destination, const VARIANT* source, USHORT flags, VARTYPE type)
{
    return VariantChangeTypeEx(destination, source, 0, flags, type);
}

HRESULT VariantChangeTypeEx(VARIANT* destination, const VARIANT* source, LCID /*locale*/, USHORT flags, VARTYPE type)
{
    if (destination == nullptr || source == nullptr)
        return E_INVALIDARG;
    VARIANT result;
    VariantInit(&result);
    HRESULT hr = VariantConverter::Convert(*source, type, flags, result);
    if (FAILED(hr))
        return hr;
    // Converted into separate storage first: the destination may be the source itself.
    hr = VariantClear(destination);
    if (FAILED(hr))
    {
        VariantClear(&result);
        return hr;
    }
    *destination = result;
    return S_OK;
}

_variant_t::_variant_t() noexcept : VARIANT{} {}

_variant_t::_variant_t(const VARIANT& source) : VARIANT{}
{
    Check(VariantCopy(this, &source));
}

_variant_t::_variant_t(const _variant_t& source) : VARIANT{}
{
    Check(VariantCopy(this, &source));
}

_variant_t::_variant_t(_variant_t&& source) noexcept : VARIANT(static_cast<const VARIANT&>(source))
{
    VariantInit(&source);
}

_variant_t::_variant_t(SHORT value, VARTYPE type) : VARIANT{}
{
    if (type == VT_BOOL)
        boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
    else if (type == VT_I2)
        iVal = value;
    else
        _com_issue_error(E_INVALIDARG);
    vt = type;
}

_variant_t::_variant_t(LONG value, VARTYPE type) : VARIANT{}
{
    switch (type)
    {
    case VT_I4:
        lVal = value;
        break;
    case VT_INT:
        intVal = value;
        break;
    case VT_ERROR:
        scode = value;
        break;
    case VT_BOOL:
        boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    default:
        _com_issue_error(E_INVALIDARG);
    }
    vt = type;
}

_variant_t::_variant_t(float value) : VARIANT{}
{
    vt = VT_R4;
    fltVal = value;
}

_variant_t::_variant_t(double value, VARTYPE type) : VARIANT{}
{
    if (type != VT_R8 && type != VT_DATE)
        _com_issue_error(E_INVALIDARG);
    vt = type;
    dblVal = value;
}

_variant_t::_variant_t(const wchar_t* text) : VARIANT{}
{
    bstrVal = text == nullptr ? nullptr : AllocateOrThrow(text, std::wstring_view(text).size());
    vt = VT_BSTR;
}

_variant_t::_variant_t(const char* text) : VARIANT{}
{
    if (text != nullptr)
    {
        const std::wstring wide = UnicodeConversion::DecodeUtf8(text);
        bstrVal = AllocateOrThrow(wide.data(), wide.size());
    }
    vt = VT_BSTR;
}

_variant_t::_variant_t(IUnknown* object, bool addRef) : VARIANT{}
{
    if (addRef && object != nullptr)
        object->AddRef();
    vt = VT_UNKNOWN;
    punkVal = object;
}

_variant_t::_variant_t(bool value) : VARIANT{}
{
    vt = VT_BOOL;
    boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

_variant_t::_variant_t(BYTE value) : VARIANT{}
{
    vt = VT_UI1;
    bVal = value;
}

_variant_t::_variant_t(CHAR value) : VARIANT{}
{
    vt = VT_I1;
    cVal = value;
}

_variant_t::_variant_t(USHORT value) : VARIANT{}
{
    vt = VT_UI2;
    uiVal = value;
}

_variant_t::_variant_t(ULONG value) : VARIANT{}
{
    vt = VT_UI4;
    ulVal = value;
}

_variant_t::_variant_t(LONGLONG value) : VARIANT{}
{
    vt = VT_I8;
    llVal = value;
}

_variant_t::_variant_t(ULONGLONG value) : VARIANT{}
{
    vt = VT_UI8;
    ullVal = value;
}

_variant_t::~_variant_t()
{
    // A value that cannot be cleared (an array someone still has locked) is left alone: freeing
    // it under the lock holder would be worse than the leak.
    VariantClear(this);
}

_variant_t& _variant_t::operator=(const VARIANT& source)
{
    Check(VariantCopy(this, &source));
    return *this;
}

_variant_t& _variant_t::operator=(const _variant_t& source)
{
    Check(VariantCopy(this, &source));
    return *this;
}

_variant_t& _variant_t::operator=(_variant_t&& source) noexcept
{
    if (this != &source)
    {
        VARIANT previous = *this;
        static_cast<VARIANT&>(*this) = source;
        VariantInit(&source);
        VariantClear(&previous);
    }
    return *this;
}

void _variant_t::Clear()
{
    Check(VariantClear(this));
}

void _variant_t::ChangeType(VARTYPE type, const _variant_t* source)
{
    Check(VariantChangeType(this, source != nullptr ? source : this, 0, type));
}

VARIANT _variant_t::Converted(VARTYPE type) const
{
    VARIANT result;
    VariantInit(&result);
    Check(VariantChangeType(&result, this, 0, type));
    return result;
}

_variant_t::operator LONG() const
{
    return vt == VT_I4 ? lVal : Converted(VT_I4).lVal;
}

_variant_t::operator double() const
{
    return vt == VT_R8 ? dblVal : Converted(VT_R8).dblVal;
}

_variant_t::operator bool() const
{
    return (vt == VT_BOOL ? boolVal : Converted(VT_BOOL).boolVal) != VARIANT_FALSE;
}

_variant_t::operator std::wstring() const
{
    if (vt == VT_BSTR)
        return TextOf(bstrVal);
    return BstrOwner(Converted(VT_BSTR).bstrVal).Text();
}

void _variant_t::Attach(VARIANT& source)
{
    if (&source == static_cast<VARIANT*>(this))
        return;
    Clear();
    static_cast<VARIANT&>(*this) = source;
    VariantInit(&source);
}

VARIANT _variant_t::Detach() noexcept
{
    VARIANT result = *this;
    VariantInit(this);
    return result;
}

VARIANT* _variant_t::GetAddress()
{
    Clear();
    return this;
}
