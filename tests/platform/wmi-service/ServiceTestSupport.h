// Fixtures of the WMI service tests: a repository with a small provided schema, a provider
// that records every call it receives (with the caller identity and context values it saw)
// and answers as a test configures it, and a sink that records what a caller receives.
#pragma once

#include "platform/com/WbemConstants.h"
#include "platform/security/CallerIdentity.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/IWbemContext.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemProviderInit.h"
#include "platform/wmi/IWbemProviderInitSink.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemServiceNamespace.h"
#include "tests/support/BstrText.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace servicetest {
inline constexpr wchar_t kNamespace[] = L"root\\Brontel";
inline constexpr wchar_t kServer[] = L"HOST1";
inline constexpr wchar_t kProviderName[] = L"BntProvider";

inline void Check(HRESULT hr)
{
    ASSERT_EQ(hr, WBEM_S_NO_ERROR);
}

inline void PutQualifier(IWbemQualifierSet* set, const wchar_t* name, _variant_t value)
{
    ASSERT_EQ(set->Put(name, &value, 0), WBEM_S_NO_ERROR);
}

inline void MarkProvided(IWbemClassObject* classObject)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    ASSERT_EQ(classObject->GetQualifierSet(&qualifiers), WBEM_S_NO_ERROR);
    PutQualifier(qualifiers.Get(), L"Dynamic", _variant_t(true));
    PutQualifier(qualifiers.Get(), L"Provider", _variant_t(kProviderName));
}

inline ComPtr<IWbemClassObject> NewClass(const wchar_t* name, IWbemClassObject* superclass)
{
    ComPtr<IWbemClassObject> created;
    EXPECT_EQ(CreateWbemClass(name, superclass, &created), WBEM_S_NO_ERROR);
    return created;
}

inline ComPtr<WbemClassObject> Stored(WbemRepository& repository, const wchar_t* name)
{
    ComPtr<WbemClassObject> copy;
    EXPECT_EQ(repository.GetClass(name, &copy), WBEM_S_NO_ERROR);
    return copy;
}

// Bnt_Element (root, not provided) <- Bnt_Badge (provided; key ID, Name; method Activate with
// in Seconds and out ReturnValue) <- Bnt_TempBadge (provided); Bnt_Note (root, no provider).
inline std::shared_ptr<WbemRepository> MakeRepository()
{
    auto repository = std::make_shared<WbemRepository>(kServer, kNamespace);
    auto element = NewClass(L"Bnt_Element", nullptr);
    EXPECT_EQ(repository->PutClass(element.Get(), 0), WBEM_S_NO_ERROR);

    auto badge = NewClass(L"Bnt_Badge", Stored(*repository, L"Bnt_Element").Get());
    EXPECT_EQ(badge->Put(L"ID", 0, nullptr, CIM_SINT32), WBEM_S_NO_ERROR);
    EXPECT_EQ(badge->Put(L"Name", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);
    ComPtr<IWbemQualifierSet> keyQualifiers;
    badge->GetPropertyQualifierSet(L"ID", &keyQualifiers);
    PutQualifier(keyQualifiers.Get(), L"key", _variant_t(true));
    auto in = NewClass(L"__PARAMETERS", nullptr);
    EXPECT_EQ(in->Put(L"Seconds", 0, nullptr, CIM_SINT32), WBEM_S_NO_ERROR);
    ComPtr<IWbemQualifierSet> idQualifiers;
    in->GetPropertyQualifierSet(L"Seconds", &idQualifiers);
    PutQualifier(idQualifiers.Get(), L"ID", _variant_t(LONG(0)));
    auto out = NewClass(L"__PARAMETERS", nullptr);
    EXPECT_EQ(out->Put(L"ReturnValue", 0, nullptr, CIM_SINT32), WBEM_S_NO_ERROR);
    EXPECT_EQ(badge->PutMethod(L"Activate", 0, in.Get(), out.Get()), WBEM_S_NO_ERROR);
    MarkProvided(badge.Get());
    EXPECT_EQ(repository->PutClass(badge.Get(), 0), WBEM_S_NO_ERROR);

    auto temporary = NewClass(L"Bnt_TempBadge", Stored(*repository, L"Bnt_Badge").Get());
    MarkProvided(temporary.Get());
    EXPECT_EQ(repository->PutClass(temporary.Get(), 0), WBEM_S_NO_ERROR);

    auto note = NewClass(L"Bnt_Note", nullptr);
    EXPECT_EQ(note->Put(L"Text", 0, nullptr, CIM_STRING), WBEM_S_NO_ERROR);
    EXPECT_EQ(repository->PutClass(note.Get(), 0), WBEM_S_NO_ERROR);
    return repository;
}

inline std::wstring TextOf(IWbemClassObject* object, const wchar_t* name)
{
    _variant_t value;
    if (object == nullptr || FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || value.vt != VT_BSTR)
        return L"<none>";
    return value.bstrVal == nullptr ? L"" : value.bstrVal;
}

// A Bnt_Badge instance with ID and Name.
inline ComPtr<IWbemClassObject> MakeBadge(WbemRepository& repository, LONG id, const wchar_t* name)
{
    auto badgeClass = Stored(repository, L"Bnt_Badge");
    ComPtr<IWbemClassObject> instance;
    EXPECT_EQ(badgeClass->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    _variant_t idValue(id);
    _variant_t nameValue(name);
    EXPECT_EQ(instance->Put(L"ID", 0, &idValue, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(instance->Put(L"Name", 0, &nameValue, 0), WBEM_S_NO_ERROR);
    return instance;
}

// An __ExtendedStatus instance of the namespace with the description.
inline ComPtr<IWbemClassObject> MakeStatus(IWbemServices* services, const wchar_t* description, HRESULT code)
{
    ComPtr<IWbemClassObject> statusClass;
    BSTR path = SysAllocString(L"__ExtendedStatus");
    EXPECT_EQ(services->GetObject(path, 0, nullptr, &statusClass, nullptr), WBEM_S_NO_ERROR);
    SysFreeString(path);
    ComPtr<IWbemClassObject> status;
    if (!statusClass)
        return status;
    EXPECT_EQ(statusClass->SpawnInstance(0, &status), WBEM_S_NO_ERROR);
    _variant_t text(description);
    _variant_t value(static_cast<LONG>(code));
    EXPECT_EQ(status->Put(L"Description", 0, &text, 0), WBEM_S_NO_ERROR);
    EXPECT_EQ(status->Put(L"StatusCode", 0, &value, 0), WBEM_S_NO_ERROR);
    return status;
}

// One call as the provider saw it.
struct ProviderCall
{
    std::wstring operation;
    std::wstring argument;
    std::wstring method;
    LONG flags = 0;
    std::wstring callerSid;
    IWbemContext* context = nullptr;
    std::wstring backDoor;
    std::wstring shellOnly;
    std::thread::id thread;
    IWbemClassObject* instance = nullptr;
    IWbemClassObject* inParams = nullptr;
};

// How the recording provider answers each call.
struct ProviderAnswer
{
    std::vector<ComPtr<IWbemClassObject>> objects;
    HRESULT result = WBEM_S_NO_ERROR;
    std::wstring resultText;
    // An __ExtendedStatus made from the namespace with this description (empty: none).
    std::wstring statusDescription;
    // The provider's call returns this without reporting (no SetStatus).
    bool failWithoutStatus = false;
    // Report from another thread after the call returned.
    bool reportLater = false;
    // Report nothing at all (a provider that hangs).
    bool neverReport = false;
    // Report the final status twice, then indicate once more.
    bool reportTwice = false;
    // Report progress before each object.
    bool reportProgress = false;
};

class RecordingProvider final : public RefCounted<RecordingProvider, IWbemServices, IWbemProviderInit>
{
public:
    RecordingProvider() = default;

    // The status Initialize reports (when initReports) and the HRESULT it returns.
    bool initReports = true;
    LONG initStatus = WBEM_S_INITIALIZED;
    HRESULT initResult = WBEM_S_NO_ERROR;
    ProviderAnswer answer;

    std::vector<ProviderCall> Calls()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_calls;
    }
    std::wstring initNamespace;
    std::wstring initUser;
    std::wstring initLocale;
    IWbemServices* initServices = nullptr;
    IWbemContext* initContext = nullptr;

    // Joins the threads of later reports.
    void JoinReporters()
    {
        for (std::thread& reporter : m_reporters)
            reporter.join();
        m_reporters.clear();
    }

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (iid != IWbemProviderInit::kIID || object == nullptr)
            return QueryOnlyInterface<IWbemServices>(this, iid, object);
        *object = static_cast<IWbemProviderInit*>(this);
        AddRef();
        return S_OK;
    }

    HRESULT Initialize(LPWSTR user, LONG, LPWSTR ns, LPWSTR locale, IWbemServices* services, IWbemContext* context,
                       IWbemProviderInitSink* initSink) override
    {
        initUser = user == nullptr ? L"<null>" : user;
        initNamespace = ns == nullptr ? L"<null>" : ns;
        initLocale = locale == nullptr ? L"<null>" : locale;
        m_services = services;
        initServices = services;
        initContext = context;
        if (initReports && initSink != nullptr && SUCCEEDED(initResult))
            initSink->SetStatus(initStatus, 0);
        return initResult;
    }

    // Breaks the provider's reference to the namespace.
    void Shutdown()
    {
        JoinReporters();
        m_services = nullptr;
    }

    HRESULT GetObjectAsync(const BSTR path, LONG flags, IWbemContext* context, IWbemObjectSink* sink) override
    {
        return Serve(L"GetObjectAsync", path, flags, context, sink);
    }
    HRESULT CreateInstanceEnumAsync(const BSTR className, LONG flags, IWbemContext* context,
                                    IWbemObjectSink* sink) override
    {
        return Serve(L"CreateInstanceEnumAsync", className, flags, context, sink);
    }
    HRESULT ExecQueryAsync(const BSTR language, const BSTR query, LONG flags, IWbemContext* context,
                           IWbemObjectSink* sink) override
    {
        return Serve(L"ExecQueryAsync", std::wstring(language) + L"|" + query, flags, context, sink);
    }
    HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                             IWbemObjectSink* sink) override
    {
        return Serve(L"PutInstanceAsync", TextOf(instance, L"__CLASS"), flags, context, sink, instance);
    }
    HRESULT DeleteInstanceAsync(const BSTR path, LONG flags, IWbemContext* context, IWbemObjectSink* sink) override
    {
        return Serve(L"DeleteInstanceAsync", path, flags, context, sink);
    }
    HRESULT ExecMethodAsync(const BSTR path, const BSTR method, LONG flags, IWbemContext* context,
                            IWbemClassObject* inParams, IWbemObjectSink* sink) override
    {
        return Serve(L"ExecMethodAsync", path, flags, context, sink, nullptr, method, inParams);
    }

    // The rest is never routed to a provider.
    HRESULT OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**, IWbemCallResult**) override
    {
        return Unexpected(L"OpenNamespace");
    }
    HRESULT CancelAsyncCall(IWbemObjectSink*) override { return Unexpected(L"CancelAsyncCall"); }
    HRESULT QueryObjectSink(LONG, IWbemObjectSink**) override { return Unexpected(L"QueryObjectSink"); }
    HRESULT GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**, IWbemCallResult**) override
    {
        return Unexpected(L"GetObject");
    }
    HRESULT PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override
    {
        return Unexpected(L"PutClass");
    }
    HRESULT PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override
    {
        return Unexpected(L"PutClassAsync");
    }
    HRESULT DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override
    {
        return Unexpected(L"DeleteClass");
    }
    HRESULT DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override
    {
        return Unexpected(L"DeleteClassAsync");
    }
    HRESULT CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override
    {
        return Unexpected(L"CreateClassEnum");
    }
    // The listing of the classes the provider builds at run time, which the service asks for
    // besides its own classes; kept apart from the routed calls.
    HRESULT CreateClassEnumAsync(const BSTR superclass, LONG, IWbemContext*, IWbemObjectSink* sink) override
    {
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            classListings.push_back(superclass == nullptr ? L"" : superclass);
        }
        std::vector<IWbemClassObject*> raw;
        for (const ComPtr<IWbemClassObject>& one : runtimeClasses)
            raw.push_back(one.Get());
        if (!raw.empty())
            sink->Indicate(static_cast<LONG>(raw.size()), raw.data());
        sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_S_NO_ERROR, nullptr, nullptr);
        return WBEM_S_NO_ERROR;
    }
    // The classes the provider lists as built at run time, and the superclasses it was asked for.
    std::vector<ComPtr<IWbemClassObject>> runtimeClasses;
    std::vector<std::wstring> classListings;
    HRESULT PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override
    {
        return Unexpected(L"PutInstance");
    }
    HRESULT DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override
    {
        return Unexpected(L"DeleteInstance");
    }
    HRESULT CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override
    {
        return Unexpected(L"CreateInstanceEnum");
    }
    HRESULT ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override
    {
        return Unexpected(L"ExecQuery");
    }
    HRESULT ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override
    {
        return Unexpected(L"ExecNotificationQuery");
    }
    HRESULT ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override
    {
        return Unexpected(L"ExecNotificationQueryAsync");
    }
    HRESULT ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*, IWbemClassObject**,
                       IWbemCallResult**) override
    {
        return Unexpected(L"ExecMethod");
    }

private:
    friend class RefCounted<RecordingProvider, IWbemServices, IWbemProviderInit>;
    ~RecordingProvider() { JoinReporters(); }

    static std::wstring ContextText(IWbemContext* context, const wchar_t* name)
    {
        _variant_t value;
        if (context == nullptr || FAILED(context->GetValue(name, 0, &value)))
            return L"<absent>";
        if (value.vt == VT_I4)
            return L"I4:" + std::to_wstring(value.lVal);
        if (value.vt == VT_BOOL)
            return L"BOOL:" + std::to_wstring(value.boolVal);
        return L"vt:" + std::to_wstring(value.vt);
    }

    HRESULT Unexpected(const wchar_t* operation)
    {
        ProviderCall call;
        call.operation = operation;
        const std::lock_guard<std::mutex> guard(m_lock);
        m_calls.push_back(call);
        return WBEM_E_NOT_SUPPORTED;
    }

    HRESULT Serve(const wchar_t* operation, const std::wstring& argument, LONG flags, IWbemContext* context,
                  IWbemObjectSink* sink, IWbemClassObject* instance = nullptr, const wchar_t* method = nullptr,
                  IWbemClassObject* inParams = nullptr)
    {
        ProviderCall call;
        call.operation = operation;
        call.argument = argument;
        call.method = method == nullptr ? L"" : method;
        call.flags = flags;
        const auto caller = CallerIdentity::Current();
        call.callerSid = caller ? caller->Sid() : L"<none>";
        call.context = context;
        call.backDoor = ContextText(context, L"BackDoor");
        call.shellOnly = ContextText(context, L"ShellOnly");
        call.thread = std::this_thread::get_id();
        call.instance = instance;
        call.inParams = inParams;
        {
            const std::lock_guard<std::mutex> guard(m_lock);
            m_calls.push_back(call);
        }
        if (answer.failWithoutStatus)
            return answer.result;
        if (answer.neverReport)
            return WBEM_S_NO_ERROR;
        ComPtr<IWbemObjectSink> held(sink);
        const ProviderAnswer planned = answer;
        ComPtr<IWbemServices> services = m_services;
        auto report = [held, planned, services]() {
            for (const ComPtr<IWbemClassObject>& object : planned.objects)
            {
                if (planned.reportProgress)
                    held->SetStatus(WBEM_STATUS_PROGRESS, WBEM_S_NO_ERROR, nullptr, nullptr);
                IWbemClassObject* one = object.Get();
                held->Indicate(1, &one);
            }
            ComPtr<IWbemClassObject> status;
            if (!planned.statusDescription.empty())
                status = MakeStatus(services.Get(), planned.statusDescription.c_str(), planned.result);
            BSTR text = planned.resultText.empty() ? nullptr : SysAllocString(planned.resultText.c_str());
            held->SetStatus(WBEM_STATUS_COMPLETE, planned.result, text, status.Get());
            if (planned.reportTwice)
            {
                held->SetStatus(WBEM_STATUS_COMPLETE, WBEM_E_FAILED, nullptr, nullptr);
                if (!planned.objects.empty())
                {
                    IWbemClassObject* one = planned.objects.front().Get();
                    held->Indicate(1, &one);
                }
            }
            SysFreeString(text);
        };
        if (answer.reportLater)
            m_reporters.emplace_back(report);
        else
            report();
        return answer.result;
    }

    std::mutex m_lock;
    std::vector<ProviderCall> m_calls;
    ComPtr<IWbemServices> m_services;
    std::vector<std::thread> m_reporters;
};

// What a caller's sink received.
class RecordingSink final : public RefCounted<RecordingSink, IWbemObjectSink>
{
public:
    RecordingSink() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object == nullptr)
            return E_POINTER;
        *object = nullptr;
        if (iid != IUnknown::kIID && iid != IWbemObjectSink::kIID)
            return E_NOINTERFACE;
        *object = static_cast<IWbemObjectSink*>(this);
        AddRef();
        return S_OK;
    }
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        for (LONG i = 0; i < count; ++i)
            m_objects.emplace_back(objects[i]);
        return WBEM_S_NO_ERROR;
    }
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        if (flags == WBEM_STATUS_PROGRESS)
        {
            ++m_progress;
            return WBEM_S_NO_ERROR;
        }
        ++m_finalStatuses;
        m_result = result;
        m_text = param == nullptr ? L"<null>" : param;
        m_statusObject = statusObject;
        return WBEM_S_NO_ERROR;
    }

    std::vector<ComPtr<IWbemClassObject>> Objects()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_objects;
    }
    int FinalStatuses()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_finalStatuses;
    }
    int Progress()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_progress;
    }
    HRESULT Result()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_result;
    }
    std::wstring Text()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_text;
    }
    ComPtr<IWbemClassObject> StatusObject()
    {
        const std::lock_guard<std::mutex> guard(m_lock);
        return m_statusObject;
    }

private:
    friend class RefCounted<RecordingSink, IWbemObjectSink>;
    ~RecordingSink() = default;

    std::mutex m_lock;
    std::vector<ComPtr<IWbemClassObject>> m_objects;
    int m_finalStatuses = 0;
    int m_progress = 0;
    HRESULT m_result = WBEM_E_FAILED;
    std::wstring m_text;
    ComPtr<IWbemClassObject> m_statusObject;
};

// A namespace over MakeRepository with a registered recording provider; releases both at the end.
class ServiceFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        repository = MakeRepository();
        services = WbemServiceNamespace::Create(repository);
        provider = MakeComObject<RecordingProvider>();
        ASSERT_EQ(services->RegisterProvider(kProviderName, static_cast<IWbemServices*>(provider.Get()), L"SYSTEM",
                                             L"MS_409", nullptr),
                  WBEM_S_NO_ERROR);
    }
    void TearDown() override
    {
        provider->Shutdown();
        services->ReleaseProviders();
    }

    std::shared_ptr<WbemRepository> repository;
    ComPtr<WbemServiceNamespace> services;
    ComPtr<RecordingProvider> provider;
};

// A BSTR that frees itself.
using Text = support::BstrText;
}  // namespace servicetest
