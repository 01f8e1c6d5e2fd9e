// WbemInitSink: the IWbemProviderInitSink that the WMI service stand-in hands a provider's
// Initialize; keeps the first status reported and lets the loading thread wait for it.
//
// Owned through its reference count (atomic); a report that arrives after the loader stopped
// waiting lands harmlessly. Thread-safe: the state is guarded by m_lock.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemProviderInitSink.h"

#include <string>

class IWbemContext;
class IWbemProviderInit;
class IWbemServices;

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>

class WbemInitSink final : public RefCounted<WbemInitSink, IWbemProviderInitSink>
{
public:
    static ComPtr<WbemInitSink> Create();

    // Use Create; public only for MakeComObject.
    WbemInitSink() = default;

    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Keeps the first status (WBEM_S_INITIALIZED or a failure) and wakes the waiter.
    // WBEM_S_NO_ERROR; WBEM_E_INVALID_OPERATION for a second report (ignored).
    HRESULT SetStatus(LONG status, LONG flags) override;

    // The reported status, waiting at most `timeout` for it; nothing when none came.
    std::optional<LONG> Wait(std::chrono::milliseconds timeout);

    // Loads a provider as the WMI service does: IWbemProviderInit::Initialize (user, flags 0,
    // the namespace's name, locale, the namespace as its services, the context, a new init
    // sink), then waits up to `timeout` for its status. WBEM_S_NO_ERROR when it reported
    // WBEM_S_INITIALIZED; the HRESULT Initialize returned or the failure it reported;
    // WBEM_E_PROVIDER_TIMED_OUT when it reported nothing in time.
    static HRESULT InitializeProvider(IWbemProviderInit* init, LPCWSTR user, const std::wstring& ns, LPCWSTR locale,
                                      IWbemServices* services, IWbemContext* context,
                                      std::chrono::milliseconds timeout);

private:
    friend class RefCounted<WbemInitSink, IWbemProviderInitSink>;
    ~WbemInitSink() = default;

    CheckedMutex m_lock;
    std::condition_variable m_reported;
    std::optional<LONG> m_status GUARDED_BY(m_lock);
};
