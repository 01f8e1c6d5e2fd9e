#include "tools/provixa/ProvixaSoftwareEventProviderShell.h"

#include "provider/CWmipSoftwareEventProvider.h"

ComPtr<ProvixaSoftwareEventProviderShell> ProvixaSoftwareEventProviderShell::Create()
{
    return MakeComObject<ProvixaSoftwareEventProviderShell>();
}

ProvixaSoftwareEventProviderShell::ProvixaSoftwareEventProviderShell()
    : m_provider(std::make_unique<CWmipSoftwareEventProvider>(kProviderId))
{
}

ProvixaSoftwareEventProviderShell::~ProvixaSoftwareEventProviderShell() = default;

HRESULT ProvixaSoftwareEventProviderShell::QueryInterface(REFIID iid, void** object)
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

HRESULT ProvixaSoftwareEventProviderShell::Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale,
                                              IWbemServices* services, IWbemContext* context,
                                              IWbemProviderInitSink* initSink)
{
    return m_provider->Initialize(user, flags, ns, locale, services, context, initSink);
}

HRESULT ProvixaSoftwareEventProviderShell::ProvideEvents(IWbemObjectSink* sink, LONG flags)
{
    return m_provider->ProvideEvents(sink, flags);
}

HRESULT ProvixaSoftwareEventProviderShell::NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query)
{
    return m_provider->NewQuery(id, queryLanguage, query);
}

HRESULT ProvixaSoftwareEventProviderShell::CancelQuery(ULONG id)
{
    return m_provider->CancelQuery(id);
}

HRESULT ProvixaSoftwareEventProviderShell::AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid)
{
    return m_provider->AccessCheck(queryLanguage, query, sidLength, sid);
}
