#include "tools/provixa/ProvixaProviderShell.h"

#include "provider/CWmipInstanceProvider.h"

ComPtr<ProvixaProviderShell> ProvixaProviderShell::Create()
{
    return MakeComObject<ProvixaProviderShell>();
}

ProvixaProviderShell::ProvixaProviderShell() : m_provider(std::make_unique<CWmipInstanceProvider>()) {}

ProvixaProviderShell::~ProvixaProviderShell() = default;

HRESULT ProvixaProviderShell::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIID || iid == IWbemServices::kIID)
        *object = static_cast<IWbemServices*>(this);
    else if (iid == IWbemProviderInit::kIID)
        *object = static_cast<IWbemProviderInit*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT ProvixaProviderShell::Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                                         IWbemContext* context, IWbemProviderInitSink* initSink)
{
    return m_provider->Initialize(user, flags, ns, locale, services, context, initSink);
}

HRESULT ProvixaProviderShell::GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* responseHandler)
{
    return m_provider->GetObjectAsync(objectPath, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                                   IWbemObjectSink* responseHandler)
{
    return m_provider->CreateClassEnumAsync(superclass, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* responseHandler)
{
    return m_provider->PutInstanceAsync(instance, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                                  IWbemObjectSink* responseHandler)
{
    return m_provider->DeleteInstanceAsync(objectPath, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                                      IWbemObjectSink* responseHandler)
{
    return m_provider->CreateInstanceEnumAsync(filter, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                             IWbemContext* context, IWbemObjectSink* responseHandler)
{
    return m_provider->ExecQueryAsync(queryLanguage, query, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParams,
                                              IWbemObjectSink* responseHandler)
{
    return m_provider->ExecMethodAsync(objectPath, methodName, flags, context, inParams, responseHandler);
}
