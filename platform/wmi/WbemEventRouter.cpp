#include "platform/wmi/WbemEventRouter.h"

#include "platform/win32/ThreadSafety.h"
#include "platform/com/WbemConstants.h"
#include "platform/com/SafeArray.h"
#include "platform/com/Variant.h"
#include "platform/security/CallerIdentity.h"
#include "platform/security/SecurityDescriptor.h"
#include "platform/security/Sid.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemEventProvider.h"
#include "platform/wmi/IWbemEventProviderQuerySink.h"
#include "platform/wmi/IWbemEventProviderSecurity.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/IWbemProviderInit.h"
#include "platform/wmi/WbemCall.h"
#include "platform/wmi/WbemClassObject.h"
#include "platform/wmi/WbemErrorInfo.h"
#include "platform/wmi/WbemInitSink.h"
#include "platform/wmi/WbemName.h"
#include "platform/wmi/WbemObjectSinkBase.h"
#include "platform/wmi/WbemQueryParser.h"
#include "platform/wmi/WbemRepository.h"

#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace {
constexpr wchar_t kEventRoot[] = L"__Event";

struct ProviderEntry
{
    std::wstring eventClass;
    ComPtr<IWbemEventProviderQuerySink> queries;
    ComPtr<IWbemEventProviderSecurity> security;  // null when the provider checks nothing
};

struct Subscription
{
    ULONG id = 0;
    std::wstring className;
    ComPtr<IWbemObjectSink> sink;
    std::shared_ptr<ProviderEntry> provider;
    // The test of the query's WHERE clause; empty when the query has none.
    WbemEventFilterFactory::Filter filter;
    // The binary SID of the consumer that subscribed; empty when the caller had none.
    std::vector<BYTE> consumer;
};

// A subscription's sink with the tests an event must pass before it gets there.
struct Delivery
{
    ComPtr<IWbemObjectSink> sink;
    WbemEventFilterFactory::Filter filter;
    std::vector<BYTE> consumer;
};

// The event's SECURITY_DESCRIPTOR bytes; nothing when it carries none (absent or null).
std::optional<std::vector<BYTE>> DescriptorOf(IWbemClassObject* event)
{
    _variant_t value;
    if (FAILED(event->Get(L"SECURITY_DESCRIPTOR", 0, &value, nullptr, nullptr)) || value.vt == VT_NULL ||
        value.vt == VT_EMPTY)
        return std::nullopt;
    std::vector<BYTE> bytes;
    void* data = nullptr;
    // A descriptor of another shape grants nobody: it is kept as no bytes at all.
    if (value.vt != (VT_ARRAY | VT_UI1) || value.parray == nullptr || SafeArrayGetDim(value.parray) != 1 ||
        FAILED(SafeArrayAccessData(value.parray, &data)))
        return bytes;
    const auto* first = static_cast<const BYTE*>(data);
    bytes.assign(first, first + value.parray->rgsabound[0].cElements);
    SafeArrayUnaccessData(value.parray);
    return bytes;
}

// The consumer's caller SID in binary form; empty outside any caller or for a bad SID text.
std::vector<BYTE> CallerSid()
{
    const auto caller = CallerIdentity::Current();
    return caller ? SidCodec::FromText(caller->Sid()).value_or(std::vector<BYTE>()) : std::vector<BYTE>();
}

// True when the class is `ancestor` or derives from it.
bool IsOrDerivesFrom(IWbemClassObject* object, const std::wstring& className, const std::wstring& ancestor)
{
    return WbemName::Equal(className, ancestor) || object->InheritsFrom(ancestor.c_str()) == WBEM_S_NO_ERROR;
}

// Tells each ended subscription's provider and consumer; called without the state's lock.
void EndSubscriptions(const std::vector<Subscription>& ended)
{
    for (const Subscription& subscription : ended)
        subscription.provider->queries->CancelQuery(subscription.id);
    for (const Subscription& subscription : ended)
        subscription.sink->SetStatus(WBEM_STATUS_COMPLETE, WBEM_E_CALL_CANCELLED, nullptr, nullptr);
}
}  // namespace

struct WbemEventRouter::State
{
    mutable CheckedMutex lock;
    // Providers by upper-cased name, the subscriptions, the next query id.
    std::map<std::wstring, std::shared_ptr<ProviderEntry>> providers GUARDED_BY(lock);
    std::vector<Subscription> subscriptions GUARDED_BY(lock);
    ULONG nextId GUARDED_BY(lock) = 1;
    std::shared_ptr<const WbemEventFilterFactory> filters;

    // Hands each event to the sinks of the subscriptions whose class it is of and whose WHERE
    // clause it satisfies. The tests run outside the lock: they may be slow, and a consumer
    // may subscribe meanwhile.
    void Deliver(LONG count, IWbemClassObject** objects)
    {
        for (LONG i = 0; i < count; ++i)
        {
            IWbemClassObject* event = objects[i];
            const WbemClassObject* typed = WbemClassObject::FromInterface(event);
            const std::wstring className = typed != nullptr ? typed->ClassName() : std::wstring();
            std::vector<Delivery> targets;
            {
                const CheckedMutexLock guard(lock);
                for (const Subscription& subscription : subscriptions)
                {
                    if (IsOrDerivesFrom(event, className, subscription.className))
                        targets.push_back(Delivery{subscription.sink, subscription.filter, subscription.consumer});
                }
            }
            const std::optional<std::vector<BYTE>> descriptor = DescriptorOf(event);
            // Consumers get a copy without the descriptor, which names the other accounts the
            // event may reach; an event that cannot be copied so reaches nobody.
            ComPtr<IWbemClassObject> delivered(event);
            if (descriptor)
            {
                ComPtr<IWbemClassObject> copy;
                if (FAILED(event->Clone(&copy)) || FAILED(copy->Put(L"SECURITY_DESCRIPTOR", 0, nullptr, 0)))
                    continue;
                delivered = copy;
            }
            IWbemClassObject* object = delivered.Get();
            for (const Delivery& target : targets)
            {
                if (descriptor && !SecurityDescriptor::Grants(*descriptor, target.consumer, WBEM_RIGHT_SUBSCRIBE))
                    continue;
                if (!target.filter || target.filter(object))
                    target.sink->Indicate(1, &object);
            }
        }
    }
};

namespace {
// The sink a provider indicates its events to. It holds the router's state weakly: the
// provider keeps the sink, and the state keeps the provider.
class DeliverySink final : public WbemObjectSinkBase<DeliverySink>
{
public:
    explicit DeliverySink(std::weak_ptr<WbemEventRouter::State> state) : m_state(std::move(state)) {}

    HRESULT Indicate(LONG count, IWbemClassObject** objects) override
    {
        const HRESULT checked = CheckObjects(count, objects);
        if (FAILED(checked))
            return checked;
        if (const auto state = m_state.lock())
            state->Deliver(count, objects);
        return WBEM_S_NO_ERROR;
    }
    HRESULT SetStatus(LONG, HRESULT, BSTR, IWbemClassObject*) override { return WBEM_S_NO_ERROR; }

private:
    friend class RefCounted<DeliverySink, IWbemObjectSink>;
    ~DeliverySink() = default;

    const std::weak_ptr<WbemEventRouter::State> m_state;
};
}  // namespace

WbemEventRouter::WbemEventRouter(const WbemRepository& repository)
    : m_repository(repository), m_state(std::make_shared<State>())
{
}

WbemEventRouter::~WbemEventRouter()
{
    ReleaseProviders();
}

HRESULT WbemEventRouter::RegisterEventProvider(const std::wstring& name, IUnknown* provider,
                                               const std::wstring& eventClass, IWbemServices* services, LPCWSTR user,
                                               LPCWSTR locale, IWbemContext* context, std::chrono::milliseconds timeout)
{
    if (name.empty() || provider == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    return WbemCall::Run([&]() -> HRESULT {
        const ComPtr<IUnknown> object(provider);
        const ComPtr<IWbemProviderInit> init = object.As<IWbemProviderInit>();
        const ComPtr<IWbemEventProvider> events = object.As<IWbemEventProvider>();
        auto entry = std::make_shared<ProviderEntry>();
        entry->eventClass = eventClass;
        entry->queries = object.As<IWbemEventProviderQuerySink>();
        entry->security = object.As<IWbemEventProviderSecurity>();
        if (!init || !events || !entry->queries)
            return WBEM_E_INVALID_PARAMETER;
        ComPtr<WbemClassObject> definition;
        if (FAILED(m_repository.GetClass(eventClass, &definition)) ||
            definition->InheritsFrom(kEventRoot) != WBEM_S_NO_ERROR)
            return WBEM_E_INVALID_CLASS;
        const std::wstring key = WbemName::Upper(name);
        {
            const CheckedMutexLock guard(m_state->lock);
            if (m_state->providers.count(key) != 0)
                return WBEM_E_ALREADY_EXISTS;
        }
        HRESULT hr = WbemInitSink::InitializeProvider(init.Get(), user, m_repository.Namespace(), locale, services,
                                                      context, timeout);
        if (FAILED(hr))
            return hr;
        const ComPtr<IWbemObjectSink> sink = MakeComObject<DeliverySink>(std::weak_ptr<State>(m_state));
        hr = events->ProvideEvents(sink.Get(), 0);
        if (FAILED(hr))
            return hr;
        const CheckedMutexLock guard(m_state->lock);
        if (!m_state->providers.emplace(key, std::move(entry)).second)
            return WBEM_E_ALREADY_EXISTS;
        return WBEM_S_NO_ERROR;
    });
}

void WbemEventRouter::ReleaseProviders()
{
    std::vector<Subscription> ended;
    std::map<std::wstring, std::shared_ptr<ProviderEntry>> released;
    {
        const CheckedMutexLock guard(m_state->lock);
        ended.swap(m_state->subscriptions);
        released.swap(m_state->providers);
    }
    EndSubscriptions(ended);
    // The providers go here, outside the lock: a provider's last Release stops its threads,
    // which may still be indicating.
}

HRESULT WbemEventRouter::Subscribe(const wchar_t* language, const wchar_t* query, IWbemObjectSink* sink)
{
    if (language == nullptr || query == nullptr || sink == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    if (!WbemQueryParser::IsWql(language))
        return WBEM_E_INVALID_QUERY_TYPE;
    // A refusal carries its reason to the caller as the thread's error information.
    std::wstring reason;
    ComPtr<IWbemClassObject> providerReason;
    const HRESULT result = WbemCall::Run([&]() -> HRESULT {
        WbemQueryParser::Selection selection;
        HRESULT hr = WbemQueryParser::Parse(query, &selection, &reason);
        if (FAILED(hr))
        {
            reason = L"The query cannot be read: " + reason + L".";
            return hr;
        }
        if (selection.association)
        {
            reason = L"Only SELECT queries can be watched.";
            return WBEM_E_INVALID_QUERY;
        }
        const std::wstring& className = selection.className;
        ComPtr<WbemClassObject> definition;
        if (FAILED(m_repository.GetClass(className, &definition)))
        {
            reason = L"There is no class " + className + L".";
            return WBEM_E_INVALID_CLASS;
        }
        if (definition->InheritsFrom(kEventRoot) != WBEM_S_NO_ERROR)
        {
            reason = L"Class " + className + L" is not an event class.";
            return WBEM_E_NOT_EVENT_CLASS;
        }

        // A WHERE clause nobody can evaluate is refused: the consumer would otherwise receive
        // every event of the class, the ones the clause excludes included.
        WbemEventFilterFactory::Filter filter;
        if (selection.hasWhere)
        {
            std::shared_ptr<const WbemEventFilterFactory> filters;
            {
                const CheckedMutexLock guard(m_state->lock);
                filters = m_state->filters;
            }
            if (filters == nullptr)
            {
                reason = L"No one here can evaluate the WHERE clause of an event query.";
                return WBEM_E_INVALID_QUERY;
            }
            hr = filters->CreateFilter(query, definition.Get(), &filter, &reason);
            if (FAILED(hr))
            {
                reason = L"The WHERE clause cannot be evaluated on " + className + L" events: " + reason + L".";
                return hr;
            }
        }

        std::shared_ptr<ProviderEntry> provider;
        {
            const CheckedMutexLock guard(m_state->lock);
            for (const auto& [name, entry] : m_state->providers)
            {
                if (IsOrDerivesFrom(definition.Get(), className, entry->eventClass))
                {
                    provider = entry;
                    break;
                }
            }
        }
        if (provider == nullptr)
        {
            reason = L"No provider sends " + className + L" events.";
            return WBEM_E_PROVIDER_NOT_FOUND;
        }

        std::vector<BYTE> sid = CallerSid();
        if (provider->security != nullptr)
        {
            // A provider's check may leave its reason as the thread's error information.
            WbemErrorInfo::Set(nullptr);
            hr = provider->security->AccessCheck(language, query, static_cast<LONG>(sid.size()),
                                                 sid.empty() ? nullptr : sid.data());
            if (FAILED(hr))
            {
                providerReason = WbemErrorInfo::Take();
                return hr;
            }
        }

        ULONG id = 0;
        {
            const CheckedMutexLock guard(m_state->lock);
            id = m_state->nextId++;
            m_state->subscriptions.push_back(Subscription{id, className, ComPtr<IWbemObjectSink>(sink), provider,
                                                          std::move(filter), std::move(sid)});
        }
        std::wstring languageText(language);
        std::wstring queryText(query);
        provider->queries->NewQuery(id, languageText.data(), queryText.data());
        return WBEM_S_NO_ERROR;
    });
    if (FAILED(result) && !reason.empty())
        WbemErrorInfo::Set(m_repository.NewRefusal(result, reason).Get());
    else
        WbemErrorInfo::Set(FAILED(result) ? providerReason.Get() : nullptr);
    return result;
}

HRESULT WbemEventRouter::Cancel(IWbemObjectSink* sink)
{
    if (sink == nullptr)
        return WBEM_E_INVALID_PARAMETER;
    std::vector<Subscription> ended;
    {
        const CheckedMutexLock guard(m_state->lock);
        auto& subscriptions = m_state->subscriptions;
        for (auto it = subscriptions.begin(); it != subscriptions.end();)
        {
            if (it->sink.Get() == sink)
            {
                ended.push_back(std::move(*it));
                it = subscriptions.erase(it);
            }
            else
            {
                ++it;
            }
        }
    }
    if (ended.empty())
        return WBEM_E_NOT_FOUND;
    EndSubscriptions(ended);
    return WBEM_S_NO_ERROR;
}

void WbemEventRouter::SetFilterFactory(std::shared_ptr<const WbemEventFilterFactory> factory)
{
    const CheckedMutexLock guard(m_state->lock);
    m_state->filters = std::move(factory);
}

std::size_t WbemEventRouter::GetSubscriptionCount() const
{
    const CheckedMutexLock guard(m_state->lock);
    return m_state->subscriptions.size();
}
