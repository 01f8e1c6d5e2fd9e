// DoorSink: the IWbemObjectSink a client of the WMI door hands to an asynchronous call: keeps
// every object indicated and every SetStatus call (final and progress alike, in order, with
// the result text and the status object), so a test can check that a call reported exactly
// one final status and what it carried.
//
// Owned through its reference count (atomic). Thread-safe: the records are guarded by
// m_lock; a test may wait for the first final status from another thread.
#pragma once

#include "platform/com/Unknown.h"
#include "platform/wmi/IWbemClassObject.h"
#include "platform/wmi/IWbemObjectSink.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

namespace e2e
{
// One SetStatus call as the sink received it.
struct StatusReport
{
    LONG flags = 0;
    HRESULT result = S_OK;
    bool hasText = false;
    std::wstring text;
    ComPtr<IWbemClassObject> statusObject;
};

class DoorSink final : public RefCounted<DoorSink, IWbemObjectSink>
{
public:
    static ComPtr<DoorSink> Create();

    // Use Create; public only for MakeComObject.
    DoorSink() = default;

    // IUnknown and IWbemObjectSink; E_NOINTERFACE otherwise.
    HRESULT QueryInterface(REFIID iid, void** object) override;
    // Keeps a reference to each object. WBEM_S_NO_ERROR; WBEM_E_INVALID_PARAMETER for a
    // negative count or a null array.
    HRESULT Indicate(LONG count, IWbemClassObject** objects) override;
    // Records the call. WBEM_S_NO_ERROR.
    HRESULT SetStatus(LONG flags, HRESULT result, BSTR param, IWbemClassObject* statusObject) override;

    // True once a final status (WBEM_STATUS_COMPLETE) arrived; waits at most `timeout`.
    bool WaitForFinalStatus(std::chrono::milliseconds timeout);
    // The objects indicated so far, in order.
    std::vector<ComPtr<IWbemClassObject>> Objects() const;
    // The final statuses received so far, in order.
    std::vector<StatusReport> FinalStatuses() const;
    // The number of progress statuses (WBEM_STATUS_PROGRESS) received.
    int ProgressCount() const;
    // The number of objects indicated after the first final status.
    int ObjectsAfterFinalStatus() const;

private:
    friend class RefCounted<DoorSink, IWbemObjectSink>;
    ~DoorSink() = default;

    mutable std::mutex m_lock;
    std::condition_variable m_finished;
    // Guarded by m_lock.
    std::vector<ComPtr<IWbemClassObject>> m_objects;
    std::vector<StatusReport> m_statuses;
    int m_objectsAfterFinal = 0;
};
} // namespace e2e
