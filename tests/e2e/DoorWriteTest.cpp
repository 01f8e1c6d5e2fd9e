// Writes through the WMI door on the read-only classes: every put, delete and method is
// refused with the status the client is owed, and nothing in the database changes.
#include "tests/e2e/DoorTest.h"
#include "tests/e2e/ServedClass.h"

#include "framework/CWmipMessages.h"
#include "platform/com/Bstr.h"
#include "platform/wmi/WbemContext.h"

using namespace e2e;

namespace {
class DoorWrites : public DoorTest
{
protected:
    // A copy of the instance with its first key changed, so that it names no row yet.
    static ComPtr<IWbemClassObject> Renumbered(IWbemClassObject* instance, const wchar_t* key)
    {
        ComPtr<IWbemClassObject> copy;
        EXPECT_EQ(instance->Clone(&copy), WBEM_S_NO_ERROR);
        _variant_t number(static_cast<LONG>(500));
        if (copy)
        {
            EXPECT_EQ(copy->Put(key, 0, &number, 0), WBEM_S_NO_ERROR);
        }
        return copy;
    }
};
}  // namespace

TEST_F(DoorWrites, PutsAreNotSupportedForAnyCallerAndWriteNothing)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    for (const wchar_t* caller : {Callers::kAdministrator, Callers::kViewer})
    {
        CallAs(caller);
        for (const ServedClass& served : ServedClass::All())
        {
            const ComPtr<IWbemClassObject> existing = Instance(served.foundPath);
            ASSERT_TRUE(existing) << Utf8(served.foundPath);
            const ComPtr<IWbemClassObject> fresh = Renumbered(existing.Get(), served.properties.front());
            const struct
            {
                IWbemClassObject* instance;
                LONG flags;
            } puts[] = {
                {existing.Get(), WBEM_FLAG_UPDATE_ONLY},
                {existing.Get(), WBEM_FLAG_CREATE_OR_UPDATE},
                {fresh.Get(), WBEM_FLAG_CREATE_ONLY},
                {fresh.Get(), WBEM_FLAG_CREATE_OR_UPDATE},
            };
            for (const auto& put : puts)
                for (const Form form : kBothForms)
                {
                    SCOPED_TRACE(Utf8(served.name) + " flags " + std::to_string(put.flags) + " " + NameOf(form) + " " +
                                 Utf8(caller));
                    const Reply reply = Put(form, put.instance, put.flags);
                    EXPECT_TRUE(Refused(reply, WBEM_E_NOT_SUPPORTED, CWmipMessages::kNotSupported));
                    EXPECT_FALSE(reply.hasText) << Utf8(reply.text);
                    EXPECT_EQ(StatusCode(reply.statusObject.Get()), WBEM_E_NOT_SUPPORTED);
                }
        }
    }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

TEST_F(DoorWrites, DeletesAreReportedAsInvalidOperationsAndDeleteNothing)
{
    const std::vector<Table> before = DoorInstallation::WholeDatabase();
    CallAs(Callers::kAdministrator);
    for (const ServedClass& served : ServedClass::All())
        for (const wchar_t* path : {served.foundPath, served.missingPath})
            for (const Form form : kBothForms)
            {
                SCOPED_TRACE(Utf8(path) + " " + NameOf(form));
                const Reply reply = Delete(form, path);
                EXPECT_TRUE(Refused(reply, WBEM_E_INVALID_OPERATION, CWmipMessages::kNotSupported));
                // The status object still describes the refusal as the mapper made it.
                EXPECT_EQ(StatusCode(reply.statusObject.Get()), WBEM_E_NOT_SUPPORTED);
            }
    EXPECT_EQ(DoorInstallation::WholeDatabase(), before);
}

TEST_F(DoorWrites, DeletesOfPathsThatNameNoInstanceAreInvalidObjectPaths)
{
    CallAs(Callers::kAdministrator);
    for (const ServedClass& served : ServedClass::All())
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form));
            EXPECT_TRUE(Refused(Delete(form, served.name), WBEM_E_INVALID_OBJECT_PATH,
                                L"The object path names class " + std::wstring(served.name) +
                                    L", not an instance of it: its keys are missing."));
            EXPECT_TRUE(Refused(Delete(form, served.wrongKeysPath), WBEM_E_INVALID_OBJECT_PATH,
                                CWmipMessages::kInvalidObjectPath));
        }
    for (const Form form : kBothForms)
    {
        EXPECT_TRUE(Refused(Delete(form, L"Bnt_EventType.ID="), WBEM_E_INVALID_OBJECT_PATH,
                            L"value expected (a quoted text, a number, TRUE or FALSE) at offset 17."));
        const Reply unknown = Delete(form, L"Bnt_Nothing.ID=1");
        EXPECT_EQ(unknown.result, WBEM_E_INVALID_CLASS);
        EXPECT_FALSE(unknown.statusObject) << "the service refuses an unknown class itself";
    }
}

TEST_F(DoorWrites, PartialPutIsRefusedByTheExactNameOfItsContextValue)
{
    CallAs(Callers::kAdministrator);
    const ComPtr<IWbemClassObject> existing = Instance(L"Bnt_EventType.ID=7");
    ASSERT_TRUE(existing);
    for (const wchar_t* name :
         {L"__PUT_EXTENSIONS", L"__PUT_EXT_STRICT_NULLS", L"__PUT_EXT_PROPERTIES", L"__PUT_EXT_ATOMIC"})
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(name) + std::string(" ") + NameOf(form));
            const ComPtr<WbemContext> context = WbemContext::Create();
            _variant_t value(true);
            ASSERT_EQ(context->SetValue(name, 0, &value), WBEM_S_NO_ERROR);
            const Reply reply = Put(form, existing.Get(), 0, context.Get());
            EXPECT_EQ(reply.result, WBEM_E_PROVIDER_NOT_CAPABLE) << Hex(reply.result);
            EXPECT_TRUE(EndsWith(Description(reply.statusObject), "The provider does not support partial instance "
                                                                  "operations."))
                << Description(reply.statusObject);
        }
    // Another spelling is not a put extension: the put reaches the mapper, which refuses it.
    const ComPtr<WbemContext> context = WbemContext::Create();
    _variant_t value(true);
    ASSERT_EQ(context->SetValue(L"__put_extensions", 0, &value), WBEM_S_NO_ERROR);
    EXPECT_TRUE(Refused(Put(Form::Async, existing.Get(), 0, context.Get()), WBEM_E_NOT_SUPPORTED,
                        CWmipMessages::kNotSupported));
}

TEST_F(DoorWrites, MethodsAreNotOffered)
{
    CallAs(Callers::kAdministrator);
    for (const ServedClass& served : ServedClass::All())
        for (const Form form : kBothForms)
        {
            SCOPED_TRACE(Utf8(served.name) + " " + NameOf(form));
            // The classes declare no method, so the service refuses before the provider.
            EXPECT_EQ(Exec(form, served.foundPath, L"Refresh").result, WBEM_E_INVALID_METHOD);
            EXPECT_EQ(Exec(form, served.name, L"Refresh").result, WBEM_E_INVALID_METHOD);
        }
    // Sent straight to the provider, an unknown method is not implemented.
    const ComPtr<DoorSink> sink = DoorSink::Create();
    BSTR path = SysAllocString(L"Bnt_EventType.ID=7");
    BSTR method = SysAllocString(L"Refresh");
    EXPECT_EQ(ProviderShell()->ExecMethodAsync(path, method, 0, nullptr, nullptr, sink.Get()),
              WBEM_E_METHOD_NOT_IMPLEMENTED);
    SysFreeString(path);
    SysFreeString(method);
    ASSERT_EQ(sink->FinalStatuses().size(), 1u);
    EXPECT_EQ(sink->FinalStatuses().front().result, WBEM_E_METHOD_NOT_IMPLEMENTED);
    EXPECT_TRUE(EndsWith(Description(sink->FinalStatuses().front().statusObject.Get()),
                         Utf8(CWmipMessages::kMethodNotImplemented)))
        << Description(sink->FinalStatuses().front().statusObject.Get());
}
