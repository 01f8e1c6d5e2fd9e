// ProvixaSoftwareEventProviderShell: the COM shell of the host's software event provider: the
// object the WMI service stand-in loads as the event provider of the instance operation
// events. It constructs the library's exported CWmipSoftwareEventProvider and forwards
// IWbemProviderInit::Initialize, IWbemEventProvider::ProvideEvents,
// IWbemEventProviderQuerySink::NewQuery and CancelQuery and
// IWbemEventProviderSecurity::AccessCheck to it, as the outside shell does; the host hands it
// software events through Provider() as the installation's services would.
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

class CWmipSoftwareEventProvider;

class ProvixaSoftwareEventProviderShell final
    : public RefCounted<ProvixaSoftwareEventProviderShell, IWbemProviderInit, IWbemEventProvider,
                        IWbemEventProviderQuerySink, IWbemEventProviderSecurity>
{
public:
    // The identifier the host's software event provider registers under.
    static constexpr wchar_t kProviderId[] = L"BntSoftwareEventProvider";
    // The event class it serves, with its subclasses.
    static constexpr wchar_t kEventClass[] = L"__InstanceOperationEvent";

    static ComPtr<ProvixaSoftwareEventProviderShell> Create();

    // Use Create; public only for MakeComObject.
    ProvixaSoftwareEventProviderShell();

    // IUnknown and the four provider interfaces; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                       IWbemContext* context, IWbemProviderInitSink* initSink) override;
    HRESULT ProvideEvents(IWbemObjectSink* sink, LONG flags) override;
    HRESULT NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query) override;
    HRESULT CancelQuery(ULONG id) override;
    HRESULT AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid) override;

    // The provider; valid while the shell lives.
    CWmipSoftwareEventProvider& Provider() const { return *m_provider; }

private:
    friend class RefCounted<ProvixaSoftwareEventProviderShell, IWbemProviderInit, IWbemEventProvider,
                            IWbemEventProviderQuerySink, IWbemEventProviderSecurity>;
    ~ProvixaSoftwareEventProviderShell();

    const std::unique_ptr<CWmipSoftwareEventProvider> m_provider;
};
