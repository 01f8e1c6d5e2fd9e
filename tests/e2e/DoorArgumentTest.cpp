// Missing arguments at the WMI door: an asynchronous call without a sink, or any call without
// the text it needs, is refused at once, reports nothing and leaves no output behind.
#include "tests/e2e/DoorTest.h"

#include "platform/com/Bstr.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"

#include <functional>

using namespace e2e;

namespace {
class DoorArguments : public DoorTest
{
};
}  // namespace

TEST_F(DoorArguments, AsynchronousCallsWithoutASinkAreRefusedAtOnce)
{
    CallAs(Callers::kViewer);
    IWbemServices* services = Services();
    BSTR path = SysAllocString(L"Bnt_EventType.ID=7");
    BSTR className = SysAllocString(L"Bnt_EventType");
    BSTR language = SysAllocString(L"WQL");
    BSTR query = SysAllocString(L"SELECT * FROM Bnt_EventType");
    BSTR method = SysAllocString(L"Refresh");
    const ComPtr<IWbemClassObject> instance = Instance(L"Bnt_EventType.ID=7");
    ASSERT_TRUE(instance);
    EXPECT_EQ(services->GetObjectAsync(path, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->CreateInstanceEnumAsync(className, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->ExecQueryAsync(language, query, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->CreateClassEnumAsync(className, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->PutInstanceAsync(instance.Get(), 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->DeleteInstanceAsync(path, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->ExecMethodAsync(path, method, 0, nullptr, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    SysFreeString(path);
    SysFreeString(className);
    SysFreeString(language);
    SysFreeString(query);
    SysFreeString(method);
}

TEST_F(DoorArguments, CallsWithoutTheirTextAreRefusedAndReportNothing)
{
    CallAs(Callers::kViewer);
    IWbemServices* services = Services();
    BSTR language = SysAllocString(L"WQL");
    BSTR query = SysAllocString(L"SELECT * FROM Bnt_EventType");
    const struct
    {
        const char* call;
        std::function<HRESULT(IWbemObjectSink*)> run;
    } calls[] = {
        {"CreateInstanceEnumAsync",
         [&](IWbemObjectSink* sink) { return services->CreateInstanceEnumAsync(nullptr, 0, nullptr, sink); }},
        {"ExecQueryAsync without query",
         [&](IWbemObjectSink* sink) { return services->ExecQueryAsync(language, nullptr, 0, nullptr, sink); }},
        {"ExecQueryAsync without language",
         [&](IWbemObjectSink* sink) { return services->ExecQueryAsync(nullptr, query, 0, nullptr, sink); }},
        {"PutInstanceAsync",
         [&](IWbemObjectSink* sink) { return services->PutInstanceAsync(nullptr, 0, nullptr, sink); }},
        {"DeleteInstanceAsync",
         [&](IWbemObjectSink* sink) { return services->DeleteInstanceAsync(nullptr, 0, nullptr, sink); }},
        {"ExecMethodAsync",
         [&](IWbemObjectSink* sink) { return services->ExecMethodAsync(nullptr, nullptr, 0, nullptr, nullptr, sink); }},
    };
    for (const auto& call : calls)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        EXPECT_EQ(call.run(sink.Get()), WBEM_E_INVALID_PARAMETER) << call.call;
        EXPECT_TRUE(sink->FinalStatuses().empty()) << call.call;
        EXPECT_TRUE(sink->Objects().empty()) << call.call;
    }

    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->CreateInstanceEnum(nullptr, 0, nullptr, &enumerator), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(enumerator, nullptr);
    EXPECT_EQ(services->ExecQuery(language, nullptr, 0, nullptr, &enumerator), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(enumerator, nullptr);
    ComPtr<IWbemCallResult> callResult;
    EXPECT_EQ(services->PutInstance(nullptr, 0, nullptr, &callResult), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(callResult, nullptr);
    EXPECT_EQ(services->DeleteInstance(nullptr, 0, nullptr, &callResult), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(callResult, nullptr);
    ComPtr<IWbemClassObject> out;
    EXPECT_EQ(services->ExecMethod(nullptr, nullptr, 0, nullptr, nullptr, &out, &callResult), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(out, nullptr);
    SysFreeString(language);
    SysFreeString(query);
}

TEST_F(DoorArguments, PutOfAClassDefinitionIsNotAnInstance)
{
    CallAs(Callers::kAdministrator);
    const Reply definition = Get(Form::Sync, L"Bnt_EventType");
    ASSERT_EQ(definition.objects.size(), 1u);
    for (const Form form : kBothForms)
    {
        SCOPED_TRACE(NameOf(form));
        EXPECT_EQ(Put(form, definition.objects.front().Get(), 0).result, WBEM_E_INVALID_PARAMETER);
    }
}
