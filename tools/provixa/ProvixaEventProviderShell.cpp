#include "tools/provixa/ProvixaEventProviderShell.h"

#include "provider/CWmipHardwareEventProvider.h"

ComPtr<ProvixaEventProviderShell> ProvixaEventProviderShell::Create()
{
    return MakeComObject<ProvixaEventProviderShell>();
}

ProvixaEventProviderShell::ProvixaEventProviderShell()
    : m_provider(std::make_unique<CWmipHardwareEventProvider>(kProviderId))
{
}

ProvixaEventProviderShell::~ProvixaEventProviderShell() = default;

HRESULT ProvixaEventProviderShell::QueryInterface(REFIID iid, void** object)
{
    if (object == nullptr)
        return E_POINTER;
    *object = nullptr;
    if (iid == IUnknown::kIID || iid == IWbemProviderInit::kIID)
        *object = static_cast<IWbemProviderInit*>(this);
    else if (iid == IWbemEventProvider::kIID)
        *object = static_cast<IWbemEventProvider*>(this);
    else if (iid == IWbemEventProviderQuerySink::kIID)
        *object = static_cast<IWbemEventProviderQuerySink*>(this);
    else if (iid == IWbemEventProviderSecurity::kIID)
        *object = static_cast<IWbemEventProviderSecurity*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT ProvixaEventProviderShell::Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale,
                                              IWbemServices* services, IWbemContext* context,
                                              IWbemProviderInitSink* initSink)
{
    return m_provider->Initialize(user, flags, ns, locale, services, context, initSink);
}

HRESULT ProvixaEventProviderShell::ProvideEvents(IWbemObjectSink* sink, LONG flags)
{
    return m_provider->ProvideEvents(sink, flags);
}

HRESULT ProvixaEventProviderShell::NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query)
{
    return m_provider->NewQuery(id, queryLanguage, query);
}

HRESULT ProvixaEventProviderShell::CancelQuery(ULONG id)
{
    return m_provider->CancelQuery(id);
}

HRESULT ProvixaEventProviderShell::AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid)
{
    return m_provider->AccessCheck(queryLanguage, query, sidLength, sid);
}
