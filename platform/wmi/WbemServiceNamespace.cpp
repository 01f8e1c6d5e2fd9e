#include "platform/wmi/WbemServiceNamespace.h"

#include "platform/com/BstrOwner.h"
#include "platform/com/ComError.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemProviderInit.h"
#include "platform/wmi/IWbemQualifierSet.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemCallResult.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemCollectingSink.h"
#include "platform/wmi/WbemEnumerator.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemForwardingSink.h"
#include "platform/wmi/WbemInitSink.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemPathParser.h"
#include "platform/wmi/WbemQueryParser.h"

#include <new>

namespace {
// Indicates the objects in one call and ends the request with success.
void SendAll(const std::vector<ComPtr<WbemClassObject>>& objects, WbemForwardingSink& reply)
{
    std::vector<IWbemClassObject*> raw;
    raw.reserve(objects.size());
    for (const ComPtr<WbemClassObject>& object : objects)
        raw.push_back(object.Get());
    if (!raw.empty())
        reply.Indicate(static_cast<LONG>(raw.size()), raw.data());
    reply.Finish(WBEM_S_NO_ERROR, nullptr);
}

// The text of a property of an instance; empty when it has none.
std::wstring TextProperty(IWbemClassObject* object, LPCWSTR name)
{
    _variant_t value;
    if (FAILED(object->Get(name, 0, &value, nullptr, nullptr)) || value.vt != VT_BSTR || value.bstrVal == nullptr)
        return std::wstring();
    return std::wstring(value.bstrVal, SysStringLen(value.bstrVal));
}

template <class T>
void Clear(T** out)
{
    if (out != nullptr)
        *out = nullptr;
}

// Hands out what a synchronous call gives back: a call result carrying `result`, `object` and
// `text` in *callResult and `object` in *out, each when asked for. `result`;
// WBEM_E_OUT_OF_MEMORY when the call result cannot be made.
HRESULT GiveBack(HRESULT result, ComPtr<IWbemClassObject> object, const std::wstring& text, IWbemClassObject** out,
                 IWbemCallResult** callResult)
{
    return WbemCall::Run([&]() -> HRESULT {
        if (callResult != nullptr)
            *callResult = WbemCallResult::Create(result, object.Get(), text).Detach();
        if (out != nullptr)
            *out = object.Detach();
        return result;
    });
}
}  // namespace

ComPtr<WbemServiceNamespace> WbemServiceNamespace::Create(std::shared_ptr<WbemRepository> repository)
{
    return MakeComObject<WbemServiceNamespace>(std::move(repository));
}

WbemServiceNamespace::WbemServiceNamespace(std::shared_ptr<WbemRepository> repository)
    : m_repository(std::move(repository)), m_events(*m_repository)
{
}

HRESULT WbemServiceNamespace::RegisterProvider(const std::wstring& name, IUnknown* provider, LPCWSTR user,
                                               LPCWSTR locale, IWbemContext* context)
{
    if (name.empty() || provider == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const ComPtr<IUnknown> object(provider);
        const ComPtr<IWbemServices> services = object.As<IWbemServices>();
        const ComPtr<IWbemProviderInit> init = object.As<IWbemProviderInit>();
        if (!services || !init)
            return WBEM_E_INVALID_PARAMETER;
        const std::wstring key = WbemName::Upper(name);
        {
            const CheckedMutexLock guard(m_lock);
            if (m_providers.count(key) != 0)
                return WBEM_E_ALREADY_EXISTS;
        }
        const HRESULT hr = WbemInitSink::InitializeProvider(init.Get(), user, m_repository->Namespace(), locale, this,
                                                            context, Timeout());
        if (FAILED(hr))
            return hr;
        const CheckedMutexLock guard(m_lock);
        if (!m_providers.emplace(key, services).second)
            return WBEM_E_ALREADY_EXISTS;
        return WBEM_S_NO_ERROR;
    });
}

HRESULT WbemServiceNamespace::RegisterEventProvider(const std::wstring& name, IUnknown* provider,
                                                    const std::wstring& eventClass, LPCWSTR user, LPCWSTR locale,
                                                    IWbemContext* context)
{
    return m_events.RegisterEventProvider(name, provider, eventClass, this, user, locale, context, Timeout());
}

HRESULT WbemServiceNamespace::ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG,
                                                         IWbemContext*, IWbemObjectSink* responseHandler)
{
    return m_events.Subscribe(queryLanguage, query, responseHandler);
}

HRESULT WbemServiceNamespace::CancelAsyncCall(IWbemObjectSink* sink)
{
    return m_events.Cancel(sink);
}

void WbemServiceNamespace::ReleaseProviders()
{
    m_events.ReleaseProviders();
    std::map<std::wstring, ComPtr<IWbemServices>> released;
    {
        const CheckedMutexLock guard(m_lock);
        released.swap(m_providers);
    }
    // The providers are released here, outside the lock: a provider's last Release may call
    // back into the namespace.
}

void WbemServiceNamespace::SetProviderTimeout(std::chrono::milliseconds timeout)
{
    const CheckedMutexLock guard(m_lock);
    m_timeout = timeout;
}

std::chrono::milliseconds WbemServiceNamespace::Timeout() const
{
    const CheckedMutexLock guard(m_lock);
    return m_timeout;
}

ComPtr<IWbemServices> WbemServiceNamespace::FindProvider(const std::wstring& name) const
{
    const CheckedMutexLock guard(m_lock);
    const auto found = m_providers.find(WbemName::Upper(name));
    return found == m_providers.end() ? nullptr : found->second;
}

HRESULT WbemServiceNamespace::QueryInterface(REFIID iid, void** object)
{
    return QueryOnlyInterface<IWbemServices>(this, iid, object);
}

void WbemServiceNamespace::Start(const Request& request, WbemForwardingSink& reply)
{
    try
    {
        request(reply);
    }
    catch (const std::bad_alloc&)
    {
        reply.Finish(WBEM_E_OUT_OF_MEMORY, nullptr);
    }
    catch (const _com_error& error)
    {
        reply.Finish(error.Error(), nullptr);
    }
    catch (...)
    {
        // Whatever a provider lets escape must not cross the interface; the request fails.
        reply.Finish(WBEM_E_PROVIDER_FAILURE, nullptr);
    }
}

HRESULT WbemServiceNamespace::Answer(IWbemObjectSink* sink, const Request& request)
{
    return WbemCall::Run([&]() -> HRESULT {
        const ComPtr<WbemForwardingSink> reply =
            WbemForwardingSink::Create(sink, m_repository->Server(), m_repository->Namespace());
        Start(request, *reply);
        return WBEM_S_NO_ERROR;
    });
}

WbemServiceNamespace::Outcome WbemServiceNamespace::Collect(const Request& request)
{
    Outcome outcome;
    const HRESULT hr = WbemCall::Run([&]() -> HRESULT {
        const ComPtr<WbemCollectingSink> collector = WbemCollectingSink::Create();
        const ComPtr<WbemForwardingSink> reply =
            WbemForwardingSink::Create(collector.Get(), m_repository->Server(), m_repository->Namespace());
        Start(request, *reply);
        // A provider that never reports is cut off; whatever it sends later is refused.
        if (!collector->Wait(Timeout()))
            reply->Finish(WBEM_E_PROVIDER_TIMED_OUT, nullptr);
        outcome.result = collector->Result();
        outcome.objects = collector->Objects();
        outcome.resultText = collector->ResultText();
        // A refusal reported as success (WBEM_S_ACCESS_DENIED) keeps its status object too.
        WbemErrorInfo::Set(outcome.result != WBEM_S_NO_ERROR ? collector->StatusObject().Get() : nullptr);
        return WBEM_S_NO_ERROR;
    });
    if (FAILED(hr))
    {
        WbemErrorInfo::Set(nullptr);
        outcome = Outcome{hr, {}, {}};
    }
    return outcome;
}

HRESULT WbemServiceNamespace::Enumerate(const Request& request, IEnumWbemClassObject** enumerator)
{
    *enumerator = nullptr;
    Outcome outcome = Collect(request);
    if (FAILED(outcome.result))
        return outcome.result;
    return WbemCall::Run([&]() -> HRESULT {
        *enumerator = WbemEnumerator::Create(std::move(outcome.objects)).Detach();
        return outcome.result;
    });
}

bool WbemServiceNamespace::HasTrueQualifier(IWbemClassObject* classObject, LPCWSTR name)
{
    ComPtr<IWbemQualifierSet> qualifiers;
    if (classObject == nullptr || FAILED(classObject->GetQualifierSet(&qualifiers)) || qualifiers == nullptr)
        return false;
    VARIANT value;
    VariantInit(&value);
    const bool set =
        SUCCEEDED(qualifiers->Get(name, 0, &value, nullptr)) && value.vt == VT_BOOL && value.boolVal != VARIANT_FALSE;
    VariantClear(&value);
    return set;
}

std::vector<std::wstring> WbemServiceNamespace::ServedClasses(std::wstring_view className, LONG flags) const
{
    std::vector<std::wstring> served{std::wstring(className)};
    ComPtr<WbemClassObject> definition;
    if ((flags & WBEM_FLAG_SHALLOW) != 0 || FAILED(m_repository->GetClass(className, &definition)) ||
        !HasTrueQualifier(definition.Get(), L"abstract"))
        return served;
    std::vector<ComPtr<WbemClassObject>> below;
    if (FAILED(m_repository->EnumerateClasses(className, true, &below)))
        return served;
    served.clear();
    for (const ComPtr<WbemClassObject>& one : below)
    {
        if (!HasTrueQualifier(one.Get(), L"abstract"))
            served.push_back(one->ClassName());
    }
    return served;
}

bool WbemServiceNamespace::ReadPath(std::wstring_view path, std::wstring* className, bool* instance,
                                    WbemForwardingSink& reply) const
{
    WbemPathParser::Result parsed;
    std::wstring error;
    const HRESULT hr = WbemPathParser::Parse(path, &parsed, &error);
    if (FAILED(hr))
    {
        Refuse(reply, hr, L"The object path is not valid: " + error + L".");
        return false;
    }
    if (!parsed.ns.empty() && !WbemName::Equal(parsed.ns, m_repository->Namespace()))
    {
        Refuse(reply, WBEM_E_INVALID_NAMESPACE,
               L"The path names namespace " + parsed.ns + L", not " + m_repository->Namespace() + L".");
        return false;
    }
    *className = std::move(parsed.className);
    *instance = parsed.instance;
    return true;
}

void WbemServiceNamespace::Refuse(WbemForwardingSink& reply, HRESULT status, const std::wstring& reason) const
{
    reply.Finish(status, m_repository->NewRefusal(status, reason).Get());
}

void WbemServiceNamespace::Route(std::wstring_view className, HRESULT unprovided, WbemForwardingSink& reply,
                                 const ProviderCall& call)
{
    std::wstring providerName;
    HRESULT hr = m_repository->GetInstanceProvider(className, &providerName);
    // A class the repository does not keep may be one a provider builds at run time.
    if (hr == WBEM_E_NOT_FOUND)
    {
        providerName = RuntimeClassProvider(className);
        if (!providerName.empty())
            hr = WBEM_S_NO_ERROR;
    }
    if (FAILED(hr))
    {
        reply.Finish(hr == WBEM_E_NOT_FOUND ? WBEM_E_INVALID_CLASS : hr, nullptr);
        return;
    }
    if (providerName.empty())
    {
        reply.Finish(unprovided, nullptr);
        return;
    }
    const ComPtr<IWbemServices> provider = FindProvider(providerName);
    if (!provider)
    {
        reply.Finish(WBEM_E_PROVIDER_NOT_FOUND, nullptr);
        return;
    }
    // A provider that fails its call reports nothing; the failure becomes the final status.
    const HRESULT called = call(provider.Get(), &reply);
    if (FAILED(called))
        reply.Finish(called, nullptr);
}

void WbemServiceNamespace::GetObjectRequest(std::wstring_view path, BSTR pathText, LONG flags, IWbemContext* context,
                                            WbemForwardingSink& reply)
{
    if (path.empty())
    {
        SendAll({WbemClassObject::CreateEmptyClass()}, reply);
        return;
    }
    std::wstring className;
    bool instance = false;
    if (!ReadPath(path, &className, &instance, reply))
        return;
    if (!instance)
    {
        ComPtr<WbemClassObject> copy;
        const HRESULT hr = m_repository->GetClass(className, &copy);
        // A class the repository does not keep may be one a provider builds at run time (a
        // list class): that provider answers its class path.
        if (hr == WBEM_E_NOT_FOUND && !RuntimeClassProvider(className).empty())
            Route(className, WBEM_E_NOT_FOUND, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
                return provider->GetObjectAsync(pathText, flags, context, sink);
            });
        else if (FAILED(hr))
            reply.Finish(hr, nullptr);
        else if (HasTrueQualifier(copy.Get(), L"ClassProvider"))
            Route(className, WBEM_E_NOT_FOUND, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
                return provider->GetObjectAsync(pathText, flags, context, sink);
            });
        else
            SendAll({copy}, reply);
        return;
    }
    Route(className, WBEM_E_NOT_FOUND, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
        return provider->GetObjectAsync(pathText, flags, context, sink);
    });
}

void WbemServiceNamespace::ClassEnumRequest(std::wstring_view superclass, LONG flags, WbemForwardingSink& reply)
{
    std::vector<ComPtr<WbemClassObject>> classes;
    const HRESULT hr = m_repository->EnumerateClasses(superclass, (flags & WBEM_FLAG_SHALLOW) == 0, &classes);
    if (FAILED(hr))
    {
        reply.Finish(hr, nullptr);
        return;
    }
    // The repository's classes first, then those the providers build from the installation's
    // data. A class the repository keeps is placed by its stored superclass, never by where a
    // provider's listing happens to name it, and is not sent twice.
    std::vector<IWbemClassObject*> raw;
    std::vector<std::wstring> names;
    for (const ComPtr<WbemClassObject>& stored : classes)
    {
        raw.push_back(stored.Get());
        names.push_back(stored->ClassName());
    }
    const auto runtime = RuntimeClasses(superclass, flags & WBEM_FLAG_SHALLOW);
    for (const auto& [provider, definition] : runtime)
    {
        const std::wstring name = TextProperty(definition.Get(), L"__CLASS");
        bool listed = false;
        for (const std::wstring& known : names)
            listed = listed || WbemName::Equal(known, name);
        std::wstring storedProvider;
        if (listed || name.empty() || m_repository->GetInstanceProvider(name, &storedProvider) != WBEM_E_NOT_FOUND)
            continue;
        names.push_back(name);
        raw.push_back(definition.Get());
    }
    if (!raw.empty())
        reply.Indicate(static_cast<LONG>(raw.size()), raw.data());
    reply.Finish(WBEM_S_NO_ERROR, nullptr);
}

std::vector<std::pair<std::wstring, ComPtr<IWbemClassObject>>> WbemServiceNamespace::RuntimeClasses(
    std::wstring_view superclass, LONG flags) const
{
    std::map<std::wstring, ComPtr<IWbemServices>> providers;
    {
        const CheckedMutexLock guard(m_lock);
        providers = m_providers;
    }
    std::vector<std::pair<std::wstring, ComPtr<IWbemClassObject>>> result;
    const std::wstring parentText(superclass);
    // The provider takes a BSTR: a null one for the root.
    const BstrOwner parent = parentText.empty() ? BstrOwner() : BstrOwner::Copy(parentText.c_str());
    for (const auto& [name, provider] : providers)
    {
        const ComPtr<WbemCollectingSink> collector = WbemCollectingSink::Create();
        const HRESULT called = provider->CreateClassEnumAsync(parent.Get(), flags, nullptr, collector.Get());
        if (FAILED(called) || !collector->Wait(Timeout()) || FAILED(collector->Result()))
            continue;
        for (ComPtr<IWbemClassObject>& definition : collector->Objects())
            result.emplace_back(name, std::move(definition));
    }
    return result;
}

std::wstring WbemServiceNamespace::RuntimeClassProvider(std::wstring_view className) const
{
    for (const auto& [provider, definition] : RuntimeClasses(std::wstring_view(), WBEM_FLAG_DEEP))
    {
        if (WbemName::Equal(TextProperty(definition.Get(), L"__CLASS"), className))
            return provider;
    }
    return std::wstring();
}

void WbemServiceNamespace::InstanceEnumRequest(BSTR className, LONG flags, IWbemContext* context,
                                               WbemForwardingSink& reply)
{
    const std::wstring_view name = WbemName::View(className);
    if (!WbemName::IsValidIdentifier(name))
    {
        reply.Finish(WBEM_E_INVALID_CLASS, nullptr);
        return;
    }
    const std::vector<std::wstring> served = ServedClasses(name, flags);
    if (served.size() == 1 && WbemName::Equal(served.front(), name))
    {
        Route(name, WBEM_S_NO_ERROR, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
            return provider->CreateInstanceEnumAsync(className, flags, context, sink);
        });
        return;
    }
    Combine(served, {}, reply, [&](const std::wstring& one, IWbemServices* provider, IWbemObjectSink* sink) {
        const BstrOwner text = BstrOwner::Copy(one.c_str());
        return provider->CreateInstanceEnumAsync(text.Get(), flags, context, sink);
    });
}

void WbemServiceNamespace::QueryRequest(BSTR language, BSTR query, LONG flags, IWbemContext* context,
                                        WbemForwardingSink& reply)
{
    if (!WbemQueryParser::IsWql(WbemName::View(language)))
    {
        reply.Finish(WBEM_E_INVALID_QUERY_TYPE, nullptr);
        return;
    }
    const std::wstring_view text = WbemName::View(query);
    WbemQueryParser::Selection selection;
    std::wstring error;
    const HRESULT hr = WbemQueryParser::Parse(text, &selection, &error);
    if (FAILED(hr))
    {
        Refuse(reply, hr, L"The query cannot be read: " + error + L".");
        return;
    }
    // Only the provider of the class an association starts from can answer it.
    if (selection.association)
    {
        Route(selection.className, WBEM_E_NOT_SUPPORTED, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
            return provider->ExecQueryAsync(language, query, flags, context, sink);
        });
        return;
    }
    const std::vector<std::wstring> served = ServedClasses(selection.className, flags);
    if (selection.properties.empty() && served.size() == 1 && WbemName::Equal(served.front(), selection.className))
    {
        Route(selection.className, WBEM_S_NO_ERROR, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
            return provider->ExecQueryAsync(language, query, flags, context, sink);
        });
        return;
    }
    // Each class is asked the same query with its own name after FROM.
    Combine(served, selection.properties, reply,
            [&](const std::wstring& one, IWbemServices* provider, IWbemObjectSink* sink) {
                std::wstring asked(text);
                asked.replace(selection.classOffset, selection.className.size(), one);
                const BstrOwner askedText = BstrOwner::Copy(asked.c_str());
                return provider->ExecQueryAsync(language, askedText.Get(), flags, context, sink);
            });
}

void WbemServiceNamespace::Combine(const std::vector<std::wstring>& classes, const std::vector<std::wstring>& selected,
                                   WbemForwardingSink& reply, const ClassCall& call)
{
    HRESULT answer = WBEM_S_NO_ERROR;
    ComPtr<IWbemClassObject> finalStatus;
    for (const std::wstring& className : classes)
    {
        // Each object is handed on as it arrives, as a request on one class is, so that a long
        // result is never held whole.
        HRESULT projectionFailure = WBEM_S_NO_ERROR;
        const ComPtr<WbemCollectingSink> collector =
            WbemCollectingSink::Create([&](IWbemClassObject* object) -> HRESULT {
                ComPtr<WbemClassObject> shown(WbemClassObject::FromInterface(object));
                // The service hands on only what the select list names (and the keys).
                if (!selected.empty() && shown != nullptr)
                {
                    ComPtr<WbemClassObject> projected;
                    const HRESULT projection = shown->Project(selected, &projected);
                    if (FAILED(projection))
                    {
                        projectionFailure = projection;
                        return projection;
                    }
                    shown = std::move(projected);
                }
                IWbemClassObject* raw = shown != nullptr ? static_cast<IWbemClassObject*>(shown.Get()) : object;
                return reply.Indicate(1, &raw);
            });
        const ComPtr<WbemForwardingSink> part =
            WbemForwardingSink::Create(collector.Get(), m_repository->Server(), m_repository->Namespace());
        Start(
            [&](WbemForwardingSink& partReply) {
                Route(className, WBEM_S_NO_ERROR, partReply,
                      [&](IWbemServices* provider, IWbemObjectSink* sink) { return call(className, provider, sink); });
            },
            *part);
        if (!collector->Wait(Timeout()))
            part->Finish(WBEM_E_PROVIDER_TIMED_OUT, nullptr);
        // The final status has arrived (or the wait gave up and ended the part): no object
        // reaches the consumer any more, so its failure is read without the sink's lock.
        if (FAILED(projectionFailure))
        {
            reply.Finish(projectionFailure, nullptr);
            return;
        }
        const HRESULT result = collector->Result();
        if (FAILED(result))
        {
            reply.Finish(result, collector->StatusObject().Get());
            return;
        }
        // A class refused to the caller (WBEM_S_ACCESS_DENIED) leaves its code as the answer.
        if (result != WBEM_S_NO_ERROR && answer == WBEM_S_NO_ERROR)
        {
            answer = result;
            finalStatus = collector->StatusObject();
        }
    }
    reply.Finish(answer, finalStatus.Get());
}

void WbemServiceNamespace::PutInstanceRequest(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                              WbemForwardingSink& reply)
{
    _variant_t genus;
    const std::wstring className = TextProperty(instance, L"__CLASS");
    if (FAILED(instance->Get(L"__GENUS", 0, &genus, nullptr, nullptr)) || genus.vt != VT_I4 ||
        genus.lVal != WBEM_GENUS_INSTANCE || className.empty())
    {
        reply.Finish(WBEM_E_INVALID_PARAMETER, nullptr);
        return;
    }
    Route(className, WBEM_E_NOT_SUPPORTED, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
        return provider->PutInstanceAsync(instance, flags, context, sink);
    });
}

void WbemServiceNamespace::DeleteInstanceRequest(BSTR path, LONG flags, IWbemContext* context,
                                                 WbemForwardingSink& reply)
{
    std::wstring className;
    bool instance = false;
    if (!ReadPath(WbemName::View(path), &className, &instance, reply))
        return;
    if (!instance)
    {
        Refuse(reply, WBEM_E_INVALID_OBJECT_PATH,
               L"The object path names class " + className + L", not an instance of it: its keys are missing.");
        return;
    }
    Route(className, WBEM_E_NOT_FOUND, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
        return provider->DeleteInstanceAsync(path, flags, context, sink);
    });
}

void WbemServiceNamespace::ExecMethodRequest(BSTR path, BSTR method, LONG flags, IWbemContext* context,
                                             IWbemClassObject* inParams, WbemForwardingSink& reply)
{
    std::wstring className;
    bool instance = false;
    if (!ReadPath(WbemName::View(path), &className, &instance, reply))
        return;
    ComPtr<WbemClassObject> definition;
    const HRESULT hr = m_repository->GetClass(className, &definition);
    if (FAILED(hr))
    {
        reply.Finish(hr == WBEM_E_NOT_FOUND ? WBEM_E_INVALID_CLASS : hr, nullptr);
        return;
    }
    if (!WbemName::IsValidIdentifier(WbemName::View(method)) ||
        FAILED(definition->GetMethod(method, 0, nullptr, nullptr)))
    {
        reply.Finish(WBEM_E_INVALID_METHOD, nullptr);
        return;
    }
    Route(className, WBEM_E_NOT_SUPPORTED, reply, [&](IWbemServices* provider, IWbemObjectSink* sink) {
        return provider->ExecMethodAsync(path, method, flags, context, inParams, sink);
    });
}

HRESULT WbemServiceNamespace::GetObject(const BSTR objectPath, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object, IWbemCallResult** callResult)
{
    Clear(object);
    Clear(callResult);
    Outcome outcome = Collect([&](WbemForwardingSink& reply) {
        GetObjectRequest(WbemName::View(objectPath), objectPath, flags, context, reply);
    });
    ComPtr<IWbemClassObject> found;
    if (SUCCEEDED(outcome.result))
    {
        if (outcome.objects.empty())
            outcome.result = outcome.result == WBEM_S_ACCESS_DENIED ? WBEM_E_ACCESS_DENIED : WBEM_E_NOT_FOUND;
        else
            found = outcome.objects.front();
    }
    return GiveBack(outcome.result, std::move(found), std::wstring(), object, callResult);
}

HRESULT WbemServiceNamespace::GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* responseHandler)
{
    if (responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler, [&](WbemForwardingSink& reply) {
        GetObjectRequest(WbemName::View(objectPath), objectPath, flags, context, reply);
    });
}

HRESULT WbemServiceNamespace::CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext*,
                                              IEnumWbemClassObject** enumerator)
{
    if (enumerator == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Enumerate([&](WbemForwardingSink& reply) { ClassEnumRequest(WbemName::View(superclass), flags, reply); },
                     enumerator);
}

HRESULT WbemServiceNamespace::CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext*,
                                                   IWbemObjectSink* responseHandler)
{
    if (responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler,
                  [&](WbemForwardingSink& reply) { ClassEnumRequest(WbemName::View(superclass), flags, reply); });
}

HRESULT WbemServiceNamespace::PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult)
{
    Clear(callResult);
    if (instance == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const Outcome outcome =
        Collect([&](WbemForwardingSink& reply) { PutInstanceRequest(instance, flags, context, reply); });
    return GiveBack(outcome.result, nullptr, outcome.resultText, nullptr, callResult);
}

HRESULT WbemServiceNamespace::PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* responseHandler)
{
    if (instance == nullptr || responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler,
                  [&](WbemForwardingSink& reply) { PutInstanceRequest(instance, flags, context, reply); });
}

HRESULT WbemServiceNamespace::DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemCallResult** callResult)
{
    Clear(callResult);
    if (objectPath == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const Outcome outcome =
        Collect([&](WbemForwardingSink& reply) { DeleteInstanceRequest(objectPath, flags, context, reply); });
    return GiveBack(outcome.result, nullptr, std::wstring(), nullptr, callResult);
}

HRESULT WbemServiceNamespace::DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                                  IWbemObjectSink* responseHandler)
{
    if (objectPath == nullptr || responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler,
                  [&](WbemForwardingSink& reply) { DeleteInstanceRequest(objectPath, flags, context, reply); });
}

HRESULT WbemServiceNamespace::CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                                                 IEnumWbemClassObject** enumerator)
{
    Clear(enumerator);
    if (enumerator == nullptr || filter == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Enumerate([&](WbemForwardingSink& reply) { InstanceEnumRequest(filter, flags, context, reply); },
                     enumerator);
}

HRESULT WbemServiceNamespace::CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                                      IWbemObjectSink* responseHandler)
{
    if (filter == nullptr || responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler,
                  [&](WbemForwardingSink& reply) { InstanceEnumRequest(filter, flags, context, reply); });
}

HRESULT WbemServiceNamespace::ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                        IEnumWbemClassObject** enumerator)
{
    Clear(enumerator);
    if (enumerator == nullptr || queryLanguage == nullptr || query == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Enumerate([&](WbemForwardingSink& reply) { QueryRequest(queryLanguage, query, flags, context, reply); },
                     enumerator);
}

HRESULT WbemServiceNamespace::ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                             IWbemContext* context, IWbemObjectSink* responseHandler)
{
    if (queryLanguage == nullptr || query == nullptr || responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler,
                  [&](WbemForwardingSink& reply) { QueryRequest(queryLanguage, query, flags, context, reply); });
}

HRESULT WbemServiceNamespace::ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags,
                                         IWbemContext* context, IWbemClassObject* inParams,
                                         IWbemClassObject** outParams, IWbemCallResult** callResult)
{
    Clear(outParams);
    Clear(callResult);
    if (objectPath == nullptr || methodName == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    const Outcome outcome = Collect(
        [&](WbemForwardingSink& reply) { ExecMethodRequest(objectPath, methodName, flags, context, inParams, reply); });
    ComPtr<IWbemClassObject> out;
    if (SUCCEEDED(outcome.result) && !outcome.objects.empty())
        out = outcome.objects.front();
    return GiveBack(outcome.result, std::move(out), std::wstring(), outParams, callResult);
}

HRESULT WbemServiceNamespace::ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParams,
                                              IWbemObjectSink* responseHandler)
{
    if (objectPath == nullptr || methodName == nullptr || responseHandler == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return Answer(responseHandler, [&](WbemForwardingSink& reply) {
        ExecMethodRequest(objectPath, methodName, flags, context, inParams, reply);
    });
}
