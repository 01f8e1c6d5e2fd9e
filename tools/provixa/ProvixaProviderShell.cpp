#include "tools/provixa/ProvixaProviderShell.h"

#include "provider/CWmipInstanceProvider.h"

ComPtr<ProvixaProviderShell> ProvixaProviderShell::Create()
{
    return MakeComObject<ProvixaProviderShell>();
}

ProvixaProviderShell::ProvixaProviderShell() : m_provider(std::make_unique<CWmipInstanceProvider>())
{
}

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

HRESULT ProvixaProviderShell::Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale,
                                         IWbemServices* services, IWbemContext* context,
                                         IWbemProviderInitSink* initSink)
{
    return m_provider->Initialize(user, flags, ns, locale, services, context, initSink);
}

HRESULT ProvixaProviderShell::OpenNamespace(const BSTR ns, LONG flags, IWbemContext* context,
                                            IWbemServices** workingNamespace, IWbemCallResult** result)
{
    return m_provider->OpenNamespace(ns, flags, context, workingNamespace, result);
}

HRESULT ProvixaProviderShell::CancelAsyncCall(IWbemObjectSink* sink)
{
    return m_provider->CancelAsyncCall(sink);
}

HRESULT ProvixaProviderShell::QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler)
{
    return m_provider->QueryObjectSink(flags, responseHandler);
}

HRESULT ProvixaProviderShell::GetObject(const BSTR objectPath, LONG flags, IWbemContext* context,
                                        IWbemClassObject** object, IWbemCallResult** callResult)
{
    return m_provider->GetObject(objectPath, flags, context, object, callResult);
}

HRESULT ProvixaProviderShell::GetObjectAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemObjectSink* responseHandler)
{
    return m_provider->GetObjectAsync(objectPath, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                       IWbemCallResult** callResult)
{
    return m_provider->PutClass(object, flags, context, callResult);
}

HRESULT ProvixaProviderShell::PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                            IWbemObjectSink* responseHandler)
{
    return m_provider->PutClassAsync(object, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult)
{
    return m_provider->DeleteClass(className, flags, context, callResult);
}

HRESULT ProvixaProviderShell::DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* responseHandler)
{
    return m_provider->DeleteClassAsync(className, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                                              IEnumWbemClassObject** enumerator)
{
    return m_provider->CreateClassEnum(superclass, flags, context, enumerator);
}

HRESULT ProvixaProviderShell::CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                                   IWbemObjectSink* responseHandler)
{
    return m_provider->CreateClassEnumAsync(superclass, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                          IWbemCallResult** callResult)
{
    return m_provider->PutInstance(instance, flags, context, callResult);
}

HRESULT ProvixaProviderShell::PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                               IWbemObjectSink* responseHandler)
{
    return m_provider->PutInstanceAsync(instance, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::DeleteInstance(const BSTR objectPath, LONG flags, IWbemContext* context,
                                             IWbemCallResult** callResult)
{
    return m_provider->DeleteInstance(objectPath, flags, context, callResult);
}

HRESULT ProvixaProviderShell::DeleteInstanceAsync(const BSTR objectPath, LONG flags, IWbemContext* context,
                                                  IWbemObjectSink* responseHandler)
{
    return m_provider->DeleteInstanceAsync(objectPath, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::CreateInstanceEnum(const BSTR filter, LONG flags, IWbemContext* context,
                                                 IEnumWbemClassObject** enumerator)
{
    return m_provider->CreateInstanceEnum(filter, flags, context, enumerator);
}

HRESULT ProvixaProviderShell::CreateInstanceEnumAsync(const BSTR filter, LONG flags, IWbemContext* context,
                                                      IWbemObjectSink* responseHandler)
{
    return m_provider->CreateInstanceEnumAsync(filter, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::ExecQuery(const BSTR queryLanguage, const BSTR query, LONG flags,
                                        IWbemContext* context, IEnumWbemClassObject** enumerator)
{
    return m_provider->ExecQuery(queryLanguage, query, flags, context, enumerator);
}

HRESULT ProvixaProviderShell::ExecQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                             IWbemContext* context, IWbemObjectSink* responseHandler)
{
    return m_provider->ExecQueryAsync(queryLanguage, query, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::ExecNotificationQuery(const BSTR queryLanguage, const BSTR query, LONG flags,
                                                    IWbemContext* context, IEnumWbemClassObject** enumerator)
{
    return m_provider->ExecNotificationQuery(queryLanguage, query, flags, context, enumerator);
}

HRESULT ProvixaProviderShell::ExecNotificationQueryAsync(const BSTR queryLanguage, const BSTR query, LONG flags,
                                                         IWbemContext* context, IWbemObjectSink* responseHandler)
{
    return m_provider->ExecNotificationQueryAsync(queryLanguage, query, flags, context, responseHandler);
}

HRESULT ProvixaProviderShell::ExecMethod(const BSTR objectPath, const BSTR methodName, LONG flags,
                                         IWbemContext* context, IWbemClassObject* inParams,
                                         IWbemClassObject** outParams, IWbemCallResult** callResult)
{
    return m_provider->ExecMethod(objectPath, methodName, flags, context, inParams, outParams, callResult);
}

HRESULT ProvixaProviderShell::ExecMethodAsync(const BSTR objectPath, const BSTR methodName, LONG flags,
                                              IWbemContext* context, IWbemClassObject* inParams,
                                              IWbemObjectSink* responseHandler)
{
    return m_provider->ExecMethodAsync(objectPath, methodName, flags, context, inParams, responseHandler);
}
