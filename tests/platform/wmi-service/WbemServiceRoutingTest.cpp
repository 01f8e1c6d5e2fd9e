#include "tests/platform/wmi-service/ServiceTestSupport.h"

#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/WbemContext.h"
#include "platform/wmi/WbemErrorInfo.h"

#include <chrono>

using namespace servicetest;

namespace {
constexpr wchar_t kCallerSid[] = L"S-1-5-21-1000-2000-3000-1107";

ComPtr<WbemContext> SystemContext()
{
    auto context = WbemContext::Create();
    _variant_t trust(LONG(424242));
    _variant_t shellOnly(true);
    context->SetValue(L"BackDoor", 0, &trust);
    context->SetValue(L"ShellOnly", 0, &shellOnly);
    return context;
}

std::vector<std::wstring> Names(IEnumWbemClassObject* enumerator)
{
    std::vector<std::wstring> names;
    IWbemClassObject* objects[8] = {};
    ULONG returned = 0;
    enumerator->Next(0, 8, objects, &returned);
    for (ULONG i = 0; i < returned; ++i)
    {
        names.push_back(TextOf(objects[i], L"Name"));
        objects[i]->Release();
    }
    return names;
}
}  // namespace

using WbemServiceRouting = ServiceFixture;

// Each instance request, in both forms, reaches the provider's asynchronous method with the
// caller's text, flags, identity, thread and context unchanged.
TEST_F(WbemServiceRouting, EveryInstanceRequestReachesTheProviderAsTheCaller)
{
    CallerIdentity::Scope caller(CallerIdentity(kCallerSid, SecurityImpersonation));
    auto context = SystemContext();
    auto badge = MakeBadge(*repository, 1, L"one");
    Text wql(L"WQL");
    Text query(L"SELECT * FROM Bnt_Badge WHERE ID = 1");
    Text keyed(L"Bnt_Badge.ID=1");
    Text className(L"Bnt_Badge");
    Text method(L"Activate");

    ComPtr<IWbemClassObject> object;
    ComPtr<IEnumWbemClassObject> enumerator;
    services->GetObject(keyed, 1, context.Get(), &object, nullptr);
    services->CreateInstanceEnum(className, 2, context.Get(), &enumerator);
    services->ExecQuery(wql, query, 3, context.Get(), &enumerator);
    services->PutInstance(badge.Get(), WBEM_FLAG_UPDATE_ONLY, context.Get(), nullptr);
    services->DeleteInstance(keyed, 5, context.Get(), nullptr);
    services->ExecMethod(keyed, method, 6, context.Get(), nullptr, &object, nullptr);
    auto sink = MakeComObject<RecordingSink>();
    services->GetObjectAsync(keyed, 1, context.Get(), sink.Get());
    services->CreateInstanceEnumAsync(className, 2, context.Get(), sink.Get());
    services->ExecQueryAsync(wql, query, 3, context.Get(), sink.Get());
    services->PutInstanceAsync(badge.Get(), WBEM_FLAG_UPDATE_ONLY, context.Get(), sink.Get());
    services->DeleteInstanceAsync(keyed, 5, context.Get(), sink.Get());
    services->ExecMethodAsync(keyed, method, 6, context.Get(), badge.Get(), sink.Get());

    const std::vector<ProviderCall> calls = provider->Calls();
    ASSERT_EQ(calls.size(), 12u);
    const std::wstring expected[][2] = {
        {L"GetObjectAsync", L"Bnt_Badge.ID=1"},
        {L"CreateInstanceEnumAsync", L"Bnt_Badge"},
        {L"ExecQueryAsync", L"WQL|SELECT * FROM Bnt_Badge WHERE ID = 1"},
        {L"PutInstanceAsync", L"Bnt_Badge"},
        {L"DeleteInstanceAsync", L"Bnt_Badge.ID=1"},
        {L"ExecMethodAsync", L"Bnt_Badge.ID=1"},
    };
    const LONG flags[] = {1, 2, 3, WBEM_FLAG_UPDATE_ONLY, 5, 6};
    for (std::size_t i = 0; i < calls.size(); ++i)
    {
        const ProviderCall& call = calls[i];
        EXPECT_EQ(call.operation, expected[i % 6][0]) << i;
        EXPECT_EQ(call.argument, expected[i % 6][1]) << i;
        EXPECT_EQ(call.flags, flags[i % 6]) << i;
        EXPECT_EQ(call.callerSid, kCallerSid) << i;
        EXPECT_EQ(call.thread, std::this_thread::get_id()) << i;
        EXPECT_EQ(call.context, context.Get()) << i;
        EXPECT_EQ(call.backDoor, L"I4:424242") << i;
        EXPECT_EQ(call.shellOnly, L"BOOL:-1") << i;
    }
    EXPECT_EQ(calls[3].instance, badge.Get());
    EXPECT_EQ(calls[5].method, L"Activate");
    EXPECT_EQ(calls[11].inParams, badge.Get());
    EXPECT_EQ(sink->FinalStatuses(), 6);
}

TEST_F(WbemServiceRouting, SynchronousCallsReturnWhatTheProviderReported)
{
    provider->answer.objects = {MakeBadge(*repository, 1, L"one"), MakeBadge(*repository, 2, L"two")};
    ComPtr<IEnumWbemClassObject> enumerator;
    ASSERT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_EQ(Names(enumerator.Get()), (std::vector<std::wstring>{L"one", L"two"}));
    ASSERT_EQ(services->ExecQuery(Text(L"wql"), Text(L"SELECT * FROM Bnt_TempBadge"), 0, nullptr, &enumerator),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(Names(enumerator.Get()), (std::vector<std::wstring>{L"one", L"two"}));

    // A get takes the first object, named with the service's server and namespace.
    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(services->GetObject(Text(L"Bnt_Badge.ID=1"), 0, nullptr, &object, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(object.Get(), L"__PATH"), L"\\\\HOST1\\root\\Brontel:Bnt_Badge.ID=1");

    provider->answer.objects.resize(1);
    ComPtr<IWbemClassObject> out;
    ASSERT_EQ(services->ExecMethod(Text(L"Bnt_Badge"), Text(L"activate"), 0, nullptr, nullptr, &out, nullptr),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(out.Get(), L"Name"), L"one");

    provider->answer.objects.clear();
    provider->answer.resultText = L"Bnt_Badge.ID=9";
    ComPtr<IWbemCallResult> callResult;
    ASSERT_EQ(services->PutInstance(MakeBadge(*repository, 9, L"nine").Get(), 0, nullptr, &callResult),
              WBEM_S_NO_ERROR);
    BSTR path = nullptr;
    ASSERT_EQ(callResult->GetResultString(0, &path), WBEM_S_NO_ERROR);
    EXPECT_STREQ(path, L"Bnt_Badge.ID=9");
    SysFreeString(path);

    // A get answered with success and no object has found nothing.
    EXPECT_EQ(services->GetObject(Text(L"Bnt_Badge.ID=3"), 0, nullptr, &object, nullptr), WBEM_E_NOT_FOUND);
    EXPECT_FALSE(object);
    provider->answer.result = WBEM_S_ACCESS_DENIED;
    EXPECT_EQ(services->GetObject(Text(L"Bnt_Badge.ID=3"), 0, nullptr, &object, nullptr), WBEM_E_ACCESS_DENIED);
    ASSERT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_S_ACCESS_DENIED);
    EXPECT_TRUE(Names(enumerator.Get()).empty());
}

TEST_F(WbemServiceRouting, AsynchronousCallsPassObjectsProgressAndOneFinalStatus)
{
    provider->answer.objects = {MakeBadge(*repository, 1, L"one"), MakeBadge(*repository, 2, L"two")};
    provider->answer.reportProgress = true;
    provider->answer.reportTwice = true;
    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(services->CreateInstanceEnumAsync(Text(L"Bnt_Badge"), WBEM_FLAG_SEND_STATUS, nullptr, sink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Objects().size(), 2u);
    EXPECT_EQ(sink->Progress(), 2);
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(sink->Result(), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(sink->Objects()[1].Get(), L"__NAMESPACE"), kNamespace);

    // The same guard holds for a synchronous call: the late failure does not replace success.
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_EQ(Names(enumerator.Get()).size(), 2u);
}

TEST_F(WbemServiceRouting, AProviderReportingFromAnotherThreadIsWaitedFor)
{
    provider->answer.objects = {MakeBadge(*repository, 4, L"four")};
    provider->answer.reportLater = true;
    ComPtr<IWbemClassObject> object;
    ASSERT_EQ(services->GetObject(Text(L"Bnt_Badge.ID=4"), 0, nullptr, &object, nullptr), WBEM_S_NO_ERROR);
    EXPECT_EQ(TextOf(object.Get(), L"Name"), L"four");

    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(services->GetObjectAsync(Text(L"Bnt_Badge.ID=4"), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
    provider->JoinReporters();
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(sink->Objects().size(), 1u);
}

TEST_F(WbemServiceRouting, AProviderThatNeverReportsTimesOutAndIsCutOff)
{
    services->SetProviderTimeout(std::chrono::milliseconds(50));
    provider->answer.neverReport = true;
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_E_PROVIDER_TIMED_OUT);
    EXPECT_FALSE(enumerator);
}

TEST_F(WbemServiceRouting, AFailureCarriesTheProvidersExtendedStatus)
{
    provider->answer.result = WBEM_E_ACCESS_DENIED;
    provider->answer.statusDescription = L"The client does not have sufficient user permissions.";
    WbemErrorInfo::Set(nullptr);
    ComPtr<IWbemClassObject> object;
    EXPECT_EQ(services->GetObject(Text(L"Bnt_Badge.ID=1"), 0, nullptr, &object, nullptr), WBEM_E_ACCESS_DENIED);
    ComPtr<IWbemClassObject> status = WbemErrorInfo::Take();
    ASSERT_TRUE(status);
    EXPECT_EQ(TextOf(status.Get(), L"__CLASS"), L"__ExtendedStatus");
    EXPECT_EQ(TextOf(status.Get(), L"Description"), L"The client does not have sufficient user permissions.");
    EXPECT_FALSE(WbemErrorInfo::Take());

    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(services->DeleteInstanceAsync(Text(L"Bnt_Badge.ID=1"), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->Result(), WBEM_E_ACCESS_DENIED);
    EXPECT_EQ(TextOf(sink->StatusObject().Get(), L"Description"),
              L"The client does not have sufficient user permissions.");

    // A later successful call leaves no status object behind.
    provider->answer = ProviderAnswer{};
    ComPtr<IEnumWbemClassObject> enumerator;
    services->GetObject(Text(L"Bnt_Badge.ID=1"), 0, nullptr, &object, nullptr);
    ASSERT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_S_NO_ERROR);
    EXPECT_FALSE(WbemErrorInfo::Take());
}

TEST_F(WbemServiceRouting, AProviderCallThatFailsWithoutReportingEndsTheRequest)
{
    provider->answer.result = WBEM_E_PROVIDER_NOT_CAPABLE;
    provider->answer.failWithoutStatus = true;
    auto sink = MakeComObject<RecordingSink>();
    ASSERT_EQ(services->ExecQueryAsync(Text(L"WQL"), Text(L"SELECT * FROM Bnt_Badge"), 0, nullptr, sink.Get()),
              WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->FinalStatuses(), 1);
    EXPECT_EQ(sink->Result(), WBEM_E_PROVIDER_NOT_CAPABLE);
    EXPECT_EQ(services->DeleteInstance(Text(L"Bnt_Badge.ID=1"), 0, nullptr, nullptr), WBEM_E_PROVIDER_NOT_CAPABLE);
}

// Requests the namespace refuses itself never reach the provider.
TEST_F(WbemServiceRouting, RequestsTheServiceRefusesNeverReachTheProvider)
{
    struct Case
    {
        const char* what;
        std::function<HRESULT(IWbemServices*, IWbemObjectSink*)> call;
        HRESULT expected;
    };
    auto classObject = Stored(*repository, L"Bnt_Badge");
    auto note = Stored(*repository, L"Bnt_Note");
    ComPtr<IWbemClassObject> noteInstance;
    note->SpawnInstance(0, &noteInstance);
    const Case cases[] = {
        {"enum unknown class",
         [](IWbemServices* s, IWbemObjectSink* k) { return s->CreateInstanceEnumAsync(Text(L"Bnt_X"), 0, nullptr, k); },
         WBEM_E_INVALID_CLASS},
        {"enum bad class name",
         [](IWbemServices* s, IWbemObjectSink* k) { return s->CreateInstanceEnumAsync(Text(L"1 x"), 0, nullptr, k); },
         WBEM_E_INVALID_CLASS},
        {"enum class without provider",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->CreateInstanceEnumAsync(Text(L"Bnt_Note"), 0, nullptr, k);
         },
         WBEM_S_NO_ERROR},
        {"query in another language",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecQueryAsync(Text(L"SQL"), Text(L"SELECT * FROM Bnt_Badge"), 0, nullptr, k);
         },
         WBEM_E_INVALID_QUERY_TYPE},
        {"malformed query",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecQueryAsync(Text(L"WQL"), Text(L"SELECT * Bnt_Badge"), 0, nullptr, k);
         },
         WBEM_E_INVALID_QUERY},
        {"query on an unknown class",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecQueryAsync(Text(L"WQL"), Text(L"SELECT * FROM Bnt_X"), 0, nullptr, k);
         },
         WBEM_E_INVALID_CLASS},
        {"associators of a malformed path",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecQueryAsync(Text(L"WQL"), Text(L"ASSOCIATORS OF {Bnt_Badge.ID=}"), 0, nullptr, k);
         },
         WBEM_E_INVALID_QUERY},
        {"put of a class",
         [&](IWbemServices* s, IWbemObjectSink* k) { return s->PutInstanceAsync(classObject.Get(), 0, nullptr, k); },
         WBEM_E_INVALID_PARAMETER},
        {"put without provider",
         [&](IWbemServices* s, IWbemObjectSink* k) { return s->PutInstanceAsync(noteInstance.Get(), 0, nullptr, k); },
         WBEM_E_NOT_SUPPORTED},
        {"delete of a class path",
         [](IWbemServices* s, IWbemObjectSink* k) { return s->DeleteInstanceAsync(Text(L"Bnt_Badge"), 0, nullptr, k); },
         WBEM_E_INVALID_OBJECT_PATH},
        {"delete without provider",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->DeleteInstanceAsync(Text(L"Bnt_Note.Text=\"a\""), 0, nullptr, k);
         },
         WBEM_E_NOT_FOUND},
        {"method of an unknown class",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecMethodAsync(Text(L"Bnt_X.ID=1"), Text(L"Activate"), 0, nullptr, nullptr, k);
         },
         WBEM_E_INVALID_CLASS},
        {"unknown method",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecMethodAsync(Text(L"Bnt_Badge.ID=1"), Text(L"Explode"), 0, nullptr, nullptr, k);
         },
         WBEM_E_INVALID_METHOD},
        {"method path malformed",
         [](IWbemServices* s, IWbemObjectSink* k) {
             return s->ExecMethodAsync(Text(L"Bnt_Badge.ID="), Text(L"Activate"), 0, nullptr, nullptr, k);
         },
         WBEM_E_INVALID_OBJECT_PATH},
    };
    for (const Case& one : cases)
    {
        auto sink = MakeComObject<RecordingSink>();
        ASSERT_EQ(one.call(services.Get(), sink.Get()), WBEM_S_NO_ERROR) << one.what;
        EXPECT_EQ(sink->FinalStatuses(), 1) << one.what;
        EXPECT_EQ(sink->Result(), one.expected) << one.what;
        EXPECT_TRUE(sink->Objects().empty()) << one.what;
    }
    EXPECT_TRUE(provider->Calls().empty());
}

TEST_F(WbemServiceRouting, AnAssociationGoesWholeToTheProviderOfItsPathsClass)
{
    for (const wchar_t* text :
         {L"ASSOCIATORS OF {Bnt_Badge.ID=1}", L"REFERENCES OF {Bnt_Badge.ID=1} WHERE ClassDefsOnly"})
    {
        auto sink = MakeComObject<RecordingSink>();
        ASSERT_EQ(services->ExecQueryAsync(Text(L"WQL"), Text(text), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
        const std::vector<ProviderCall> calls = provider->Calls();
        ASSERT_FALSE(calls.empty());
        EXPECT_EQ(calls.back().operation, L"ExecQueryAsync");
        EXPECT_EQ(calls.back().argument, std::wstring(L"WQL|") + text);
    }
}

TEST_F(WbemServiceRouting, NullArgumentsAreRefusedWithoutAStatus)
{
    auto sink = MakeComObject<RecordingSink>();
    EXPECT_EQ(services->PutInstanceAsync(nullptr, 0, nullptr, sink.Get()), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->DeleteInstanceAsync(nullptr, 0, nullptr, sink.Get()), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->ExecMethodAsync(Text(L"Bnt_Badge"), nullptr, 0, nullptr, nullptr, sink.Get()),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->ExecQueryAsync(Text(L"WQL"), nullptr, 0, nullptr, sink.Get()), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->CreateInstanceEnumAsync(Text(L"Bnt_Badge"), 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(sink->FinalStatuses(), 0);
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->ExecQuery(Text(L"WQL"), Text(L"SELECT * FROM Bnt_Badge"), 0, nullptr, nullptr),
              WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->CreateInstanceEnum(nullptr, 0, nullptr, &enumerator), WBEM_E_INVALID_PARAMETER);
    EXPECT_EQ(services->PutInstance(nullptr, 0, nullptr, nullptr), WBEM_E_INVALID_PARAMETER);
    EXPECT_TRUE(provider->Calls().empty());
}

TEST_F(WbemServiceRouting, ClassesOfAReleasedProviderHaveNoProvider)
{
    provider->Shutdown();
    services->ReleaseProviders();
    ComPtr<IEnumWbemClassObject> enumerator;
    EXPECT_EQ(services->CreateInstanceEnum(Text(L"Bnt_Badge"), 0, nullptr, &enumerator), WBEM_E_PROVIDER_NOT_FOUND);
    // Classes are still answered.
    ComPtr<IWbemClassObject> object;
    EXPECT_EQ(services->GetObject(Text(L"Bnt_Badge"), 0, nullptr, &object, nullptr), WBEM_S_NO_ERROR);
}

// A provider asking the namespace for a class or an instance while it serves a request (the
// mappers' nested calls "acting as system") is answered on the same thread.
TEST_F(WbemServiceRouting, NestedCallsFromTheProviderAreAnswered)
{
    class NestingSink final : public RefCounted<NestingSink, IWbemObjectSink>
    {
    public:
        explicit NestingSink(IWbemServices* services) : m_services(services) {}
        HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
        HRESULT Indicate(LONG, IWbemClassObject**) override
        {
            // A nested synchronous request while the outer one is being delivered.
            ComPtr<IWbemClassObject> object;
            nestedResult = m_services->GetObject(Text(L"Bnt_Badge.ID=2"), 0, nullptr, &object, nullptr);
            return WBEM_S_NO_ERROR;
        }
        HRESULT SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override { return WBEM_S_NO_ERROR; }
        HRESULT nestedResult = WBEM_E_FAILED;

    private:
        friend class RefCounted<NestingSink, IWbemObjectSink>;
        ~NestingSink() = default;
        IWbemServices* m_services;
    };
    provider->answer.objects = {MakeBadge(*repository, 2, L"two")};
    auto sink = MakeComObject<NestingSink>(services.Get());
    ASSERT_EQ(services->GetObjectAsync(Text(L"Bnt_Badge.ID=2"), 0, nullptr, sink.Get()), WBEM_S_NO_ERROR);
    EXPECT_EQ(sink->nestedResult, WBEM_S_NO_ERROR);
    EXPECT_EQ(provider->Calls().size(), 2u);
}
