// ProvixaEventProviderShellOf: the COM shell of one of the host's event providers: the object
// the WMI service stand-in loads as an event provider. It constructs the library's exported
// provider (Traits::Provider, under Traits::kProviderId) and forwards
// IWbemProviderInit::Initialize, IWbemEventProvider::ProvideEvents,
// IWbemEventProviderQuerySink::NewQuery and CancelQuery and IWbemEventProviderSecurity::AccessCheck
// to it, as the outside shell does; the host hands it events through Provider() as the
// installation's services would. Traits' constants are the shell's own (kProviderId, ...).
//
// Owned through its reference count (atomic); it owns the provider. Thread-safe as the
// provider is.
#pragma once

#include <memory>

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemEventProvider.h"
#include "platform/wmi/IWbemEventProviderQuerySink.h"
#include "platform/wmi/IWbemEventProviderSecurity.h"
#include "platform/wmi/IWbemProviderInit.h"

template <class Traits>
class ProvixaEventProviderShellOf final
    : public Traits,
      public RefCounted<ProvixaEventProviderShellOf<Traits>, IWbemProviderInit, IWbemEventProvider,
                        IWbemEventProviderQuerySink, IWbemEventProviderSecurity>
{
public:
    using ProviderType = typename Traits::Provider;

    static ComPtr<ProvixaEventProviderShellOf> Create() { return MakeComObject<ProvixaEventProviderShellOf>(); }

    // Use Create; public only for MakeComObject.
    ProvixaEventProviderShellOf() : m_provider(std::make_unique<ProviderType>(Traits::kProviderId)) {}

    // IUnknown and the four provider interfaces; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override
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
        this->AddRef();
        return S_OK;
    }

    HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                       IWbemContext* context, IWbemProviderInitSink* initSink) override
    {
        return m_provider->Initialize(user, flags, ns, locale, services, context, initSink);
    }
    HRESULT ProvideEvents(IWbemObjectSink* sink, LONG flags) override { return m_provider->ProvideEvents(sink, flags); }
    HRESULT NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query) override
    {
        return m_provider->NewQuery(id, queryLanguage, query);
    }
    HRESULT CancelQuery(ULONG id) override { return m_provider->CancelQuery(id); }
    HRESULT AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid) override
    {
        return m_provider->AccessCheck(queryLanguage, query, sidLength, sid);
    }

    // The provider; valid while the shell lives.
    ProviderType& Provider() const { return *m_provider; }

private:
    friend class RefCounted<ProvixaEventProviderShellOf<Traits>, IWbemProviderInit, IWbemEventProvider,
                            IWbemEventProviderQuerySink, IWbemEventProviderSecurity>;
    ~ProvixaEventProviderShellOf() = default;

    const std::unique_ptr<ProviderType> m_provider;
};
