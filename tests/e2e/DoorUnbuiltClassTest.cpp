// A declared class that the provider cannot build a mapper for through its name chain (only its
// registered factory reaches it): the WMI service still knows its definition and routes their instance requests to the
// provider, which answers that the class is invalid (and a query that there is no such class).
#include "tests/e2e/DoorTest.h"

#include "framework/CWmipMessages.h"
#include "platform/com/Bstr.h"

using namespace e2e;

namespace {
class DoorUnbuiltClass : public DoorTest
{
protected:
    // The keys of the class and their CIM types, from the class definition.
    std::vector<std::pair<std::wstring, CIMTYPE>> Keys(const std::wstring& className)
    {
        std::vector<std::pair<std::wstring, CIMTYPE>> keys;
        const Reply definition = Get(Form::Sync, className);
        if (definition.objects.empty())
            return keys;
        IWbemClassObject* object = definition.objects.front().Get();
        EXPECT_EQ(object->BeginEnumeration(WBEM_FLAG_KEYS_ONLY), WBEM_S_NO_ERROR);
        for (;;)
        {
            BSTR name = nullptr;
            CIMTYPE type = CIM_EMPTY;
            if (object->Next(0, &name, nullptr, &type, nullptr) != WBEM_S_NO_ERROR)
                break;
            keys.emplace_back(std::wstring(name, SysStringLen(name)), type);
            SysFreeString(name);
        }
        object->EndEnumeration();
        return keys;
    }

    // A path naming the instance of the class whose keys are all 1 (or "1").
    std::wstring KeyedPath(const std::wstring& className)
    {
        std::wstring path = className;
        wchar_t separator = L'.';
        for (const auto& [name, type] : Keys(className))
        {
            path += separator + name + (type == CIM_STRING ? L"=\"1\"" : L"=1");
            separator = L',';
        }
        return path;
    }

    // A new instance of the class with every key set to 1 (or "1").
    ComPtr<IWbemClassObject> KeyedInstance(const std::wstring& className)
    {
        ComPtr<IWbemClassObject> instance = NewInstance(className);
        for (const auto& [name, type] : Keys(className))
        {
            _variant_t value = type == CIM_STRING ? _variant_t(L"1") : _variant_t(static_cast<LONG>(1));
            if (instance)
            {
                EXPECT_EQ(instance->Put(name.c_str(), 0, &value, 0), WBEM_S_NO_ERROR) << Utf8(name);
            }
        }
        return instance;
    }
};
}  // namespace

TEST_F(DoorUnbuiltClass, InstanceRequestsAreInvalidClassAndQueriesNotFound)
{
    const std::wstring kUnbuilt = L"This provider does not serve the class: its mapper is built only through its "
                                  L"registered factory, as the bus front end builds it.";
    CallAs(Callers::kAdministrator);
    // A class with a mapper that only its registered factory reaches.
    for (const wchar_t* className : {L"Bnt_EventSubtypeParameterLink"})
    {
        const std::wstring path = KeyedPath(className);
        ASSERT_NE(path, className) << "no keys";
        const ComPtr<IWbemClassObject> instance = KeyedInstance(className);
        ASSERT_TRUE(instance);
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
            EXPECT_EQ(Get(form, className).result, WBEM_S_NO_ERROR);
            const Reply enumeration = Enum(form, className);
            EXPECT_TRUE(Refused(enumeration, WBEM_E_INVALID_CLASS, kUnbuilt));
            EXPECT_TRUE(enumeration.objects.empty());
            EXPECT_EQ(StatusCode(enumeration.statusObject.Get()), WBEM_E_INVALID_CLASS);
            EXPECT_TRUE(Refused(Query(form, std::wstring(L"SELECT * FROM ") + className), WBEM_E_NOT_FOUND, kUnbuilt));
            EXPECT_EQ(Get(form, path).result, WBEM_E_INVALID_CLASS);
            EXPECT_TRUE(Refused(Put(form, instance.Get(), 0), WBEM_E_INVALID_CLASS, CWmipMessages::kInvalidClass));
            EXPECT_TRUE(Refused(Delete(form, path), WBEM_E_INVALID_CLASS, CWmipMessages::kInvalidClass));
        }
    }
    // The class declares no method: the service refuses the call before it reaches the provider.
    for (const Form form : kBothForms)
        EXPECT_EQ(Exec(form, KeyedPath(L"Bnt_EventSubtypeParameterLink"), L"Approve").result, WBEM_E_INVALID_METHOD);
}

TEST_F(DoorUnbuiltClass, RefusalOfTheCallerComesBeforeTheClass)
{
    CallAs(Callers::kGuest);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        EXPECT_EQ(Enum(form, L"Bnt_Reader").result, WBEM_S_ACCESS_DENIED);
        EXPECT_TRUE(Refused(Query(form, L"SELECT * FROM Bnt_Reader"), WBEM_E_ACCESS_DENIED,
                            CWmipMessages::kNoProviderPermission));
        EXPECT_TRUE(
            Refused(Get(form, KeyedPath(L"Bnt_Reader")), WBEM_E_ACCESS_DENIED, CWmipMessages::kNoProviderPermission));
    }
}
