// IWbemClassObject: a WMI class definition or instance, as the WMI service hands them out.
//
// Property and method names are compared without regard to case. Out-pointers receive new
// references, BSTRs, VARIANT contents and SAFEARRAYs that the caller frees.
#pragma once

#include "platform/com/Bstr.h"
#include "platform/com/CimTypes.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Unknown.h"
#include "platform/com/Variant.h"

class IWbemQualifierSet;

class IWbemClassObject : public IUnknown
{
public:
    static constexpr IID kIID = {0xDC12A681, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

    virtual HRESULT GetQualifierSet(IWbemQualifierSet** qualifiers) = 0;
    virtual HRESULT Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) = 0;
    virtual HRESULT Put(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE type) = 0;
    virtual HRESULT Delete(LPCWSTR name) = 0;
    virtual HRESULT GetNames(LPCWSTR qualifierName, LONG flags, VARIANT* qualifierValue, SAFEARRAY** names) = 0;
    virtual HRESULT BeginEnumeration(LONG enumFlags) = 0;
    virtual HRESULT Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) = 0;
    virtual HRESULT EndEnumeration() = 0;
    virtual HRESULT GetPropertyQualifierSet(LPCWSTR property, IWbemQualifierSet** qualifiers) = 0;
    virtual HRESULT Clone(IWbemClassObject** copy) = 0;
    virtual HRESULT GetObjectText(LONG flags, BSTR* objectText) = 0;
    virtual HRESULT SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) = 0;
    virtual HRESULT SpawnInstance(LONG flags, IWbemClassObject** newInstance) = 0;
    virtual HRESULT CompareTo(LONG flags, IWbemClassObject* compareTo) = 0;
    virtual HRESULT GetPropertyOrigin(LPCWSTR name, BSTR* className) = 0;
    virtual HRESULT InheritsFrom(LPCWSTR ancestor) = 0;
    virtual HRESULT GetMethod(LPCWSTR name, LONG flags, IWbemClassObject** inSignature,
                              IWbemClassObject** outSignature) = 0;
    virtual HRESULT PutMethod(LPCWSTR name, LONG flags, IWbemClassObject* inSignature,
                              IWbemClassObject* outSignature) = 0;
    virtual HRESULT DeleteMethod(LPCWSTR name) = 0;
    virtual HRESULT BeginMethodEnumeration(LONG enumFlags) = 0;
    virtual HRESULT NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                               IWbemClassObject** outSignature) = 0;
    virtual HRESULT EndMethodEnumeration() = 0;
    virtual HRESULT GetMethodQualifierSet(LPCWSTR method, IWbemQualifierSet** qualifiers) = 0;
    virtual HRESULT GetMethodOrigin(LPCWSTR methodName, BSTR* className) = 0;

protected:
    ~IWbemClassObject() = default;
};
