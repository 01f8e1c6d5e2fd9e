// ProvixaEventProviderShell: the COM shell of the host's hardware event provider: the object
// the WMI service stand-in loads as an event provider. It constructs the library's exported
// CWmipHardwareEventProvider and forwards IWbemProviderInit::Initialize,
// IWbemEventProvider::ProvideEvents, IWbemEventProviderQuerySink::NewQuery and CancelQuery and
// IWbemEventProviderSecurity::AccessCheck to it, as the outside shell does; the host hands it
// records through Provider() as the communication server would.
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

class CWmipHardwareEventProvider;

class ProvixaEventProviderShell final
    : public RefCounted<ProvixaEventProviderShell, IWbemProviderInit, IWbemEventProvider, IWbemEventProviderQuerySink,
                        IWbemEventProviderSecurity>
{
public:
    // The identifier the host's hardware event provider registers under.
    static constexpr wchar_t kProviderId[] = L"BntHardwareEventProvider";

    static ComPtr<ProvixaEventProviderShell> Create();

    // Use Create; public only for MakeComObject.
    ProvixaEventProviderShell();

    // IUnknown and the four provider interfaces; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    HRESULT Initialize(LPWSTR user, LONG flags, LPWSTR ns, LPWSTR locale, IWbemServices* services,
                       IWbemContext* context, IWbemProviderInitSink* initSink) override;
    HRESULT ProvideEvents(IWbemObjectSink* sink, LONG flags) override;
    HRESULT NewQuery(ULONG id, LPWSTR queryLanguage, LPWSTR query) override;
    HRESULT CancelQuery(ULONG id) override;
    HRESULT AccessCheck(LPCWSTR queryLanguage, LPCWSTR query, LONG sidLength, const BYTE* sid) override;

    // The provider; valid while the shell lives.
    CWmipHardwareEventProvider& Provider() const { return *m_provider; }

private:
    friend class RefCounted<ProvixaEventProviderShell, IWbemProviderInit, IWbemEventProvider,
                            IWbemEventProviderQuerySink, IWbemEventProviderSecurity>;
    ~ProvixaEventProviderShell();

    const std::unique_ptr<CWmipHardwareEventProvider> m_provider;
};
