// WbemCollectingSink: the IWbemObjectSink behind a synchronous call of the WMI service
// stand-in: keeps every indicated object and the first final status (WBEM_STATUS_COMPLETE
// with its HRESULT, result text and status object), and lets the calling thread wait for it.
//
// Owned through its reference count (atomic): the caller and whoever reports to it share it,
// and a report that arrives after the caller stopped waiting lands harmlessly. Thread-safe:
// the state is guarded by m_lock and the wait loops on its predicate.
#pragma once

#include "platform/win32/ThreadSafety.h"
#include "platform/com/Unknown.h"
#include "platform/com/WbemConstants.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"
#include "platform/wmi/WbemObjectSinkBase.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <vector>

class WbemCollectingSink final : public WbemObjectSinkBase<WbemCollectingSink>
{
public:
    static ComPtr<WbemCollectingSink> Create();

    // Use Create; public only for MakeComObject.
    WbemCollectingSink() = default;

    // Keeps a reference to each object. WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER (nothing
    // kept) for a negative count, a null array or a null object; WBEM_E_INVALID_OPERATION
    // (nothing kept) once the final status has arrived.
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // WBEM_STATUS_COMPLETE records the final status the first time and wakes the waiter;
    // a second final status is refused with WBEM_E_INVALID_OPERATION and changes nothing.
    // Progress and other statuses are accepted and not kept.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // True once the final status has arrived; waits at most `timeout` for it.
    bool Wait(std::chrono::milliseconds timeout);
    // True once the final status has arrived.
    bool IsComplete() const;
    // The final status; WBEM_E_FAILED before it arrived.
    HRESULT Result() const;
    // The result text of the final status (empty for none).
    std::wstring ResultText() const;
    // The status object of the final status (null for none).
    ComPtr<IWbemClassObject> StatusObject() const;
    // The objects indicated so far, in order.
    std::vector<ComPtr<IWbemClassObject>> Objects() const;

private:
    friend class RefCounted<WbemCollectingSink, IWbemObjectSink>;
    ~WbemCollectingSink() = default;

    mutable CheckedMutex m_lock;
    std::condition_variable m_completed;
    std::vector<ComPtr<IWbemClassObject>> m_objects GUARDED_BY(m_lock);
    bool m_complete GUARDED_BY(m_lock) = false;
    HRESULT m_result GUARDED_BY(m_lock) = WBEM_E_FAILED;
    std::wstring m_resultText GUARDED_BY(m_lock);
    ComPtr<IWbemClassObject> m_statusObject GUARDED_BY(m_lock);
};
