// WbemInitSink: the IWbemProviderInitSink that the WMI service stand-in hands a provider's
// Initialize; keeps the first status reported and lets the loading thread wait for it.
//
// Owned through its reference count (atomic); a report that arrives after the loader stopped
// waiting lands harmlessly. Thread-safe: the state is guarded by m_lock.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemProviderInitSink.h"

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

private:
    friend class RefCounted<WbemInitSink, IWbemProviderInitSink>;
    ~WbemInitSink() = default;

    std::mutex m_lock;
    std::condition_variable m_reported;
    // Guarded by m_lock.
    std::optional<LONG> m_status;
};
