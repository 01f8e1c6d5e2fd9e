// Small builders shared by the WMI object tests.
#pragma once

#include "platform/com/WbemConstants.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemQualifierSet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wmitest {
inline ComPtr<IWbemClassObject> MakeClass(const wchar_t* name, IWbemClassObject* superclass = nullptr)
{
    ComPtr<IWbemClassObject> result;
    EXPECT_EQ(CreateWbemClass(name, superclass, &result), WBEM_S_NO_ERROR);
    return result;
}

inline void PutProperty(IWbemClassObject* object, const wchar_t* name, CIMTYPE type, VARIANT* value = nullptr)
{
    ASSERT_EQ(object->Put(name, 0, value, type), WBEM_S_NO_ERROR) << std::wstring(name).size();
}

inline void PutQualifier(IWbemQualifierSet* set, const wchar_t* name, _variant_t value, LONG flavor)
{
    ASSERT_EQ(set->Put(name, &value, flavor), WBEM_S_NO_ERROR);
}

inline void MarkKey(IWbemClassObject* object, const wchar_t* property, LONG flavor = 0)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(object->GetPropertyQualifierSet(property, &qualifiers), WBEM_S_NO_ERROR);
    PutQualifier(qualifiers.Get(), L"key", _variant_t(true), flavor);
}

inline ComPtr<IWbemClassObject> Spawn(IWbemClassObject* classObject)
{
    ComPtr<IWbemClassObject> instance;
    EXPECT_EQ(classObject->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    return instance;
}

inline std::vector<std::wstring> Strings(SAFEARRAY* array)
{
    std::vector<std::wstring> result;
    LONG lower = 0;
    LONG upper = -1;
    SafeArrayGetLBound(array, 1, &lower);
    SafeArrayGetUBound(array, 1, &upper);
    for (LONG i = lower; i <= upper; ++i)
    {
        BSTR text = nullptr;
        SafeArrayGetElement(array, &i, &text);
        result.emplace_back(text == nullptr ? L"" : text);
        SysFreeString(text);
    }
    SafeArrayDestroy(array);
    return result;
}

inline std::vector<std::wstring> Names(IWbemClassObject* object, LONG flags)
{
    SAFEARRAY* names = nullptr;
    EXPECT_EQ(object->GetNames(nullptr, flags, nullptr, &names), WBEM_S_NO_ERROR);
    return names == nullptr ? std::vector<std::wstring>() : Strings(names);
}

inline std::wstring Text(IWbemClassObject* object, const wchar_t* name)
{
    _variant_t value;
    EXPECT_EQ(object->Get(name, 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    if (value.vt != VT_BSTR)
        return L"<vt " + std::to_wstring(value.vt) + L">";
    return value.bstrVal == nullptr ? L"" : value.bstrVal;
}

inline VARTYPE TypeOfValue(IWbemClassObject* object, const wchar_t* name)
{
    _variant_t value;
    EXPECT_EQ(object->Get(name, 0, &value, nullptr, nullptr), WBEM_S_NO_ERROR);
    return value.vt;
}

// The reference count an object has now (AddRef and Release report it).
inline ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}
}  // namespace wmitest
