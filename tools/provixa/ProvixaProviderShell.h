// ProvixaProviderShell: the COM provider shell of the host: the object the WMI service
// stand-in loads as the "BntProvider" provider. It constructs the library's exported
// CWmipInstanceProvider and forwards IWbemProviderInit::Initialize and every IWbemServices
// method to it, as the outside shell that the WMI service loads does.
//
// Owned through its reference count (atomic); it owns the instance provider, which holds the
// namespace it was initialised with until the shell goes. Thread-safe as the instance
// provider is: the shell keeps no state of its own.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemProviderInit.h"
#include "platform/wmi/IWbemServices.h"

#include <memory>

class CWmipInstanceProvider;

class ProvixaProviderShell final : public RefCounted<ProvixaProviderShell, IWbemServices, IWbemProviderInit>
{
public:
    static ComPtr<ProvixaProviderShell> Create();

    // Use Create; public only for MakeComObject.
    ProvixaProviderShell();

    // IUnknown, IWbemServices and IWbemProviderInit; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                       IWbemContext* context, IWbemProviderInitSink* initSink) override;
    HRESULT OpenNamespace(const BSTR ns, LONG flags, IWbemContext* context, IWbemServices** workingNamespace,
                          IWbemCallResult** result) override;
    HRESULT CancelAsyncCall(IWbemObjectSink* sink) override;
    HRESULT QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler) override;
    HRESULT GetObject(const BSTR objectPath, LONG flags, IWbemContext* context, IWbemClassObject** object,
                      IWbemCallResult** callResult) override;
    HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    HRESULT PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                     IWbemCallResult** callResult) override;
    HRESULT PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                          IWbemObjectSink* responseHandler) override;
    HRESULT DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                        IWbemCallResult** callResult) override;
    HRESULT DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                             IWbemObjectSink* responseHandler) override;
    HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                            IEnumWbemClassObject** enumerator) override;
    HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                 IWbemObjectSink* responseHandler) override;
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
    HRESULT ExecNotificationQuery(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                                  IEnumWbemClassObject** enumerator) override;
    HRESULT ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                       IWbemContext* context, IWbemObjectSink* responseHandler) override;
    HRESULT ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                       IWbemClassObject* inParams, IWbemClassObject** outParams,
                       IWbemCallResult** callResult) override;
    HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                            IWbemClassObject* inParams, IWbemObjectSink* responseHandler) override;

private:
    friend class RefCounted<ProvixaProviderShell, IWbemServices, IWbemProviderInit>;
    ~ProvixaProviderShell();

    // Set at construction.
    const std::unique_ptr<CWmipInstanceProvider> m_provider;
};
