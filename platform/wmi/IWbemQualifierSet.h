// IWbemQualifierSet: the named, flavoured qualifiers of a class, an instance, a property or a
// method, as the WMI service hands them out.
//
// Names are compared without regard to case. A set is reached through its object and keeps no
// thread guarantees beyond the reference count of its implementation.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

class IWbemQualifierSet : public IUnknown
{
public:
    static constexpr IID kIID = {0xDC12A680, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

    // The qualifier's value (copied into *value when given) and flavour (when given).
    // WBEM_S_NO_ERROR; WBEM_E_NOT_FOUND; WBEM_E_INVALID_PARAMETER for a null name.
    virtual HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, LONG* flavor) = 0;
    // Adds or replaces the qualifier with a copy of *value and the given flavour.
    virtual HRESULT Put(LPCWSTR name, VARIANT* value, LONG flavor) = 0;
    // Removes a local qualifier.
    virtual HRESULT Delete(LPCWSTR name) = 0;
    // A new BSTR array of the qualifier names (the caller destroys it).
    virtual HRESULT GetNames(LONG flags, SAFEARRAY** names) = 0;
    virtual HRESULT BeginEnumeration(LONG flags) = 0;
    // The next qualifier; WBEM_S_NO_MORE_DATA after the last one.
    virtual HRESULT Next(LONG flags, BSTR* name, VARIANT* value, LONG* flavor) = 0;
    virtual HRESULT EndEnumeration() = 0;

protected:
    ~IWbemQualifierSet() = default;
};
