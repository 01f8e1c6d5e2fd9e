// WbemCollectingSink: the IWbemObjectSink behind a synchronous call of the WMI service
// stand-in: keeps every indicated object (or hands each to a consumer as it arrives, so that
// a client can show a long result without holding it) and the first final status
// (WBEM_STATUS_COMPLETE with its HRESULT, result text and status object), and lets the
// calling thread wait for it.
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
#include <functional>
#include <mutex>
#include <string>
#include <vector>

class WbemCollectingSink final : public WbemObjectSinkBase<WbemCollectingSink>
{
public:
    // Takes one indicated object; its HRESULT is Indicate's (a failure stops the batch).
    // Called with the sink's lock held, one object at a time: it must not call the sink.
    using Consumer = std::function<HRESULT(IWbemClassObject* object)>;

    // A sink that keeps the objects.
    static ComPtr<WbemCollectingSink> Create();
    // A sink that hands each object to `consumer` (not empty) and keeps none.
    static ComPtr<WbemCollectingSink> Create(Consumer consumer);

    // Use Create; public only for MakeComObject.
    explicit WbemCollectingSink(Consumer consumer = {}) : m_consumer(std::move(consumer)) {}

    // Keeps a reference to each object, or hands each to the consumer in order and answers
    // the first failure it gives. WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER (nothing kept)
    // for a negative count, a null array or a null object; WBEM_E_INVALID_OPERATION (nothing
    // kept) once the final status has arrived.
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
    // The objects indicated so far, in order (none when a consumer takes them).
    std::vector<ComPtr<IWbemClassObject>> Objects() const;

private:
    friend class RefCounted<WbemCollectingSink, IWbemObjectSink>;
    ~WbemCollectingSink() = default;

    // Set at construction; empty when the objects are kept.
    const Consumer m_consumer;

    mutable CheckedMutex m_lock;
    std::condition_variable m_completed;
    std::vector<ComPtr<IWbemClassObject>> m_objects GUARDED_BY(m_lock);
    bool m_complete GUARDED_BY(m_lock) = false;
    HRESULT m_result GUARDED_BY(m_lock) = WBEM_E_FAILED;
    std::wstring m_resultText GUARDED_BY(m_lock);
    ComPtr<IWbemClassObject> m_statusObject GUARDED_BY(m_lock);
};
