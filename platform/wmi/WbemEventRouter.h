// WbemEventRouter: the event side of one namespace of the WMI service stand-in. It loads
// event providers (each serving one event class and its subclasses), takes event queries
// from consumers (ExecNotificationQueryAsync), asks the provider of the query's class whether
// the calling account may subscribe (IWbemEventProviderSecurity::AccessCheck with the
// caller's SID), tells it of each query (IWbemEventProviderQuerySink::NewQuery, CancelQuery),
// and hands every event a provider indicates to each subscription whose class is the event's
// class or one of its superclasses and whose WHERE clause the event satisfies (the test made by
// the registered WbemEventFilterFactory). An event that carries a SECURITY_DESCRIPTOR reaches
// only the subscriptions whose consumer (the caller that subscribed) it grants
// WBEM_RIGHT_SUBSCRIBE (a consumer without a SID is granted nothing by a descriptor), and
// reaches them as a copy without the descriptor.
//
// Owned by its namespace. Thread-safe: the providers and the subscriptions live in a state
// shared with the sinks handed to the providers (so a provider thread that indicates late
// finds the state alive) and guarded by its lock, which is never held while a provider or a
// consumer's sink runs.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/win32/WinTypes.h"
#include "platform/wmi/WbemEventFilterFactory.h"

#include <chrono>
#include <memory>
#include <string>

class IWbemContext;
class IWbemObjectSink;
class IWbemServices;
class WbemRepository;

class WbemEventRouter
{
public:
    explicit WbemEventRouter(const WbemRepository& repository);
    // ReleaseProviders.
    ~WbemEventRouter();
    WbemEventRouter(const WbemEventRouter&) = delete;
    WbemEventRouter& operator=(const WbemEventRouter&) = delete;

    // Loads `provider` (IWbemProviderInit::Initialize with `services` as its namespace, then
    // IWbemEventProvider::ProvideEvents with a sink of this router) as the provider of
    // `eventClass` and its subclasses. WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER for an empty
    // name, a null provider or one without IWbemProviderInit, IWbemEventProvider and
    // IWbemEventProviderQuerySink; WBEM_E_INVALID_CLASS when the class is not stored or is no
    // event class; WBEM_E_ALREADY_EXISTS for a name in use; the failure of Initialize or
    // ProvideEvents.
    HRESULT RegisterEventProvider(const std::wstring& name, IUnknown* provider, const std::wstring& eventClass,
                                  IWbemServices* services, LPCWSTR user, LPCWSTR locale, IWbemContext* context,
                                  std::chrono::milliseconds timeout);
    // Cancels every subscription (each consumer's sink gets WBEM_E_CALL_CANCELLED) and gives
    // the providers back.
    void ReleaseProviders();

    // A subscription of `sink` to the events the WQL query selects. WBEM_S_NO_ERROR (the sink
    // receives the events until CancelAsyncCall, then one final status);
    // WBEM_E_INVALID_PARAMETER for a null query or sink; WBEM_E_INVALID_QUERY_TYPE for another
    // language; WBEM_E_INVALID_QUERY; WBEM_E_INVALID_CLASS for a class that is not stored;
    // WBEM_E_NOT_EVENT_CLASS; WBEM_E_PROVIDER_NOT_FOUND when no provider serves the class;
    // the provider's refusal from AccessCheck. WBEM_E_INVALID_QUERY too for a WHERE clause the
    // filter factory cannot evaluate, or any WHERE clause while no factory is registered.
    // Nothing is reported to the sink on failure.
    HRESULT Subscribe(const wchar_t* language, const wchar_t* query, IWbemObjectSink* sink);
    // Ends every subscription of the sink: the provider's CancelQuery, then the sink's final
    // status WBEM_E_CALL_CANCELLED. WBEM_S_NO_ERROR; WBEM_E_NOT_FOUND when the sink holds no
    // subscription; WBEM_E_INVALID_PARAMETER for a null sink.
    HRESULT Cancel(IWbemObjectSink* sink);

    // Makes the WHERE clauses of later subscriptions tests by `factory` (null: no factory, so
    // queries with a WHERE clause are refused). Subscriptions already made keep their test.
    void SetFilterFactory(std::shared_ptr<const WbemEventFilterFactory> factory);

    // The number of active subscriptions.
    std::size_t GetSubscriptionCount() const;

    // The providers and subscriptions, shared with the providers' sinks (defined in the .cpp).
    struct State;

private:
    const WbemRepository& m_repository;
    const std::shared_ptr<State> m_state;
};
