// WbemServiceNamespace: one namespace of the WMI service stand-in, as an IWbemServices. Class
// requests (GetObject with a class path, CreateClassEnum, and their asynchronous forms) are
// answered from the namespace's WbemRepository, except a class path whose class carries the
// qualifier "ClassProvider" (true): its provider builds that definition for each caller, so the
// request goes to the provider as an instance request would; so does a class path that the
// repository does not keep but a provider builds at run time. Instance requests (GetObject with a keyed
// path, CreateInstanceEnum, ExecQuery in WQL, PutInstance, DeleteInstance, ExecMethod, each
// synchronous or asynchronous) go to the provider that the class's "Provider" qualifier
// names, through the provider's asynchronous method and a forwarding sink; a synchronous call
// waits for the provider's single final status. A deep enumeration or query of an abstract class
// reads each of its concrete descendants from its provider in turn; a query's select list trims
// what comes back to the selected properties and the keys. Calls are made on the caller's own thread,
// so the caller identity of that thread (platform/security) stays in effect for the
// provider, and the caller's context reaches the provider unchanged.
//
// A provider is any object implementing IWbemServices and IWbemProviderInit; RegisterProvider
// initialises it with this namespace as its services. Errors found by the namespace itself
// are those the WMI service gives: WBEM_E_NOT_FOUND for an unknown class path,
// WBEM_E_INVALID_CLASS for an instance request on an unknown class or an enumeration below
// one, WBEM_E_INVALID_OBJECT_PATH, WBEM_E_INVALID_QUERY, WBEM_E_INVALID_QUERY_TYPE,
// WBEM_E_INVALID_METHOD, WBEM_E_INVALID_NAMESPACE for a path of another namespace,
// WBEM_E_PROVIDER_NOT_FOUND when the named provider is not registered. A class that no
// provider serves has no instances: its enumerations are empty, a keyed get or a delete is
// WBEM_E_NOT_FOUND, a put or a method WBEM_E_NOT_SUPPORTED.
//
// The asynchronous forms return WBEM_E_INVALID_PARAMETER for a null sink or a null required
// argument (nothing reported); otherwise they return WBEM_S_NO_ERROR and the sink receives
// the objects and exactly one final status, with the provider's status object. A failed
// synchronous call leaves the status object in WbemErrorInfo. Event subscriptions
// (ExecNotificationQueryAsync, CancelAsyncCall) go to the event providers (WbemEventRouter).
// OpenNamespace, QueryObjectSink, the class-writing methods and the synchronous notification
// query are not offered: they clear their out-pointers and answer WBEM_E_NOT_SUPPORTED
// (WbemServicesBase).
//
// Owned through its reference count (atomic). A registered provider holds a reference to the
// namespace and the namespace one to the provider: the owner calls ReleaseProviders before
// letting go. Thread-safe: the provider table is guarded by m_lock, which is never held while
// a provider runs, so providers may call back into the namespace (nested requests).
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemServices.h"
#include "platform/wmi/WbemEventRouter.h"
#include "platform/wmi/WbemRepository.h"
#include "platform/wmi/WbemServicesBase.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

class WbemForwardingSink;

class WbemServiceNamespace final : public RefCounted<WbemServiceNamespace, WbemServicesBase>
{
public:
    // How long a synchronous call or a provider's initialisation waits for its status.
    static constexpr std::chrono::milliseconds kDefaultProviderTimeout = std::chrono::minutes(5);

    // A namespace answering from `repository` (not null), named as the repository is.
    static ComPtr<WbemServiceNamespace> Create(std::shared_ptr<WbemRepository> repository);

    // Use Create; public only for MakeComObject.
    explicit WbemServiceNamespace(std::shared_ptr<WbemRepository> repository);

    // The repository the namespace answers from; lives as long as the namespace.
    WbemRepository& Repository() const { return *m_repository; }

    // Initialises `provider` (IWbemProviderInit::Initialize with `user`, flags 0, this
    // namespace's name, `locale`, this namespace as its services, `context` and an init sink),
    // waits for its status and, when it is WBEM_S_INITIALIZED, serves the classes whose
    // "Provider" qualifier is `name` (compared without regard to case) through it.
    // WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER for an empty name, a null provider or one
    // without IWbemServices and IWbemProviderInit; WBEM_E_ALREADY_EXISTS for a name in use;
    // the HRESULT Initialize returned or the failure it reported; WBEM_E_PROVIDER_TIMED_OUT
    // when it reported nothing in time.
    HRESULT RegisterProvider(const std::wstring& name, IUnknown* provider, LPCWSTR user, LPCWSTR locale,
                             IWbemContext* context);
    // Loads an event provider for `eventClass` and its subclasses (WbemEventRouter); results
    // as WbemEventRouter::RegisterEventProvider.
    HRESULT RegisterEventProvider(const std::wstring& name, IUnknown* provider, const std::wstring& eventClass,
                                  LPCWSTR user, LPCWSTR locale, IWbemContext* context);
    // The event side of the namespace; lives as long as the namespace.
    WbemEventRouter& Events() { return m_events; }
    // Gives back every registered provider, event providers included (their subscriptions are
    // cancelled first); their classes answer WBEM_E_PROVIDER_NOT_FOUND from then on.
    void ReleaseProviders();
    // Changes how long synchronous calls and initialisations wait (kDefaultProviderTimeout).
    void SetProviderTimeout(std::chrono::milliseconds timeout);

    HRESULT QueryInterface(REFIID iid, void** object) override;
    // An empty or null path gives a new empty class; a class path a copy of the class (the
    // provider's definition for a "ClassProvider" class); a keyed path the provider's instance
    // (WBEM_E_NOT_FOUND when it sends none).
    HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                      IWbemCallResult** callResult) override;
    HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    // Copies of the classes below the superclass (null or empty: the root); WBEM_FLAG_SHALLOW
    // gives direct subclasses only.
    HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                            IEnumWbemClassObject** enumerator) override;
    HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                 IWbemObjectSink* responseHandler) override;
    // The call result (when asked for) carries the written instance's path as its string.
    HRESULT PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                        IWbemCallResult** callResult) override;
    HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                             IWbemObjectSink* responseHandler) override;
    HRESULT DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemCallResult** callResult) override;
    HRESULT DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                IWbemObjectSink* responseHandler) override;
    HRESULT CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                               IEnumWbemClassObject** enumerator) override;
    HRESULT CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                    IWbemObjectSink* responseHandler) override;
    HRESULT ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                      IEnumWbemClassObject** enumerator) override;
    HRESULT ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    // *outParams receives the object the method indicated (null when it sent none).
    HRESULT ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                       IWbemClassObject* inParams, IWbemClassObject** outParams, IWbemCallResult** callResult) override;
    HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                            IWbemClassObject* inParams, IWbemObjectSink* responseHandler) override;
    // Event subscriptions (WbemEventRouter::Subscribe and Cancel).
    HRESULT ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                       IWbemObjectSink* responseHandler) override;
    HRESULT CancelAsyncCall(IWbemObjectSink* sink) override;

private:
    friend class RefCounted<WbemServiceNamespace, WbemServicesBase>;
    ~WbemServiceNamespace() = default;

    // Starts one request that reports to the sink; it ends the request itself or leaves the
    // ending to a provider.
    using Request = std::function<void(WbemForwardingSink& reply)>;
    // The provider's asynchronous call for a routed request.
    using ProviderCall = std::function<HRESULT(IWbemServices* provider, IWbemObjectSink* sink)>;

    struct Outcome
    {
        HRESULT result = WBEM_S_NO_ERROR;
        std::vector<ComPtr<IWbemClassObject>> objects;
        std::wstring resultText;
    };

    // The asynchronous skeleton: runs the request against the caller's sink.
    HRESULT Answer(IWbemObjectSink* sink, const Request& request);
    // The synchronous skeleton: runs the request, waits for its final status and records the
    // status object of a failure in WbemErrorInfo.
    Outcome Collect(const Request& request);
    // The synchronous skeleton of an enumeration: collects the request and hands its objects
    // out in a new enumerator (*enumerator null on failure; enumerator not null).
    HRESULT Enumerate(const Request& request, IEnumWbemClassObject** enumerator);
    // Starts the request inside a guard that ends it with WBEM_E_OUT_OF_MEMORY or
    // WBEM_E_PROVIDER_FAILURE when something is thrown.
    static void Start(const Request& request, WbemForwardingSink& reply);

    // The requests.
    void GetObjectRequest(std::wstring_view path, BSTR pathText, LONG flags, IWbemContext* context,
                          WbemForwardingSink& reply);
    void ClassEnumRequest(std::wstring_view superclass, LONG flags, WbemForwardingSink& reply);
    void InstanceEnumRequest(BSTR className, LONG flags, IWbemContext* context, WbemForwardingSink& reply);
    void QueryRequest(BSTR language, BSTR query, LONG flags, IWbemContext* context, WbemForwardingSink& reply);
    void PutInstanceRequest(IWbemClassObject* instance, LONG flags, IWbemContext* context, WbemForwardingSink& reply);
    void DeleteInstanceRequest(BSTR path, LONG flags, IWbemContext* context, WbemForwardingSink& reply);
    void ExecMethodRequest(BSTR path, BSTR method, LONG flags, IWbemContext* context, IWbemClassObject* inParams,
                           WbemForwardingSink& reply);

    // Hands an instance request on `className` to the class's provider. A class no provider
    // serves ends with `unprovided`.
    void Route(std::wstring_view className, HRESULT unprovided, WbemForwardingSink& reply, const ProviderCall& call);
    // The provider's call for one class of a request that spans several.
    using ClassCall =
        std::function<HRESULT(const std::wstring& className, IWbemServices* provider, IWbemObjectSink* sink)>;
    // Answers one request over several classes: each class's request is routed and run to its
    // end in turn, its objects (trimmed to `selected` and the keys when `selected` is not
    // empty) are passed on as they arrive, and one final status ends it: the first failure,
    // else the first success code other than WBEM_S_NO_ERROR (a class refused to the
    // caller), else success.
    void Combine(const std::vector<std::wstring>& classes, const std::vector<std::wstring>& selected,
                 WbemForwardingSink& reply, const ClassCall& call);
    // The classes whose instances a request on `className` reads: the class itself, or, for a
    // deep request on an abstract class, its concrete descendants (as the service reads a deep
    // enumeration class by class), in the repository's order.
    std::vector<std::wstring> ServedClasses(std::wstring_view className, LONG flags) const;
    // True when the class carries the qualifier `name` = true.
    static bool HasTrueQualifier(IWbemClassObject* classObject, LPCWSTR name);
    // The classes the registered providers build at run time below `superclass` (their
    // CreateClassEnumAsync with `flags`), each with the name of the provider that listed it. A
    // provider whose listing fails or times out contributes none.
    std::vector<std::pair<std::wstring, ComPtr<IWbemClassObject>>> RuntimeClasses(std::wstring_view superclass,
                                                                                  LONG flags) const;
    // The provider that builds the class at run time; empty when none lists it.
    std::wstring RuntimeClassProvider(std::wstring_view className) const;
    // The class named by a path and whether it names an instance: true; false when the path
    // does not parse or names another namespace, after finishing `reply` as GetObject fails
    // (with a status object saying why).
    bool ReadPath(std::wstring_view path, std::wstring* className, bool* instance, WbemForwardingSink& reply) const;
    // Finishes `reply` with the service's own refusal and its reason.
    void Refuse(WbemForwardingSink& reply, HRESULT status, const std::wstring& reason) const;
    // The registered provider of that name; null when there is none.
    ComPtr<IWbemServices> FindProvider(const std::wstring& name) const;
    std::chrono::milliseconds Timeout() const;

    // Set at construction.
    const std::shared_ptr<WbemRepository> m_repository;
    WbemEventRouter m_events;

    mutable CheckedMutex m_lock;
    // Providers by upper-cased name, and the wait limit.
    std::map<std::wstring, ComPtr<IWbemServices>> m_providers GUARDED_BY(m_lock);
    std::chrono::milliseconds m_timeout GUARDED_BY(m_lock) = kDefaultProviderTimeout;
};
