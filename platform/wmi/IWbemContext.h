// IWbemContext: named values that travel with a WMI call (such as "BackDoor" and "ShellOnly").
//
// Names are compared without regard to case. Out-pointers receive values the caller frees.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

class IWbemContext : public IUnknown
{
public:
    static constexpr IID kIID = {0x44ACA674, 0xE8FC, 0x11D0, {0xA0, 0x7C, 0x00, 0xC0, 0x4F, 0xB6, 0x88, 0x20}};

    virtual HRESULT Clone(IWbemContext** copy) = 0;
    virtual HRESULT GetNames(LONG flags, SAFEARRAY** names) = 0;
    virtual HRESULT BeginEnumeration(LONG flags) = 0;
    virtual HRESULT Next(LONG flags, BSTR* name, VARIANT* value) = 0;
    virtual HRESULT EndEnumeration() = 0;
    virtual HRESULT SetValue(LPCWSTR name, LONG flags, VARIANT* value) = 0;
    virtual HRESULT GetValue(LPCWSTR name, LONG flags, VARIANT* value) = 0;
    virtual HRESULT DeleteValue(LPCWSTR name, LONG flags) = 0;
    virtual HRESULT DeleteAll() = 0;

protected:
    ~IWbemContext() = default;
};
