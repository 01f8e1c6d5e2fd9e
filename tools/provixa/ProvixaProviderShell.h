// ProvixaProviderShell: the COM provider shell of the host: the object the WMI service
// stand-in loads as the "BntProvider" provider. It constructs the library's exported
// CWmipInstanceProvider and forwards IWbemProviderInit::Initialize and the asynchronous
// IWbemServices methods to it, as the outside shell that the WMI service loads does. The
// synchronous and class-writing methods, which the instance provider does not support
// either, set their out-pointers to null and answer WBEM_E_NOT_SUPPORTED (WbemServicesBase).
//
// Owned through its reference count (atomic); it owns the instance provider, which holds the
// namespace it was initialised with until the shell goes. Thread-safe as the instance
// provider is: the shell keeps no state of its own.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemProviderInit.h"
#include "platform/wmi/WbemServicesBase.h"

#include <memory>

class CWmipInstanceProvider;

class ProvixaProviderShell final : public RefCounted<ProvixaProviderShell, WbemServicesBase, IWbemProviderInit>
{
public:
    static ComPtr<ProvixaProviderShell> Create();

    // Use Create; public only for MakeComObject.
    ProvixaProviderShell();

    // IUnknown, IWbemServices and IWbemProviderInit; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                       IWbemContext* context, IWbemProviderInitSink* initSink) override;
    // The asynchronous methods answer what the instance provider answers.
    HRESULT GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                 IWbemObjectSink* responseHandler) override;
    HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                             IWbemObjectSink* responseHandler) override;
    HRESULT DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                IWbemObjectSink* responseHandler) override;
    HRESULT CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                    IWbemObjectSink* responseHandler) override;
    HRESULT ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags, IWbemContext* context,
                           IWbemObjectSink* responseHandler) override;
    HRESULT ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags, IWbemContext* context,
                            IWbemClassObject* inParams, IWbemObjectSink* responseHandler) override;

private:
    friend class RefCounted<ProvixaProviderShell, WbemServicesBase, IWbemProviderInit>;
    ~ProvixaProviderShell();

    // Set at construction.
    const std::unique_ptr<CWmipInstanceProvider> m_provider;
};
