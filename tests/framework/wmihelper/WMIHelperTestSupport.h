// Test support for the WMIHelper tests: an object that answers Get with any VARIANT (the
// in-memory WMI objects coerce values to their CIM form, so they cannot hand out VT_UI4 or
// VT_INT), application objects of both modes, and builders over the in-memory objects.
#pragma once

#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/WbemClassObject.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

namespace wmihelpertest {

// An object with fixed property values. Get copies the stored VARIANT and its CIM type; every
// other member answers E_NOTIMPL. Only Get is reached by the read helpers.
class VariantObject final : public RefCounted<VariantObject, IWbemClassObject>
{
public:
    struct Entry
    {
        _variant_t value;
        CIMTYPE type = CIM_EMPTY;
    };

    void Set(const std::wstring& name, const VARIANT& value, CIMTYPE type = CIM_EMPTY)
    {
        m_entries[name] = Entry{_variant_t(value), type};
    }

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (!IsEqualGUID(iid, IUnknown::kIID) && !IsEqualGUID(iid, IWbemClassObject::kIID))
            return E_NOINTERFACE;
        AddRef();
        *object = static_cast<IWbemClassObject*>(this);
        return S_OK;
    }
    HRESULT Get(LPCWSTR name, LONG, VARIANT* value, CIMTYPE* type, LONG*) override
    {
        if (name == nullptr)
            return WBEM_E_INVALID_PARAMETER;
        const auto found = m_entries.find(name);
        if (found == m_entries.end())
            return WBEM_E_NOT_FOUND;
        if (value != nullptr)
        {
            VariantInit(value);
            const HRESULT hr = VariantCopy(value, &found->second.value);
            if (FAILED(hr))
                return hr;
        }
        if (type != nullptr)
            *type = found->second.type;
        return WBEM_S_NO_ERROR;
    }

    HRESULT GetQualifierSet(IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT Put(LPCWSTR, LONG, VARIANT*, CIMTYPE) override { return E_NOTIMPL; }
    HRESULT Delete(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT GetNames(LPCWSTR, LONG, VARIANT*, SAFEARRAY**) override { return E_NOTIMPL; }
    HRESULT BeginEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override { return E_NOTIMPL; }
    HRESULT EndEnumeration() override { return E_NOTIMPL; }
    HRESULT GetPropertyQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT Clone(IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT GetObjectText(LONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT SpawnDerivedClass(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT SpawnInstance(LONG, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT CompareTo(LONG, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT GetPropertyOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }
    HRESULT InheritsFrom(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT GetMethod(LPCWSTR, LONG, IWbemClassObject**, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT PutMethod(LPCWSTR, LONG, IWbemClassObject*, IWbemClassObject*) override { return E_NOTIMPL; }
    HRESULT DeleteMethod(LPCWSTR) override { return E_NOTIMPL; }
    HRESULT BeginMethodEnumeration(LONG) override { return E_NOTIMPL; }
    HRESULT NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override { return E_NOTIMPL; }
    HRESULT EndMethodEnumeration() override { return E_NOTIMPL; }
    HRESULT GetMethodQualifierSet(LPCWSTR, IWbemQualifierSet**) override { return E_NOTIMPL; }
    HRESULT GetMethodOrigin(LPCWSTR, BSTR*) override { return E_NOTIMPL; }

private:
    friend class RefCounted<VariantObject, IWbemClassObject>;
    ~VariantObject() = default;

    std::map<std::wstring, Entry> m_entries;
};

// An object holding one property "P" with the given value and CIM type.
inline ComPtr<VariantObject> ObjectWith(const VARIANT& value, CIMTYPE type = CIM_EMPTY)
{
    ComPtr<VariantObject> object = MakeComObject<VariantObject>();
    object->Set(L"P", value, type);
    return object;
}

inline _variant_t Typed(VARTYPE type, LONGLONG bits)
{
    _variant_t value;
    value.vt = type;
    value.llVal = bits;
    return value;
}

// A class "Sample" with one property per kind the write helpers serve, and an instance of it.
struct SampleObjects
{
    ComPtr<IWbemClassObject> classObject;
    ComPtr<IWbemClassObject> instance;
};

inline SampleObjects MakeSample()
{
    SampleObjects sample;
    EXPECT_EQ(CreateWbemClass(L"Sample", nullptr, &sample.classObject), WBEM_S_NO_ERROR);
    const struct
    {
        const wchar_t* name;
        CIMTYPE type;
    } properties[] = {
        {L"Number", CIM_SINT32},   {L"Unsigned", CIM_UINT32},    {L"Small", CIM_UINT16},
        {L"Big", CIM_SINT64},      {L"BigUnsigned", CIM_UINT64}, {L"Flag", CIM_BOOLEAN},
        {L"Text", CIM_STRING},     {L"When", CIM_DATETIME},      {L"Bytes", CIM_UINT8 | CIM_FLAG_ARRAY},
        {L"Embedded", CIM_OBJECT}, {L"Real", CIM_REAL64},
    };
    for (const auto& property : properties)
        EXPECT_EQ(sample.classObject->Put(property.name, 0, nullptr, property.type), WBEM_S_NO_ERROR);
    EXPECT_EQ(sample.classObject->SpawnInstance(0, &sample.instance), WBEM_S_NO_ERROR);
    return sample;
}

}  // namespace wmihelpertest
