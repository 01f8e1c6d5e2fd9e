#include "tests/e2e/DoorTest.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/wmi/IEnumWbemClassObject.h"
#include "platform/wmi/IWbemCallResult.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemRepository.h"
#include "provider/CWmipApp.h"
#include "tools/provixa/ProvixaHost.h"
#include "tools/provixa/ProvixaSchemaLoader.h"
#include "tools/provixa/ProvixaText.h"
#include "tests/support/TemporaryHome.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace e2e {
namespace {
constexpr std::chrono::seconds kReplyTimeout(30);

// A BSTR of the whole text (embedded NULs included) that frees itself.
class Bstr
{
public:
    explicit Bstr(const std::wstring& text) : m_text(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    ~Bstr() { SysFreeString(m_text); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    operator BSTR() const { return m_text; }

private:
    BSTR m_text;
};

std::vector<ComPtr<IWbemClassObject>> Drain(IEnumWbemClassObject* enumerator)
{
    std::vector<ComPtr<IWbemClassObject>> objects;
    while (enumerator != nullptr)
    {
        IWbemClassObject* object = nullptr;
        ULONG returned = 0;
        enumerator->Next(WBEM_INFINITE, 1, &object, &returned);
        if (returned == 0)
            break;
        ComPtr<IWbemClassObject> owned;
        owned.Attach(object);
        objects.push_back(std::move(owned));
    }
    return objects;
}
}  // namespace

const char* NameOf(Form form)
{
    return form == Form::Sync ? "synchronous" : "asynchronous";
}

DoorTest::DoorTest() : m_application(&theApp) {}

void DoorTest::SetUp()
{
    auto repository = std::make_shared<WbemRepository>(kServer, ProvixaHost::kNamespace);
    std::wstring failedClass;
    ASSERT_EQ(ProvixaSchemaLoader::Load(*repository, &failedClass), WBEM_S_NO_ERROR)
        << ProvixaText::ToUtf8(failedClass);
    m_services = WbemServiceNamespace::Create(repository);
    m_shell = ProvixaProviderShell::Create();
    ASSERT_EQ(m_services->RegisterProvider(ProvixaSchemaLoader::kProviderName,
                                           static_cast<IWbemServices*>(m_shell.Get()), L"NT AUTHORITY\\SYSTEM",
                                           L"MS_409", nullptr),
              WBEM_S_NO_ERROR);
}

void DoorTest::TearDown()
{
    m_caller.reset();
    // The provider holds the namespace and the namespace the provider.
    if (m_services)
        m_services->ReleaseProviders();
}

void DoorTest::CallAs(const wchar_t* sid)
{
    m_caller.reset();
    m_caller = std::make_unique<CallerIdentity::Scope>(CallerIdentity(sid, SecurityImpersonation));
}

IWbemServices* DoorTest::Services() const
{
    return m_services.Get();
}

IWbemServices* DoorTest::ProviderShell() const
{
    return m_shell.Get();
}

Reply DoorTest::Await(HRESULT returned, DoorSink& sink)
{
    Reply reply;
    EXPECT_EQ(returned, WBEM_S_NO_ERROR) << "the door refused the asynchronous call itself";
    EXPECT_TRUE(sink.WaitForFinalStatus(kReplyTimeout)) << "no final status";
    const std::vector<StatusReport> finals = sink.FinalStatuses();
    EXPECT_EQ(finals.size(), 1u) << "final statuses of one asynchronous call";
    EXPECT_EQ(sink.ObjectsAfterFinalStatus(), 0) << "objects indicated after the final status";
    reply.objects = sink.Objects();
    reply.progress = sink.ProgressCount();
    if (!finals.empty())
    {
        reply.result = finals.front().result;
        reply.statusObject = finals.front().statusObject;
        reply.hasText = finals.front().hasText;
        reply.text = finals.front().text;
    }
    return reply;
}

Reply DoorTest::Finish(HRESULT returned, std::vector<ComPtr<IWbemClassObject>> objects)
{
    Reply reply;
    reply.result = returned;
    reply.objects = std::move(objects);
    reply.statusObject = WbemErrorInfo::Take();
    return reply;
}

Reply DoorTest::Get(Form form, const std::wstring& path, IWbemContext* context)
{
    const Bstr text(path);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->GetObjectAsync(text, 0, context, sink.Get()), *sink);
    }
    ComPtr<IWbemClassObject> object;
    ComPtr<IWbemCallResult> callResult;
    const HRESULT hr = m_services->GetObject(text, 0, context, &object, &callResult);
    std::vector<ComPtr<IWbemClassObject>> objects;
    if (object)
        objects.push_back(object);
    Reply reply = Finish(hr, std::move(objects));
    LONG status = 0;
    EXPECT_TRUE(callResult) << "no call result";
    if (callResult)
    {
        EXPECT_EQ(callResult->GetCallStatus(0, &status), WBEM_S_NO_ERROR);
        EXPECT_EQ(status, hr) << "the call result's status";
    }
    return reply;
}

Reply DoorTest::Enum(Form form, const std::wstring& className, LONG flags)
{
    const Bstr text(className);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->CreateInstanceEnumAsync(text, flags, nullptr, sink.Get()), *sink);
    }
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT hr = m_services->CreateInstanceEnum(text, flags, nullptr, &enumerator);
    return Finish(hr, Drain(enumerator.Get()));
}

Reply DoorTest::Query(Form form, const std::wstring& wql, LONG flags, const std::wstring& language)
{
    const Bstr text(wql);
    const Bstr languageText(language);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->ExecQueryAsync(languageText, text, flags, nullptr, sink.Get()), *sink);
    }
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT hr = m_services->ExecQuery(languageText, text, flags, nullptr, &enumerator);
    return Finish(hr, Drain(enumerator.Get()));
}

Reply DoorTest::ClassEnum(Form form, const std::wstring& superclass, LONG flags)
{
    const Bstr text(superclass);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->CreateClassEnumAsync(text, flags, nullptr, sink.Get()), *sink);
    }
    ComPtr<IEnumWbemClassObject> enumerator;
    const HRESULT hr = m_services->CreateClassEnum(text, flags, nullptr, &enumerator);
    return Finish(hr, Drain(enumerator.Get()));
}

Reply DoorTest::Put(Form form, IWbemClassObject* instance, LONG flags, IWbemContext* context)
{
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->PutInstanceAsync(instance, flags, context, sink.Get()), *sink);
    }
    ComPtr<IWbemCallResult> callResult;
    const HRESULT hr = m_services->PutInstance(instance, flags, context, &callResult);
    Reply reply = Finish(hr, {});
    BSTR written = nullptr;
    if (callResult && SUCCEEDED(callResult->GetResultString(0, &written)) && written != nullptr)
    {
        reply.hasText = true;
        reply.text.assign(written, SysStringLen(written));
    }
    SysFreeString(written);
    return reply;
}

Reply DoorTest::Delete(Form form, const std::wstring& path)
{
    const Bstr text(path);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->DeleteInstanceAsync(text, 0, nullptr, sink.Get()), *sink);
    }
    return Finish(m_services->DeleteInstance(text, 0, nullptr, nullptr), {});
}

Reply DoorTest::Exec(Form form, const std::wstring& path, const std::wstring& method, IWbemClassObject* inParams)
{
    const Bstr text(path);
    const Bstr methodText(method);
    if (form == Form::Async)
    {
        const ComPtr<DoorSink> sink = DoorSink::Create();
        return Await(m_services->ExecMethodAsync(text, methodText, 0, nullptr, inParams, sink.Get()), *sink);
    }
    ComPtr<IWbemClassObject> out;
    const HRESULT hr = m_services->ExecMethod(text, methodText, 0, nullptr, inParams, &out, nullptr);
    std::vector<ComPtr<IWbemClassObject>> objects;
    if (out)
        objects.push_back(out);
    return Finish(hr, std::move(objects));
}

Reply DoorTest::ProviderGet(const std::wstring& path)
{
    const Bstr text(path);
    const ComPtr<DoorSink> sink = DoorSink::Create();
    const HRESULT returned = m_shell->GetObjectAsync(text, 0, nullptr, sink.Get());
    EXPECT_TRUE(sink->WaitForFinalStatus(kReplyTimeout));
    Reply reply;
    const std::vector<StatusReport> finals = sink->FinalStatuses();
    EXPECT_EQ(finals.size(), 1u) << "final statuses of one asynchronous call";
    reply.objects = sink->Objects();
    if (!finals.empty())
    {
        reply.result = finals.front().result;
        reply.statusObject = finals.front().statusObject;
        EXPECT_EQ(returned, reply.result) << "the provider returns what it reports";
    }
    return reply;
}

ComPtr<IWbemClassObject> DoorTest::Instance(const std::wstring& path)
{
    const Reply reply = Get(Form::Sync, path);
    EXPECT_EQ(reply.result, WBEM_S_NO_ERROR) << ProvixaText::ToUtf8(path) << " " << Hex(reply.result);
    return reply.objects.empty() ? ComPtr<IWbemClassObject>() : reply.objects.front();
}

void DoorTest::PutValues(IWbemClassObject* object, const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
{
    for (const auto& [name, value] : values)
    {
        if (object == nullptr)
            return;
        _variant_t copy(value);
        EXPECT_EQ(object->Put(name, 0, &copy, 0), WBEM_S_NO_ERROR) << Utf8(name);
    }
}

ComPtr<IWbemClassObject> DoorTest::NewInstance(const std::wstring& className)
{
    const Reply definition = Get(Form::Sync, className);
    ComPtr<IWbemClassObject> instance;
    if (definition.objects.empty())
    {
        ADD_FAILURE() << "no class " << ProvixaText::ToUtf8(className);
        return instance;
    }
    EXPECT_EQ(definition.objects.front()->SpawnInstance(0, &instance), WBEM_S_NO_ERROR);
    return instance;
}

ComPtr<IWbemClassObject> DoorTest::NewInstance(const std::wstring& className,
                                               const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
{
    ComPtr<IWbemClassObject> instance = NewInstance(className);
    PutValues(instance.Get(), values);
    return instance;
}

ComPtr<IWbemClassObject> DoorTest::MethodParameters(const std::wstring& className, const std::wstring& method,
                                                    const std::vector<std::pair<const wchar_t*, _variant_t>>& values)
{
    const Reply found = Get(Form::Sync, className);
    ComPtr<IWbemClassObject> signature;
    ComPtr<IWbemClassObject> in;
    if (!found.objects.empty() && SUCCEEDED(found.objects.front()->GetMethod(method.c_str(), 0, &signature, nullptr)) &&
        signature)
        signature->SpawnInstance(0, &in);
    EXPECT_TRUE(in || values.empty()) << "no input signature for " << Utf8(method);
    PutValues(in.Get(), values);
    return in;
}

Table DoorTest::Values(const std::vector<ComPtr<IWbemClassObject>>& objects,
                       const std::vector<const wchar_t*>& properties)
{
    Table rows;
    for (const ComPtr<IWbemClassObject>& object : objects)
    {
        Row row;
        for (const wchar_t* property : properties)
            row.push_back(support::PropertyText(object.Get(), property));
        rows.push_back(std::move(row));
    }
    return Sorted(std::move(rows));
}

Table DoorTest::Sorted(Table rows)
{
    std::sort(rows.begin(), rows.end());
    return rows;
}

std::string DoorTest::Description(IWbemClassObject* statusObject)
{
    return statusObject == nullptr ? "<no status object>" : support::PropertyText(statusObject, L"Description");
}

HRESULT DoorTest::StatusCode(IWbemClassObject* statusObject)
{
    if (statusObject == nullptr)
        return 0;
    _variant_t value;
    if (FAILED(statusObject->Get(L"StatusCode", 0, &value, nullptr, nullptr)) ||
        static_cast<const VARIANT&>(value).vt != VT_I4)
        return 0;
    return static_cast<HRESULT>(static_cast<const VARIANT&>(value).lVal);
}

std::string DoorTest::Hex(HRESULT status)
{
    char text[16] = {};
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(status));
    return text;
}

std::string DoorTest::Utf8(const std::wstring& text)
{
    return ProvixaText::ToUtf8(text);
}

bool DoorTest::EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

::testing::AssertionResult DoorTest::Refused(const Reply& reply, HRESULT code, const std::wstring& reason)
{
    const std::string description = Description(reply.statusObject.Get());
    if (reply.result == code && EndsWith(description, Utf8(reason)))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << Hex(reply.result) << " [" << description << "], not " << Hex(code)
                                         << " [..." << Utf8(reason) << "]";
}

int DoorTest::LogLines(const std::wstring& text)
{
    return support::TemporaryHome::CountProviderLogLines(Utf8(text));
}
}  // namespace e2e
